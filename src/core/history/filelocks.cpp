#include "history/filelocks.h"

#include "files/safefile.h"
#include "history/writejournal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace Puckdex {

namespace {

// Long enough for another process's append or whole-file replacement.
constexpr int kWriterWaitMs = 10000;

std::shared_ptr<QLockFile> lockFileFor(const QString &lockPath, FileError &error)
{
    if (!QDir().mkpath(QFileInfo(lockPath).absolutePath())) {
        error = FileError{lockPath, QStringLiteral("its folder could not be made")};
        return nullptr;
    }
    auto lock = std::make_shared<QLockFile>(lockPath);
    // Writers hold it for a moment and the window for a whole run; a lock
    // is never old enough to be taken from a process that is still alive.
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

Result<std::shared_ptr<QLockFile>> lockForWriting(const QString &path)
{
    const QString lockPath = path + QStringLiteral(".lock");
    FileError error;
    std::shared_ptr<QLockFile> lock = lockFileFor(lockPath, error);
    if (!lock)
        return error;
    if (lock->tryLock(kWriterWaitMs))
        return lock;
    if (lock->error() == QLockFile::LockFailedError)
        return FileError{path, QStringLiteral("another program has been writing to it for %1 "
                                              "seconds; try again when it is done")
                                   .arg(kWriterWaitMs / 1000)};
    return SafeFile::creationFailure(lockPath, QStringLiteral("the lock file could not be made"));
}

Result<std::shared_ptr<QLockFile>> claimFolder(const QString &lockFolder, const QString &gameFolder)
{
    const QString folder = canonicalGameFolder(gameFolder);
    const QByteArray id = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1);
    const QString lockPath = QDir(lockFolder)
                                 .filePath(QStringLiteral("puckdex-open-%1.lock")
                                               .arg(QString::fromLatin1(id.toHex().left(12))));
    FileError error;
    std::shared_ptr<QLockFile> lock = lockFileFor(lockPath, error);
    if (!lock)
        return error;
    if (lock->tryLock(0))
        return lock;
    qint64 pid = 0;
    QString host, program;
    if (lock->error() == QLockFile::LockFailedError && lock->getLockInfo(&pid, &host, &program)) {
        // The window's process is named "puckdex" (or "puckdex.exe").
        if (program.isEmpty() || program.startsWith(QStringLiteral("puckdex."))
            || program == QStringLiteral("puckdex"))
            program = QStringLiteral("Puckdex");
        return FileError{folder, QStringLiteral("%1 (process %2) has this folder open; close it "
                                                "first")
                                     .arg(program)
                                     .arg(pid)};
    }
    return SafeFile::creationFailure(lockPath, QStringLiteral("the lock file could not be made"));
}

} // namespace Puckdex
