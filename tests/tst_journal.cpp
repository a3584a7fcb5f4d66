#include "testfiles.h"
#include "history/backuphistory.h"
#include "files/gamefiles.h"
#include "player/recordwrites.h"
#include "history/writejournal.h"

#include "fulldisk.h"
#include "sampleroster.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Puckdex;

namespace {



} // namespace

// Undoing a player's write only while his records hold its bytes, the
// write journal and the backup history, on the sample roster in a temporary
// folder. (The window's
// and the command line's tests undo skaters and goalies byte for byte.)
class TestJournal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_key, m_att;
    QByteArray m_keyBefore, m_attBefore;

    WriteJournal journal() const { return WriteJournal(m_dir.path(), m_dir.path(), m_key, m_att); }

    // Writes the first goalie or skater of the sample with a new speed (and
    // a skater with a new last name) and returns the write's journal entry.
    JournalEntry save(bool goalie, quint8 speed, quint8 agility = 0)
    {
        static const Sample::RosterImage image = Sample::buildRoster();
        qint64 offset = -1;
        for (const Sample::SamplePlayer &p : image.players) {
            if (offset < 0 && p.record.isGoalie() == goalie && p.record.teamNumber() < 26)
                offset = p.keyOffset;
        }
        const PlayerRecord key = *GameFiles::readPlayer(m_key, offset);
        PlayerFields fields =
            goalie ? fieldsOf(key, *GameFiles::readGoalieAttribs(m_att, key.attribOffset()))
                   : fieldsOf(key, *GameFiles::readSkaterAttribs(m_att, key.attribOffset()));
        fields.allPlayers[0] = speed;
        fields.allPlayers[1] = agility;
        if (!goalie)
            fields.lastName = QStringLiteral("Újváry");
        const auto written = writePlayerFields(m_key, m_att, offset, goalie, fields);
        return written ? JournalEntry::of(offset, goalie, *written) : JournalEntry();
    }

    bool filesAsBefore() const
    {
        return readFile(m_key) == m_keyBefore && readFile(m_att) == m_attBefore;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(Sample::writeBaseRosters(m_dir.path()).ok());
        m_key = m_dir.filePath("key.db");
        m_att = m_dir.filePath("att.db");
        m_keyBefore = readFile(m_key);
        m_attBefore = readFile(m_att);
        QFile::remove(journal().path());
        QDir(m_dir.filePath("history")).removeRecursively();
    }
    void cleanup() { GameFiles::setWriteFaultHook({}); }

    // A save is undone only while both records hold exactly its bytes:
    // changed since in a shown byte or not, in either file, it is refused
    // and nothing is written.
    void undoOnlyTheSavedBytes_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<int>("keyByte"); // changed since the save; -1 none
        QTest::addColumn<int>("attByte");
        QTest::newRow("unchanged skater") << false << -1 << -1;
        QTest::newRow("unchanged goalie") << true << -1 << -1;
        QTest::newRow("key, last name") << false << 19 << -1;
        QTest::newRow("key, unshown byte 59") << true << 59 << -1;
        QTest::newRow("att, speed") << false << -1 << 1;
        QTest::newRow("att, unshown byte 13") << true << -1 << 13;
    }
    void undoOnlyTheSavedBytes()
    {
        QFETCH(bool, goalie);
        QFETCH(int, keyByte);
        QFETCH(int, attByte);
        const JournalEntry entry = save(goalie, 12);
        QVERIFY(entry.changesAnything());
        for (const auto &[path, at] :
             {std::pair{m_key, keyByte < 0 ? -1 : entry.players.first().offset + keyByte},
              std::pair{m_att,
                        attByte < 0 ? -1 : entry.players.first().attribOffset + attByte}}) {
            if (at >= 0) {
                QByteArray bytes = readFile(path);
                bytes[at] = char(bytes.at(at) ^ 0x5a);
                QVERIFY(writeFile(path, bytes));
            }
        }
        const QByteArray key = readFile(m_key), att = readFile(m_att);

        const auto undone = entry.undo(m_key, m_att);
        if (keyByte < 0 && attByte < 0) {
            QVERIFY(undone.ok());
            QVERIFY(filesAsBefore());
            // Twice is refused: the records no longer hold the save's bytes.
            QVERIFY(entry.undo(m_key, m_att).error().changedSince);
            QVERIFY(entry.redo(m_key, m_att).ok());
            QCOMPARE(readFile(m_key), key);
            QCOMPARE(readFile(m_att), att);
            return;
        }
        QVERIFY(!undone.ok());
        QVERIFY(undone.error().changedSince);
        QCOMPARE(undone.error().error.filePath, keyByte >= 0 ? m_key : m_att);
        QCOMPARE(undone.error().fullMessage(),
                 QStringLiteral("%1: his record was changed after that save, by the game or "
                                "another program\n\nNothing was written.")
                     .arg(QDir::toNativeSeparators(keyByte >= 0 ? m_key : m_att)));
        QCOMPARE(readFile(m_key), key);
        QCOMPARE(readFile(m_att), att);
    }

    // A later save that failed (the attribute write, after the key record
    // was written and then put back) leaves the earlier save to undo; an
    // undo whose own attribute write fails likewise leaves it on disk.
    void undoAfterAFailedWrite()
    {
        const JournalEntry first = save(false, 4);
        GameFiles::setWriteFaultHook(
            [&](const QString &path, qint64) -> std::optional<GameFiles::WriteFault> {
                if (path == m_att)
                    return GameFiles::WriteFault{false, 3, QStringLiteral("the device failed")};
                return std::nullopt;
            });
        QVERIFY(save(false, 9, 15).players.isEmpty());
        const QByteArray key = readFile(m_key), att = readFile(m_att);
        QCOMPARE(key.mid(first.players.first().offset, 60), first.players.first().keyAfter);

        const auto undone = first.undo(m_key, m_att);
        QVERIFY(!undone.ok() && !undone.error().changedSince && undone.error().diskUnchanged);
        QCOMPARE(readFile(m_key), key);
        QCOMPARE(readFile(m_att), att);
        GameFiles::setWriteFaultHook({});
        QVERIFY(first.undo(m_key, m_att).ok());
        QVERIFY(filesAsBefore());
    }

    // A write that a full disk cuts off leaves the journal with the lines it
    // had, every one of them still read.
    void aFullDiskLeavesNoHalfLine()
    {
        FullDisk disk;
        REQUIRE_FULL_DISK(disk);
        WriteJournal j(disk.path(), m_dir.path(), m_key, m_att);
        JournalEntry entry = save(false, 3);
        QVERIFY(j.append(entry).ok());
        QVERIFY(disk.fill());
        // The journal's last page still has room for part of a line.
        int appended = 1;
        for (;;) {
            const QByteArray before = readFile(j.path());
            JournalEntry next = save(false, quint8(appended % 15));
            const Status status = j.append(next);
            if (!status) {
                QVERIFY2(status.error().reason.contains(QStringLiteral("the disk is full")),
                         qPrintable(status.error().reason));
                QCOMPARE(readFile(j.path()), before);
                break;
            }
            ++appended;
            QVERIFY(appended < 100);
        }
        const auto pending = j.pending();
        QVERIFY2(pending.ok(), pending ? "" : qPrintable(pending.error().reason));
        QCOMPARE(pending->size(), appended);
    }

    // The journal reads back every byte it was given, numbers the writes,
    // forgets undone ones and keeps the newest when it grows past its
    // capacity and a tenth.
    void journalKeepsTheNewestWrites()
    {
        WriteJournal j = journal();
        JournalEntry a = save(false, 1), b = save(true, 2);
        QVERIFY(j.append(a).ok() && j.append(b).ok());
        QVERIFY(j.markUndone(a.seq).ok());
        auto pending = journal().pending();
        QVERIFY(pending.ok());
        QCOMPARE(pending->size(), 1);
        const JournalEntry &entry = pending->first();
        const PlayerChange &read = entry.players.first(), &wrote = b.players.first();
        QCOMPARE(entry.players.size(), 1);
        QCOMPARE(QList<QVariant>({entry.seq, read.offset, read.attribOffset, read.goalie,
                                  read.keyBefore, read.attBefore, read.keyAfter, read.attAfter,
                                  entry.time.toSecsSinceEpoch()}),
                 QList<QVariant>({2, wrote.offset, wrote.attribOffset, true, wrote.keyBefore,
                                  wrote.attBefore, wrote.keyAfter, wrote.attAfter,
                                  b.time.toSecsSinceEpoch()}));

        // Past the capacity the oldest go; a kept write stays undone, and
        // marking it again adds no second mark.
        const int writes = WriteJournal::Capacity + WriteJournal::Capacity / 10 + 1;
        for (int i = 2; i < writes - 1; ++i)
            QVERIFY(j.append(a).ok());
        QVERIFY(j.markUndone(writes - 2).ok() && j.markUndone(writes - 2).ok());
        QVERIFY(j.append(a).ok());
        pending = j.pending();
        QVERIFY(pending.ok());
        QCOMPARE(pending->size(), WriteJournal::Capacity - 1);
        QCOMPARE(pending->first().seq, writes - WriteJournal::Capacity + 1);
        QCOMPARE(pending->last().seq, writes);
        QVERIFY(std::none_of(pending->cbegin(), pending->cend(),
                             [&](const JournalEntry &e) { return e.seq == writes - 2; }));

        // The numbers go on after the oldest went, also for a journal
        // opened afresh: a number used again would read as damage.
        JournalEntry next = a;
        QVERIFY(journal().append(next).ok());
        QCOMPARE(next.seq, writes + 1);
        pending = journal().pending();
        QVERIFY2(pending.ok(), pending ? "" : qPrintable(pending.error().reason));
        QCOMPARE(pending->last().seq, writes + 1);
    }

    // A writer killed in the middle of a line leaves the line without its
    // end: it is no write, the journal still reads, and the next addition
    // takes its place.
    void aLineCutShortIsPassedOver_data()
    {
        QTest::addColumn<int>("keep"); // bytes of the last addition left; -1: of the header
        QTest::newRow("a write's first byte") << 1;
        QTest::newRow("half a write") << 200;
        QTest::newRow("all but its end") << -2;
        QTest::newRow("half the first line") << -1;
    }
    void aLineCutShortIsPassedOver()
    {
        QFETCH(int, keep);
        WriteJournal j = journal();
        JournalEntry a = save(false, 1), b = save(true, 2);
        QVERIFY(j.append(a).ok());
        const QByteArray whole = readFile(j.path());
        const qsizetype headerEnd = whole.indexOf('\n') + 1;
        QVERIFY(j.append(b).ok());
        QByteArray bytes = readFile(j.path());
        if (keep == -1)
            bytes = bytes.left(headerEnd / 2);
        else
            bytes = bytes.left(keep == -2 ? bytes.size() - 1 : whole.size() + keep);
        QVERIFY(writeFile(j.path(), bytes));

        auto pending = journal().pending();
        QVERIFY2(pending.ok(), pending ? "" : qPrintable(pending.error().reason));
        QCOMPARE(pending->size(), keep == -1 ? 0 : 1);
        WriteJournal next = journal();
        QVERIFY(next.append(b).ok());
        pending = journal().pending();
        QVERIFY(pending.ok());
        QCOMPARE(pending->size(), keep == -1 ? 1 : 2);
        QCOMPARE(pending->last().seq, keep == -1 ? 1 : 2);
        QVERIFY(readFile(j.path()).endsWith('\n'));
        // And the additions after it read too.
        QVERIFY(next.append(a).ok());
        QVERIFY(journal().append(b).ok());
        pending = journal().pending();
        QVERIFY2(pending.ok(), pending ? "" : qPrintable(pending.error().reason));
        QCOMPARE(pending->size(), keep == -1 ? 3 : 4);
    }

    // A write of several players reads back as written; its packed records
    // cut short, or not hex, make the journal damaged.
    void aWriteOfSeveralPlayers_data()
    {
        QTest::addColumn<QByteArray>("find");
        QTest::addColumn<QByteArray>("replace");
        QTest::addColumn<QString>("reason");
        QTest::newRow("as written") << QByteArray() << QByteArray() << QString();
        QTest::newRow("a byte short") << QByteArray("00\",\"seq\"") << QByteArray("\",\"seq\"")
                                      << "line 2 is damaged: player 2 is cut short";
        QTest::newRow("not hex") << QByteArray("\"players\":\"") << QByteArray("\"players\":\"zz")
                                 << "line 2 is damaged: players is not the players' records";
        QTest::newRow("a label that is no text") << QByteArray("\"label\":\"import \\\"x\\\"\"")
                                                 << QByteArray("\"label\":7")
                                                 << "needs a label and its players";
    }
    void aWriteOfSeveralPlayers()
    {
        QFETCH(QByteArray, find);
        QFETCH(QByteArray, replace);
        QFETCH(QString, reason);
        JournalEntry several = JournalEntry::of(QStringLiteral("import \"x\""),
                                                {save(false, 1).players.first(),
                                                 save(true, 2).players.first()});
        several.players.last().attAfter[16] = '\0'; // his last byte, as the hex's last digits
        WriteJournal j = journal();
        QVERIFY(j.append(several).ok());
        QByteArray bytes = readFile(j.path());
        if (!find.isEmpty()) {
            QVERIFY(bytes.contains(find));
            QVERIFY(writeFile(j.path(), bytes.replace(find, replace)));
        }
        const auto pending = j.pending();
        if (reason.isEmpty()) {
            QVERIFY(pending.ok());
            QCOMPARE(pending->size(), 1);
            QCOMPARE(pending->first().label, several.label);
            QCOMPARE(pending->first().players.size(), 2);
            QCOMPARE(pending->first().players.last().attAfter, several.players.last().attAfter);
            QCOMPARE(pending->first().players.first().keyBefore,
                     several.players.first().keyBefore);
            return;
        }
        QVERIFY(!pending.ok());
        QVERIFY2(pending.error().reason.contains(reason), qPrintable(pending.error().reason));
    }

    // Processes that add to one journal at once take turns: every write
    // gets a number of its own and the journal reads whole.
    void writersInTwoProcessesTakeTurns()
    {
        WriteJournal j = journal();
        JournalEntry a = save(false, 1);
        QVERIFY(j.append(a).ok());
        constexpr int kEach = 150;
        QList<std::shared_ptr<QProcess>> writers;
        for (int i = 0; i < 2; ++i) {
            writers.append(std::make_shared<QProcess>());
            writers.last()->start(QCoreApplication::applicationFilePath(),
                                  {QStringLiteral("--append-writes"), m_dir.path(),
                                   QString::number(kEach)});
        }
        for (const auto &writer : writers) {
            QVERIFY(writer->waitForFinished(120000));
            QCOMPARE(writer->exitCode(), 0);
        }
        const auto pending = j.pending();
        QVERIFY2(pending.ok(), pending ? "" : qPrintable(pending.error().reason));
        QCOMPARE(pending->size(), 1 + 2 * kEach);
        QCOMPARE(pending->last().seq, 1 + 2 * kEach);
    }

    // The backup history keeps its first generation and its newest, stores
    // a file once however many generations hold it, and adds nothing for
    // the bytes its newest holds already.
    void historyKeepsTheFirstAndTheNewest()
    {
        BackupHistory history(m_dir.filePath("history"), *findFileSet(m_dir.path()));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const int kept = BackupHistory::KeptNewest + 5;
        for (int i = 1; i <= kept; ++i) {
            const QByteArray n = QByteArray::number(i);
            QCOMPARE(history.keep({"teams", "key" + n, "att" + n}, now)->number, i);
        }
        const QByteArray last = QByteArray::number(kept);
        QCOMPARE(history.keep({"teams", "key" + last, "att" + last}, now)->number, kept);

        const auto generations = history.generations();
        QVERIFY(generations.ok());
        QCOMPARE(generations->size(), BackupHistory::KeptNewest + 1);
        QCOMPARE(generations->at(1).number, kept - BackupHistory::KeptNewest + 1);
        QCOMPARE(*history.filesOf(*history.find("first")),
                 QList<QByteArray>({"teams", "key1", "att1"}));
        QCOMPARE(history.find("first")->time.toSecsSinceEpoch(), now.toSecsSinceEpoch());
        QCOMPARE(QDir(history.path()).entryList({"*.bin"}).size(), 1 + 2 * generations->size());
    }

    // The first backups of a roster are its first generation at once;
    // backups that hold the game files' bytes already are not written again;
    // a history that cannot be made stops no backup copy.
    void theFirstBackupsAreTheFirstGeneration()
    {
        const FileSet files = *findFileSet(m_dir.path());
        BackupHistory history(m_dir.filePath("history"), files);
        const auto made = makeBackups(files, history);
        QVERIFY(made.ok() && !made->keptGeneration && !made->firstNotKept);
        QCOMPARE(history.generations()->size(), 1);
        QCOMPARE(history.filesOf(*history.find("first"))->at(1), m_keyBefore);
        const QString keyBak = m_dir.filePath("key.bak");
        const QDateTime copied = QFileInfo(keyBak).lastModified();
        QTest::qSleep(20);
        QVERIFY(makeBackups(files, history).ok());
        QCOMPARE(QFileInfo(keyBak).lastModified(), copied);
        QCOMPARE(history.generations()->size(), 1);

        for (const char *bak : {"teams.bak", "key.bak", "att.bak"})
            QVERIFY(QFile::remove(m_dir.filePath(bak)));
        QVERIFY(writeFile(m_dir.filePath("no-history"), "a file where its folder would be"));
        BackupHistory none(m_dir.filePath("no-history"), files);
        const auto without = makeBackups(files, none);
        QVERIFY(without.ok());
        QVERIFY(without->firstNotKept);
        QCOMPARE(readFile(keyBak), m_keyBefore);
    }

    // Past its capacity in players the journal keeps the newest writes that
    // fit, and always the newest, however large.
    void largeWritesFillTheJournalByTheirPlayers()
    {
        WriteJournal j = journal();
        const PlayerChange one = save(false, 1).players.first();
        JournalEntry large;
        large.time = QDateTime::currentDateTimeUtc();
        large.label = QStringLiteral("import of large.csv");
        for (int i = 0; i < WriteJournal::PlayerCapacity * 6 / 10; ++i) {
            PlayerChange change = one;
            const qint64 regionOne = GameFiles::KeyRegionOneEnd / PlayerRecord::Size;
            change.offset = i < regionOne ? i * PlayerRecord::Size
                                          : GameFiles::KeyRegionTwoStart
                                                + (i - regionOne) * PlayerRecord::Size;
            large.players.append(change);
        }
        JournalEntry small = large;
        small.players.resize(1);
        for (JournalEntry *entry : {&small, &large, &small, &large}) {
            JournalEntry copy = *entry;
            QVERIFY(j.append(copy).ok());
        }
        const auto pending = j.pending();
        QVERIFY2(pending.ok(), pending ? "" : qPrintable(pending.error().reason));
        QCOMPARE(pending->size(), 2);
        QCOMPARE(pending->first().seq, 3);
        QCOMPARE(pending->last().players.size(), large.players.size());
        QCOMPARE(pending->last().label, large.label);
    }

    // A generation whose files are not what was kept, and a history that is
    // damaged or another set's, are refused; nothing is added to them.
    void damagedHistoryRefused_data()
    {
        QTest::addColumn<QString>("file"); // "blob" for a kept file
        QTest::addColumn<QByteArray>("find");
        QTest::addColumn<QByteArray>("replace"); // empty: the file removed
        QTest::addColumn<QString>("reason");
        QTest::newRow("a file changed") << "blob" << QByteArray("key-old") << QByteArray("kex")
                                        << "generation 1 is damaged: its copy of key.db is not "
                                           "what was kept";
        QTest::newRow("a file changed, its size kept")
            << "blob" << QByteArray("key-old") << QByteArray("kez-old")
            << "generation 1 is damaged: its copy of key.db is not what was kept";
        QTest::newRow("a file gone") << "blob" << QByteArray("key-old") << QByteArray()
                                     << "its copy of key.db cannot be read";
        QTest::newRow("list garbled") << "generations.json" << QByteArray("\"history\"")
                                      << QByteArray("\"x\"")
                                      << "the backup history is damaged: it is not a Puckdex "
                                         "backup history; it was not used";
        QTest::newRow("another set") << "generations.json" << QByteArray("\"key.db\"")
                                     << QByteArray("\"03key.db\"")
                                     << "the backup history belongs to teams.db, 03key.db";
    }
    void damagedHistoryRefused()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, find);
        QFETCH(QByteArray, replace);
        QFETCH(QString, reason);
        BackupHistory history(m_dir.filePath("history"), *findFileSet(m_dir.path()));
        QVERIFY(history.keep({"teams", "key-old", "att"}, QDateTime::currentDateTimeUtc()));
        const QString path =
            QDir(history.path())
                .filePath(file == "blob" ? QCryptographicHash::hash(find, QCryptographicHash::Sha256)
                                                   .toHex() + ".bin"
                                         : file);
        QByteArray bytes = readFile(path);
        QVERIFY(file == "blob" || bytes.contains(find));
        if (file == "blob" && replace.isEmpty())
            QVERIFY(QFile::remove(path));
        else
            QVERIFY(writeFile(path, file == "blob" ? replace : bytes.replace(find, replace)));
        const auto list = snapshotOf(history.path());

        const auto generation = history.find("first");
        const auto files = generation ? history.filesOf(*generation)
                                      : Result<QList<QByteArray>>(generation.error());
        QVERIFY(!files.ok());
        QVERIFY2(files.error().reason.contains(reason), qPrintable(files.error().reason));
        if (file != "blob") {
            QVERIFY(!history.keep({"teams", "key-new", "att"}, QDateTime::currentDateTimeUtc()));
            QCOMPARE(snapshotOf(history.path()), list);
        }
    }

    // The start-up's backups: those that differ from the game files go into
    // the history before they are replaced; while the history cannot take
    // them (here a full disk under it), they are left as they are.
    void backupsThatDifferAreKeptFirst()
    {
        FullDisk disk;
        const FileSet files = *findFileSet(m_dir.path());
        BackupHistory history(disk.mounted() ? disk.path() : m_dir.filePath("history"), files);
        QVERIFY(!makeBackups(files, history)->keptGeneration);
        const QByteArray original = readFile(m_key);
        save(false, 5);
        QCOMPARE(makeBackups(files, history)->keptGeneration, std::optional<int>(1));
        QCOMPARE(history.filesOf(*history.find("1"))->at(1), original);
        QCOMPARE(readFile(m_dir.filePath("key.bak")), readFile(m_key));
        QVERIFY(!makeBackups(files, history)->keptGeneration);

        REQUIRE_FULL_DISK(disk);
        save(false, 6);
        const auto before = snapshotOf(m_dir.path());
        QVERIFY(disk.fill());
        const auto made = makeBackups(files, history);
        QVERIFY(!made && made.error().historyFailed);
        QVERIFY2(made.error().error.reason.contains("the disk is full"),
                 qPrintable(made.error().error.reason));
        QCOMPARE(snapshotOf(m_dir.path()), before);
        QCOMPARE(history.generations()->size(), 1);
        QVERIFY(history.filesOf(history.generations()->first()).ok());
    }

    // A damaged journal, or one of another folder or file set, is refused
    // whole with the line and the reason, and left as it is.
    void damagedJournalRefused_data()
    {
        QTest::addColumn<QString>("find"); // in a journal of two writes
        QTest::addColumn<QString>("replace");
        QTest::addColumn<QString>("reason");
        QTest::newRow("garbage") << "\n{"
                                 << "\nnot json\n{"
                                 << "line 2 is damaged: it is not a JSON object";
        QTest::newRow("record too short") << "\"key_before\":\""
                                          << "\"key_before\":\"00"
                                          << "key_before is not a record of 60 bytes";
        QTest::newRow("offset in the gap") << "\"offset\":"
                                           << "\"offset\":45480,\"x\":"
                                           << "no player record starts at offset 45480";
        QTest::newRow("numbers out of order") << "\"seq\":2"
                                              << "\"seq\":1"
                                              << "its number 1 does not follow 1";
        QTest::newRow("undoes nothing") << "}\n{"
                                        << "}\n{\"undone\":9}\n{"
                                        << "undoes write 9";
        QTest::newRow("undone twice") << "}\n"
                                      << "}\n{\"undone\":1}\n{\"undone\":1}\n"
                                      << "line 5 is damaged: it undoes write 1";
        QTest::newRow("another folder") << "\"folder\":\""
                                        << "\"folder\":\"/elsewhere"
                                        << "the journal belongs to key.db in "
                                               + QDir::toNativeSeparators("/elsewhere");
        QTest::newRow("another set") << "\"key\":\"key.db\""
                                     << "\"key\":\"03key.db\""
                                     << "the journal belongs to 03key.db";
    }
    void damagedJournalRefused()
    {
        QFETCH(QString, find);
        QFETCH(QString, replace);
        QFETCH(QString, reason);
        WriteJournal j = journal();
        JournalEntry a = save(false, 1), b = save(false, 2);
        QVERIFY(j.append(a).ok() && j.append(b).ok());
        QString text = QString::fromUtf8(readFile(j.path()));
        const qsizetype at = find == "}\n" ? text.lastIndexOf(find) : text.indexOf(find);
        QVERIFY(at >= 0);
        QVERIFY(writeFile(j.path(), text.replace(at, find.size(), replace).toUtf8()));

        const auto pending = j.pending();
        QVERIFY(!pending.ok());
        QVERIFY2(pending.error().reason.contains(reason), qPrintable(pending.error().reason));
        QVERIFY(pending.error().reason.endsWith("was not used"));
        QVERIFY(!journal().append(a).ok());
        QCOMPARE(QString::fromUtf8(readFile(j.path())), text);
    }
};

// "--append-writes FOLDER COUNT": another process that adds the sample
// roster's first journalled write COUNT times over to FOLDER's journal.
int appendWrites(const QString &folder, int count)
{
    WriteJournal j(folder, folder, folder + QStringLiteral("/key.db"),
                   folder + QStringLiteral("/att.db"));
    const auto pending = j.pending();
    if (!pending || pending->isEmpty())
        return 1;
    JournalEntry entry = pending->first();
    for (int i = 0; i < count; ++i) {
        if (!j.append(entry))
            return 2;
    }
    return 0;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == QLatin1String("--append-writes"))
        return appendWrites(arguments[2], arguments[3].toInt());
    TestJournal test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_journal.moc"
