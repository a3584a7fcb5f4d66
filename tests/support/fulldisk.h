#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

// A real small file system that the test fills up: a tmpfs mounted on a
// temporary folder, which needs root. Tests that use it skip with a clear
// line where it cannot be mounted.
class FullDisk
{
public:
    FullDisk()
    {
        if (!m_dir.isValid())
            return;
        const int code = QProcess::execute(QStringLiteral("mount"),
                                           {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                            QStringLiteral("-o"), QStringLiteral("size=1m"),
                                            QStringLiteral("tmpfs"), m_dir.path()});
        m_mounted = code == 0;
    }
    ~FullDisk()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_dir.path()});
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    static QString skipReason()
    {
#if defined(Q_OS_WIN)
        return QStringLiteral("a real full disk is a small tmpfs, which only Linux mounts; the "
                              "same replacement code is covered here by a file held open "
                              "(tst_paths) and a read-only file");
#else
        return QStringLiteral("a real full disk needs root to mount a small tmpfs; run the "
                              "suite as root to test it");
#endif
    }
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Takes every free byte with a filler file. True when the file system is
    // full afterwards.
    bool fill()
    {
        QFile filler(filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray chunk(4096, 'f');
        while (filler.write(chunk) == chunk.size()) {
        }
        // What is left is smaller than a page; take it byte by byte.
        while (filler.write("f", 1) == 1) {
        }
        filler.close();
        return QStorageInfo(path()).bytesAvailable() == 0;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// Skips the calling test unless disk is mounted.
#define REQUIRE_FULL_DISK(disk)                                                                    \
    do {                                                                                           \
        if (!(disk).mounted())                                                                     \
            QSKIP(qPrintable(FullDisk::skipReason()));                                             \
    } while (false)
