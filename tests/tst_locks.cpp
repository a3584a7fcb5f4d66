#include "testfiles.h"
#include "files/platformsync.h"
#include "history/filelocks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <thread>

using namespace Puckdex;

// The locks the window and puckdex-cli share: held by one at a time, named
// when another holds them, and never outliving the process that held them,
// whatever it left behind.
class TestLocks : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString journal() const { return m_dir.filePath("puckdex-journal-0123456789ab.jsonl"); }
    QString lockFile() const { return journal() + ".lock"; }

    // Another process that takes the journal's lock and stops, holding it:
    // after making its lock file and before writing its name into it
    // ("--stop-before-owner"), or once it has ("--hold").
    static std::unique_ptr<QProcess> holder(const QString &how, const QString &path)
    {
        auto process = std::make_unique<QProcess>();
        process->start(QCoreApplication::applicationFilePath(), {how, path});
        if (!process->waitForStarted() || !process->waitForReadyRead(20000)
            || process->readAllStandardOutput().trimmed() != "locked")
            return nullptr;
        return process;
    }

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void cleanup() { QFile::remove(lockFile()); }

    // What a writer that died leaves delays no one: the next takes the lock
    // at once, without waiting for it.
    void whatADeadWriterLeftIsTakenAtOnce_data()
    {
        QTest::addColumn<QByteArray>("left");
        QTest::newRow("an empty lock file") << QByteArray("");
        QTest::newRow("a half-written one") << QByteArray("41");
        QTest::newRow("one naming a dead process") << QByteArray("999999\npuckdex-cli\nhost\n");
        QTest::newRow("one naming this process") << QByteArray::number(QCoreApplication::applicationPid()) + "\ntst_locks\n";
    }
    void whatADeadWriterLeftIsTakenAtOnce()
    {
        QFETCH(QByteArray, left);
        QVERIFY(writeFile(lockFile(), left));
        {
            const auto lock = lockForWriting(journal(), 0);
            QVERIFY2(lock.ok(), lock ? "" : qPrintable(lock.error().reason));
        }
        // Let go, the lock file goes with it.
        QVERIFY(!QFileInfo::exists(lockFile()));
    }

    // While a lock is held, another taker is refused, told who holds it;
    // once let go, it is taken.
    void aHeldLockIsRefusedNamingItsHolder()
    {
        auto first = lockForWriting(journal(), 0);
        QVERIFY(first.ok());
        const auto second = lockForWriting(journal(), 0);
        QVERIFY(!second.ok());
        QCOMPARE(second.error().filePath, journal());
        QCOMPARE(second.error().reason,
                 QStringLiteral("%1 (process %2) has been writing to it for 0 seconds; try "
                                "again when it is done")
                     .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                     .arg(QCoreApplication::applicationPid()));
        first = FileError{};
        QVERIFY(lockForWriting(journal(), 0).ok());
    }

    // A writer stopped between making its lock and writing its name into it
    // holds the lock while it lives, and is named where the system tells
    // (Linux); killed there, it leaves nothing that delays the next writer.
    void aWriterKilledBeforeItsNameIsWritten()
    {
        auto process = holder("--stop-before-owner", journal());
        QVERIFY(process);
        QVERIFY(QFileInfo::exists(lockFile()));
        QCOMPARE(readLockFile(lockFile()), QByteArray());
        const auto refused = lockForWriting(journal(), 0);
        QVERIFY(!refused.ok());
#if defined(Q_OS_LINUX)
        QVERIFY2(refused.error().reason.contains(
                     QStringLiteral("(process %1)").arg(process->processId())),
                 qPrintable(refused.error().reason));
#else
        QVERIFY2(refused.error().reason.startsWith(QStringLiteral("another program")),
                 qPrintable(refused.error().reason));
#endif
        process->kill();
        QVERIFY(process->waitForFinished());
        // The system lets go of a dead process's lock at once, or within
        // the second a writer may be kept waiting.
        const auto taken = lockForWriting(journal(), 1000);
        QVERIFY2(taken.ok(), taken ? "" : qPrintable(taken.error().reason));
    }

    // A waiting writer gets the lock as soon as its holder ends, however it
    // ends; the folder claim names its holder as the window.
    void aWaitingWriterGetsTheLockWhenItsHolderIsKilled()
    {
        auto process = holder("--hold", journal());
        QVERIFY(process);
        QVERIFY(readLockFile(lockFile()).startsWith(QByteArray::number(process->processId()) + '\n'));
        std::thread killer([&process] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            process->kill();
        });
        const auto taken = lockForWriting(journal(), kWriterWaitMs);
        killer.join();
        QVERIFY2(taken.ok(), taken ? "" : qPrintable(taken.error().reason));
        process->waitForFinished();
    }

    // A program started while a lock is held does not inherit it: once its
    // holder lets go, or is killed, another process takes the lock at once
    // although the program still runs.
    void aChildProcessDoesNotKeepTheLock_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("its holder lets go") << "--let-go-with-child";
        QTest::newRow("its holder is killed") << "--hold-with-child";
    }
    void aChildProcessDoesNotKeepTheLock()
    {
        QFETCH(QString, how);
        const QString stop = journal() + ".stop";
        QFile::remove(stop);
        const auto stopChild = qScopeGuard([&stop] { QFile(stop).open(QIODevice::WriteOnly); });
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(), {how, journal()});
        QVERIFY(process.waitForStarted() && process.waitForReadyRead(20000));
        const QByteArray said = process.readAllStandardOutput().trimmed();
        QVERIFY2(said.startsWith("locked "), said.constData());
        if (how == "--hold-with-child") {
            process.kill();
            QVERIFY(process.waitForFinished());
        }
#if defined(Q_OS_LINUX)
        QVERIFY(QFileInfo::exists("/proc/" + said.mid(7))); // the child runs
#endif
        const auto taken = lockForWriting(journal(), 0);
        QVERIFY2(taken.ok(), taken ? "" : qPrintable(taken.error().reason));
        process.kill();
        process.waitForFinished();
    }

    void theFolderClaimNamesTheWindow()
    {
        const QString game = m_dir.filePath("game");
        QVERIFY(QDir().mkpath(game));
        auto claim = claimFolder(m_dir.path(), game);
        QVERIFY(claim.ok());
        const auto second = claimFolder(m_dir.path(), game);
        QVERIFY(!second.ok());
        QVERIFY2(second.error().reason.endsWith(
                     QStringLiteral("(process %1) has this folder open; close it first")
                         .arg(QCoreApplication::applicationPid())),
                 qPrintable(second.error().reason));
        claim = FileError{};
        QVERIFY(claimFolder(m_dir.path(), game).ok());
    }

    // A lock file that cannot be made is said as such, not blamed on a
    // holder.
    void aLockFileThatCannotBeMade()
    {
        const QString inFile = m_dir.filePath("a-file");
        QVERIFY(writeFile(inFile, "not a folder"));
        const auto lock = lockForWriting(inFile + "/journal.jsonl", 0);
        QVERIFY(!lock.ok());
        QVERIFY2(!lock.error().reason.contains("writing to it"), qPrintable(lock.error().reason));
    }
};

// "--stop-before-owner PATH" and "--hold PATH": take PATH's writing lock,
// say "locked" and wait to be killed, stopped before the holder's name is
// written into the lock file or after it.
// "--sleep STOP": runs until the file STOP is there (a minute at most).
// "--hold-with-child PATH" and "--let-go-with-child PATH": take PATH's
// writing lock, start "--sleep PATH.stop", let go of the lock or not, say
// "locked" and the child's process and wait to be killed.
int withChild(const QString &how, const QString &path)
{
    if (how == QLatin1String("--sleep")) {
        for (int i = 0; i < 600 && !QFileInfo::exists(path); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return 0;
    }
    auto lock = lockForWriting(path, 0);
    if (!lock)
        return 1;
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--sleep", path + ".stop"});
    if (!child.waitForStarted())
        return 1;
    if (how == QLatin1String("--let-go-with-child"))
        lock = FileError{};
    std::printf("locked %lld\n", child.processId());
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

int holdLock(const QString &how, const QString &path)
{
    if (how.contains(QLatin1String("child")) || how == QLatin1String("--sleep"))
        return withChild(how, path);
    const auto said = [] {
        std::puts("locked");
        std::fflush(stdout);
    };
    if (how == QLatin1String("--stop-before-owner")) {
        setLockTakenHook([&said](const QString &) {
            said();
            for (;;)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        });
    }
    const auto lock = lockForWriting(path, 0);
    if (!lock)
        return 1;
    said();
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1].startsWith(QLatin1String("--")))
        return holdLock(arguments[1], arguments[2]);
    TestLocks test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_locks.moc"
