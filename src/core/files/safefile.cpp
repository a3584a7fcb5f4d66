#include "files/safefile.h"

#include "files/platformsync.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStorageInfo>

namespace Puckdex::SafeFile {

namespace {

// Less room than this left on the file system after a failed write, and the
// write failed for want of room.
constexpr qint64 kFullDiskMargin = 16 * 1024;

bool diskFull(const QString &folder, qint64 stillNeeded)
{
    const QStorageInfo storage(folder);
    if (!storage.isValid())
        return false;
    const qint64 available = storage.bytesAvailable();
    return available >= 0 && (available < kFullDiskMargin || available < stillNeeded);
}

WriteFaultHook &faultHook()
{
    static WriteFaultHook hook;
    return hook;
}

// What a device that gives back other bytes than it took would return.
void corrupt(QByteArray &bytes)
{
    if (bytes.isEmpty())
        bytes.append('\0');
    else
        bytes[0] = char(~bytes.at(0));
}

QString folderGone()
{
    return QStringLiteral("its folder was removed");
}

// A failed write of the new copy: the old file was not touched.
FileError writeFailed(const QString &path, qint64 stillNeeded, const QString &systemReason)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (diskFull(folder, stillNeeded))
        return FileError{path, QStringLiteral("the disk is full")};
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir())
        return FileError{path, folderGone()};
    if (!folderInfo.isWritable())
        return FileError{path, QStringLiteral("its folder is read-only")};
    if (heldByAnotherProgram(path, true))
        return FileError{path, heldFileReason()};
    return FileError{path, systemReason};
}

// The permissions a file carries, without Qt's "User" bits: they say what
// this process may do with it, and setting them would set the owner's bits.
QFileDevice::Permissions carried(QFileDevice::Permissions permissions)
{
    return permissions & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

// Creates a new hidden file beside path under a name no file has, open for
// writing and reading, the way the system creates any new file (on Unix
// 0666 less the umask; QTemporaryFile would make it 0600). Why not, when it
// could not.
std::optional<QString> createNewCopy(QFile &copy, const QString &path)
{
    constexpr int kAttempts = 100;
    constexpr QLatin1StringView kLetters("abcdefghijklmnopqrstuvwxyz0123456789");
    const QFileInfo info(path);
    const QDir folder(info.absolutePath());
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        QString name = QLatin1Char('.') + info.fileName() + QLatin1Char('.');
        for (int i = 0; i < 6; ++i)
            name += kLetters.at(QRandomGenerator::global()->bounded(int(kLetters.size())));
        copy.setFileName(folder.filePath(name));
        if (copy.open(QIODevice::ReadWrite | QIODevice::NewOnly))
            return std::nullopt;
        const QFileInfo taken(copy.fileName());
        if (!taken.exists() && !taken.isSymbolicLink())
            return copy.errorString();
    }
    return QStringLiteral("no free name was found for the new copy");
}

// Writes content into a new hidden file beside path with the old file's
// permissions, puts it on the disk and reads it back: the new file's name,
// or why not (and then it is gone). Its handle is closed on return, since
// Windows renames no file that is still open.
Result<QString> writeNewCopy(const QString &path, const QByteArray &content,
                             const std::optional<WriteFault> &fault)
{
    QFile copy;
    if (const std::optional<QString> why = createNewCopy(copy, path))
        return writeFailed(path, content.size(), *why);
    // Closed first, and removed even when closing fails (its unwritten bytes
    // finding no room), which QFile::remove() would not do.
    auto removeCopy = qScopeGuard([&copy] {
        copy.close();
        QFile::remove(copy.fileName());
    });
    // Whoever could read the old file (another user, the game's own
    // account) can read the new one.
    const QFileInfo old(path);
    if (old.exists()) {
        const QFileDevice::Permissions kept = carried(old.permissions());
        if (carried(copy.permissions()) != kept && !copy.setPermissions(kept))
            return writeFailed(path, 0, copy.errorString());
    }

    const qint64 limit = fault && fault->failAfterBytes >= 0
                             ? qMin<qint64>(fault->failAfterBytes, content.size())
                             : content.size();
    qint64 written = 0;
    while (written < limit) {
        const qint64 n = copy.write(content.constData() + written, limit - written);
        if (n <= 0)
            break;
        written += n;
    }
    const qint64 stillNeeded = content.size() - written;
    if (written < limit || !copy.flush())
        return writeFailed(path, stillNeeded, copy.errorString());
    if (written != content.size()) {
        return writeFailed(path, stillNeeded, fault && !fault->reason.isEmpty()
                                                  ? fault->reason
                                                  : copy.errorString());
    }
    if (!syncToDisk(copy) || (fault && fault->failFileSync))
        return writeFailed(path, 0, QStringLiteral("the copy could not be put on the disk"));

    QByteArray back;
    if (copy.seek(0))
        back = copy.readAll();
    if (fault && fault->badReadBack)
        corrupt(back);
    if (back != content) {
        return FileError{path, QStringLiteral("the new copy did not read back as written, so "
                                              "the old file was kept")};
    }
    copy.close();
    removeCopy.dismiss();
    return copy.fileName();
}

// Where path leads in the end: each link followed to what it names, which
// need not exist yet. A chain longer than the system itself follows is
// taken for a loop.
Result<QString> followLinks(const QString &path)
{
    constexpr int kMostLinks = 40;
    QString current = path;
    for (int hops = 0; hops < kMostLinks; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymbolicLink())
            return current;
        current = info.symLinkTarget();
    }
    return FileError{path, QStringLiteral("its links lead round in a loop")};
}

} // namespace

bool isMarkedReadOnly(const QString &path)
{
    const QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return QFileInfo::exists(path) && !(QFile::permissions(path) & anyWrite);
}

FileError failure(const QString &path, const QString &systemReason, bool writing)
{
    const QFileInfo info(path);
    QString reason;
    if (info.isDir())
        reason = QStringLiteral("is a folder, not a file");
    else if (!QFileInfo(info.absolutePath()).isDir())
        reason = folderGone();
    else if (!info.exists())
        reason = QStringLiteral("the file was removed");
    else if (writing && isMarkedReadOnly(path))
        reason = QStringLiteral("the file is read-only");
    else if (writing && diskFull(info.absolutePath(), 0))
        reason = QStringLiteral("the disk is full");
    else if (heldByAnotherProgram(path, writing))
        reason = heldFileReason();
    else if (!systemReason.isEmpty())
        reason = systemReason;
    else
        reason = QStringLiteral("the system gave no reason");
    return {path, reason};
}

QString heldFileReason()
{
    return QStringLiteral("it is open in another program (DOSBox or a spreadsheet?). Close it "
                          "there and try again");
}

FileError creationFailure(const QString &path, const QString &systemReason)
{
    return writeFailed(path, 0, systemReason);
}

FileError failure(const QString &path, const QFileDevice &device, bool writing)
{
    return failure(path, device.errorString(), writing);
}

Status replace(const QString &requestedPath, const QByteArray &content, bool syncTheFolder)
{
    // A link stays a link: the file it leads to is the one replaced.
    const Result<QString> followed = followLinks(requestedPath);
    if (!followed)
        return followed.error();
    const QString &path = *followed;
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const std::optional<WriteFault> fault = faultFor(path, 0);
    if (info.isDir())
        return FileError{path, QStringLiteral("is a folder, not a file")};
    if (!QFileInfo(folder).isDir() && path == requestedPath)
        return FileError{path, folderGone()};
    if (!QFileInfo(folder).isDir()) {
        const QString target = QDir::toNativeSeparators(path);
        return FileError{requestedPath,
                         QStringLiteral("it links to %1, whose folder does not exist").arg(target)};
    }
    if (isMarkedReadOnly(path) || (fault && fault->readOnly))
        return FileError{path, QStringLiteral("the file is read-only")};
    if (fault && fault->held)
        return FileError{path, heldFileReason()};

    const Result<QString> copy = writeNewCopy(path, content, fault);
    if (!copy)
        return copy.error();
    QString reason;
    if (!renameReplacing(*copy, path, &reason)) {
        QFile::remove(*copy);
        return writeFailed(path, 0, reason);
    }
    if (syncTheFolder && (!syncFolder(folder) || (fault && fault->failFolderSync))) {
        return FileError{path, QStringLiteral("the new file is in place, but its folder could not "
                                              "be put on the disk")};
    }
    return {};
}

Status putFolderOnDisk(const QString &path)
{
    const std::optional<WriteFault> fault = faultFor(path, 0);
    if (!syncFolder(QFileInfo(path).absolutePath()) || (fault && fault->failFolderSync)) {
        return FileError{path, QStringLiteral("the new files are in place, but their folder could "
                                              "not be put on the disk")};
    }
    return {};
}

void setWriteFaultHook(WriteFaultHook hook)
{
    faultHook() = std::move(hook);
}

std::optional<WriteFault> faultFor(const QString &path, qint64 offset)
{
    return faultHook() ? faultHook()(path, offset) : std::nullopt;
}

void simulateBadReadBack(QByteArray &bytes)
{
    corrupt(bytes);
}

} // namespace Puckdex::SafeFile
