#pragma once

#include "files/fileerror.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace Puckdex {

// Locks between processes: the window and puckdex-cli (or two runs of it)
// share the write journal, the backup history and the game folders, and one
// window runs per user. Each lock is the system's lock on a small file (see
// tryLockFile()): it ends with the process that holds it, however that
// process ends, so a crash or a kill never leaves a lock that stalls the next
// run. While it is held the file names the process that holds it.

// A lock this process holds, until it is destroyed.
class FileLock
{
public:
    FileLock(const QString &path, qintptr handle);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    QString path() const { return m_path; }

private:
    QString m_path;
    qintptr m_handle;
};

// Who holds a lock, as far as is known: the holder writes its process and
// program into the lock file once it has the lock; where that is not there
// yet, the system may tell the process (Linux).
struct LockHolder
{
    qint64 pid = 0; // 0: not known
    QString program;

    // "puckdex-cli (process 4242)"; "another program" when nothing is known.
    QString describe() const;
};

// Why a lock was not taken: held by another process (holder), or the lock
// file could not be made or opened (error).
struct LockRefusal
{
    bool held = false;
    LockHolder holder;
    FileError error;
};

// Takes the lock on the file at lockPath (made when missing, with its
// folder), waiting up to waitMs for another holder to let it go.
Result<std::shared_ptr<FileLock>, LockRefusal> takeLock(const QString &lockPath, int waitMs);

// How long a writer waits for another one: long enough for another
// process's whole import or whole-file replacement.
inline constexpr int kWriterWaitMs = 10000;

// Held while this process writes a file that others write too: a lock file
// named after it, beside it. Waits waitMs for another writer, then fails
// naming it.
Result<std::shared_ptr<FileLock>> lockForWriting(const QString &path,
                                                 int waitMs = kWriterWaitMs);

// Held by the window while it has a roster of gameFolder open, and by a
// restore while it replaces the roster's files: a restore refuses while
// the window holds it. The lock file lies in lockFolder (the journal's),
// named by what the folder is (folderIdentity()), not how it is spelled.
// Fails when another holds it (after the moment someone who only looks may
// hold it); the error then names the game folder and the process that holds
// it, or the lock file that could not be made.
Result<std::shared_ptr<FileLock>> claimFolder(const QString &lockFolder,
                                              const QString &gameFolder);

// Who holds the window's claim on gameFolder (any spelling of it), without
// keeping it: the claim is tried without waiting and let go at once. None
// when no one holds it, or when its lock file cannot even be made (then no
// window holds it either). The holder's program is said as "Puckdex".
std::optional<LockHolder> folderClaimHolder(const QString &lockFolder,
                                            const QString &gameFolder);

// For tests: called with the lock file's path once a lock is taken and
// before its holder is written into it. An empty hook removes it.
void setLockTakenHook(std::function<void(const QString &lockPath)> hook);

} // namespace Puckdex
