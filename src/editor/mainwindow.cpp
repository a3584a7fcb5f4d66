#include "editor/mainwindow.h"

#include "ui_mainwindow.h"

#include "dialogs/aboutwindow.h"
#include "dialogs/fieldfocus.h"
#include "dialogs/adjust.h"
#include "dialogs/messagebox.h"
#include "dialogs/programlook.h"
#include "dialogs/windowsetup.h"
#include "editor/codepagevalidator.h"
#include "editor/pictureprompt.h"
#include "editor/valuerules.h"
#include "gamedb/gamefiles.h"
#include "gamedb/playerfields.h"
#include "gamedb/scales.h"
#include "startup/confirmexit.h"
#include "startup/programstate.h"
#include "templates/templatewindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTimer>

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

// Clearing an empty box still runs the whole of its text handling; a team
// choice clears some twenty boxes, most of them empty already.
void clearBox(QLineEdit *box)
{
    if (!box->text().isEmpty())
        box->clear();
}

// The texts of the 100 jersey entries, made once: every team choice refills
// the list.
const QStringList &jerseyEntryTexts()
{
    static const QStringList texts = [] {
        QStringList list;
        for (int number = 0; number <= 99; ++number)
            list.append(jerseyEntryText(number));
        return list;
    }();
    return texts;
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

MainWindow::MainWindow(ProgramState &state, const QString &settingsPath, QWidget *parent)
    : QWidget(parent), m_state(state), m_settingsPath(settingsPath),
      m_ui(std::make_unique<Ui::MainWindow>())
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

    // Fields are checked as the user leaves them; the status line follows
    // the mouse over the fields, the frames and the window itself.
    const QList<QLineEdit *> fields = {m_ui->txtFirstName,    m_ui->txtLastName,
                                       m_ui->txtHeightFeet,   m_ui->txtHeightInches,
                                       m_ui->txtWeight,       m_ui->txtRookie};
    m_focus = new FieldFocus(this, [this](QLineEdit *box, Qt::FocusReason) { fieldEntered(box); },
                             [this](QLineEdit *box, Qt::FocusReason reason) {
                                 fieldLeft(box, reason);
                             });
    const auto watch = [this](QLineEdit *box) {
        box->installEventFilter(this);
        m_focus->watch(box);
    };
    for (QLineEdit *box : fields)
        watch(box);
    for (QLineEdit *box : m_allPlayers)
        watch(box);
    for (QLineEdit *box : m_fwdDef)
        watch(box);
    for (QLineEdit *box : m_goalies)
        watch(box);
    actLikeClicks(this);
    for (QWidget *w : findChildren<QLineEdit *>())
        w->setMouseTracking(true);
    for (QGroupBox *frame : {m_ui->fraAllPlayers, m_ui->fraFwdDef, m_ui->fraGoalies, m_ui->fraHanded}) {
        frame->setMouseTracking(true);
        frame->installEventFilter(this);
    }
    setMouseTracking(true);
    m_ui->txtFirstName->setValidator(new CodePageValidator(m_ui->txtFirstName));
    m_ui->txtLastName->setValidator(new CodePageValidator(m_ui->txtLastName));

    connect(m_ui->cboJerseyNum, &QComboBox::currentIndexChanged, this, &MainWindow::jerseyChanged);
    connect(m_ui->cboPosition, &QComboBox::currentIndexChanged, this, &MainWindow::positionChanged);
    connect(m_ui->cboTeams, &QComboBox::activated, this, &MainWindow::teamChosen);
    // The selection, not the current row: a list that gains the focus makes
    // its first entry current without choosing it.
    connect(m_ui->lstPlayers, &QListWidget::itemSelectionChanged, this, &MainWindow::playerChosen);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &MainWindow::exitClicked);
    connect(m_ui->cmdAbout, &QPushButton::clicked, this, &MainWindow::aboutClicked);
    connect(m_ui->cmdStdAttrib, &QPushButton::clicked, this, &MainWindow::templatesClicked);
    connect(m_ui->cmdApplyStd, &QPushButton::clicked, this, &MainWindow::applyTemplateClicked);
    setUpUndo();
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
    // The cleared fields on screen before the scan: only what the clearing
    // changed is painted now, the rest of the window is showing already.
    QEvent paintNow(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(this, &paintNow);

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
    const Result<QList<PlayerEntry>> players =
        GameFiles::scanPlayers(m_state.keyFilePath(), teamNumber);
    if (!players) {
        FillJerseyList();
        reportFailure(QStringLiteral("The team's players could not be read."), players.error());
        return;
    }
    // The team's numbers are marked taken as the jersey list is filled: the
    // same entries as marking each after the fill, without a change apiece.
    QList<int> taken;
    taken.reserve(players->size());
    for (const PlayerEntry &player : *players) {
        insertSorted(m_ui->lstPlayers, player.record.lastName(), player.offset);
        taken.append(player.record.jerseyNumber());
    }
    FillJerseyList(taken);
}

void MainWindow::FillJerseyList(const QList<int> &taken)
{
    QComboBox *jerseys = m_ui->cboJerseyNum;
    const QSignalBlocker blocker(jerseys);
    jerseys->clear();
    // Refilled at every team choice: the 100 entries go into the list's model
    // at once, as addItem() would make them one by one.
    QStringList texts = jerseyEntryTexts();
    for (const int number : taken) {
        // A number above 99 has no entry to mark.
        if (number >= 0 && number < texts.size())
            texts[number] = TakenJerseyText;
    }
    if (auto *model = qobject_cast<QStandardItemModel *>(jerseys->model())) {
        QList<QStandardItem *> entries;
        entries.reserve(texts.size());
        for (int number = 0; number < texts.size(); ++number) {
            auto *entry = new QStandardItem(texts[number]);
            entry->setData(number, Qt::UserRole);
            entries.append(entry);
        }
        model->invisibleRootItem()->appendRows(entries);
    } else {
        for (int number = 0; number < texts.size(); ++number)
            jerseys->addItem(texts[number], number);
    }
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
    m_weightClass.reset();
    m_pictureUnlinked = false;
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
    rememberShownPlayer();
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
    clearBox(m_ui->txtFirstName);
    clearBox(m_ui->txtLastName);
    setRadioChecked(m_ui->optShootsLeft, m_ui->optShootsRight, -1);
    {
        const QSignalBlocker jerseys(m_ui->cboJerseyNum);
        m_ui->cboJerseyNum->clear();
    }
    clearPosition();
    clearBox(m_ui->txtWeight);
    clearBox(m_ui->txtHeightFeet);
    clearBox(m_ui->txtHeightInches);
    clearBox(m_ui->txtRookie);
    m_ui->fraHanded->setTitle(QString());
    for (QLineEdit *box : m_allPlayers)
        clearBox(box);
    for (QLineEdit *box : m_fwdDef)
        clearBox(box);
    for (QLineEdit *box : m_goalies)
        clearBox(box);
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
    clearPosition();
}

void MainWindow::clearPosition()
{
    // The combo box repaints itself even when nothing was selected; every
    // team choice clears it, mostly when it is clear already.
    if (m_ui->cboPosition->currentIndex() == -1)
        return;
    const QSignalBlocker positions(m_ui->cboPosition);
    m_ui->cboPosition->setCurrentIndex(-1);
}

// The state right after a team was chosen: its players listed, none shown.
void MainWindow::showNoPlayer()
{
    m_state.PlayerLoaded = false;
    // The numbers the team wears stay marked: the next player shown must
    // not take one of them.
    QList<int> taken;
    for (int number = 0; number < m_ui->cboJerseyNum->count(); ++number) {
        if (m_ui->cboJerseyNum->itemText(number) == TakenJerseyText)
            taken.append(number);
    }
    clearPlayerFields();
    FillJerseyList(taken);
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
    PlayerFields fields;
    fields.firstName = m_ui->txtFirstName->text();
    fields.lastName = m_ui->txtLastName->text();
    // No entry selected (a letter the game does not know): the stored letter stays.
    if (m_ui->cboPosition->currentIndex() >= 0)
        fields.position = m_ui->cboPosition->currentText().at(0).toLatin1();
    fields.heightInches = heightFromFeetAndInches(readNumber(m_ui->txtHeightFeet->text()),
                                                  readNumber(m_ui->txtHeightInches->text()));
    fields.weightPounds = byteFromNumber(readNumber(m_ui->txtWeight->text()));
    const QString rookie = m_ui->txtRookie->text();
    fields.rookieFlag = rookie.isEmpty() ? ' ' : rookie.at(0).toLatin1();
    // No entry selected (a number above 99): the stored number stays.
    const int jersey = m_ui->cboJerseyNum->currentIndex();
    if (jersey >= 0 && m_ui->cboJerseyNum->currentText() != TakenJerseyText)
        fields.jerseyNumber = quint8(jersey);
    fields.hand = m_ui->optShootsLeft->isChecked() ? Hand::Left : Hand::Right;
    for (const RatingField &f : m_shownIsGoalie ? std::span<const RatingField>(kGoalieRatingFields)
                                                : std::span<const RatingField>(kSkaterRatingFields))
        fields.rating(f.group, f.box) =
            storedFromShown(f.scale, readNumber(ratingBox(f.group, f.box)->text()));
    fields.weightClass = m_weightClass;
    fields.unlinkPicture = m_pictureUnlinked;

    const Result<WrittenPlayer, PlayerWriteError> written =
        writePlayerFields(m_state.keyFilePath(), m_state.attFilePath(), CurrentPlayerPos,
                          m_shownIsGoalie, fields);
    if (!written) {
        MessageBox::show(this,
                         QStringLiteral("%1 %2 could not be saved.\n\n%3")
                             .arg(m_ui->txtFirstName->text(), m_ui->txtLastName->text(),
                                  written.error().fullMessage()),
                         MessageStyle::Exclamation);
        return false;
    }
    CurrentPlayer = written->key;
    if (m_shownIsGoalie)
        CurrentGoalieAttribs = written->goalie;
    else
        CurrentSkaterAttribs = written->skater;
    recordSave(*written);
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
    leaveFocusedField();
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
    // Closing through the frame leaves the field being edited without a
    // focus change: check it first, so no unchecked entry reaches the files.
    if (!m_ending)
        leaveFocusedField();
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
    activateWindow();
}

TemplateWindow &MainWindow::templates()
{
    if (!m_templates)
        m_templates = std::make_unique<TemplateWindow>(m_settingsPath, this);
    return *m_templates;
}

void MainWindow::templatesClicked()
{
    templates().exec();
    m_templates.reset();
    activateWindow();
}

void MainWindow::applyTemplateClicked()
{
    const bool goalie = m_ui->cboPosition->currentIndex() == 0;
    const int count = goalie ? TemplateWindow::GoalieFieldCount : TemplateWindow::SkaterFieldCount;
    const RatingGroup ratings = goalie ? RatingGroup::Goalies : RatingGroup::FwdDef;
    for (int index = 0; index < count; ++index) {
        const QString text = templates().fieldText(goalie, index);
        if (text == QLatin1String("*"))
            continue;
        QLineEdit *box = index == 0   ? m_ui->txtHeightFeet
                         : index == 1 ? m_ui->txtHeightInches
                         : index == 2 ? m_ui->txtWeight
                         : index < 7  ? ratingBox(RatingGroup::AllPlayers, index - 3)
                                      : ratingBox(ratings, index - 7);
        box->setText(text);
        // The weight class goes with the weight, as when the box is left.
        if (box == m_ui->txtWeight)
            updateWeightClass(int(readNumber(text)));
    }
    m_ui->lstPlayers->setFocus();
}

int MainWindow::selectedRow() const
{
    const QList<QListWidgetItem *> selected = m_ui->lstPlayers->selectedItems();
    return selected.isEmpty() ? -1 : m_ui->lstPlayers->row(selected.first());
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    auto *frame = qobject_cast<QGroupBox *>(watched);
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        if (box) {
            if (const FieldRule *rule = ruleOf(box))
                m_ui->lblStatus->setText(rule->help.toString());
        } else if (frame) {
            const QPoint at = event->type() == QEvent::Enter
                                  ? static_cast<QEnterEvent *>(event)->position().toPoint()
                                  : static_cast<QMouseEvent *>(event)->position().toPoint();
            if (!frame->childAt(at))
                m_ui->lblStatus->clear();
        }
        break;
    case QEvent::MouseButtonPress:
        if (frame && !frame->childAt(static_cast<QMouseEvent *>(event)->position().toPoint())) {
            QLineEdit *first = frame == m_ui->fraAllPlayers ? m_allPlayers[0]
                               : frame == m_ui->fraFwdDef   ? m_fwdDef[0]
                               : frame == m_ui->fraGoalies  ? m_goalies[0]
                                                            : nullptr;
            if (first)
                first->setFocus(Qt::MouseFocusReason);
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!childAt(event->position().toPoint()))
        m_ui->lblStatus->clear();
    QWidget::mouseMoveEvent(event);
}

const FieldRule *MainWindow::ruleOf(const QLineEdit *box) const
{
    if (box == m_ui->txtHeightFeet)
        return &heightFeetRule();
    if (box == m_ui->txtHeightInches)
        return &heightInchesRule();
    if (box == m_ui->txtWeight)
        return &weightRule(m_ui->cboPosition->currentIndex() == 0);
    const bool goalie = CurrentPlayer.isGoalie();
    for (int i = 0; i < int(m_allPlayers.size()); ++i) {
        if (box == m_allPlayers[i])
            return &ratingRule(RatingGroup::AllPlayers, i, goalie);
    }
    for (int i = 0; i < int(m_fwdDef.size()); ++i) {
        if (box == m_fwdDef[i])
            return &ratingRule(RatingGroup::FwdDef, i, goalie);
    }
    for (int i = 0; i < int(m_goalies.size()); ++i) {
        if (box == m_goalies[i])
            return &ratingRule(RatingGroup::Goalies, i, goalie);
    }
    return nullptr;
}

void MainWindow::fieldEntered(QLineEdit *box)
{
    if (box == m_ui->txtLastName)
        lastNameEntered();
    // The whole text is selected on entry, also after a click into it.
    QTimer::singleShot(0, box, &QLineEdit::selectAll);
}

void MainWindow::fieldLeft(QLineEdit *box, Qt::FocusReason reason)
{
    if (box == m_ui->txtLastName && reason == Qt::MouseFocusReason
        && QApplication::focusWidget() == m_ui->lstPlayers) {
        // A click into the player list: let it pick its entry first (the
        // list leaves the pick alone while the name is being edited), then
        // rename and move on to the picked player.
        QTimer::singleShot(0, this, [this] { leaveField(m_ui->txtLastName); });
        return;
    }
    leaveField(box);
}

void MainWindow::leaveFocusedField()
{
    QLineEdit *box = m_focus->current();
    if (!box || !box->hasFocus())
        return;
    m_focus->leaveCurrent();
    // The box keeps the focus: should the window stay after all, its next
    // leave step is still to come.
    if (box->hasFocus())
        m_focus->reenter(box);
}

void MainWindow::leaveField(QWidget *field)
{
    // A field emptied and disabled by a team change is not being left by the user.
    if (!field->isEnabled() || !m_state.PlayerLoaded)
        return;
    if (field == m_ui->txtFirstName)
        firstNameLeft();
    else if (field == m_ui->txtLastName)
        lastNameLeft();
    else if (field == m_ui->txtRookie)
        rookieLeft();
    else if (auto *box = qobject_cast<QLineEdit *>(field); box && ruleOf(box))
        checkNumericField(box);
}

void MainWindow::checkNumericField(QLineEdit *box)
{
    const FieldRule &rule = *ruleOf(box);
    const qint16 value = AdjustAttribute(this, rule.mode, readNumber(box->text()), rule);
    box->setText(QString::number(value));
    if (box == m_ui->txtWeight)
        updateWeightClass(value);
}

void MainWindow::updateWeightClass(int pounds)
{
    m_weightClass = weightClass(pounds);
    if (m_ui->cboPosition->currentIndex() == 0)
        CurrentGoalieAttribs.setWeightClass(*m_weightClass);
    else
        CurrentSkaterAttribs.setWeightClass(*m_weightClass);
}

void MainWindow::firstNameLeft()
{
    m_ui->txtFirstName->setText(properCase(m_ui->txtFirstName->text()));
}

void MainWindow::lastNameEntered()
{
    LastNameEntryIndex = selectedRow();
    m_state.LoadingTeam = true;
}

void MainWindow::lastNameLeft()
{
    QListWidget *list = m_ui->lstPlayers;
    const int exitIndex = selectedRow();

    const QString name = raiseFirstCharacter(m_ui->txtLastName->text());
    m_ui->txtLastName->setText(name);
    const bool changed = lastNameChanged(name, CurrentPlayer.lastNameField());
    int newIndex = -1;
    if (changed) {
        askAboutPicture();
        {
            const QSignalBlocker blocker(list);
            if (LastNameEntryIndex >= 0 && LastNameEntryIndex < list->count())
                delete list->takeItem(LastNameEntryIndex);
            newIndex = insertSorted(list, name, CurrentPlayerPos);
        }
        // In memory the field is padded with blanks; the write pads with NULs.
        CurrentPlayer.setLastName(
            name.leftJustified(PlayerRecord::LastName.width, QLatin1Char(' '), true));
        list->update();
    }

    if (exitIndex != LastNameEntryIndex) {
        // The user picked another player while renaming this one: find his
        // entry again after the rename moved entries, write this player back
        // and load that one, once.
        m_state.LoadingTeam = false;
        int index = exitIndex;
        if (changed) {
            if (index > LastNameEntryIndex)
                --index;
            if (index >= newIndex)
                ++index;
        }
        {
            const QSignalBlocker blocker(list);
            list->setCurrentRow(index);
        }
        playerChosen();
        return;
    }
    if (changed) {
        // The renamed player stays shown, his entry selected at its new place.
        const QSignalBlocker blocker(list);
        list->setCurrentRow(newIndex);
    }
    m_state.LoadingTeam = false;
}

void MainWindow::askAboutPicture()
{
    bool unlink = m_state.Pictures == PictureChoice::AlwaysDelete;
    if (m_state.Pictures == PictureChoice::AlwaysAsk) {
        QApplication::beep();
        const QString newName =
            m_ui->txtFirstName->text() + QLatin1Char(' ') + m_ui->txtLastName->text();
        PicturePrompt prompt(picturePromptText(CurrentPlayerName, newName), this);
        prompt.exec();
        activateWindow();
        unlink = prompt.answer().unlinkPicture;
        m_state.Pictures = prompt.answer().from;
    }
    if (unlink) {
        CurrentPlayer.unlinkPicture();
        m_pictureUnlinked = true;
    }
}

void MainWindow::rookieLeft()
{
    QLineEdit *box = m_ui->txtRookie;
    box->setText(rookieText(box->text()));
    if (box->text() == QLatin1String("Y") || box->text() == QLatin1String("N"))
        return;
    const int answer = MessageBox::show(this, QStringLiteral(" Is this player a Rookie ?"),
                                        MessageStyle::Question + MessageStyle::YesNo);
    box->setText(answer == MessageAnswer::Yes ? QStringLiteral("Y") : QStringLiteral("N"));
}

void MainWindow::jerseyChanged(int index)
{
    QComboBox *jerseys = m_ui->cboJerseyNum;
    if (index < 0)
        return;
    if (jerseys->itemText(index) == TakenJerseyText) {
        MessageBox::show(this, QStringLiteral("Sorry, you cannot use \"**\" as a jersey number."),
                         MessageStyle::Exclamation);
        const int last = CurrentPlayer.jerseyNumber();
        jerseys->setCurrentIndex(last < jerseys->count() ? last : -1);
        jerseys->setFocus();
        return;
    }
    CurrentPlayer.setJerseyNumber(quint8(index));
}

void MainWindow::positionChanged(int index)
{
    if (!m_state.LoadingTeam) {
        QComboBox *positions = m_ui->cboPosition;
        if (CurrentPlayer.isGoalie() && index != 0) {
            MessageBox::show(this, QStringLiteral("Sorry, a Goalie cannot play Forward or Defense."),
                             MessageStyle::Exclamation);
            const QSignalBlocker blocker(positions);
            positions->setCurrentIndex(0);
        }
        if (!CurrentPlayer.isGoalie() && positions->currentIndex() == 0) {
            MessageBox::show(this, QStringLiteral("Sorry, a Forward or Defenseman can not play Goal."),
                             MessageStyle::Exclamation);
            SetPositionCombo();
        }
    }
    m_state.LoadingTeam = false;
}

} // namespace Puckdex
