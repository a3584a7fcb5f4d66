#pragma once

#include "files/fileerror.h"
#include "files/fileset.h"
#include "files/folderidentity.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Puckdex {

// One kept state of a roster's three files, as they were together.
struct BackupGeneration
{
    int number = 0;           // from 1, never given twice in one history
    QDateTime time;           // when its files were last written
    QList<qint64> sizes;      // of the team, key and attribute file
    QList<QByteArray> hashes; // their SHA-256, in hex
};

// The states a roster's backup copies held before the start-up (or an
// import) replaced them, so that the roster as it was is never lost. Kept
// per game folder and file set in a folder beside the write journal, not in
// the game folder. The files are stored once by their hash; a list names
// the generations. The first generation is kept for ever (the roster as the
// program first kept it), of the others the newest KeptNewest. Every file
// goes on the disk through the durable whole-file replacement, the list
// last: a failure leaves the generations kept before as they were.
// Processes that add to one history take turns (filelocks.h).
class BackupHistory
{
public:
    static constexpr int KeptNewest = 20;

    // folder holds the histories (the journal's folder); files is the set.
    BackupHistory(const QString &folder, const FileSet &files);

    QString path() const { return m_path; }
    // The set's file names as the generations carry them: "teams.db" ...
    QStringList names() const { return m_names; }

    // The generations, oldest first; none when nothing was kept yet. A
    // damaged list, or one of another folder or set, fails saying so.
    Result<QList<BackupGeneration>> generations() const;

    // Keeps files (the team, key and attribute file's bytes) as the newest
    // generation, last written at time, unless the newest holds the same
    // bytes already. The generation that holds them.
    Result<BackupGeneration> keep(const QList<QByteArray> &files, const QDateTime &time);

    // A generation by its number or "first"; fails naming what there is.
    Result<BackupGeneration> find(const QString &which) const;

    // The generation's three files, each checked against its size and hash.
    Result<QList<QByteArray>> filesOf(const BackupGeneration &generation) const;

    // Takes over the histories of this folder and file set that older runs
    // kept under another name, when they named the folder as it was spelled
    // (their list names a folder that is this one): their generations and
    // files join this history's, the oldest first generation stays the
    // first, the others in time order (one history alone keeps its
    // numbers), and they go. Done under this history's lock and each one's,
    // waiting up to waitMs for each; one that cannot be read is left as it
    // is. (history/takeover.cpp)
    Status takeOverOthers(int waitMs);

private:
    Result<QList<BackupGeneration>> readList() const;
    QStringList othersOfThisRoster() const;
    Status copyFilesOf(const BackupHistory &other, const QList<BackupGeneration> &generations);
    Status writeList(const QList<BackupGeneration> &generations);
    QString blobPath(const QByteArray &hash) const;
    QString listPath() const;

    QString m_path;
    FolderIdentity m_gameFolder;
    QStringList m_names;
};

// What the start-up's or an import's backup copies came to.
struct BackupOutcome
{
    // The backups it replaced differed from the game files: they are kept
    // as this generation (also when that generation was kept before).
    std::optional<int> keptGeneration;
    // The first backups of the roster could not be kept as its first
    // generation (the copies were made all the same).
    std::optional<FileError> firstNotKept;
};
// Why the backups were not made: the history could not keep the old ones
// (historyFailed, then no backup was touched), or a copy failed.
struct BackupFailure
{
    bool historyFailed = false;
    QString name; // of the game file whose copy failed
    FileError error;
};

// Copies the set's three files to their backup names. Backups there that
// differ from the game files go into the history first; while they cannot,
// they are left as they are. The first backups of a roster are kept in the
// history at once, as its first generation. A backup that holds its game
// file's bytes already is left as it is.
Result<BackupOutcome, BackupFailure> makeBackups(const FileSet &files, BackupHistory &history);

// When the files were last written: the newest of their times.
QDateTime lastWritten(const QStringList &paths);

} // namespace Puckdex
