#include "editor/mainwindow.h"

#include "ui_mainwindow.h"

#include "dialogs/aboutwindow.h"
#include "dialogs/pictureprompt.h"
#include "widgets/fieldfocus.h"
#include "widgets/messagebox.h"
#include "widgets/programlook.h"
#include "widgets/windowsetup.h"
#include "editor/identitylists.h"
#include "editor/playerform.h"
#include "editor/playerlist.h"
#include "editor/programstate.h"
#include "editor/savehistory.h"
#include "files/gamefiles.h"
#include "table/findplayer.h"
#include "table/tablewindow.h"
#include "templates/templatewindow.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

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
    centreOnScreen(this);

    m_form = new PlayerForm(this, *m_ui);
    connect(m_form, &PlayerForm::lastNameEntered, this, &MainWindow::lastNameEntered);
    connect(m_form, &PlayerForm::lastNameLeft, this, &MainWindow::lastNameLeftBy);
    actLikeClicks(this);

    m_identity = new IdentityLists(this, m_ui->cboJerseyNum, m_ui->cboPosition, m_ui->lblStatus);
    m_players = new PlayerList(m_ui->lstPlayers);
    connect(m_ui->cboTeams, &QComboBox::activated, this, &MainWindow::teamChosen);
    // The selection, not the current row: a list that gains the focus makes
    // its first entry current without choosing it.
    connect(m_ui->lstPlayers, &QListWidget::itemSelectionChanged, this, &MainWindow::playerChosen);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &MainWindow::exitClicked);
    connect(m_ui->cmdAbout, &QPushButton::clicked, this, &MainWindow::aboutClicked);
    connect(m_ui->cmdStdAttrib, &QPushButton::clicked, this, &MainWindow::templatesClicked);
    connect(m_ui->cmdApplyStd, &QPushButton::clicked, this, &MainWindow::applyTemplateClicked);

    m_saves = new SaveHistory(this, m_ui->lstPlayers, m_ui->lblStatus, m_state,
                              QFileInfo(m_settingsPath).absolutePath(),
                              [this] { return restoreLoadedFields(); });
    connect(m_saves, &SaveHistory::takenBack, this, &MainWindow::refreshAfterUndo);

    // The roster table and Find, from anywhere in the window; the table
    // from the player list's menu too.
    auto *table = new QAction(QStringLiteral("Show as &Table..."), this);
    table->setObjectName(QStringLiteral("actShowTable"));
    table->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    addAction(table);
    m_ui->lstPlayers->addAction(table);
    connect(table, &QAction::triggered, this, &MainWindow::showTable);
    auto *find = new QAction(QStringLiteral("&Find Player..."), this);
    find->setObjectName(QStringLiteral("actFindPlayer"));
    find->setShortcut(QKeySequence::Find);
    addAction(find);
    m_ui->lstPlayers->addAction(find);
    connect(find, &QAction::triggered, this, &MainWindow::showFind);
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
    m_identity->clear();
    m_ui->cmdApplyStd->setEnabled(false);
    m_players->clear();
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
    const Result<QList<PlayerEntry>> players =
        GameFiles::scanPlayers(m_state.keyFilePath(), teamNumber);
    if (!players) {
        m_players->clear();
        m_identity->showTeam(TeamJerseys());
        reportFailure(QStringLiteral("The team's players could not be read."), players.error());
        return;
    }
    m_players->fill(*players);
    m_identity->showTeam(TeamJerseys(*players));
}

void MainWindow::playerChosen()
{
    // While a last name is being edited, the pick waits for its leave step.
    if (m_renaming)
        return;
    const qint64 offset = m_players->offsetAt(m_players->selectedRow());
    if (offset < 0)
        return;
    if (isPlayerShown()) {
        if (!WritePlayerData()) {
            m_players->select(m_draft->offset());
            return;
        }
        m_identity->MarkJerseyTaken(*m_draft->fields().jerseyNumber);
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
    m_draft.emplace(offset, player, records, m_identity->team());
    if (!m_ui->cmdApplyStd->isEnabled())
        m_ui->cmdApplyStd->setEnabled(true);
    m_form->show(*m_draft);
    m_identity->show(*m_draft);
}

// The state right after a team was chosen: its players listed, none shown.
void MainWindow::showNoPlayer()
{
    m_form->clear();
    m_form->disable();
    m_draft.reset();
    // The numbers the team wears stay marked: the next player shown must
    // not take one of them.
    m_identity->showNoPlayer();
    m_ui->cmdApplyStd->setEnabled(false);
    m_players->clearSelection();
}

void MainWindow::reportFailure(const QString &what, const FileError &error)
{
    MessageBox::show(this, QStringLiteral("%1\n\n%2").arg(what, error.fullMessage()),
                     MessageStyle::Warning);
}

bool MainWindow::WritePlayerData(bool mayRebase)
{
    const FieldsWrite write = m_draft->write();
    const Result<PlayerWrites::Done, PlayerWriteError> written = m_saves->save(write);
    if (!written && mayRebase && !written.error().changedPlayers.isEmpty())
        return takeOtherProgramsChange(true);
    if (!written) {
        m_draft->writeFailed(written.error(), m_state.keyFilePath(), m_state.attFilePath());
        MessageBox::show(this,
                         QStringLiteral("%1 %2 could not be saved.\n\n%3")
                             .arg(write.fields.firstName, write.fields.lastName,
                                  written.error().fullMessage()),
                         MessageStyle::Warning);
        return false;
    }
    m_draft->saved(written->written);
    m_identity->numberSaved(write.offset, *write.fields.jerseyNumber);
    // A new first name may tell him from a namesake in the list.
    const PlayerRecord &key = written->written.key;
    m_players->rename(write.offset, key.firstName(), key.lastName());
    return true;
}

bool MainWindow::takeOtherProgramsChange(bool writeAgain)
{
    const qint64 offset = m_draft->offset();
    const Result<PlayerRecord> player = GameFiles::readPlayer(m_state.keyFilePath(), offset);
    const Result<PlayerEdit::AttribRecords> records =
        player ? PlayerEdit::readAttribs(m_state.attFilePath(), *player)
               : Result<PlayerEdit::AttribRecords>(player.error());
    if (!records) {
        reportFailure(QStringLiteral("%1 was changed by another program and could not be read "
                                     "again; he was not saved.")
                          .arg(m_draft->loadedName()),
                      records.error());
        return false;
    }
    const QString name = m_draft->loadedName();
    const PlayerDraft::Rebased rebased = m_draft->rebase(*player, *records);
    m_players->rename(offset, player->firstName(), player->lastName());
    // Only bytes the editor does not show were changed: his entries go over
    // them, and the other program's bytes stay.
    if (writeAgain && rebased.changedByOther.isEmpty() && m_draft->changed())
        return WritePlayerData(false);
    m_form->show(*m_draft);
    m_identity->show(*m_draft);
    if (rebased.kept.isEmpty() && rebased.letGo.isEmpty())
        return true;
    MessageBox::show(this, rebased.text(name), MessageStyle::Warning);
    return false;
}

void MainWindow::lastNameEntered()
{
    LastNameEntryIndex = m_players->selectedRow();
    m_renaming = true;
}

void MainWindow::lastNameLeftBy(Qt::FocusReason reason)
{
    if (reason == Qt::MouseFocusReason && QApplication::focusWidget() == m_ui->lstPlayers) {
        // A click into the player list: let it pick its entry first (the
        // list leaves the pick alone while the name is being edited), then
        // rename and move on to the picked player.
        QTimer::singleShot(0, this, &MainWindow::lastNameLeft);
        return;
    }
    lastNameLeft();
}

void MainWindow::lastNameLeft()
{
    m_renaming = false;
    // A box emptied and disabled by a team change is not being left by the user.
    if (!m_form->countsLeaving(m_ui->txtLastName))
        return;
    // The entry picked meanwhile, if any, before the rename moves entries.
    const int exitIndex = m_players->selectedRow();
    const qint64 exitOffset = m_players->offsetAt(exitIndex);
    const PlayerDraft::Rename rename = m_draft->setLastName(m_ui->txtLastName->text());
    if (!rename.name.refusal.isEmpty())
        MessageBox::show(this, rename.name.refusal, MessageStyle::Warning);
    m_ui->txtLastName->setText(m_draft->fields().lastName);
    if (rename.askAboutPicture) {
        askAboutPicture();
        m_players->rename(m_draft->offset(), m_draft->fields().firstName,
                          m_draft->fields().lastName);
        m_ui->lstPlayers->update();
    }

    if (exitIndex != LastNameEntryIndex && exitOffset >= 0) {
        // The user picked another player while renaming this one: write this
        // player back and load that one, once.
        m_players->select(exitOffset);
        playerChosen();
        return;
    }
    // The renamed player stays shown, his entry selected at its new place.
    if (rename.askAboutPicture)
        m_players->select(m_draft->offset());
}

void MainWindow::askAboutPicture()
{
    if (unlinkRenamedPicture(m_state.pictures, m_draft->loadedName(), m_form->shownName(), this))
        m_draft->unlinkPicture();
}

bool MainWindow::endWithoutSaving()
{
    return MessageBox::show(this,
                            QStringLiteral("Do you want to exit without saving this player ?"),
                            MessageStyle::QuestionNoDefault)
           == MessageAnswer::Yes;
}

void MainWindow::exitClicked()
{
    m_form->leaveFocusedField();
    if (isPlayerShown() && !WritePlayerData() && !endWithoutSaving())
        return;
    m_ending = true;
    close();
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing through the frame leaves the field being edited without a
    // focus change: check it first, so no unchecked entry reaches the files.
    if (!m_ending)
        m_form->leaveFocusedField();
    if (!m_ending && isPlayerShown() && !WritePlayerData() && !endWithoutSaving()) {
        event->ignore();
        return;
    }
    m_ending = true;
    event->accept();
}

void MainWindow::aboutClicked()
{
    AboutWindow about(QStringLiteral("Puckdex"), m_state.VersionText, this);
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
    const bool goalie = m_draft->isGoalie();
    TemplateWindow &window = templates();
    const int changed = m_draft->applyTemplate(
        [&window, goalie](int index) { return window.fieldText(goalie, index); });
    m_form->show(*m_draft);
    m_ui->lstPlayers->setFocus();
    m_ui->lblStatus->setText(
        QStringLiteral("Standard %1 attributes applied: %2.")
            .arg(goalie ? QStringLiteral("goalie") : QStringLiteral("forward"),
                 changed == 0   ? QStringLiteral("no value changed")
                 : changed == 1 ? QStringLiteral("1 value changed")
                                : QStringLiteral("%1 values changed").arg(changed)));
}

bool MainWindow::restoreLoadedFields()
{
    if (!isPlayerShown() || !m_draft->changed())
        return false;
    m_draft->revert();
    m_form->show(*m_draft);
    m_identity->show(*m_draft);

    // A rename moved his entry in the list; it goes back under his name.
    const PlayerFields &loaded = m_draft->loaded();
    m_players->rename(m_draft->offset(), loaded.firstName, loaded.lastName);
    m_players->select(m_draft->offset());
    m_ui->lblStatus->setText(QStringLiteral("The fields of %1 are back as they were loaded.")
                                 .arg(m_draft->loadedName()));
    return true;
}

void MainWindow::refreshAfterUndo(const JournalEntry &entry)
{
    if (m_teamIndex < 0)
        return;
    const int team = m_ui->cboTeams->itemData(m_teamIndex).toInt();
    PlayerRecord record;
    record.assign(entry.players.first().keyBefore);
    if (record.teamNumber() != team)
        return;
    // His name and number changed back: the list and the numbers worn
    // follow the files.
    const qint64 shown = isPlayerShown() ? m_draft->offset() : -1;
    LoadTeamPlayers(team);
    if (shown < 0)
        return;
    m_players->select(shown);
    if (shown == entry.players.first().offset) {
        // He is shown: show him as he is on disk now.
        loadPlayer(shown);
        return;
    }
    m_identity->show(*m_draft);
}

void MainWindow::showTable()
{
    m_form->leaveFocusedField();
    if (isPlayerShown() && !WritePlayerData())
        return;
    std::optional<int> team;
    if (m_teamIndex >= 0)
        team = m_ui->cboTeams->itemData(m_teamIndex).toInt();
    {
        TableWindow table(m_state.files, m_state.pictures, m_saves->writes(), team, this);
        if (isPlayerShown())
            table.goTo(m_draft->offset());
        table.exec();
    }
    activateWindow();
    m_saves->historyChanged();
    reloadFromFiles();
}

void MainWindow::reloadFromFiles()
{
    if (m_teamIndex < 0)
        return;
    // The shown player was written before the table opened: he is shown
    // again as the files hold him now, never written back as he was.
    const qint64 shown = isPlayerShown() ? m_draft->offset() : -1;
    showNoPlayer();
    LoadTeamPlayers(m_ui->cboTeams->itemData(m_teamIndex).toInt());
    if (shown < 0)
        return;
    m_players->select(shown);
    loadPlayer(shown);
}

void MainWindow::showFind()
{
    if (!m_find) {
        m_find = std::make_unique<QDialog>(this);
        m_find->setObjectName(QStringLiteral("frmFindPlayer"));
        m_find->setWindowTitle(QStringLiteral("Find Player"));
        auto *label = new QLabel(QStringLiteral("&Name:"), m_find.get());
        auto *text = new QLineEdit(m_find.get());
        text->setObjectName(QStringLiteral("txtFindName"));
        text->setPlaceholderText(QStringLiteral("part of a name, then Enter"));
        text->setMinimumWidth(200);
        label->setBuddy(text);
        auto *layout = new QHBoxLayout(m_find.get());
        layout->addWidget(label);
        layout->addWidget(text);
        connect(text, &QLineEdit::returnPressed, this, [this, text] { findNext(text->text()); });
        // Below the editor, where it hides none of the player's fields
        // (above it when the screen ends there).
        m_find->adjustSize();
        QPoint at = frameGeometry().bottomLeft() + QPoint(0, 8);
        if (const QScreen *shown = screen();
            shown && at.y() + m_find->frameGeometry().height() > shown->availableGeometry().bottom())
            at = frameGeometry().topLeft() - QPoint(0, m_find->frameGeometry().height() + 8);
        m_find->move(at);
    }
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
    auto *text = m_find->findChild<QLineEdit *>(QStringLiteral("txtFindName"));
    text->setFocus();
    text->selectAll();
}

void MainWindow::findNext(const QString &text)
{
    if (!m_finder)
        m_finder = std::make_unique<FindPlayer>(m_state.files);
    std::optional<NameMatch> from;
    if (isPlayerShown()) {
        const PlayerFields &loaded = m_draft->loaded();
        from = NameMatch{m_ui->cboTeams->itemData(m_teamIndex).toInt(), m_draft->offset(),
                         loaded.firstName, loaded.lastName};
    }
    const std::optional<NameMatch> found = m_finder->next(text, from, m_find.get());
    if (!found) {
        m_ui->lblStatus->setText(FindPlayer::nothingFound(text));
        return;
    }
    goToPlayer(found->team, found->offset);
}

void MainWindow::goToPlayer(int team, qint64 offset)
{
    m_form->leaveFocusedField();
    const int index = m_ui->cboTeams->findData(team);
    if (index < 0)
        return;
    if (index != m_teamIndex) {
        m_ui->cboTeams->setCurrentIndex(index);
        teamChosen(index);
        if (m_teamIndex != index)
            return; // the shown player could not be written: he stays
    }
    m_players->select(offset);
    playerChosen();
}

} // namespace Puckdex
