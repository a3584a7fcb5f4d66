#include "editor/savehistory.h"

#include "editor/programstate.h"
#include "widgets/messagebox.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>

namespace Puckdex {

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

SaveHistory::SaveHistory(QWidget *window, QListWidget *players, QLabel *status,
                         ProgramState &state, QString folder, std::function<bool()> revertShown)
    : QObject(window), m_window(window), m_status(status), m_state(state),
      m_folder(std::move(folder)), m_revertShown(std::move(revertShown))
{
    auto *undo = new QAction(QStringLiteral("Undo"), window);
    undo->setShortcut(QKeySequence::Undo);
    window->addAction(undo);
    connect(undo, &QAction::triggered, this, &SaveHistory::undoPressed);
    auto *redo = new QAction(QStringLiteral("Redo"), window);
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)))
        redoKeys.append(QKeySequence(Qt::CTRL | Qt::Key_Y));
    redo->setShortcuts(redoKeys);
    window->addAction(redo);
    connect(redo, &QAction::triggered, this, &SaveHistory::redoLastUndo);

    m_undoSave = new QAction(players);
    m_redoSave = new QAction(players);
    players->addAction(m_undoSave);
    players->addAction(m_redoSave);
    players->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_undoSave, &QAction::triggered, this, &SaveHistory::undoLastSave);
    connect(m_redoSave, &QAction::triggered, this, &SaveHistory::redoLastUndo);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), players);
    escape->setContext(Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, this, [this] { m_revertShown(); });
    auto *passOn = new UndoKeysPassOn(this);
    for (QLineEdit *box : window->findChildren<QLineEdit *>())
        box->installEventFilter(passOn);
    updateActions();
}

PlayerWrites &SaveHistory::writes()
{
    if (!m_writes)
        m_writes = std::make_unique<PlayerWrites>(m_folder, m_state.files);
    return *m_writes;
}

Result<PlayerWrites::Done, PlayerWriteError> SaveHistory::save(const FieldsWrite &write)
{
    Result<PlayerWrites::Done, PlayerWriteError> done =
        writes().save(write);
    // Another writer killed in the middle of an action since this run
    // opened the roster: the save found it and set it back first.
    if (const std::optional<PlayerWrites::Recovered> recovered = writes().takeRecovered())
        MessageBox::show(m_window, recovered->text(), MessageStyle::Warning);
    if (!done || !done->entry.changesAnything())
        return done;
    m_status->setText(QStringLiteral("Saved %1.").arg(done->entry.playerName()));
    if (!done->journaled)
        reportJournalFailure(done->entry.playerName(), done->journaled.error());
    updateActions();
    return done;
}

void SaveHistory::reportJournalFailure(const QString &name, const FileError &error)
{
    if (m_journalFailureReported)
        return;
    m_journalFailureReported = true;
    MessageBox::show(m_window,
                     QStringLiteral("%1 was saved, but the write journal could not record it: "
                                    "this run's saves can be undone here, not with puckdex-cli "
                                    "later. This is not said again until Puckdex starts anew."
                                    "\n\n%2")
                         .arg(name, error.fullMessage()),
                     MessageStyle::Warning);
}

void SaveHistory::undoPressed()
{
    if (!m_revertShown())
        undoLastSave();
}

void SaveHistory::undoLastSave()
{
    finishStep(writes().undoLastSave(),
               {QStringLiteral("Nothing to undo: no player was saved in this run, or every "
                               "save is undone."),
                QStringLiteral("The last save of %1 was not undone.\n\n%2"),
                QStringLiteral("Undone: the last save of %1.")},
               writes().saves());
}

void SaveHistory::redoLastUndo()
{
    finishStep(writes().redoLastUndo(),
               {QStringLiteral("Nothing to redo."),
                QStringLiteral("The save of %1 was not redone.\n\n%2"),
                QStringLiteral("Redone: the save of %1.")},
               writes().undone());
}

void SaveHistory::finishStep(const std::optional<Result<PlayerWrites::Step, PlayerWriteError>> &step,
                             const StepTexts &texts, const QList<JournalEntry> &waiting)
{
    if (!step) {
        m_status->setText(texts.nothing);
        return;
    }
    if (!*step) {
        // A step refused stays where it was: the newest of those waiting.
        MessageBox::show(m_window,
                         texts.refused.arg(waiting.last().playerName(), step->error().fullMessage()),
                         MessageStyle::Warning);
        return;
    }
    const JournalEntry &entry = (*step)->entry;
    if (!(*step)->journaled)
        reportJournalFailure(entry.playerName(), (*step)->journaled.error());
    emit takenBack(entry);
    m_status->setText(texts.done.arg(entry.playerName()));
    updateActions();
}

void SaveHistory::updateActions()
{
    static const QList<JournalEntry> none;
    const QList<JournalEntry> &saves = m_writes ? m_writes->saves() : none;
    const QList<JournalEntry> &undone = m_writes ? m_writes->undone() : none;
    m_undoSave->setEnabled(!saves.isEmpty());
    m_undoSave->setText(saves.isEmpty()
                            ? QStringLiteral("Undo last save")
                            : QStringLiteral("Undo last save of %1").arg(saves.last().playerName()));
    m_redoSave->setEnabled(!undone.isEmpty());
    m_redoSave->setText(undone.isEmpty()
                            ? QStringLiteral("Redo save")
                            : QStringLiteral("Redo save of %1").arg(undone.last().playerName()));
}

} // namespace Puckdex
