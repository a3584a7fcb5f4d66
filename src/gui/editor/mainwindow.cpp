#include "editor/mainwindow.h"

#include "ui_mainwindow.h"

#include "widgets/fieldfocus.h"
#include "widgets/messagebox.h"
#include "widgets/programlook.h"
#include "widgets/windowsetup.h"
#include "editor/jerseykeys.h"
#include "editor/playerform.h"
#include "player/valuerules.h"
#include "files/gamefiles.h"
#include "editor/programstate.h"
#include "templates/templatewindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <algorithm>
#include <numeric>

namespace Puckdex {

namespace {

// The hourglass for as long as it lives.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// The texts of the jersey entries, one per number a player may wear, made
// once: every team choice refills the list.
const QStringList &jerseyEntryTexts()
{
    static const QStringList texts = [] {
        QStringList list;
        for (int number = kLowestJersey; number <= kHighestJersey; ++number)
            list.append(jerseyEntryText(number));
        return list;
    }();
    return texts;
}

} // namespace

MainWindow::MainWindow(ProgramState &state, const QString &settingsPath, QWidget *parent)
    : QWidget(parent), m_state(state), m_settingsPath(settingsPath),
      m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(this);
    // The shield: the application's own icon once the program's look has
    // set it (reading the picture again costs a fifth of a million
    // instructions of every start), else read here.
    const QIcon shield = QApplication::windowIcon();
    setWindowIcon(shield.isNull() ? programIcon() : shield);
    setFixedDialogFrame(this);
    setWindowFlag(Qt::Dialog, false);
    setWindowFlag(Qt::Window, true);

    // Load: centre the window, fill the position list.
    centreOnScreen(this);
    for (const QChar letter : PlayerEdit::kPositionLetters)
        m_ui->cboPosition->addItem(QString(letter));
    m_ui->cboPosition->setCurrentIndex(-1);

    m_form = new PlayerForm(this, *m_ui);
    connect(m_form, &PlayerForm::lastNameEntered, this, &MainWindow::lastNameEntered);
    connect(m_form, &PlayerForm::lastNameLeft, this, &MainWindow::lastNameLeftBy);
    actLikeClicks(this);

    connect(m_ui->cboJerseyNum, &QComboBox::currentIndexChanged, this, &MainWindow::jerseyChanged);
    new JerseyKeys(m_ui->cboJerseyNum, TakenJerseyText,
                   [this](int number) { jerseyTypedWorn(number); });
    connect(m_ui->cboPosition, &QComboBox::currentIndexChanged, this, &MainWindow::positionChanged);
    connect(m_ui->cboTeams, &QComboBox::activated, this, &MainWindow::teamChosen);
    // Every entry is one line of the same font: the list takes the first
    // entry's height for all, instead of asking each entry for its size
    // whenever it works out where an entry is (a pick repaints two).
    m_ui->lstPlayers->setUniformItemSizes(true);
    // The selection, not the current row: a list that gains the focus makes
    // its first entry current without choosing it.
    connect(m_ui->lstPlayers, &QListWidget::itemSelectionChanged, this, &MainWindow::playerChosen);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &MainWindow::exitClicked);
    connect(m_ui->cmdAbout, &QPushButton::clicked, this, &MainWindow::aboutClicked);
    connect(m_ui->cmdStdAttrib, &QPushButton::clicked, this, &MainWindow::templatesClicked);
    connect(m_ui->cmdApplyStd, &QPushButton::clicked, this, &MainWindow::applyTemplateClicked);
    m_ui->lstPlayers->installEventFilter(this);
    m_ui->lstPlayers->viewport()->installEventFilter(this);
    setUpUndo();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    QListWidget *list = m_ui->lstPlayers;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // The right button opens the list's menu, which acts on the saves;
        // it does not pick the row under it (and so save the shown player).
        return watched == list->viewport()
               && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
    case QEvent::KeyPress: {
        // With no player picked yet, the first Up or Down picks the entry
        // that has the focus frame, instead of the one after it.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched != list || key->modifiers() != Qt::NoModifier
            || (key->key() != Qt::Key_Down && key->key() != Qt::Key_Up)
            || !list->selectedItems().isEmpty() || list->count() == 0)
            return false;
        list->setCurrentRow(std::max(list->currentRow(), 0), QItemSelectionModel::ClearAndSelect);
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::setTeams(const QList<TeamRecord> &teams)
{
    QComboBox *list = m_ui->cboTeams;
    for (int number = 0; number < teams.size(); ++number)
        insertSorted(list, teams.at(number).city(), number);
    // No team is chosen until the user picks one; the first entry added would
    // otherwise stand in the box as if chosen.
    list->setCurrentIndex(-1);
}

bool MainWindow::isPlayerShown() const
{
    return m_form->hasPlayer();
}

void MainWindow::showNotice(const QString &text)
{
    m_ui->lblStatus->setText(text);
}

void MainWindow::teamChosen(int index)
{
    if (isPlayerShown() && !WritePlayerData()) {
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
    const WaitCursor hourglass;

    m_form->clear();
    m_form->disable();
    m_draft.reset();
    clearIdentityLists();
    setIdentityEnabled(false);
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
        reportFailure(QStringLiteral("The team could not be read."), team.error());
        return;
    }
    m_ui->txtAbbrev->setText(team->abbrev());
    m_ui->txtName->setText(team->teamName());
    m_ui->txtCity->setText(team->city());

    m_ui->lstPlayers->setEnabled(true);
    LoadTeamPlayers(teamNumber);
    // Gaining the focus picks no player.
    const QSignalBlocker blocker(m_ui->lstPlayers);
    m_ui->lstPlayers->setFocus();
}

void MainWindow::LoadTeamPlayers(int teamNumber)
{
    const QSignalBlocker blocker(m_ui->lstPlayers);
    m_ui->lstPlayers->clear();
    const Result<QList<PlayerEntry>> players =
        GameFiles::scanPlayers(m_state.keyFilePath(), teamNumber);
    if (!players) {
        m_team = TeamJerseys();
        FillJerseyList();
        reportFailure(QStringLiteral("The team's players could not be read."), players.error());
        return;
    }
    // The team's numbers are marked taken as the jersey list is filled: the
    // same entries as marking each after the fill, without a change apiece.
    QList<int> taken;
    taken.reserve(players->size());
    for (const PlayerEntry &player : *players) {
        auto *entry = new QListWidgetItem(m_ui->lstPlayers);
        entry->setData(kOffsetRole, player.offset);
        entry->setData(kFirstNameRole, player.record.firstName());
        entry->setData(kLastNameRole, player.record.lastName());
        taken.append(player.record.jerseyNumber());
    }
    relistPlayers();
    m_team = TeamJerseys(*players);
    FillJerseyList(taken);
}

void MainWindow::renameListEntry(qint64 offset, const QString &firstName, const QString &lastName)
{
    QListWidget *list = m_ui->lstPlayers;
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem *entry = list->item(row);
        if (entry->data(kOffsetRole).toLongLong() == offset) {
            // Listed under these names already (every save of a player not
            // renamed): his entry and his namesakes' stay as they are.
            if (entry->data(kFirstNameRole).toString() == firstName
                && entry->data(kLastNameRole).toString() == lastName)
                return;
            entry->setData(kFirstNameRole, firstName);
            entry->setData(kLastNameRole, lastName);
            relistPlayers();
            return;
        }
    }
}

void MainWindow::relistPlayers()
{
    // Each entry's text from the names it holds, namesakes told apart; then
    // the entries in order, the selected and the current one kept.
    QListWidget *list = m_ui->lstPlayers;
    const QSignalBlocker blocker(list);
    QList<ListedName> names;
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem *entry = list->item(row);
        names.append({entry->data(kFirstNameRole).toString(),
                      entry->data(kLastNameRole).toString()});
    }
    const QStringList texts = listedNames(names);
    QList<int> order(list->count());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&texts](int a, int b) { return sortsBefore(texts[a], texts[b]); });

    QListWidgetItem *current = list->currentItem();
    QListWidgetItem *selected =
        list->selectedItems().isEmpty() ? nullptr : list->selectedItems().first();
    QList<QListWidgetItem *> entries;
    for (const int row : std::as_const(order)) {
        QListWidgetItem *entry = list->item(row);
        entry->setText(texts[row]);
        entries.append(entry);
    }
    bool moved = false;
    for (int row = 0; row < entries.size(); ++row)
        moved = moved || list->item(row) != entries[row];
    if (!moved)
        return;
    while (list->count() > 0)
        list->takeItem(0);
    for (QListWidgetItem *entry : std::as_const(entries))
        list->addItem(entry);
    if (selected)
        list->setCurrentItem(selected);
    else if (current)
        list->setCurrentItem(current, QItemSelectionModel::NoUpdate);
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
    const int entry = m_ui->cboJerseyNum->findData(jerseyNumber);
    if (entry < 0)
        return;
    const QSignalBlocker blocker(m_ui->cboJerseyNum);
    m_ui->cboJerseyNum->setItemText(entry, TakenJerseyText);
}

void MainWindow::playerChosen()
{
    // While a last name is being edited, the pick waits for its leave step.
    if (m_renaming)
        return;
    const QList<QListWidgetItem *> selected = m_ui->lstPlayers->selectedItems();
    if (selected.isEmpty())
        return;
    const qint64 offset = selected.first()->data(kOffsetRole).toLongLong();
    if (isPlayerShown()) {
        if (!WritePlayerData()) {
            selectPlayerRow(shownOffset());
            return;
        }
        MarkJerseyTaken(*m_draft->fields().jerseyNumber);
    }
    loadPlayer(offset);
}

void MainWindow::loadPlayer(qint64 offset)
{
    // Both records are read before anything is shown, so a damaged player
    // never fills half the window.
    const Result<PlayerRecord> player = GameFiles::readPlayer(m_state.keyFilePath(), offset);
    if (!player) {
        showNoPlayer();
        reportFailure(QStringLiteral("The player could not be read."), player.error());
        return;
    }
    const Result<PlayerEdit::AttribRecords> records =
        PlayerEdit::readAttribs(m_state.attFilePath(), *player);
    if (!records) {
        showNoPlayer();
        reportFailure(QStringLiteral("The ratings of %1 %2 could not be read; the player is "
                                     "not shown.")
                          .arg(player->firstName(), player->lastName()),
                      records.error());
        return;
    }
    showPlayer(offset, *player, *records);
}

void MainWindow::showPlayer(qint64 offset, const PlayerRecord &player,
                            const PlayerEdit::AttribRecords &records)
{
    m_draft.emplace(offset, player, records, m_team);
    setIdentityEnabled(true);
    m_form->show(*m_draft);
    showIdentity();
}

void MainWindow::showIdentity()
{
    QComboBox *jerseys = m_ui->cboJerseyNum;
    const QSignalBlocker blocker(jerseys);
    // A number above 99 has no entry: none is selected.
    const int jersey = *m_draft->fields().jerseyNumber;
    const int entry = jerseys->findData(jersey);
    if (entry >= 0) // his own number is no teammate's
        jerseys->setItemText(entry, jerseyEntryText(jersey));
    jerseys->setCurrentIndex(entry);
    SetPositionCombo();
}

void MainWindow::SetPositionCombo()
{
    // A letter the game does not know selects nothing.
    const QSignalBlocker blocker(m_ui->cboPosition);
    m_ui->cboPosition->setCurrentIndex(
        int(PlayerEdit::kPositionLetters.indexOf(QLatin1Char(*m_draft->fields().position))));
}

void MainWindow::setIdentityEnabled(bool enabled)
{
    for (QWidget *w : {static_cast<QWidget *>(m_ui->cboJerseyNum),
                       static_cast<QWidget *>(m_ui->cboPosition),
                       static_cast<QWidget *>(m_ui->cmdApplyStd)}) {
        if (w->isEnabled() != enabled)
            w->setEnabled(enabled);
    }
}

void MainWindow::clearIdentityLists()
{
    {
        const QSignalBlocker jerseys(m_ui->cboJerseyNum);
        m_ui->cboJerseyNum->clear();
    }
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
    // The numbers the team wears stay marked: the next player shown must
    // not take one of them.
    const QSet<int> worn = m_team.takenBesides(-1);
    const QList<int> taken(worn.cbegin(), worn.cend());
    m_form->clear();
    clearIdentityLists();
    FillJerseyList(taken);
    m_form->disable();
    m_draft.reset();
    setIdentityEnabled(false);
    const QSignalBlocker blocker(m_ui->lstPlayers);
    m_ui->lstPlayers->clearSelection();
}

void MainWindow::selectPlayerRow(qint64 offset)
{
    QListWidget *list = m_ui->lstPlayers;
    const QSignalBlocker blocker(list);
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->data(kOffsetRole).toLongLong() == offset) {
            list->setCurrentRow(row);
            return;
        }
    }
}

int MainWindow::selectedRow() const
{
    const QList<QListWidgetItem *> selected = m_ui->lstPlayers->selectedItems();
    return selected.isEmpty() ? -1 : m_ui->lstPlayers->row(selected.first());
}

void MainWindow::reportFailure(const QString &what, const FileError &error)
{
    MessageBox::show(this, QStringLiteral("%1\n\n%2").arg(what, error.fullMessage()),
                     MessageStyle::Warning);
}

} // namespace Puckdex
