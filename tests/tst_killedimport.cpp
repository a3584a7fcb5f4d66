#include "testfiles.h"
#include "files/fileset.h"
#include "files/gamefiles.h"
#include "history/writejournal.h"

#include "sampleroster.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Puckdex;

namespace {

// Every team of the larger league gets this many more players: some 1,500
// players in all.
constexpr int kExtraPlayers = 31;

} // namespace

// The import as a real process, killed (as a crash, a power cut or a closed
// terminal kills it) at random moments: every record is left old or new, the
// next program to open the roster finds it wholly old or wholly new, the
// journal still reads, and running the import again completes it. And the
// syncs a whole import asks for.
class TestKilledImport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_original, m_ini;
    QByteArray m_sheet;
    QMap<QString, QByteArray> m_before, m_after; // key.db and att.db

    QProcess *startCli(const QStringList &arguments, QProcessEnvironment environment = {})
    {
        auto *process = new QProcess(this);
        if (environment.isEmpty())
            environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PUCKDEX_INI"), m_ini);
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(PUCKDEX_CLI), arguments);
        return process;
    }
    // Runs puckdex-cli to its end: its exit status, -1 when it did not end.
    int cli(const QStringList &arguments, QByteArray *out = nullptr, QByteArray *err = nullptr,
            const QProcessEnvironment &environment = {})
    {
        std::unique_ptr<QProcess> process(startCli(arguments, environment));
        if (!process->waitForFinished(120000))
            return -1;
        if (out)
            *out = process->readAllStandardOutput();
        if (err)
            *err = process->readAllStandardError();
        return process->exitCode();
    }
    // A fresh copy of the roster as it was before any import.
    QString freshCopy(const QString &name)
    {
        const QString folder = m_dir.filePath(name);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        for (const char *file : {"teams.db", "key.db", "att.db"}) {
            if (!QFile::copy(QDir(m_original).filePath(file), QDir(folder).filePath(file)))
                return {};
        }
        return folder;
    }
    static QMap<QString, QByteArray> recordFiles(const QString &folder)
    {
        return {{"key.db", readFile(QDir(folder).filePath("key.db"))},
                {"att.db", readFile(QDir(folder).filePath("att.db"))}};
    }

    // Each byte is as it was or as the whole import leaves it, and every
    // record (whose bytes the import changes) is wholly one or the other.
    QString recordsOldOrNew(const QString &folder)
    {
        const Result<QList<PlayerEntry>> players =
            GameFiles::scanAllPlayers(QDir(m_original).filePath("key.db"));
        for (const auto &[name, now] : recordFiles(folder).asKeyValueRange()) {
            const QByteArray &before = m_before[name], &after = m_after[name];
            if (now.size() != before.size())
                return name + " changed its size";
            for (const PlayerEntry &player : *players) {
                const bool key = name == QLatin1String("key.db");
                const qint64 at = key ? player.offset : player.record.attribOffset();
                const qsizetype size = key ? 60 : (player.record.isGoalie() ? 17 : 21);
                const QByteArray record = now.mid(at, size);
                if (record != before.mid(at, size) && record != after.mid(at, size))
                    return QStringLiteral("%1 at offset %2 is neither old nor new").arg(name).arg(at);
            }
            for (qsizetype i = 0; i < now.size(); ++i) {
                if (now[i] != before[i] && now[i] != after[i])
                    return QStringLiteral("%1 byte %2 is neither old nor new").arg(name).arg(i);
            }
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_ini = m_dir.filePath("settings/PUCKDEX.INI");
        QVERIFY(QDir().mkpath(m_dir.filePath("settings")));
        m_original = m_dir.filePath("original");
        QVERIFY(Sample::writeBaseRosters(m_original, Sample::kDefaultSeed, kExtraPlayers).ok());
        QByteArray exported;
        QCOMPARE(cli({"export", m_original}, &exported), 0);
        m_sheet = Sample::sheetChangingEveryone(exported);
        QVERIFY(m_sheet.count('\n') > 1400);
        QVERIFY(writeFile(m_dir.filePath("season.csv"), m_sheet));
        m_before = recordFiles(m_original);
        const QString reference = freshCopy("reference");
        QCOMPARE(cli({"import", reference, m_dir.filePath("season.csv"), "--no-backup"}), 0);
        m_after = recordFiles(reference);
        QVERIFY(m_after != m_before);
    }

    // Killed at random moments of an import of the whole league, each time
    // on a fresh copy: every record old or new, the journal read whole, and
    // the import run again completes it without waiting on what the killed
    // one left. PUCKDEX_KILLS sets how many kills (8 unless told).
    void killedImportsLeaveEveryRecordOldOrNew()
    {
        const int kills = qEnvironmentVariableIntValue("PUCKDEX_KILLS") > 0
                              ? qEnvironmentVariableIntValue("PUCKDEX_KILLS")
                              : 8;
        // How long a whole import takes here, to choose the moments from.
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(cli({"import", freshCopy("timed"), m_dir.filePath("season.csv"), "--no-backup"}),
                 0);
        const qint64 wholeMs = qMax<qint64>(timer.elapsed(), 5);
        QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
        for (int kill = 0; kill < kills; ++kill) {
            const QString folder = freshCopy("killed");
            const qint64 at = random.bounded(wholeMs * 12 / 10 + 1);
            std::unique_ptr<QProcess> process(
                startCli({"import", folder, m_dir.filePath("season.csv")}));
            QVERIFY(process->waitForStarted());
            QThread::msleep(at);
            process->kill();
            QVERIFY(process->waitForFinished());
            const QString problem = recordsOldOrNew(folder);
            QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("killed after %1 ms: %2")
                                                       .arg(at)
                                                       .arg(problem)));
            // The next program to open the roster finds it wholly as it was
            // or wholly imported, says when it set it back, and leaves no
            // copy the killed one was making.
            const QMap<QString, QByteArray> killed = recordFiles(folder);
            QByteArray opened;
            QCOMPARE(cli({"teams", folder}, nullptr, &opened), 0);
            const QMap<QString, QByteArray> now = recordFiles(folder);
            QVERIFY2(now == m_before || now == m_after,
                     qPrintable(QStringLiteral("killed after %1 ms: half imported").arg(at)));
            const bool said = opened.contains("An import of season.csv was interrupted at ");
            QVERIFY(!said || now == m_before);
            QVERIFY(said || killed == now);
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\.")),
                     QStringList());
            const FileSet files = *findFileSet(folder);
            const auto pending = WriteJournal(QFileInfo(m_ini).path(), folder, files.keyFile,
                                              files.attFile)
                                     .pending();
            QVERIFY2(pending.ok(), pending ? "" : qPrintable(pending.error().fullMessage()));

            QByteArray err;
            QCOMPARE(cli({"import", folder, m_dir.filePath("season.csv")}, nullptr, &err), 0);
            QVERIFY2(!err.contains("warning: the write journal"), err.constData());
            QCOMPARE(recordFiles(folder), m_after);
        }
    }

    // The undo of a whole import killed likewise: the next program to open
    // the roster finds the import whole or wholly undone, and an undo run
    // again takes it back.
    void killedUndosLeaveTheImportWholeOrGone()
    {
        const int kills = qEnvironmentVariableIntValue("PUCKDEX_KILLS") > 0
                              ? qEnvironmentVariableIntValue("PUCKDEX_KILLS")
                              : 6;
        const QString timed = freshCopy("timed");
        QCOMPARE(cli({"import", timed, m_dir.filePath("season.csv"), "--no-backup"}), 0);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(cli({"undo", timed}), 0);
        const qint64 wholeMs = qMax<qint64>(timer.elapsed(), 5);
        QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
        for (int kill = 0; kill < kills; ++kill) {
            const QString folder = freshCopy("killed");
            QCOMPARE(cli({"import", folder, m_dir.filePath("season.csv"), "--no-backup"}), 0);
            const qint64 at = random.bounded(wholeMs * 12 / 10 + 1);
            std::unique_ptr<QProcess> process(startCli({"undo", folder}));
            QVERIFY(process->waitForStarted());
            QThread::msleep(at);
            process->kill();
            QVERIFY(process->waitForFinished());
            QByteArray opened;
            QCOMPARE(cli({"teams", folder}, nullptr, &opened), 0);
            const QMap<QString, QByteArray> now = recordFiles(folder);
            QVERIFY2(now == m_before || now == m_after,
                     qPrintable(QStringLiteral("killed after %1 ms: half undone").arg(at)));
            QVERIFY(!opened.contains("was interrupted") || now == m_after);
            if (now == m_after)
                QCOMPARE(cli({"undo", folder}), 0);
            QCOMPARE(recordFiles(folder), m_before);
        }
    }

    // A restore of the roster as it was first found, killed likewise: the
    // next program to open the roster finds it wholly restored or wholly
    // as it was, and the restore run again completes it.
    void killedRestoresLeaveTheRosterWhole()
    {
        const int kills = qEnvironmentVariableIntValue("PUCKDEX_KILLS") > 0
                              ? qEnvironmentVariableIntValue("PUCKDEX_KILLS")
                              : 6;
        QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
        for (int kill = 0; kill < kills; ++kill) {
            const QString folder = freshCopy("restored");
            QCOMPARE(cli({"import", folder, m_dir.filePath("season.csv")}), 0);
            QElapsedTimer timer;
            timer.start();
            std::unique_ptr<QProcess> process(startCli({"restore", folder, "--from", "first"}));
            QVERIFY(process->waitForStarted());
            QThread::msleep(random.bounded(30));
            process->kill();
            QVERIFY(process->waitForFinished());
            QByteArray opened;
            QCOMPARE(cli({"teams", folder}, nullptr, &opened), 0);
            const QMap<QString, QByteArray> now = recordFiles(folder);
            QVERIFY2(now == m_before || now == m_after,
                     qPrintable(QStringLiteral("killed after %1 ms: half restored")
                                    .arg(timer.elapsed())));
            QVERIFY(!opened.contains("was interrupted") || now == m_after);
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\.")),
                     QStringList());
            if (now == m_after)
                QCOMPARE(cli({"restore", folder, "--from", "first"}), 0);
            QCOMPARE(recordFiles(folder), m_before);
        }
    }

    // An import of the whole league whose backups are made already asks for
    // a sync of each game file it writes and of the journal, and no more.
    void aWholeImportSyncsEachFileOnce()
    {
#if !defined(PUCKDEX_FSYNCSPY)
        QSKIP("the syncs are recorded by a library preloaded on Linux only");
#else
        const QString folder = freshCopy("synced");
        for (const char *name : {"teams", "key", "att"}) {
            QVERIFY(QFile::copy(QDir(folder).filePath(QStringLiteral("%1.db").arg(name)),
                                QDir(folder).filePath(QStringLiteral("%1.bak").arg(name))));
        }
        const QString log = m_dir.filePath("syncs");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(PUCKDEX_FSYNCSPY));
        environment.insert(QStringLiteral("PUCKDEX_FSYNC_LOG"), log);
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS"))
                               + QStringLiteral(":verify_asan_link_order=0"));
        // A first import makes the roster's first generation; the second is
        // the one counted.
        QCOMPARE(cli({"import", folder, m_dir.filePath("season.csv")}), 0);
        QCOMPARE(cli({"undo", folder}), 0);
        QCOMPARE(cli({"import", folder, m_dir.filePath("season.csv")}, nullptr, nullptr,
                     environment),
                 0);
        QCOMPARE(recordFiles(folder), m_after);
        const QStringList synced =
            QString::fromLocal8Bit(readFile(log)).split(u'\n', Qt::SkipEmptyParts);
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        QVERIFY2(synced.size() <= 10, qPrintable(synced.join(u' ')));
        QCOMPARE(synced.count(canonical + "/key.db"), 1);
        QCOMPARE(synced.count(canonical + "/att.db"), 1);
        // The journal twice: the import begun, before the records, and done.
        QCOMPARE(synced.filter(QRegularExpression("puckdex-journal-[0-9a-f]+\\.jsonl$")).size(), 2);
#endif
    }
};

QTEST_GUILESS_MAIN(TestKilledImport)
#include "tst_killedimport.moc"
