#pragma once

#include "files/fileerror.h"
#include "files/fileset.h"
#include "history/backuphistory.h"
#include "history/writejournal.h"
#include "player/recordwrites.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

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
    // over them (makeBackups()), holding the writers' lock meanwhile so that
    // no write of another's is copied half done.
    Result<BackupOutcome, BackupFailure> makeBackups();

    // An action that a writer of this roster began and did not finish (it
    // was killed, the machine stopped), set back: each of its records that
    // holds what the action was to write gets what it held before again.
    // Done first by every program that opens the roster, and by every action
    // that finds one; the hidden copies a killed writer of ours left in the
    // game folder go too.
    struct Recovered
    {
        QString what; // "an import of season.csv"
        QDateTime time;
        int setBack = 0; // players whose records were set back
        // Players whose records held neither the old bytes nor the new:
        // left as they are.
        QStringList leftAlone;
        // "An import of season.csv was interrupted at 14:02; the roster was
        // set back as it was before it."
        QString text() const;
    };
    Result<std::optional<Recovered>, PlayerWriteError> recover();
    // What an action of this run found and set back, once.
    std::optional<Recovered> takeRecovered() { return std::exchange(m_recovered, {}); }

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
    // joins this run's saves and makes the undone ones unredoable. Refused,
    // writing nothing, when his records no longer hold what write says they
    // were read as.
    Result<Done, PlayerWriteError> save(const FieldsWrite &write);
    Result<Done, PlayerWriteError> save(qint64 offset, bool goalie, const PlayerFields &fields)
    {
        return save(FieldsWrite{offset, goalie, fields, {}, {}});
    }

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
    // The lock for an action about to begin: taken now (its folder made) if
    // it was not; any action left unfinished is set back under it first.
    void lockForAction(HeldLock &held);
    Result<std::optional<Recovered>, PlayerWriteError> recoverUnder(const FileLock &held);
    void removeStrayCopies();
    // The game files put back as a kept backup generation holds them.
    Status restoreKept(int generation);
    // One action: what it will write recorded as begun, the changes
    // written, the action marked done. journaled says whether the journal
    // followed; a journal that cannot be written never stops the write.
    Result<QList<PlayerChange>, PlayerWriteError>
    perform(const QString &what, JournalEntry *write, const QList<int> &undone,
            const QList<PlayerChange> &changes, HeldLock &held, Status &journaled);
    void forget(const JournalEntry &entry);

    QString m_folder;
    FileSet m_files;
    std::optional<WriteJournal> m_journal; // found at its first use
    QList<JournalEntry> m_saves;
    QList<JournalEntry> m_undone;
    std::optional<Recovered> m_recovered;
};

} // namespace Puckdex
