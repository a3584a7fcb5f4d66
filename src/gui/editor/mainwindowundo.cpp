// Undo and redo in the main window: the shown player's unsaved changes, and
// this run's saves through the write journal.
#include "editor/mainwindow.h"

#include "ui_mainwindow.h"

#include "widgets/messagebox.h"
#include "widgets/windowsetup.h"
#include "player/valuerules.h"
#include "history/playerwrites.h"
#include "editor/playerform.h"
#include "editor/programstate.h"

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QSignalBlocker>

namespace Puckdex {

struct MainWindow::UndoState
{
    std::unique_ptr<PlayerWrites> writes; // made at the first save
    bool journalFailureReported = false;

    QAction *undoSave = nullptr;
    QAction *redoSave = nullptr;
};

namespace {

// A box takes Ctrl+Z (and redo) for its own typing first, as every text box
// does; once it has nothing left to take back, the key goes on to the
// window's undo of the player.
class UndoKeysPassOn : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = qobject_cast<QLineEdit *>(watched);
        if (!box || event->type() != QEvent::ShortcutOverride)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool undo = key->matches(QKeySequence::Undo) && !box->isUndoAvailable();
        const bool redo = (key->matches(QKeySequence::Redo)
                           || key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::Key_Y))
                          && !box->isRedoAvailable();
        if (!undo && !redo)
            return false;
        event->ignore();
        return true;
    }
};

} // namespace

void MainWindow::setUpUndo()
{
    m_undo = std::make_shared<UndoState>();

    auto *undo = new QAction(QStringLiteral("Undo"), this);
    undo->setShortcut(QKeySequence::Undo);
    addAction(undo);
    connect(undo, &QAction::triggered, this, &MainWindow::undoPressed);
    auto *redo = new QAction(QStringLiteral("Redo"), this);
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)))
        redoKeys.append(QKeySequence(Qt::CTRL | Qt::Key_Y));
    redo->setShortcuts(redoKeys);
    addAction(redo);
    connect(redo, &QAction::triggered, this, &MainWindow::redoPressed);

    QListWidget *list = m_ui->lstPlayers;
    m_undo->undoSave = new QAction(list);
    m_undo->redoSave = new QAction(list);
    list->addAction(m_undo->undoSave);
    list->addAction(m_undo->redoSave);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_undo->undoSave, &QAction::triggered, this, &MainWindow::undoLastSave);
    connect(m_undo->redoSave, &QAction::triggered, this, &MainWindow::redoLastUndo);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), list);
    escape->setContext(Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, this, [this] { restoreLoadedFields(); });
    auto *passOn = new UndoKeysPassOn(this);
    for (QLineEdit *box : findChildren<QLineEdit *>())
        box->installEventFilter(passOn);
    updateUndoActions();
}

bool MainWindow::restoreLoadedFields()
{
    if (!isPlayerShown() || !m_draft->changed())
        return false;
    m_draft->revert();
    m_form->show(*m_draft);
    showIdentity();

    // A rename moved his entry in the list; it goes back under his name.
    const PlayerFields &loaded = m_draft->loaded();
    renameListEntry(m_draft->offset(), loaded.firstName, loaded.lastName);
    selectPlayerRow(m_draft->offset());
    m_ui->lblStatus->setText(QStringLiteral("The fields of %1 are back as they were loaded.")
                                 .arg(m_draft->loadedName()));
    return true;
}

void MainWindow::undoPressed()
{
    if (!restoreLoadedFields())
        undoLastSave();
}

void MainWindow::redoPressed()
{
    redoLastUndo();
}

PlayerWrites &MainWindow::writes()
{
    if (!m_undo->writes) {
        m_undo->writes =
            std::make_unique<PlayerWrites>(QFileInfo(m_settingsPath).absolutePath(), m_state.Files);
    }
    return *m_undo->writes;
}

void MainWindow::recordSave(const PlayerWrites::Done &done)
{
    if (!done.entry.changesAnything())
        return;
    m_ui->lblStatus->setText(QStringLiteral("Saved %1.").arg(done.entry.playerName()));
    if (!done.journaled)
        reportJournalFailure(done.entry.playerName(), done.journaled.error());
    updateUndoActions();
}

void MainWindow::reportJournalFailure(const QString &name, const FileError &error)
{
    if (m_undo->journalFailureReported)
        return;
    m_undo->journalFailureReported = true;
    MessageBox::show(this,
                     QStringLiteral("%1 was saved, but the write journal could not record it: "
                                    "this run's saves can be undone here, not with puckdex-cli "
                                    "later. This is not said again until Puckdex starts anew."
                                    "\n\n%2")
                         .arg(name, error.fullMessage()),
                     MessageStyle::Warning);
}

void MainWindow::undoLastSave()
{
    const auto back = writes().undoLastSave();
    if (!back) {
        m_ui->lblStatus->setText(QStringLiteral("Nothing to undo: no player was saved in this "
                                                "run, or every save is undone."));
        return;
    }
    if (!*back) {
        MessageBox::show(this,
                         QStringLiteral("The last save of %1 was not undone.\n\n%2")
                             .arg(writes().saves().last().playerName(),
                                  back->error().fullMessage()),
                         MessageStyle::Warning);
        return;
    }
    const JournalEntry &entry = (*back)->entry;
    if (!(*back)->journaled)
        reportJournalFailure(entry.playerName(), (*back)->journaled.error());
    refreshAfterUndo(entry);
    m_ui->lblStatus->setText(
        QStringLiteral("Undone: the last save of %1.").arg(entry.playerName()));
    updateUndoActions();
}

void MainWindow::redoLastUndo()
{
    const auto again = writes().redoLastUndo();
    if (!again) {
        m_ui->lblStatus->setText(QStringLiteral("Nothing to redo."));
        return;
    }
    if (!*again) {
        MessageBox::show(this,
                         QStringLiteral("The save of %1 was not redone.\n\n%2")
                             .arg(writes().undone().last().playerName(),
                                  again->error().fullMessage()),
                         MessageStyle::Warning);
        return;
    }
    const JournalEntry &entry = (*again)->entry;
    if (!(*again)->journaled)
        reportJournalFailure(entry.playerName(), (*again)->journaled.error());
    refreshAfterUndo(entry);
    m_ui->lblStatus->setText(QStringLiteral("Redone: the save of %1.").arg(entry.playerName()));
    updateUndoActions();
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
    // His name and number changed back: the list and the taken numbers
    // follow the files.
    const qint64 shown = shownOffset();
    LoadTeamPlayers(team);
    if (shown < 0)
        return;
    selectPlayerRow(shown);
    if (shown == entry.players.first().offset) {
        // He is shown: show him as he is on disk now.
        loadPlayer(shown);
        return;
    }
    // The list marks the team's numbers as the files have them, his own
    // among them: it shows his as his again.
    const int loadedNumber = *m_draft->loaded().jerseyNumber;
    const QSignalBlocker blocker(m_ui->cboJerseyNum);
    m_ui->cboJerseyNum->setItemText(m_ui->cboJerseyNum->findData(loadedNumber),
                                    jerseyEntryText(loadedNumber));
    showIdentity();
}

void MainWindow::updateUndoActions()
{
    const UndoState &undo = *m_undo;
    static const QList<JournalEntry> none;
    const QList<JournalEntry> &saves = undo.writes ? undo.writes->saves() : none;
    const QList<JournalEntry> &undone = undo.writes ? undo.writes->undone() : none;
    QAction *undoSave = undo.undoSave;
    undoSave->setEnabled(!saves.isEmpty());
    undoSave->setText(saves.isEmpty()
                          ? QStringLiteral("Undo last save")
                          : QStringLiteral("Undo last save of %1").arg(saves.last().playerName()));
    QAction *redoSave = undo.redoSave;
    redoSave->setEnabled(!undone.isEmpty());
    redoSave->setText(undone.isEmpty()
                          ? QStringLiteral("Redo save")
                          : QStringLiteral("Redo save of %1").arg(undone.last().playerName()));
}

} // namespace Puckdex
