#include "files/platformsync.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>

#if defined(Q_OS_WIN)
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Puckdex {

bool syncToDisk(QFileDevice &file)
{
    if (!file.flush())
        return false;
    const int fd = file.handle();
    if (fd < 0)
        return false;
#if defined(Q_OS_WIN)
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
#else
    return ::fsync(fd) == 0;
#endif
}

bool syncFolder(const QString &folder)
{
#if defined(Q_OS_WIN)
    // MoveFileEx with MOVEFILE_WRITE_THROUGH has put the entry on the disk.
    Q_UNUSED(folder);
    return true;
#else
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    ::close(fd);
    return synced;
#endif
}

#if defined(Q_OS_WIN)
// A path the wide-character API takes beyond 260 characters: absolute, with
// backslashes, behind \\?\ (\\?\UNC\ for a share). Qt's own file calls do
// the same.
static QString extendedLengthPath(const QString &path)
{
    const QString native =
        QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.startsWith(QLatin1String("\\\\?\\")))
        return native;
    if (native.startsWith(QLatin1String("\\\\")))
        return QStringLiteral("\\\\?\\UNC\\") + native.mid(2);
    return QStringLiteral("\\\\?\\") + native;
}
#endif

bool renameReplacing(const QString &from, const QString &to, QString *reason)
{
#if defined(Q_OS_WIN)
    const QString source = extendedLengthPath(from);
    const QString target = extendedLengthPath(to);
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(source.utf16()),
                    reinterpret_cast<LPCWSTR>(target.utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    if (reason)
        *reason = qt_error_string(int(GetLastError()));
    return false;
#else
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (reason)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
#endif
}

void useBinaryStandardOutput()
{
#if defined(Q_OS_WIN)
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

} // namespace Puckdex
