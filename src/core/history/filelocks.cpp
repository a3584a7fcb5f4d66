#include "history/filelocks.h"

#include "files/folderidentity.h"
#include "files/platformsync.h"
#include "files/safefile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

namespace Puckdex {

namespace {

// How often a waiting writer tries again.
constexpr int kRetryMs = 20;

std::function<void(const QString &)> &lockTakenHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

// What the holder writes into its lock file: its process, program and
// machine, a line each.
QByteArray ownerText()
{
    const QString program = QCoreApplication::instance()
                                ? QFileInfo(QCoreApplication::applicationFilePath()).fileName()
                                : QString();
    return QByteArray::number(QCoreApplication::applicationPid()) + '\n' + program.toUtf8() + '\n'
           + QSysInfo::machineHostName().toUtf8() + '\n';
}

// Who holds the lock on lockPath: the system's word for the process where it
// has one, the lock file's for the program.
LockHolder holderOf(const QString &lockPath)
{
    LockHolder holder;
    const QList<QByteArray> lines = readLockFile(lockPath).split('\n');
    const qint64 written = lines.value(0).toLongLong();
    const qint64 system = lockHolder(lockPath);
    holder.pid = system ? system : written;
    if (holder.pid && holder.pid == written)
        holder.program = QString::fromUtf8(lines.value(1)).trimmed();
    else
        holder.program = processName(holder.pid);
    return holder;
}

} // namespace

FileLock::FileLock(const QString &path, qintptr handle) : m_path(path), m_handle(handle) {}

FileLock::~FileLock()
{
    closeLockedFile(m_handle, m_path);
}

QString LockHolder::describe() const
{
    if (!pid)
        return program.isEmpty() ? QStringLiteral("another program") : program;
    if (program.isEmpty())
        return QStringLiteral("another program (process %1)").arg(pid);
    return QStringLiteral("%1 (process %2)").arg(program).arg(pid);
}

Result<std::shared_ptr<FileLock>, LockRefusal> takeLock(const QString &lockPath, int waitMs)
{
    if (!QDir().mkpath(QFileInfo(lockPath).absolutePath()))
        return LockRefusal{false, {}, {lockPath, QStringLiteral("its folder could not be made")}};
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        qintptr handle = -1;
        QString reason;
        switch (tryLockFile(lockPath, &handle, &reason)) {
        case LockAttempt::Taken: {
            auto lock = std::make_shared<FileLock>(lockPath, handle);
            if (lockTakenHook())
                lockTakenHook()(lockPath);
            // Only a message about the holder needs it: a lock whose owner
            // could not be written still holds.
            rewriteLockedFile(handle, ownerText());
            return lock;
        }
        case LockAttempt::Failed:
            return LockRefusal{false, {},
                               SafeFile::creationFailure(lockPath,
                                                         QStringLiteral("the lock file could not "
                                                                        "be made: %1")
                                                             .arg(reason))};
        case LockAttempt::HeldElsewhere:
            if (waited.elapsed() >= waitMs)
                return LockRefusal{true, holderOf(lockPath), {}};
            QThread::msleep(kRetryMs);
        }
    }
}

Result<std::shared_ptr<FileLock>> lockForWriting(const QString &path, int waitMs)
{
    const auto lock = takeLock(path + QStringLiteral(".lock"), waitMs);
    if (lock)
        return *lock;
    const LockRefusal &refusal = lock.error();
    if (!refusal.held)
        return refusal.error;
    return FileError{path, QStringLiteral("%1 has been writing to it for %2 seconds; try again "
                                          "when it is done")
                               .arg(refusal.holder.describe())
                               .arg(waitMs / 1000)};
}

namespace {

// The window's claim on gameFolder: a lock file in lockFolder named by what
// the folder is, so that every spelling of it claims the same.
QString claimPath(const QString &lockFolder, const FolderIdentity &gameFolder)
{
    const QByteArray id = QCryptographicHash::hash(gameFolder.key.toUtf8(),
                                                   QCryptographicHash::Sha1);
    return QDir(lockFolder).filePath(
        QStringLiteral("puckdex-open-%1.lock").arg(QString::fromLatin1(id.toHex().left(12))));
}

// The holder of a claim is the window: its process is named "puckdex" (or
// "puckdex.exe"), and is called Puckdex.
LockHolder asWindow(LockHolder holder)
{
    if (holder.program.isEmpty() || holder.program.startsWith(QStringLiteral("puckdex."))
        || holder.program == QStringLiteral("puckdex"))
        holder.program = QStringLiteral("Puckdex");
    return holder;
}

// How long a claim waits for a holder: only as long as someone who looks
// who holds it (folderClaimHolder()) keeps it, never for a window.
constexpr int kClaimWaitMs = 500;

} // namespace

Result<std::shared_ptr<FileLock>> claimFolder(const QString &lockFolder, const QString &gameFolder)
{
    const FolderIdentity folder = folderIdentity(gameFolder);
    const auto lock = takeLock(claimPath(lockFolder, folder), kClaimWaitMs);
    if (lock)
        return *lock;
    if (!lock.error().held)
        return lock.error().error;
    return FileError{QDir::toNativeSeparators(folder.path),
                     QStringLiteral("%1 has this folder open; close it first")
                         .arg(asWindow(lock.error().holder).describe())};
}

std::optional<LockHolder> folderClaimHolder(const QString &lockFolder, const QString &gameFolder)
{
    if (!QFileInfo(lockFolder).isDir())
        return std::nullopt;
    const QString lockPath = claimPath(lockFolder, folderIdentity(gameFolder));
    qintptr handle = -1;
    QString reason;
    switch (tryLockFile(lockPath, &handle, &reason)) {
    case LockAttempt::Taken:
        closeLockedFile(handle, lockPath);
        return std::nullopt;
    case LockAttempt::Failed:
        return std::nullopt;
    case LockAttempt::HeldElsewhere:
        break;
    }
    return asWindow(holderOf(lockPath));
}

void setLockTakenHook(std::function<void(const QString &lockPath)> hook)
{
    lockTakenHook() = std::move(hook);
}

} // namespace Puckdex
