// One roster, one identity: every spelling of a game folder (a link, "..",
// a trailing slash; on Windows its case and slashes) finds the same journal,
// backup history and window claim, and what older runs kept under another
// spelling is taken over. The window's claim, held by a real second
// process, is said by import and undo and refuses a restore; a restore
// keeps the roster as it is once it holds the writing lock.

#include "clifixture.h"
#include "files/fileset.h"
#include "files/folderidentity.h"
#include "history/backuphistory.h"
#include "history/filelocks.h"
#include "history/takeover.h"
#include "history/writejournal.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <cstdio>
#include <thread>

using namespace Puckdex;

namespace {

QString journalFolder()
{
    return WriteJournal::defaultFolder();
}

// Everything the suite's runs kept beside the settings file goes.
void forgetHistories()
{
    const QDir folder(journalFolder());
    const QStringList names = folder.entryList({"puckdex-*"}, QDir::Files | QDir::Dirs
                                                                  | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (QFileInfo(folder.filePath(name)).isDir())
            QDir(folder.filePath(name)).removeRecursively();
        else
            QFile::remove(folder.filePath(name));
    }
}

QStringList keptNames(const QString &pattern)
{
    return QDir(journalFolder()).entryList({pattern}, QDir::Files | QDir::Dirs
                                                          | QDir::NoDotAndDotDot);
}

// Another process that holds the window's claim on the game folder
// ("--claim FOLDER") or the roster's writing lock ("--hold-writing-lock
// FOLDER") until it is killed.
std::unique_ptr<QProcess> helper(const QString &how, const QString &folder)
{
    auto process = std::make_unique<QProcess>();
    process->start(QCoreApplication::applicationFilePath(), {how, folder});
    if (!process->waitForStarted() || !process->waitForReadyRead(20000)
        || process->readAllStandardOutput().trimmed() != "held")
        return nullptr;
    return process;
}

// The byte of the key file that "--write-under-lock" changes.
constexpr qint64 kChangedByte = 100;

} // namespace

// The lines of a journal that are writes, in order.
QList<QByteArray> writeLines(const QByteArray &journal)
{
    QList<QByteArray> writes;
    for (const QByteArray &line : journal.split('\n')) {
        if (line.contains("\"seq\":"))
            writes.append(line);
    }
    return writes;
}

class TestRosterIdentity : public QObject, public CliFixture
{
    Q_OBJECT

    // Three spellings of the base rosters' folder, none of them the one the
    // fixture uses: a link, one through "..", one with "." and a trailing
    // slash; on Windows its case and slashes.
    QStringList spellings()
    {
#if defined(Q_OS_WIN)
        const QString native = QDir::toNativeSeparators(m_base);
        return {native.toUpper(), m_base.toLower() + "/", native + "\\"};
#else
        const QString link = m_dir.filePath("link");
        QFile::remove(link);
        if (!QFile::link(m_base, link))
            QTest::qFail("the link could not be made", __FILE__, __LINE__);
        return {link, m_base + "/../base/", m_dir.path() + "/./base/"};
#endif
    }

    QString journalPath() const
    {
        return WriteJournal(journalFolder(), m_base, base("key.db"), base("att.db")).path();
    }
    QString historyPath() const
    {
        return BackupHistory(journalFolder(), *findFileSet(m_base)).path();
    }

    // What a run of an older version left: the roster's journal and backup
    // history as this run made them, moved to the names that run gave them
    // (by the folder as spelled, id), naming the folder so, and every time in
    // them stamped. Left aside until bringBack(), so that no opening of the
    // roster takes them over meanwhile.
    void leaveAsOlderRun(const QString &spelling, const QString &id, const QDateTime &stamp)
    {
        const QString aside = m_dir.filePath("aside");
        QVERIFY(QDir().mkpath(aside));
        const QString time = "\"time\":\"" + stamp.toString(Qt::ISODate) + "\"";
        const QString spelled = QDir::toNativeSeparators(spelling);
        QList<QByteArray> lines = readFile(journalPath()).split('\n');
        QJsonObject header = QJsonDocument::fromJson(lines[0]).object();
        header["folder"] = spelled;
        lines[0] = QJsonDocument(header).toJson(QJsonDocument::Compact);
        const QString journal = QString::fromLatin1(lines.join('\n'))
                                    .replace(QRegularExpression("\"time\":\"[^\"]*\""), time);
        QVERIFY(writeFile(aside + "/puckdex-journal-" + id + ".jsonl", journal.toLatin1()));
        QVERIFY(QFile::remove(journalPath()));

        const QString list = historyPath() + "/generations.json";
        QJsonObject generations = QJsonDocument::fromJson(readFile(list)).object();
        generations["folder"] = spelled;
        QJsonArray kept = generations["generations"].toArray();
        for (QJsonValueRef generation : kept) {
            QJsonObject object = generation.toObject();
            object["time"] = stamp.toString(Qt::ISODate);
            generation = object;
        }
        generations["generations"] = kept;
        QVERIFY(writeFile(list, QJsonDocument(generations).toJson()));
        QVERIFY(QDir().rename(historyPath(), aside + "/puckdex-backups-" + id));
    }
    void bringBack()
    {
        const QDir aside(m_dir.filePath("aside"));
        for (const QString &name : aside.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
            QVERIFY(QDir().rename(aside.filePath(name), QDir(journalFolder()).filePath(name)));
    }

private slots:
    void init()
    {
        freshRosters();
        forgetHistories();
        QDir(m_dir.filePath("aside")).removeRecursively();
    }

    // Every spelling is one folder; another folder is not it.
    void oneFolderHasOneIdentity()
    {
        const FolderIdentity identity = folderIdentity(m_base);
        for (const QString &spelling : spellings()) {
            QCOMPARE(folderIdentity(spelling).key, identity.key);
            QCOMPARE(folderIdentity(spelling).path, identity.path);
            QCOMPARE(WriteJournal(journalFolder(), spelling, "KEY.DB", "att.db").path(),
                     journalPath());
            QCOMPARE(BackupHistory(journalFolder(), *findFileSet(spelling)).path(), historyPath());
        }
        QVERIFY(!(folderIdentity(m_saved) == identity));
#if defined(Q_OS_WIN)
        // Case does not matter even for a folder that cannot be reached.
        const QString gone = m_dir.filePath("gone");
        QCOMPARE(folderIdentity(gone.toUpper()).key, folderIdentity(gone + "/").key);
#endif
    }

    // Journals and histories two older runs kept under two spellings are
    // taken over by an opening through a third: every write is there to
    // undo (an undone one stays undone), all of them undone give back the
    // roster byte for byte, and "first" is the oldest first generation.
    void olderHistoriesAreTakenOver_data()
    {
        QTest::addColumn<QString>("idA"); // the older run's names; "": this run's
        QTest::addColumn<QString>("idB");
        QTest::addColumn<bool>("aIsOlder");
        QTest::newRow("the older run's names first") << "aaaaaaaaaaaa" << "bbbbbbbbbbbb" << true;
        QTest::newRow("the older run's names last") << "ffffffffffff" << "000000000000" << true;
        QTest::newRow("the newer one's first generation is older")
            << "aaaaaaaaaaaa" << "bbbbbbbbbbbb" << false;
        QTest::newRow("one older run beside this run's") << "aaaaaaaaaaaa" << "" << true;
    }
    void olderHistoriesAreTakenOver()
    {
        QFETCH(QString, idA);
        QFETCH(QString, idB);
        QFETCH(bool, aIsOlder);
        const QStringList spelled = spellings();
        const auto original = gameFiles(m_base);
        const qint64 skater = firstSkater().keyOffset;
        const qint64 goalie = firstGoalie().keyOffset;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QDateTime older = now.addSecs(-7200), newer = now.addSecs(-3600);

        // Run A: two writes, the second undone; it keeps the roster as it
        // was as its first generation.
        QCOMPARE(import(spelled[0], {{skater, "speed", "100"}}).status, 0);
        QCOMPARE(import(spelled[0], {{skater, "last_name", "Quill"}}).status, 0);
        QCOMPARE(cli({"undo", spelled[0]}).status, 0);
        const auto afterA = gameFiles(m_base);
        leaveAsOlderRun(spelled[0], idA, aIsOlder ? older : newer);
        // Run B: one write; its first generation is the roster as A left it.
        QCOMPARE(import(spelled[1], {{goalie, "weight", "231"}}).status, 0);
        if (!idB.isEmpty())
            leaveAsOlderRun(spelled[1], idB, aIsOlder ? newer : older);
        bringBack();

        const Outcome list = cli({"undo", spelled[2], "--list"});
        QCOMPARE(list.status, 0);
        QVERIFY2(list.out.contains("2 writes to undo"), qPrintable(list.out + list.err));
        QCOMPARE(keptNames("puckdex-journal-*.jsonl"), QStringList{QFileInfo(journalPath()).fileName()});
        QCOMPARE(keptNames("puckdex-backups-*"), QStringList{QFileInfo(historyPath()).fileName()});
        const Result<QList<JournalEntry>> pending =
            WriteJournal(journalFolder(), m_base, base("key.db"), base("att.db")).pending();
        QVERIFY(pending.ok());
        // In time order, numbered afresh; A's undone write keeps its mark.
        QCOMPARE(pending->size(), 2);
        const qsizetype a = aIsOlder ? 0 : 1;
        QCOMPARE(pending->at(a).players.first().offset, skater);
        QCOMPARE(pending->at(1 - a).players.first().offset, goalie);
        QCOMPARE(pending->at(0).seq, 1);
        QCOMPARE(pending->at(1).seq, aIsOlder ? 3 : 2);

        BackupHistory history(journalFolder(), *findFileSet(spelled[2]));
        const Result<BackupGeneration> first = history.find("first");
        QVERIFY2(first.ok(), first ? "" : qPrintable(first.error().fullMessage()));
        QCOMPARE(history.generations()->size(), 2);
        const Result<QList<QByteArray>> kept = history.filesOf(*first);
        QVERIFY(kept.ok());
        const auto &firstRoster = aIsOlder || idB.isEmpty() ? original : afterA;
        QCOMPARE(kept->at(1), firstRoster["key.db"]);
        QCOMPARE(kept->at(2), firstRoster["att.db"]);

        QCOMPARE(cli({"undo", spelled[2], "--steps", "2"}).status, 0);
        QCOMPARE(gameFiles(m_base), original);
    }

    // One older journal alone keeps its numbers and its undo marks; one
    // that cannot be read stays where it is, as it is.
    void whatIsTakenOverAlone()
    {
        const QStringList spelled = spellings();
        const qint64 skater = firstSkater().keyOffset;
        QCOMPARE(import(spelled[0], {{skater, "speed", "100"}}).status, 0);
        QCOMPARE(import(spelled[0], {{skater, "speed", "64"}}).status, 0);
        QCOMPARE(import(spelled[0], {{skater, "speed", "72"}}).status, 0);
        QCOMPARE(cli({"undo", spelled[0]}).status, 0);
        leaveAsOlderRun(spelled[0], "aaaaaaaaaaaa", QDateTime::currentDateTimeUtc());
        const QByteArray older = readFile(m_dir.filePath("aside/puckdex-journal-aaaaaaaaaaaa.jsonl"));
        bringBack();
        const QString damaged = journalFolder() + "/puckdex-journal-bbbbbbbbbbbb.jsonl";
        QVERIFY(writeFile(damaged, older + "not a line\n"));

        QVERIFY(takeOverOlderHistories(journalFolder(), *findFileSet(spelled[1])).ok());
        const auto pending =
            WriteJournal(journalFolder(), spelled[2], base("key.db"), base("att.db")).pending();
        QVERIFY(pending.ok());
        QCOMPARE(pending->size(), 2);
        QCOMPARE(pending->at(0).seq, 1);
        QCOMPARE(pending->at(1).seq, 2);
        const QByteArray merged = readFile(journalPath());
        QCOMPARE(writeLines(merged), writeLines(older));
        QCOMPARE(merged.count("\"undone\":3}"), 1);
        QCOMPARE(readFile(damaged), older + "not a line\n");

        // One that holds an action a killed writer left unfinished is set
        // back by that writer's version, not merged without it.
        const QString interrupted = journalFolder() + "/puckdex-journal-cccccccccccc.jsonl";
        const QByteArray begun = older + "{\"begun\":\"an import of x.csv\",\"time\":\"2026-12-01T10:00:00Z\"}\n";
        QVERIFY(writeFile(interrupted, begun));
        const Status refused = takeOverOlderHistories(journalFolder(), *findFileSet(spelled[1]));
        QVERIFY(!refused.ok());
        QVERIFY2(refused.error().reason.contains("interrupted"), qPrintable(refused.error().reason));
        QCOMPARE(readFile(interrupted), begun);
        QCOMPARE(readFile(journalPath()), merged);
    }

    // A takeover stopped after it wrote the journal, before it removed what
    // it took over, counts each write once when it is done again.
    void aTakeoverDoneTwiceCountsEachWriteOnce()
    {
        const QStringList spelled = spellings();
        QCOMPARE(import(spelled[0], {{firstSkater().keyOffset, "speed", "100"}}).status, 0);
        QCOMPARE(import(spelled[0], {{firstGoalie().keyOffset, "weight", "231"}}).status, 0);
        leaveAsOlderRun(spelled[0], "aaaaaaaaaaaa", QDateTime::currentDateTimeUtc());
        bringBack();
        const QString older = journalFolder() + "/puckdex-journal-aaaaaaaaaaaa.jsonl";
        const QByteArray left = readFile(older);
        QVERIFY(takeOverOlderHistories(journalFolder(), *findFileSet(spelled[1])).ok());
        const QByteArray merged = readFile(journalPath());
        QVERIFY(writeFile(older, left));
        QVERIFY(takeOverOlderHistories(journalFolder(), *findFileSet(spelled[2])).ok());
        QCOMPARE(readFile(journalPath()), merged);
        QVERIFY(!QFileInfo::exists(older));
    }

    // The takeover takes the writers' lock: while another process holds
    // the roster's, it waits, then leaves everything as it was.
    void aTakeoverWaitsForTheWritersLock()
    {
        const QStringList spelled = spellings();
        QCOMPARE(import(spelled[0], {{firstSkater().keyOffset, "speed", "100"}}).status, 0);
        leaveAsOlderRun(spelled[0], "aaaaaaaaaaaa", QDateTime::currentDateTimeUtc());
        bringBack();
        const QString older = journalFolder() + "/puckdex-journal-aaaaaaaaaaaa.jsonl";
        const QByteArray left = readFile(older);
        auto writer = helper("--hold-writing-lock", spelled[1]);
        QVERIFY(writer);
        const Status taken = takeOverOlderHistories(journalFolder(), *findFileSet(spelled[2]), 200);
        QVERIFY(!taken.ok());
        QVERIFY2(taken.error().reason.contains(QStringLiteral("(process %1)")
                                                   .arg(writer->processId())),
                 qPrintable(taken.error().reason));
        QCOMPARE(readFile(older), left);
        QVERIFY(!QFileInfo::exists(journalPath()));
        writer->kill();
        writer->waitForFinished();
    }

    // While another process holds the window's claim through one spelling,
    // import and undo through others go on and name it; restore is refused.
    void theWindowsClaimIsTheFolders()
    {
        const QStringList spelled = spellings();
        auto window = helper("--claim", spelled[0]);
        QVERIFY(window);
        const QString said = QStringLiteral("(process %1) has this roster open; it will show "
                                            "these changes")
                                 .arg(window->processId());
        const auto original = gameFiles(m_base);
        const Outcome imported = import(spelled[1], {{firstSkater().keyOffset, "speed", "100"}});
        QCOMPARE(imported.status, 0);
        QVERIFY2(imported.err.contains(said), qPrintable(imported.err));
        QVERIFY(!import(spelled[1], {{firstSkater().keyOffset, "speed", "64"}}, {"--dry-run"})
                     .err.contains(said));
        const Outcome restore = cli({"restore", spelled[2], "--from", "first"});
        QCOMPARE(restore.status, 2);
        QVERIFY2(restore.err.contains("has this folder open"), qPrintable(restore.err));
        const Outcome undone = cli({"undo", spelled[2]});
        QCOMPARE(undone.status, 0);
        QVERIFY2(undone.err.contains(said), qPrintable(undone.err));
        QCOMPARE(gameFiles(m_base), original);
        QCOMPARE(folderClaimHolder(journalFolder(), spelled[2])->pid, window->processId());
        QVERIFY(!claimFolder(journalFolder(), spelled[1]).ok());

        window->kill();
        window->waitForFinished();
        QVERIFY(!folderClaimHolder(journalFolder(), spelled[1]));
        const Outcome alone = import(spelled[1], {{firstSkater().keyOffset, "speed", "100"}});
        QCOMPARE(alone.status, 0);
        QVERIFY2(!alone.err.contains("has this roster open"), qPrintable(alone.err));
        // Looking did not keep the claim: the window takes it.
        QVERIFY(claimFolder(journalFolder(), spelled[0]).ok());
    }

    // The roster as it was, which a restore keeps before it writes, is the
    // roster once the restore holds the writing lock: a record another
    // process writes after the restore read the roster and claimed the
    // folder, before it has the writing lock, is kept too.
    void aRestoreKeepsTheRosterAsItIsUnderTheLock()
    {
        QCOMPARE(import(m_base, {{firstSkater().keyOffset, "speed", "100"}}).status, 0);
        int writes = 0;
        setLockTakenHook([&](const QString &lock) {
            if (!QFileInfo(lock).fileName().startsWith("puckdex-open-"))
                return;
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(), {"--write-under-lock", m_base});
            writes += writer.waitForFinished() && writer.exitCode() == 0 ? 1 : 0;
        });
        const auto noHook = qScopeGuard([] { setLockTakenHook({}); });
        const Outcome restored = cli({"restore", m_base, "--from", "first"});
        QCOMPARE(writes, 1);
        QCOMPARE(restored.status, 0);
        QCOMPARE(readFile(base("key.db")), sample().keyFile); // the first generation
        const QRegularExpressionMatch kept =
            QRegularExpression("kept as generation (\\d+)").match(restored.out);
        QVERIFY2(kept.hasMatch(), qPrintable(restored.out + restored.err));
        BackupHistory history(journalFolder(), *findFileSet(m_base));
        const auto before = history.filesOf(*history.find(kept.captured(1)));
        QVERIFY(before.ok());
        QCOMPARE(before->at(1).at(kChangedByte), char(~sample().keyFile.at(kChangedByte)));
    }
};

// "--claim FOLDER" and "--hold-writing-lock FOLDER" (see helper());
// "--write-under-lock FOLDER" changes a byte of the key file under the
// roster's writing lock, and ends.
int holdFor(const QString &how, const QString &folder)
{
    const Result<FileSet> files = findFileSet(folder);
    if (!files)
        return 1;
    std::shared_ptr<FileLock> held;
    if (how == QLatin1String("--claim")) {
        const auto claim = claimFolder(journalFolder(), folder);
        held = claim ? *claim : nullptr;
    } else {
        const auto lock =
            WriteJournal(journalFolder(), folder, files->keyFile, files->attFile).lock();
        held = lock ? *lock : nullptr;
    }
    if (!held)
        return 1;
    if (how == QLatin1String("--write-under-lock")) {
        QFile key(files->keyFile);
        if (!key.open(QIODevice::ReadWrite) || !key.seek(kChangedByte))
            return 1;
        const char byte = key.peek(1).at(0);
        return key.write(QByteArray(1, char(~byte))) == 1 ? 0 : 1;
    }
    std::puts("held");
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1].startsWith(QLatin1String("--")))
        return holdFor(arguments[1], arguments[2]);
    TestRosterIdentity test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rosteridentity.moc"
