#include "gamedb/safefile.h"

#include "gamedb/platformsync.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>

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
    return FileError{path, systemReason};
}

// Writes content into a new hidden file beside path with the old file's
// permissions, puts it on the disk and reads it back: the new file's name,
// or why not (and then it is gone). Its handle is closed on return, since
// Windows renames no file that is still open, and QTemporaryFile::close()
// keeps it open.
Result<QString> writeNewCopy(const QString &path, const QByteArray &content,
                             const std::optional<WriteFault> &fault)
{
    const QFileInfo info(path);
    QTemporaryFile temp(QDir(info.absolutePath())
                            .filePath(QLatin1Char('.') + info.fileName()
                                      + QStringLiteral(".XXXXXX")));
    if (!temp.open())
        return writeFailed(path, content.size(), temp.errorString());
    const QFileDevice::Permissions kept =
        info.exists() ? info.permissions()
                      : QFileDevice::ReadOwner | QFileDevice::WriteOwner
                            | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    temp.setPermissions(kept);

    const qint64 limit = fault && fault->failAfterBytes >= 0
                             ? qMin<qint64>(fault->failAfterBytes, content.size())
                             : content.size();
    qint64 written = 0;
    while (written < limit) {
        const qint64 n = temp.write(content.constData() + written, limit - written);
        if (n <= 0)
            break;
        written += n;
    }
    const qint64 stillNeeded = content.size() - written;
    if (written < limit || !temp.flush())
        return writeFailed(path, stillNeeded, temp.errorString());
    if (written != content.size()) {
        return writeFailed(path, stillNeeded, fault && !fault->reason.isEmpty()
                                                  ? fault->reason
                                                  : temp.errorString());
    }
    if (!syncToDisk(temp) || (fault && fault->failFileSync))
        return writeFailed(path, 0, QStringLiteral("the copy could not be put on the disk"));

    QByteArray back;
    if (temp.seek(0))
        back = temp.readAll();
    if (fault && fault->badReadBack)
        corrupt(back);
    if (back != content) {
        return FileError{path, QStringLiteral("the new copy did not read back as written, so "
                                              "the old file was kept")};
    }
    const QString name = temp.fileName();
    temp.setAutoRemove(false);
    return name;
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
    else if (!systemReason.isEmpty())
        reason = systemReason;
    else
        reason = QStringLiteral("the system gave no reason");
    return {path, reason};
}

FileError failure(const QString &path, const QFileDevice &device, bool writing)
{
    return failure(path, device.errorString(), writing);
}

Status replace(const QString &requestedPath, const QByteArray &content)
{
    // A link is followed: the file it points to is the one replaced.
    const QFileInfo requested(requestedPath);
    const QString path = requested.isSymLink() ? requested.symLinkTarget() : requestedPath;
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const std::optional<WriteFault> fault = faultFor(path, 0);
    if (info.isDir())
        return FileError{path, QStringLiteral("is a folder, not a file")};
    if (!QFileInfo(folder).isDir())
        return FileError{path, folderGone()};
    if (isMarkedReadOnly(path) || (fault && fault->readOnly))
        return FileError{path, QStringLiteral("the file is read-only")};

    const Result<QString> copy = writeNewCopy(path, content, fault);
    if (!copy)
        return copy.error();
    QString reason;
    if (!renameReplacing(*copy, path, &reason)) {
        QFile::remove(*copy);
        return writeFailed(path, 0, reason);
    }
    if (!syncFolder(folder) || (fault && fault->failFolderSync)) {
        return FileError{path, QStringLiteral("the new file is in place, but its folder could not "
                                              "be put on the disk")};
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
