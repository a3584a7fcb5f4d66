#include "files/platformsync.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>

#include <algorithm>

#if defined(Q_OS_WIN)
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/sysmacros.h>
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

#if defined(Q_OS_WIN)

// The lock covers one byte far beyond what a lock file holds, so that others
// can still read the owner written at its start.
static OVERLAPPED lockedRange()
{
    OVERLAPPED range{};
    range.OffsetHigh = 1;
    return range;
}

// Every opening of a lock file shares it wholly, and the file goes when its
// last opening is closed: also when its holder is killed, and never while
// another process has it open, so a lock is never taken on a file that is
// about to go.
// The handle is not inheritable: a child process started meanwhile would
// otherwise keep the file open, and so its lock file delete-pending, after
// the holder closed it.
static HANDLE openLockFile(const QString &path, DWORD access, DWORD disposition, DWORD flags)
{
    const QString native = extendedLengthPath(path);
    SECURITY_ATTRIBUTES notInherited{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    return CreateFileW(reinterpret_cast<LPCWSTR>(native.utf16()), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &notInherited,
                       disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

LockAttempt tryLockFile(const QString &path, qintptr *handle, QString *reason)
{
    const HANDLE file = openLockFile(path, GENERIC_READ | GENERIC_WRITE | DELETE, OPEN_ALWAYS,
                                     FILE_FLAG_DELETE_ON_CLOSE);
    if (file == INVALID_HANDLE_VALUE) {
        *reason = qt_error_string(int(GetLastError()));
        return LockAttempt::Failed;
    }
    OVERLAPPED range = lockedRange();
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) {
        *handle = reinterpret_cast<qintptr>(file);
        return LockAttempt::Taken;
    }
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
        return LockAttempt::HeldElsewhere;
    *reason = qt_error_string(int(error));
    return LockAttempt::Failed;
}

bool rewriteLockedFile(qintptr handle, const QByteArray &content)
{
    const auto file = reinterpret_cast<HANDLE>(handle);
    DWORD written = 0;
    return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER
           && SetEndOfFile(file)
           && WriteFile(file, content.constData(), DWORD(content.size()), &written, nullptr)
           && written == DWORD(content.size());
}

void closeLockedFile(qintptr handle, const QString &)
{
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

QByteArray readLockFile(const QString &path)
{
    const HANDLE file = openLockFile(path, GENERIC_READ, OPEN_EXISTING, 0);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    QByteArray bytes(4096, Qt::Uninitialized);
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr))
        read = 0;
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

qint64 lockHolder(const QString &)
{
    return 0;
}

QString processName(qint64)
{
    return {};
}

#else

// The holder removes the lock file while it still holds the lock. So a lock
// taken on a file that is no longer the one at path (its holder removed it
// meanwhile) is no lock: the file at path is tried again.
LockAttempt tryLockFile(const QString &path, qintptr *handle, QString *reason)
{
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            *reason = QString::fromLocal8Bit(std::strerror(errno));
            return LockAttempt::Failed;
        }
        int locked;
        do
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK)
                return LockAttempt::HeldElsewhere;
            *reason = QString::fromLocal8Bit(std::strerror(error));
            return LockAttempt::Failed;
        }
        struct stat opened, named;
        if (::fstat(fd, &opened) == 0 && ::stat(name.constData(), &named) == 0
            && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
            *handle = fd;
            return LockAttempt::Taken;
        }
        ::close(fd);
    }
}

bool rewriteLockedFile(qintptr handle, const QByteArray &content)
{
    const int fd = int(handle);
    return ::ftruncate(fd, 0) == 0
           && ::pwrite(fd, content.constData(), size_t(content.size()), 0) == content.size();
}

void closeLockedFile(qintptr handle, const QString &path)
{
    ::unlink(QFile::encodeName(path).constData());
    ::close(int(handle));
}

QByteArray readLockFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray();
}

#if defined(Q_OS_LINUX)
// /proc/locks names the process of every lock by the device and inode of
// its file: "1: FLOCK  ADVISORY  WRITE 4242 fd:01:1234567 0 EOF". Lines of
// processes waiting for a lock carry "->" and are passed over.
qint64 lockHolder(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    const QByteArray file = QByteArray::number(major(info.st_dev), 16).rightJustified(2, '0') + ':'
                            + QByteArray::number(minor(info.st_dev), 16).rightJustified(2, '0')
                            + ':' + QByteArray::number(quint64(info.st_ino));
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = locks.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() >= 6 && words[1] != "->" && words[5] == file)
            return words[4].toLongLong();
    }
    return 0;
}

QString processName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (pid <= 0 || !comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll().trimmed());
}
#else
qint64 lockHolder(const QString &)
{
    return 0;
}

QString processName(qint64)
{
    return {};
}
#endif

#endif

#if defined(Q_OS_WIN)
// The final path of an open handle, without the \\?\ (or \\?\UNC\) the
// system puts before it.
static QString finalPathOf(HANDLE handle)
{
    std::wstring buffer(MAX_PATH, L'\0');
    const auto ask = [&] {
        return GetFinalPathNameByHandleW(handle, buffer.data(), DWORD(buffer.size()),
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    };
    DWORD length = ask();
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = ask();
    }
    if (length == 0 || length >= buffer.size())
        return {};
    QString path = QString::fromWCharArray(buffer.data(), int(length));
    if (path.startsWith(QLatin1String("\\\\?\\UNC\\")))
        path = QStringLiteral("\\\\") + path.mid(8);
    else if (path.startsWith(QLatin1String("\\\\?\\")))
        path = path.mid(4);
    return QDir::cleanPath(QDir::fromNativeSeparators(path));
}
#endif

QString finalFolderPath(const QString &folder)
{
#if defined(Q_OS_WIN)
    // Backup semantics open a folder; reading its attributes is all it needs.
    const QString native = extendedLengthPath(folder);
    const HANDLE handle = CreateFileW(reinterpret_cast<LPCWSTR>(native.utf16()),
                                      FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    const QString path = finalPathOf(handle);
    CloseHandle(handle);
    return path;
#else
    Q_UNUSED(folder);
    return {};
#endif
}

bool heldByAnotherProgram(const QString &path, bool writing)
{
#if defined(Q_OS_WIN)
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const DWORD access = writing ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const HANDLE file = CreateFileW(name.c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            return true;
        const DWORD attributes = GetFileAttributesW(name.c_str());
        return error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES
               && !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    }
    // Open, but a part of it locked by another program.
    OVERLAPPED whole{};
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (writing ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    const bool locked = LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &whole);
    const bool held = !locked && GetLastError() == ERROR_LOCK_VIOLATION;
    if (locked)
        UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(file);
    return held;
#else
    Q_UNUSED(path);
    Q_UNUSED(writing);
    return false;
#endif
}

void attachParentConsole()
{
#if defined(Q_OS_WIN)
    // Output sent to a file or a pipe already has its way out.
    const HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
    if ((given == nullptr || given == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
}

bool isWindowsConsole(std::FILE *stream)
{
#if defined(Q_OS_WIN)
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
#else
    Q_UNUSED(stream);
    return false;
#endif
}

bool writeToConsole(std::FILE *stream, QStringView text)
{
#if defined(Q_OS_WIN)
    std::fflush(stream);
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    // A console takes a limited amount at once: in pieces, each ending
    // before a surrogate pair's second half.
    constexpr qsizetype kPiece = 8192;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype length = std::min(kPiece, text.size() - at);
        if (at + length < text.size() && text.at(at + length).isLowSurrogate())
            --length;
        DWORD written = 0;
        if (!WriteConsoleW(handle, text.utf16() + at, DWORD(length), &written, nullptr) ||
            written == 0)
            return false;
        at += qsizetype(written);
    }
    return true;
#else
    Q_UNUSED(stream);
    Q_UNUSED(text);
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
