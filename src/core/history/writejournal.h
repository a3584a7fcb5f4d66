#pragma once

#include "files/fileerror.h"
#include "files/folderidentity.h"
#include "player/recordwrites.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace Puckdex {

class FileLock;

// One write in the journal: one action of the user's (a save of a player,
// an import), with every player it changed.
struct JournalEntry
{
    int seq = 0; // numbers the writes of a journal, from 1
    QDateTime time;
    // What made it, for a write of several players: "import of roster.csv".
    // Empty for a save.
    QString label;
    QList<PlayerChange> players;

    // False for a write that left every record as it was: nothing to record
    // or undo.
    bool changesAnything() const;
    // "Ashard Osanick" for a write of one player; "import of roster.csv:
    // 695 players" for one of several.
    QString playerName() const;
    // The entry of a write that has just succeeded.
    static JournalEntry of(const QString &label, const QList<PlayerChange> &players);
    static JournalEntry of(qint64 offset, bool goalie, const WrittenPlayer &written);
    // Puts the bytes the write replaced back, only where every record still
    // holds what the write left; otherwise nothing is written.
    Result<QList<PlayerChange>, PlayerWriteError> undo(const QString &keyFile,
                                                       const QString &attFile) const;
    // Writes the write's bytes again, only where every record holds what it
    // replaced (after an undo).
    Result<QList<PlayerChange>, PlayerWriteError> redo(const QString &keyFile,
                                                       const QString &attFile) const;
};

// An action a writer began and did not finish (it was killed, or the
// machine stopped): what it was, when, and every record it was to change,
// as it found them and as it was to leave them.
struct UnfinishedAction
{
    QString what; // "an import of roster.csv"
    QDateTime time;
    QList<PlayerChange> changes;
    // A restore's: the backup generation that holds the roster as it was.
    std::optional<int> restoreKept;
    qint64 begunAt = 0; // where its lines start in the journal
};

// A short name that tells one file set's journal and backup history from
// another's in the folder that holds them (their first lines say whose they
// are): from what the game folder is (folderIdentity()), never from how it
// was spelled, so that every spelling of a roster shares them.
QString fileSetId(const FolderIdentity &gameFolder, const QString &keyFile,
                  const QString &attFile);

// The journal of the player writes made to one file set of one game folder:
// a text file of JSON lines kept in the folder of the settings file. The
// first line names the folder and the set's key and attribute files; each
// further line is a write (its number, time, offsets, kind and the four
// records in hex; a write of several players names what made it and lists
// each player's) or the mark that an earlier write was undone. Only the
// newest writes are kept: past Capacity writes, or PlayerCapacity players
// between them, plus a tenth, the oldest go (never the newest).
// Processes that add to one journal take turns (filelocks.h), each holding
// the journal's lock for the whole of one action. What a writer killed in the
// middle of a line leaves (the line without its end) is not a write: it is
// passed over, and cut off by the next addition.
class WriteJournal
{
public:
    static constexpr int Capacity = 1000;
    static constexpr int PlayerCapacity = 5000;

    // folder holds the journals; gameFolder, keyFile and attFile name the
    // set the journal belongs to.
    WriteJournal(const QString &folder, const QString &gameFolder, const QString &keyFile,
                 const QString &attFile);

    QString path() const { return m_path; }

    // The journal's lock, held for the whole of one action: its records
    // written and its entry added (lockForWriting()).
    Result<std::shared_ptr<FileLock>> lock() const;

    // Adds a write and gives it its number; for a write of several players
    // (or one that names what made it) the journal is on the disk when it
    // returns, a save of one player goes with the system's next flush. A journal that cannot be read is left alone and the write
    // not recorded. The file is read again whenever another run may have
    // added writes since this one's last. The first takes the lock itself;
    // the second is called with it held.
    Status append(JournalEntry &entry);
    Status append(JournalEntry &entry, const FileLock &held);
    // Marks earlier writes as undone, in one addition; a write marked already
    // is left so.
    Status markUndone(int seq);
    Status markUndone(const QList<int> &seqs, const FileLock &held);

    // One action in three steps, under the lock: begin() puts on the disk
    // what the action is and what it will overwrite (a write, which gets its
    // number, or the undoing of earlier writes) before its first record is
    // written; finish() marks it done after its last; abandon() takes back
    // what begin() added, for an action that wrote nothing or whose mark of
    // being done could not be added. Until it is done, the action is no
    // write of the journal's, and the next writer that finds it unfinished
    // sets its records back (unfinished()).
    // A restore begins with the generation that holds the roster as it was.
    Status begin(const QString &what, JournalEntry *write, const QList<int> &undone,
                 const FileLock &held, std::optional<int> restoreKept = std::nullopt);
    Status finish(const FileLock &held);
    Status abandon(const FileLock &held);
    // The action a killed writer left unfinished, if any; then its lines
    // taken out once its records are set back.
    Result<std::optional<UnfinishedAction>> unfinished();
    Status dropUnfinished(const UnfinishedAction &action, const FileLock &held);

    // The writes not undone, oldest first; none when there is no journal
    // yet. A damaged journal, or one that belongs to another folder or file
    // set, fails with the line and the reason.
    Result<QList<JournalEntry>> pending() const;

    // Takes over the journals of this folder and file set that older runs
    // kept under another name, when they named the folder as it was spelled
    // (their first line names a folder that is this one): their writes join
    // this journal's in time order, renumbered with their undo marks (one
    // journal alone keeps its numbers), and they go. Done under this
    // journal's lock and each one's, waiting up to waitMs for each; one that
    // cannot be read is left as it is. (history/takeover.cpp)
    Status takeOverOthers(int waitMs);

    // The folder of the settings file (settingsFilePath()), where the
    // journals, the backup histories and the folder locks lie.
    static QString defaultFolder();

private:
    struct Contents
    {
        QList<JournalEntry> writes;
        QList<QByteArray> lines; // each write's line as read
        QList<int> undone;
        int lastSeq = 0;
        qint64 complete = 0; // the bytes up to the end of its last whole line
        std::optional<UnfinishedAction> unfinished;
    };
    Result<Contents> read() const;
    // The lines after the first, into contents, or the first damaged one.
    Status readLines(const QList<QByteArray> &lines, Contents &contents) const;
    FileError damagedLine(qsizetype line, const QString &why) const;
    // Reads the journal again when another run may have added to it since
    // this one's last addition; known holds what was read, if it was.
    Result<qint64> knownEnd(std::optional<Contents> &known);
    void noteWritten(const JournalEntry &entry);
    void noteFileState();
    Status truncateTo(qint64 at);
    Status cutBack(std::optional<Contents> &known, const QByteArray &line, const JournalEntry &entry);
    Status appendLines(const QByteArray &lines, qint64 complete, bool durable);
    Status rewrite(const Contents &contents);
    QByteArray headerLine() const;
    QStringList othersOfThisRoster() const;
    QByteArray mergedLines(const QList<Contents> &parts) const;

    QString m_path;
    FolderIdentity m_gameFolder;
    QString m_keyName;
    QString m_attName;
    // What this journal's last append left: while the file keeps that size
    // and time, nobody else has written to it and it need not be read again.
    qint64 m_knownSize = -1;
    QDateTime m_knownTime;
    int m_knownLastSeq = 0;
    qsizetype m_knownWrites = 0;
    qsizetype m_knownPlayers = 0;
    // The action begun and not yet finished: where its lines start, its
    // write and that write's line.
    struct Begun
    {
        qint64 at = 0;
        std::optional<JournalEntry> write;
        QByteArray line;
        std::optional<Contents> known;
    };
    std::optional<Begun> m_begun;
};

} // namespace Puckdex
