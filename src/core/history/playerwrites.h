#pragma once

#include "files/fileerror.h"
#include "files/fileset.h"
#include "history/backuphistory.h"
#include "history/writejournal.h"
#include "player/recordwrites.h"

#include <QList>
#include <QString>

#include <optional>

namespace Puckdex {

// The writes of players to one roster, as every front end makes them: the
// backups before the first change, players' fields written to their records
// as given (the editor's rules are the draft's; a write refuses only a name
// the records cannot hold, or records that cannot be read or written), each write that changed anything recorded in the write
// journal, and writes taken back and made again. Each is one transaction:
// the journal's lock is taken once, every record is written with each file
// put on the disk once, and the journal entry follows the records.
class PlayerWrites
{
public:
    // folder holds the journals and the backup histories (the settings
    // file's folder); files is the roster written.
    PlayerWrites(const QString &folder, const FileSet &files);

    const FileSet &files() const { return m_files; }

    // Keeps the outgoing backups as a generation and copies the game files
    // over them (makeBackups()).
    Result<BackupOutcome, BackupFailure> makeBackups() const;

    // A write done: the records it left, its journal entry, and whether the
    // journal recorded it. A journal that cannot be written (or whose lock
    // cannot be had) never stops a write; the front end says so.
    struct Done
    {
        WrittenPlayer written;
        JournalEntry entry;
        Status journaled;
    };
    // Writes his fields (writePlayerFields()). A write that changed anything
    // joins this run's saves and makes the undone ones unredoable.
    Result<Done, PlayerWriteError> save(qint64 offset, bool goalie, const PlayerFields &fields);

    // Writes several players' fields as one write (writePlayersFields()),
    // one entry in the journal that label names ("import of roster.csv"),
    // taken back whole.
    struct Saved
    {
        JournalEntry entry;
        Status journaled;
    };
    Result<Saved, PlayerWriteError> saveAll(const QList<FieldsWrite> &writes,
                                            const QString &label);

    // A write taken back or made again; journaled tells whether the journal
    // followed.
    struct Step
    {
        JournalEntry entry;
        Status journaled;
    };
    // Puts back what the write replaced, where every one of its records
    // still holds what it left, and marks it undone in the journal. The
    // write may be one of this run's saves or one the journal holds from an
    // earlier run (taken as a copy: the undo moves it from the saves to the
    // undone).
    Result<Step, PlayerWriteError> undo(JournalEntry entry);
    // The newest writes taken back as one write, newest first: those before
    // the first that cannot be (the refusal says why). The journal marks
    // them undone in one addition.
    struct Steps
    {
        QList<JournalEntry> undone;
        Status journaled;
        std::optional<std::pair<JournalEntry, PlayerWriteError>> refused;
    };
    Steps undoNewest(const QList<JournalEntry> &newestFirst);
    // This run's newest save taken back, and the newest undo made again (a
    // new write of its own in the journal). Nothing when there is none.
    std::optional<Result<Step, PlayerWriteError>> undoLastSave();
    std::optional<Result<Step, PlayerWriteError>> redoLastUndo();

    // This run's saves not undone, and its undos not redone; oldest first.
    const QList<JournalEntry> &saves() const { return m_saves; }
    const QList<JournalEntry> &undone() const { return m_undone; }

    // The journal's writes not undone, of every run (WriteJournal::pending()).
    Result<QList<JournalEntry>> pending();
    QString journalPath();

private:
    WriteJournal &journal();
    // The journal's lock for one action, taken before its records are
    // written. The journal's folder is made only once there is a write to
    // record (it may be the game folder, and gone): until then, no lock.
    using HeldLock = std::optional<Result<std::shared_ptr<FileLock>>>;
    HeldLock lockJournal();
    // Adds entry under held (taken now if it was not), or says why the
    // journal could not record it.
    Status record(JournalEntry &entry, HeldLock &held);
    void forget(const JournalEntry &entry);

    QString m_folder;
    FileSet m_files;
    std::optional<WriteJournal> m_journal; // found at its first use
    QList<JournalEntry> m_saves;
    QList<JournalEntry> m_undone;
};

} // namespace Puckdex
