#include "editor/mainwindow.h"

#include "ui_mainwindow.h"

#include "dialogs/aboutwindow.h"
#include "dialogs/messagebox.h"
#include "dialogs/programlook.h"
#include "dialogs/windowsetup.h"
#include "editor/valuerules.h"
#include "gamedb/gamefiles.h"
#include "gamedb/scales.h"
#include "startup/confirmexit.h"
#include "startup/programstate.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSignalBlocker>

namespace Puckdex {

namespace {

const QString kPositions = QStringLiteral("GDLCR");

// The hourglass for as long as it lives.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

template <std::size_t N>
void findBoxes(QWidget *window, const char *name, std::array<QLineEdit *, N> &boxes)
{
    for (std::size_t i = 0; i < N; ++i) {
        boxes[i] = window->findChild<QLineEdit *>(QStringLiteral("%1_%2")
                                                      .arg(QLatin1String(name))
                                                      .arg(i));
        Q_ASSERT(boxes[i]);
    }
}

void setRadioChecked(QRadioButton *left, QRadioButton *right, int which)
{
    // Auto-exclusive buttons cannot be cleared both; switch that off a moment.
    left->setAutoExclusive(false);
    right->setAutoExclusive(false);
    left->setChecked(which == 0);
    right->setChecked(which == 1);
    left->setAutoExclusive(true);
    right->setAutoExclusive(true);
}

} // namespace

MainWindow::MainWindow(ProgramState &state, QWidget *parent)
    : QWidget(parent), m_state(state), m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(this);
    setWindowIcon(programIcon());
    findBoxes(this, "txtAllPlayers", m_allPlayers);
    findBoxes(this, "txtFwdDef", m_fwdDef);
    findBoxes(this, "txtGoalies", m_goalies);
    setFixedDialogFrame(this);
    setWindowFlag(Qt::Dialog, false);
    setWindowFlag(Qt::Window, true);

    // Load: centre the window, fill the position list.
    centreOnScreen(this);
    for (const QChar letter : kPositions)
        m_ui->cboPosition->addItem(QString(letter));
    m_ui->cboPosition->setCurrentIndex(-1);

    connect(m_ui->cboTeams, &QComboBox::activated, this, &MainWindow::teamChosen);
    // The selection, not the current row: a list that gains the focus makes
    // its first entry current without choosing it.
    connect(m_ui->lstPlayers, &QListWidget::itemSelectionChanged, this, &MainWindow::playerChosen);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &MainWindow::exitClicked);
    connect(m_ui->cmdAbout, &QPushButton::clicked, this, &MainWindow::aboutClicked);
}

MainWindow::~MainWindow() = default;

QLineEdit *MainWindow::ratingBox(RatingGroup group, int box) const
{
    switch (group) {
    case RatingGroup::AllPlayers:
        return m_allPlayers.at(box);
    case RatingGroup::FwdDef:
        return m_fwdDef.at(box);
    case RatingGroup::Goalies:
        return m_goalies.at(box);
    }
    return nullptr;
}

void MainWindow::teamChosen(int index)
{
    if (m_state.PlayerLoaded && !WritePlayerData()) {
        // The shown player stays, and so does his team.
        const QSignalBlocker blocker(m_ui->cboTeams);
        m_ui->cboTeams->setCurrentIndex(m_teamIndex);
        return;
    }
    if (index < 0) {
        m_ui->cboTeams->setFocus();
        return;
    }
    m_teamIndex = index;
    m_state.PlayerLoaded = false;
    m_state.LoadingTeam = true;
    const WaitCursor hourglass;

    clearPlayerFields();
    disablePlayerFields();
    {
        const QSignalBlocker blocker(m_ui->lstPlayers);
        m_ui->lstPlayers->clear();
    }
    repaint();

    const int teamNumber = m_ui->cboTeams->itemData(index).toInt();
    const Result<TeamRecord> team = GameFiles::readTeam(m_state.teamFilePath(), teamNumber);
    if (!team) {
        m_ui->txtAbbrev->clear();
        m_ui->txtName->clear();
        m_ui->txtCity->clear();
        m_ui->lstPlayers->setEnabled(false);
        m_state.LoadingTeam = false;
        reportFailure(QStringLiteral("The team could not be read."), team.error());
        return;
    }
    m_ui->txtAbbrev->setText(team->abbrev());
    m_ui->txtName->setText(team->teamName());
    m_ui->txtCity->setText(team->city());

    m_ui->lstPlayers->setEnabled(true);
    LoadTeamPlayers(teamNumber);
    m_ui->lstPlayers->setFocus();
    m_state.LoadingTeam = false;
}

void MainWindow::LoadTeamPlayers(int teamNumber)
{
    const QSignalBlocker blocker(m_ui->lstPlayers);
    m_ui->lstPlayers->clear();
    FillJerseyList();
    const Result<QList<PlayerEntry>> players =
        GameFiles::scanPlayers(m_state.keyFilePath(), teamNumber);
    if (!players) {
        reportFailure(QStringLiteral("The team's players could not be read."), players.error());
        return;
    }
    for (const PlayerEntry &player : *players) {
        insertSorted(m_ui->lstPlayers, player.record.lastName(), player.offset);
        MarkJerseyTaken(player.record.jerseyNumber());
    }
}

void MainWindow::FillJerseyList()
{
    QComboBox *jerseys = m_ui->cboJerseyNum;
    const QSignalBlocker blocker(jerseys);
    jerseys->clear();
    for (int number = 0; number <= 99; ++number)
        jerseys->addItem(jerseyEntryText(number), number);
    jerseys->setCurrentIndex(-1);
}

void MainWindow::MarkJerseyTaken(int jerseyNumber)
{
    // A number above 99 has no entry to mark.
    if (jerseyNumber < 0 || jerseyNumber >= m_ui->cboJerseyNum->count())
        return;
    const QSignalBlocker blocker(m_ui->cboJerseyNum);
    m_ui->cboJerseyNum->setItemText(jerseyNumber, TakenJerseyText);
}

void MainWindow::playerChosen()
{
    if (m_state.LoadingTeam) {
        m_state.LoadingTeam = false;
        return;
    }
    const QList<QListWidgetItem *> selected = m_ui->lstPlayers->selectedItems();
    if (selected.isEmpty())
        return;
    const qint64 offset = selected.first()->data(Qt::UserRole).toLongLong();
    if (m_state.PlayerLoaded) {
        if (!WritePlayerData()) {
            selectPlayerRow(CurrentPlayerPos);
            return;
        }
        MarkJerseyTaken(CurrentPlayer.jerseyNumber());
    }

    // Both records are read before anything is shown, so a damaged player
    // never fills half the window.
    const Result<PlayerRecord> player = GameFiles::readPlayer(m_state.keyFilePath(), offset);
    if (!player) {
        showNoPlayer();
        reportFailure(QStringLiteral("The player could not be read."), player.error());
        return;
    }
    const bool goalie = player->isGoalie();
    GoalieAttribRecord goalieAttribs;
    SkaterAttribRecord skaterAttribs;
    std::optional<FileError> attribError;
    if (goalie) {
        const Result<GoalieAttribRecord> read =
            GameFiles::readGoalieAttribs(m_state.attFilePath(), player->attribOffset());
        if (read)
            goalieAttribs = *read;
        else
            attribError = read.error();
    } else {
        const Result<SkaterAttribRecord> read =
            GameFiles::readSkaterAttribs(m_state.attFilePath(), player->attribOffset());
        if (read)
            skaterAttribs = *read;
        else
            attribError = read.error();
    }
    if (attribError) {
        showNoPlayer();
        reportFailure(QStringLiteral("The ratings of %1 %2 could not be read; the player is "
                                     "not shown.")
                          .arg(player->firstName(), player->lastName()),
                      *attribError);
        return;
    }

    m_state.PlayerLoaded = true;
    if (!m_ui->txtFirstName->isEnabled()) {
        for (QWidget *w : {static_cast<QWidget *>(m_ui->txtFirstName),
                           static_cast<QWidget *>(m_ui->txtLastName),
                           static_cast<QWidget *>(m_ui->cboJerseyNum),
                           static_cast<QWidget *>(m_ui->cboPosition),
                           static_cast<QWidget *>(m_ui->txtWeight),
                           static_cast<QWidget *>(m_ui->txtHeightFeet),
                           static_cast<QWidget *>(m_ui->txtHeightInches),
                           static_cast<QWidget *>(m_ui->txtRookie),
                           static_cast<QWidget *>(m_ui->cmdApplyStd)})
            w->setEnabled(true);
    }
    if (!m_ui->fraAllPlayers->isEnabled()) {
        m_ui->fraAllPlayers->setEnabled(true);
        m_ui->fraHanded->setEnabled(true);
    }

    CurrentPlayer = *player;
    m_ui->txtFirstName->setText(CurrentPlayer.firstName());
    m_ui->txtLastName->setText(CurrentPlayer.lastName());
    CurrentPlayerName = m_ui->txtFirstName->text() + QLatin1Char(' ') + m_ui->txtLastName->text();

    m_ui->txtWeight->setText(QString::number(CurrentPlayer.weightPounds()));
    m_ui->txtHeightFeet->setText(QString::number(heightFeet(CurrentPlayer.heightInches())));
    m_ui->txtHeightInches->setText(
        QString::number(heightRestInches(CurrentPlayer.heightInches())));
    m_ui->txtRookie->setText(shownRookieFlag(CurrentPlayer.rookieFlag()));

    {
        QComboBox *jerseys = m_ui->cboJerseyNum;
        const QSignalBlocker blocker(jerseys);
        const int jersey = CurrentPlayer.jerseyNumber();
        if (jersey < jerseys->count()) {
            jerseys->setItemText(jersey, jerseyEntryText(jersey));
            jerseys->setCurrentIndex(jersey);
        } else {
            jerseys->setCurrentIndex(-1);
        }
    }
    SetPositionCombo();

    m_shownIsGoalie = goalie;
    if (goalie) {
        CurrentGoalieAttribs = goalieAttribs;
        if (!m_ui->fraGoalies->isEnabled())
            showGoalieLayout();
        setRadioChecked(m_ui->optShootsLeft, m_ui->optShootsRight,
                        CurrentGoalieAttribs.hand() == Hand::Left ? 0 : 1);
        for (const RatingField &f : kGoalieRatingFields) {
            ratingBox(f.group, f.box)
                ->setText(QString::number(shownFromStored(f.scale, CurrentGoalieAttribs.byte(f.byte))));
        }
    } else {
        CurrentSkaterAttribs = skaterAttribs;
        if (!m_ui->fraFwdDef->isEnabled())
            showSkaterLayout();
        setRadioChecked(m_ui->optShootsLeft, m_ui->optShootsRight,
                        CurrentSkaterAttribs.hand() == Hand::Left ? 0 : 1);
        for (const RatingField &f : kSkaterRatingFields) {
            ratingBox(f.group, f.box)
                ->setText(QString::number(shownFromStored(f.scale, CurrentSkaterAttribs.byte(f.byte))));
        }
    }
    CurrentPlayerPos = offset;
    m_state.LoadingTeam = false;
}

void MainWindow::SetPositionCombo()
{
    // A letter the game does not know selects nothing.
    const QSignalBlocker blocker(m_ui->cboPosition);
    m_ui->cboPosition->setCurrentIndex(
        int(kPositions.indexOf(QLatin1Char(CurrentPlayer.position()))));
}

void MainWindow::showGoalieLayout()
{
    for (QLineEdit *box : m_fwdDef)
        box->clear();
    m_ui->fraFwdDef->setEnabled(false);
    m_ui->fraGoalies->setEnabled(true);
    m_ui->fraHanded->setTitle(QStringLiteral("Glove Hand:"));
}

void MainWindow::showSkaterLayout()
{
    for (QLineEdit *box : m_goalies)
        box->clear();
    m_ui->fraGoalies->setEnabled(false);
    m_ui->fraFwdDef->setEnabled(true);
    m_ui->fraHanded->setTitle(QStringLiteral("Shoots:"));
}

void MainWindow::clearPlayerFields()
{
    m_ui->txtFirstName->clear();
    m_ui->txtLastName->clear();
    setRadioChecked(m_ui->optShootsLeft, m_ui->optShootsRight, -1);
    {
        const QSignalBlocker jerseys(m_ui->cboJerseyNum);
        m_ui->cboJerseyNum->clear();
        const QSignalBlocker positions(m_ui->cboPosition);
        m_ui->cboPosition->setCurrentIndex(-1);
    }
    m_ui->txtWeight->clear();
    m_ui->txtHeightFeet->clear();
    m_ui->txtHeightInches->clear();
    m_ui->txtRookie->clear();
    m_ui->fraHanded->setTitle(QString());
    for (QLineEdit *box : m_allPlayers)
        box->clear();
    for (QLineEdit *box : m_fwdDef)
        box->clear();
    for (QLineEdit *box : m_goalies)
        box->clear();
}

void MainWindow::disablePlayerFields()
{
    for (QWidget *w :
         {static_cast<QWidget *>(m_ui->txtFirstName), static_cast<QWidget *>(m_ui->txtLastName),
          static_cast<QWidget *>(m_ui->cboJerseyNum), static_cast<QWidget *>(m_ui->cboPosition),
          static_cast<QWidget *>(m_ui->txtWeight), static_cast<QWidget *>(m_ui->txtHeightFeet),
          static_cast<QWidget *>(m_ui->txtHeightInches), static_cast<QWidget *>(m_ui->txtRookie),
          static_cast<QWidget *>(m_ui->cmdApplyStd), static_cast<QWidget *>(m_ui->fraHanded),
          static_cast<QWidget *>(m_ui->fraAllPlayers), static_cast<QWidget *>(m_ui->fraFwdDef),
          static_cast<QWidget *>(m_ui->fraGoalies)})
        w->setEnabled(false);
    const QSignalBlocker positions(m_ui->cboPosition);
    m_ui->cboPosition->setCurrentIndex(-1);
}

// The state right after a team was chosen: its players listed, none shown.
void MainWindow::showNoPlayer()
{
    m_state.PlayerLoaded = false;
    clearPlayerFields();
    FillJerseyList();
    disablePlayerFields();
    const QSignalBlocker blocker(m_ui->lstPlayers);
    m_ui->lstPlayers->clearSelection();
}

void MainWindow::selectPlayerRow(qint64 offset)
{
    QListWidget *list = m_ui->lstPlayers;
    const QSignalBlocker blocker(list);
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->data(Qt::UserRole).toLongLong() == offset) {
            list->setCurrentRow(row);
            return;
        }
    }
}

bool MainWindow::WritePlayerData()
{
    PlayerRecord player = CurrentPlayer;
    if (player.setFirstName(m_ui->txtFirstName->text()) != TextFit::Ok
        || player.setLastName(m_ui->txtLastName->text()) != TextFit::Ok) {
        MessageBox::show(this,
                         QStringLiteral("The name %1 %2 cannot be stored in the game's files.")
                             .arg(m_ui->txtFirstName->text(), m_ui->txtLastName->text()),
                         MessageStyle::Exclamation);
        return false;
    }
    // No entry selected (a letter the game does not know): the stored letter stays.
    if (m_ui->cboPosition->currentIndex() >= 0)
        player.setPosition(m_ui->cboPosition->currentText().at(0).toLatin1());
    player.setHeightInches(heightFromFeetAndInches(readNumber(m_ui->txtHeightFeet->text()),
                                                   readNumber(m_ui->txtHeightInches->text())));
    player.setWeightPounds(byteFromNumber(readNumber(m_ui->txtWeight->text())));
    const QString rookie = m_ui->txtRookie->text();
    player.setRookieFlag(rookie.isEmpty() ? ' ' : rookie.at(0).toLatin1());
    // No entry selected (a number above 99): the stored number stays.
    const int jersey = m_ui->cboJerseyNum->currentIndex();
    if (jersey >= 0 && m_ui->cboJerseyNum->currentText() != TakenJerseyText)
        player.setJerseyNumber(quint8(jersey));

    const Status keyWritten = GameFiles::writePlayer(m_state.keyFilePath(), CurrentPlayerPos, player);
    if (!keyWritten) {
        reportFailure(QStringLiteral("%1 %2 could not be saved.")
                          .arg(m_ui->txtFirstName->text(), m_ui->txtLastName->text()),
                      keyWritten.error());
        return false;
    }
    CurrentPlayer = player;

    const Hand hand = m_ui->optShootsLeft->isChecked() ? Hand::Left : Hand::Right;
    Status attribsWritten;
    if (m_shownIsGoalie) {
        GoalieAttribRecord attribs = CurrentGoalieAttribs;
        attribs.setHand(hand);
        for (const RatingField &f : kGoalieRatingFields)
            attribs.setByte(f.byte, storedFromShown(f.scale, readNumber(ratingBox(f.group, f.box)->text())));
        attribsWritten = GameFiles::writeGoalieAttribs(m_state.attFilePath(), player.attribOffset(), attribs);
        if (attribsWritten)
            CurrentGoalieAttribs = attribs;
    } else {
        SkaterAttribRecord attribs = CurrentSkaterAttribs;
        attribs.setHand(hand);
        for (const RatingField &f : kSkaterRatingFields)
            attribs.setByte(f.byte, storedFromShown(f.scale, readNumber(ratingBox(f.group, f.box)->text())));
        attribsWritten = GameFiles::writeSkaterAttribs(m_state.attFilePath(), player.attribOffset(), attribs);
        if (attribsWritten)
            CurrentSkaterAttribs = attribs;
    }
    if (!attribsWritten) {
        reportFailure(QStringLiteral("The ratings of %1 %2 could not be saved.")
                          .arg(m_ui->txtFirstName->text(), m_ui->txtLastName->text()),
                      attribsWritten.error());
        return false;
    }
    return true;
}

void MainWindow::reportFailure(const QString &what, const FileError &error)
{
    MessageBox::show(this, QStringLiteral("%1\n\n%2").arg(what, error.fullMessage()),
                     MessageStyle::Exclamation);
}

bool MainWindow::endWithoutSaving()
{
    return MessageBox::show(this,
                            QStringLiteral("Do you want to exit without saving this player ?"),
                            MessageStyle::Question + MessageStyle::YesNo
                                + MessageStyle::SecondButtonDefault)
           == MessageAnswer::Yes;
}

void MainWindow::exitClicked()
{
    if (m_state.PlayerLoaded && !WritePlayerData() && !endWithoutSaving())
        return;
    if (ConfirmExit(this, QString(), ExitWithoutAsking)) {
        m_ending = true;
        close();
        QCoreApplication::quit();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_ending && m_state.PlayerLoaded && !WritePlayerData() && !endWithoutSaving()) {
        event->ignore();
        return;
    }
    m_ending = true;
    event->accept();
}

void MainWindow::aboutClicked()
{
    AboutWindow about(windowTitle(), m_state.VersionText, this);
    about.exec();
}

} // namespace Puckdex
