#include "bytecompare.h"
#include "gamedb/gamefiles.h"
#include "gamedb/playerfields.h"
#include "gamedb/writejournal.h"
#include "sampleroster.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Puckdex;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

const Sample::SamplePlayer &firstOf(bool goalie)
{
    static const Sample::RosterImage image = Sample::buildRoster();
    for (const Sample::SamplePlayer &player : image.players) {
        if (player.record.isGoalie() == goalie && player.record.teamNumber() < image.teams.size())
            return player;
    }
    qFatal("the sample roster has no such player");
}

} // namespace

// The write journal and undoing a player's write through it, on the sample
// roster in a temporary folder.
class TestJournal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_key, m_att, m_teams;
    QByteArray m_keyBefore, m_attBefore;

    QString file(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    WriteJournal journal() const { return WriteJournal(m_dir.path(), m_dir.path(), m_key, m_att); }

    // Changes a player's speed (and, for a skater, fighting and name) and
    // records the write.
    JournalEntry save(bool goalie, quint8 speed)
    {
        const Sample::SamplePlayer &player = firstOf(goalie);
        const Result<PlayerRecord> key = GameFiles::readPlayer(m_key, player.keyOffset);
        PlayerFields fields;
        if (goalie)
            fields = fieldsOf(*key, *GameFiles::readGoalieAttribs(m_att, key->attribOffset()));
        else
            fields = fieldsOf(*key, *GameFiles::readSkaterAttribs(m_att, key->attribOffset()));
        fields.allPlayers[0] = speed;
        if (!goalie) {
            fields.fwdDef[9] = 5;
            fields.lastName = QStringLiteral("Újváry");
            fields.weightClass = 3;
        }
        const auto written = writePlayerFields(m_key, m_att, player.keyOffset, goalie, fields);
        if (!written)
            qFatal("%s", qPrintable(written.error().fullMessage()));
        return JournalEntry::of(player.keyOffset, goalie, *written);
    }

    void verifyFilesAsBefore()
    {
        QVERIFY2(firstDifference(readFile(m_key), m_keyBefore).isEmpty(),
                 qPrintable(firstDifference(readFile(m_key), m_keyBefore)));
        QVERIFY2(firstDifference(readFile(m_att), m_attBefore).isEmpty(),
                 qPrintable(firstDifference(readFile(m_att), m_attBefore)));
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(Sample::writeBaseRosters(m_dir.path()).ok());
        m_key = file("key.db");
        m_att = file("att.db");
        m_teams = file("teams.db");
        m_keyBefore = readFile(m_key);
        m_attBefore = readFile(m_att);
        QFile::remove(journal().path());
    }
    void cleanup() { GameFiles::setWriteFaultHook({}); }

    // A save undone gives both records back byte for byte; redone, the
    // save's bytes again.
    void undoAndRedo_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::newRow("skater") << false;
        QTest::newRow("goalie") << true;
    }
    void undoAndRedo()
    {
        QFETCH(bool, goalie);
        const JournalEntry entry = save(goalie, 12);
        QVERIFY(entry.changesAnything());
        const QByteArray keySaved = readFile(m_key), attSaved = readFile(m_att);
        QVERIFY(keySaved != m_keyBefore || attSaved != m_attBefore);

        const auto undone = entry.undo(m_key, m_att);
        QVERIFY2(undone.ok(), undone.ok() ? "" : qPrintable(undone.error().fullMessage()));
        verifyFilesAsBefore();
        // Twice is refused: the records no longer hold what the save left.
        const auto again = entry.undo(m_key, m_att);
        QVERIFY(!again.ok());
        QVERIFY(again.error().changedSince);
        verifyFilesAsBefore();

        QVERIFY(entry.redo(m_key, m_att).ok());
        QCOMPARE(readFile(m_key), keySaved);
        QCOMPARE(readFile(m_att), attSaved);
    }

    // Undo is refused, writing nothing, when either record was changed on
    // disk after the save, in a shown byte or not.
    void refusedWhenChangedSince_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<bool>("inKeyFile");
        QTest::addColumn<int>("byte"); // inside the record
        QTest::newRow("skater key, last name") << false << true << 19;
        QTest::newRow("skater key, unshown byte 59") << false << true << 59;
        QTest::newRow("skater att, speed") << false << false << 1;
        QTest::newRow("skater att, unshown byte 16") << false << false << 16;
        QTest::newRow("goalie key, weight") << true << true << 57;
        QTest::newRow("goalie att, unshown byte 13") << true << false << 13;
    }
    void refusedWhenChangedSince()
    {
        QFETCH(bool, goalie);
        QFETCH(bool, inKeyFile);
        QFETCH(int, byte);
        const JournalEntry entry = save(goalie, 8);
        const QString path = inKeyFile ? m_key : m_att;
        QByteArray bytes = readFile(path);
        const qint64 at = (inKeyFile ? entry.offset : entry.attribOffset) + byte;
        bytes[at] = char(bytes.at(at) ^ 0x5a);
        writeFile(path, bytes);
        const QByteArray keyChanged = readFile(m_key), attChanged = readFile(m_att);

        const auto undone = entry.undo(m_key, m_att);
        QVERIFY(!undone.ok());
        QVERIFY(undone.error().changedSince);
        QVERIFY(undone.error().diskUnchanged);
        QVERIFY2(undone.error().fullMessage().contains("changed after that save"),
                 qPrintable(undone.error().fullMessage()));
        QCOMPARE(readFile(m_key), keyChanged);
        QCOMPARE(readFile(m_att), attChanged);
    }

    // A save that failed (its attribute write, after the key record was
    // written) leaves the earlier save on disk, which undo then takes back.
    void undoAfterAFailedWrite()
    {
        const JournalEntry first = save(false, 4);
        const qint64 attribOffset = first.attribOffset;
        GameFiles::setWriteFaultHook(
            [&](const QString &path, qint64 offset) -> std::optional<GameFiles::WriteFault> {
                if (path == m_att && offset == attribOffset)
                    return GameFiles::WriteFault{false, 3, QStringLiteral("the device failed")};
                return std::nullopt;
            });
        const Sample::SamplePlayer &player = firstOf(false);
        const Result<PlayerRecord> key = GameFiles::readPlayer(m_key, player.keyOffset);
        PlayerFields fields =
            fieldsOf(*key, *GameFiles::readSkaterAttribs(m_att, key->attribOffset()));
        fields.allPlayers[1] = 15;
        fields.firstName = QStringLiteral("Other");
        const auto failed = writePlayerFields(m_key, m_att, player.keyOffset, false, fields);
        QVERIFY(!failed.ok());
        QVERIFY(failed.error().diskUnchanged);
        GameFiles::setWriteFaultHook({});

        QVERIFY(first.undo(m_key, m_att).ok());
        verifyFilesAsBefore();
    }

    // An undo whose own write fails puts the key record back: the save
    // stays on disk and can still be undone.
    void failedUndoLeavesTheSave()
    {
        const JournalEntry entry = save(true, 3);
        const QByteArray keySaved = readFile(m_key), attSaved = readFile(m_att);
        GameFiles::setWriteFaultHook(
            [&](const QString &path, qint64) -> std::optional<GameFiles::WriteFault> {
                if (path == m_att)
                    return GameFiles::WriteFault{false, 0, QStringLiteral("the device failed")};
                return std::nullopt;
            });
        const auto undone = entry.undo(m_key, m_att);
        QVERIFY(!undone.ok());
        QVERIFY(!undone.error().changedSince);
        QCOMPARE(readFile(m_key), keySaved);
        QCOMPARE(readFile(m_att), attSaved);
        GameFiles::setWriteFaultHook({});
        QVERIFY(entry.undo(m_key, m_att).ok());
        verifyFilesAsBefore();
    }

    // The journal keeps writes in order, forgets undone ones, and reads back
    // every byte it was given.
    void journalRoundTrip()
    {
        WriteJournal j = journal();
        JournalEntry a = save(false, 1), b = save(true, 2), c = save(false, 3);
        QVERIFY(j.append(a).ok());
        QVERIFY(j.append(b).ok());
        QVERIFY(j.append(c).ok());
        QCOMPARE(QList<int>({a.seq, b.seq, c.seq}), QList<int>({1, 2, 3}));
        QVERIFY(j.markUndone(c.seq).ok());
        const auto pending = journal().pending();
        QVERIFY2(pending.ok(), pending.ok() ? "" : qPrintable(pending.error().fullMessage()));
        QCOMPARE(pending->size(), 2);
        const JournalEntry &read = pending->at(1);
        QCOMPARE(read.seq, b.seq);
        QCOMPARE(read.offset, b.offset);
        QCOMPARE(read.goalie, true);
        QCOMPARE(read.keyBefore, b.keyBefore);
        QCOMPARE(read.attBefore, b.attBefore);
        QCOMPARE(read.keyAfter, b.keyAfter);
        QCOMPARE(read.attAfter, b.attAfter);
        QCOMPARE(read.time.toSecsSinceEpoch(), b.time.toSecsSinceEpoch());
        // A later write continues the numbers, also past an undone one.
        JournalEntry d = save(true, 4);
        QVERIFY(journal().append(d).ok());
        QCOMPARE(d.seq, 4);
        // Another folder or file set has a journal of its own.
        QVERIFY(WriteJournal(m_dir.path(), m_dir.path() + "/x", m_key, m_att).path() != j.path());
        QVERIFY(
            WriteJournal(m_dir.path(), m_dir.path(), file("03key.db"), file("03att.db")).path() !=
            j.path());
    }

    // Past its capacity and a tenth the oldest writes go.
    void journalIsCapped()
    {
        JournalEntry entry = save(false, 5);
        WriteJournal j = journal();
        for (int i = 0; i < WriteJournal::Capacity + WriteJournal::Capacity / 10 + 1; ++i)
            QVERIFY(j.append(entry).ok());
        const auto pending = j.pending();
        QVERIFY(pending.ok());
        QCOMPARE(pending->size(), WriteJournal::Capacity);
        QCOMPARE(pending->last().seq, WriteJournal::Capacity + WriteJournal::Capacity / 10 + 1);
        QCOMPARE(pending->first().seq, pending->last().seq - WriteJournal::Capacity + 1);
    }

    // A damaged journal, or one of another folder, is refused whole with
    // the line and the reason.
    void damagedJournalRefused_data()
    {
        QTest::addColumn<QString>("find");    // in the good journal's text
        QTest::addColumn<QString>("replace"); // by this
        QTest::addColumn<QString>("reason");
        QTest::newRow("garbage line") << "\n{\"att_after\""
                                      << "\nnot json\n{\"att_after\""
                                      << "line 2 is damaged: it is not a JSON object";
        QTest::newRow("cut short") << "}\n"
                                   << ""
                                   << "it ends without a line end";
        QTest::newRow("record too short") << "\"key_before\":\""
                                          << "\"key_before\":\"00"
                                          << "key_before is not a record of 60 bytes";
        QTest::newRow("not hex") << "\"att_after\":\""
                                 << "\"att_after\":\"zz"
                                 << "att_after is not a record";
        QTest::newRow("offset in the gap") << "\"offset\":"
                                           << "\"offset\":45480,\"x\":"
                                           << "no player record starts at offset 45480";
        QTest::newRow("number repeated") << "\"seq\":2"
                                         << "\"seq\":1"
                                         << "does not follow";
        QTest::newRow("undoes nothing") << "}\n{\"att_after\""
                                        << "}\n{\"undone\":9}\n{\"att_after\""
                                        << "undoes write 9";
        QTest::newRow("another folder") << "\"folder\":\""
                                        << "\"folder\":\"/elsewhere"
                                        << "the journal belongs to key.db in";
        QTest::newRow("another set") << "\"key\":\"key.db\""
                                     << "\"key\":\"03key.db\""
                                     << "the journal belongs to 03key.db";
        QTest::newRow("not a journal") << "puckdex write journal"
                                       << "notes"
                                       << "line 1 is damaged";
    }
    void damagedJournalRefused()
    {
        QFETCH(QString, find);
        QFETCH(QString, replace);
        QFETCH(QString, reason);
        WriteJournal j = journal();
        JournalEntry a = save(false, 1), b = save(false, 2);
        QVERIFY(j.append(a).ok());
        QVERIFY(j.append(b).ok());
        QString text = QString::fromUtf8(readFile(j.path()));
        const qsizetype at = find == "}\n" ? text.lastIndexOf(find) : text.indexOf(find);
        QVERIFY2(at >= 0, qPrintable(find));
        text.replace(at, find.size(), replace);
        writeFile(j.path(), text.toUtf8());

        const auto pending = j.pending();
        QVERIFY(!pending.ok());
        QVERIFY2(pending.error().reason.contains(reason), qPrintable(pending.error().reason));
        QVERIFY(pending.error().reason.endsWith("was not used"));
        // A damaged journal is left as it is; the write is not recorded.
        JournalEntry c = save(false, 3);
        QVERIFY(!j.append(c).ok());
        QCOMPARE(QString::fromUtf8(readFile(j.path())), text);
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
