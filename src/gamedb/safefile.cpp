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

    // A failed write of the new copy: the old file was not touched.
    const auto writeFailed = [&](qint64 written, const QString &systemReason) -> Status {
        if (diskFull(folder, content.size() - written))
            return FileError{path, QStringLiteral("the disk is full")};
        const QFileInfo folderInfo(folder);
        if (!folderInfo.isDir())
            return FileError{path, folderGone()};
        if (!folderInfo.isWritable())
            return FileError{path, QStringLiteral("its folder is read-only")};
        return FileError{path, systemReason};
    };

    QTemporaryFile temp(QDir(folder).filePath(QLatin1Char('.') + info.fileName()
                                              + QStringLiteral(".XXXXXX")));
    if (!temp.open())
        return writeFailed(0, temp.errorString());
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
    if (written < limit || !temp.flush())
        return writeFailed(written, temp.errorString());
    if (written != content.size())
        return writeFailed(written, fault && !fault->reason.isEmpty() ? fault->reason
                                                                      : temp.errorString());
    if (!syncToDisk(temp) || (fault && fault->failFileSync))
        return writeFailed(written, QStringLiteral("the copy could not be put on the disk"));

    QByteArray back;
    if (temp.seek(0))
        back = temp.readAll();
    if (fault && fault->badReadBack)
        corrupt(back);
    if (back != content) {
        return FileError{path, QStringLiteral("the new copy did not read back as written, so "
                                              "the old file was kept")};
    }
    temp.close();
    if (temp.error() != QFileDevice::NoError)
        return writeFailed(written, temp.errorString());

    QString reason;
    if (!renameReplacing(temp.fileName(), path, &reason))
        return writeFailed(written, reason);
    temp.setAutoRemove(false);
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
