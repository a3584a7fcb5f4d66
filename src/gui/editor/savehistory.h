#pragma once

#include "history/playerwrites.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QListWidget;
class QWidget;

namespace Puckdex {

struct ProgramState;

// The editor's saves of this run, and taking them back: each player written
// through PlayerWrites (and so the write journal), Ctrl+Z and Ctrl+Y (and
// the player list's menu) undoing the newest save and redoing the newest
// undo. Ctrl+Z first asks the window to set the shown player's fields back
// as he was loaded (so does Esc in the player list); only when there is
// nothing to set back does it undo a save. A text box takes the keys for its
// own typing first.
class SaveHistory : public QObject
{
    Q_OBJECT

public:
    // folder holds the journals (the settings file's); revertShown sets the
    // shown player's fields back, false when there was nothing to.
    SaveHistory(QWidget *window, QListWidget *players, QLabel *status, ProgramState &state,
                QString folder, std::function<bool()> revertShown);

    // Writes a player's fields; a write that changed anything joins the
    // saves, said on the status line.
    Result<PlayerWrites::Done, PlayerWriteError> save(const FieldsWrite &write);

    // The run's writes to the roster, which the roster table makes too; the
    // undo and redo actions follow what it made (historyChanged()).
    PlayerWrites &writes();
    void historyChanged() { updateActions(); }

signals:
    // A save was undone or redone: the files hold what entry wrote back.
    void takenBack(const JournalEntry &entry);

private:
    void undoPressed();
    void undoLastSave();
    void redoLastUndo();
    // What a step says: that there was none, that it was refused (%1 the
    // player, %2 why), that it was done (%1 the player).
    struct StepTexts
    {
        QString nothing;
        QString refused;
        QString done;
    };
    // Says how a step ended; waiting holds the steps of its kind still to
    // take (the saves for an undo, the undos for a redo).
    void finishStep(const std::optional<Result<PlayerWrites::Step, PlayerWriteError>> &step,
                    const StepTexts &texts, const QList<JournalEntry> &waiting);
    void updateActions();
    void reportJournalFailure(const QString &name, const FileError &error);

    QWidget *m_window;
    QLabel *m_status;
    ProgramState &m_state;
    QString m_folder;
    std::function<bool()> m_revertShown;
    std::unique_ptr<PlayerWrites> m_writes; // made at the first save
    bool m_journalFailureReported = false;
    QAction *m_undoSave = nullptr;
    QAction *m_redoSave = nullptr;
};

} // namespace Puckdex
