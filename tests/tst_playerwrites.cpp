#include "testfiles.h"
#include "files/fileset.h"
#include "files/gamefiles.h"
#include "history/filelocks.h"
#include "history/playerwrites.h"
#include "history/writejournal.h"

#include "sampleroster.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Puckdex;

// The writes of players as one transaction each: several players in one
// write and one journal entry, taken back whole or not at all, undone
// several at a time, and redone.
class TestPlayerWrites : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_game, m_key, m_att;
    QByteArray m_keyBefore, m_attBefore;

    PlayerWrites writes() const { return PlayerWrites(m_dir.filePath("settings"), files()); }
    FileSet files() const { return *findFileSet(m_game); }

    // The nth team player of the sample (of the first teams' players, so
    // the kinds mix), with his fields given a new first rating and weight.
    FieldsWrite fasterPlayer(int n, quint8 speed) const
    {
        static const Sample::RosterImage image = Sample::buildRoster();
        int seen = 0;
        for (const Sample::SamplePlayer &p : image.players) {
            if (p.record.teamNumber() >= Sample::kTeamCount || seen++ < n)
                continue;
            const PlayerRecord key = *GameFiles::readPlayer(m_key, p.keyOffset);
            const bool goalie = key.isGoalie();
            PlayerFields fields =
                goalie ? fieldsOf(key, *GameFiles::readGoalieAttribs(m_att, key.attribOffset()))
                       : fieldsOf(key, *GameFiles::readSkaterAttribs(m_att, key.attribOffset()));
            fields.allPlayers[0] = speed;
            fields.weightPounds = quint8(150 + speed); // his key record changes too
            return {p.keyOffset, goalie, fields, {}, {}};
        }
        return {};
    }
    QList<FieldsWrite> fasterPlayers(int count, quint8 speed) const
    {
        QList<FieldsWrite> list;
        for (int i = 0; i < count; ++i)
            list.append(fasterPlayer(i * 7, speed));
        return list;
    }
    bool filesAsBefore() const
    {
        return readFile(m_key) == m_keyBefore && readFile(m_att) == m_attBefore;
    }
    WriteJournal journal() const
    {
        return WriteJournal(m_dir.filePath("settings"), m_game, m_key, m_att);
    }
    // An action begun in the journal, as a writer killed before its done
    // mark leaves it: its lines on the disk and the first `written` of its
    // changes in the files.
    void killedAction(const QString &what, JournalEntry *write, const QList<int> &undone,
                      const QList<PlayerChange> &changes, qsizetype written)
    {
        WriteJournal j = journal();
        const auto lock = j.lock();
        QVERIFY(lock.ok());
        QVERIFY(j.begin(what, write, undone, **lock).ok());
        QVERIFY(commitChanges(m_key, m_att, changes.first(written)).ok());
    }
    // Flips a byte of the files, as the game might write it.
    bool touch(const QString &path, qint64 at) const
    {
        QByteArray bytes = readFile(path);
        bytes[at] = char(bytes.at(at) ^ 0x21);
        return writeFile(path, bytes);
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_game = m_dir.filePath("game");
        QDir(m_game).removeRecursively();
        QDir(m_dir.filePath("settings")).removeRecursively();
        QVERIFY(Sample::writeBaseRosters(m_game).ok());
        m_key = QDir(m_game).filePath("key.db");
        m_att = QDir(m_game).filePath("att.db");
        m_keyBefore = readFile(m_key);
        m_attBefore = readFile(m_att);
    }
    void cleanup() { GameFiles::setWriteFaultHook({}); }

    // Several players written as one: one journal entry that names what
    // made it, every player's records changed and nothing else, then taken
    // back whole and made again.
    void severalPlayersAreOneWrite()
    {
        PlayerWrites w = writes();
        const QList<FieldsWrite> list = fasterPlayers(12, 14);
        const auto saved = w.saveAll(list, "import of sheet.csv");
        QVERIFY(saved.ok());
        QVERIFY(saved->journaled.ok());
        QCOMPARE(saved->entry.players.size(), list.size());
        QByteArray key = m_keyBefore, att = m_attBefore;
        for (const PlayerChange &change : saved->entry.players) {
            key.replace(change.offset, change.keyAfter.size(), change.keyAfter);
            att.replace(change.attribOffset, change.attAfter.size(), change.attAfter);
            QCOMPARE(change.attAfter.at(change.goalie ? 6 : 1), char(14)); // his first rating
        }
        QCOMPARE(readFile(m_key), key);
        QCOMPARE(readFile(m_att), att);

        const auto pending = writes().pending();
        QVERIFY(pending.ok());
        QCOMPARE(pending->size(), 1);
        QCOMPARE(pending->first().label, QStringLiteral("import of sheet.csv"));
        QCOMPARE(pending->first().players.size(), list.size());
        QCOMPARE(pending->first().playerName(), QStringLiteral("import of sheet.csv: 12 players"));

        QVERIFY(w.undoLastSave()->ok());
        QVERIFY(filesAsBefore());
        QVERIFY(writes().pending()->isEmpty());
        QVERIFY(w.redoLastUndo()->ok());
        QCOMPARE(readFile(m_key), key);
        QCOMPARE(readFile(m_att), att);
    }

    // One record the game wrote since refuses the whole undo: no byte of
    // any player is written.
    void aChangedRecordRefusesTheWholeUndo_data()
    {
        QTest::addColumn<bool>("inKeyFile");
        QTest::addColumn<int>("player");
        QTest::newRow("the first player's key record") << true << 0;
        QTest::newRow("the last player's attribute record") << false << 5;
    }
    void aChangedRecordRefusesTheWholeUndo()
    {
        QFETCH(bool, inKeyFile);
        QFETCH(int, player);
        PlayerWrites w = writes();
        const auto saved = w.saveAll(fasterPlayers(6, 3), "import of sheet.csv");
        QVERIFY(saved.ok());
        const PlayerChange &changed = saved->entry.players.at(player);
        QVERIFY(inKeyFile ? touch(m_key, changed.offset + 58) : touch(m_att, changed.attribOffset + 15));
        const QByteArray key = readFile(m_key), att = readFile(m_att);

        const auto undone = w.undo(saved->entry);
        QVERIFY(!undone.ok());
        QVERIFY(undone.error().changedSince);
        QVERIFY2(undone.error().error.reason.contains(QStringLiteral("(offset %1)").arg(changed.offset)),
                 qPrintable(undone.error().error.reason));
        QCOMPARE(readFile(m_key), key);
        QCOMPARE(readFile(m_att), att);
        QCOMPARE(w.saves().size(), 1);
    }

    // A write that fails on its way puts back every record it wrote: the
    // files are as they were, and there is nothing to undo.
    void aFailedWriteOfSeveralChangesNothing()
    {
        const QList<FieldsWrite> list = fasterPlayers(5, 9);
        const qint64 failing = GameFiles::readPlayer(m_key, list[3].offset)->attribOffset();
        GameFiles::setWriteFaultHook(
            [&](const QString &path, qint64 offset) -> std::optional<GameFiles::WriteFault> {
                if (path == m_att && offset == failing)
                    return GameFiles::WriteFault{false, 4, QStringLiteral("the device failed")};
                return std::nullopt;
            });
        PlayerWrites w = writes();
        const auto saved = w.saveAll(list, "import of sheet.csv");
        QVERIFY(!saved.ok());
        QVERIFY(saved.error().diskUnchanged);
        QVERIFY2(saved.error().error.reason.contains(QStringLiteral("at offset %1").arg(failing)),
                 qPrintable(saved.error().error.reason));
        GameFiles::setWriteFaultHook({});
        QVERIFY(filesAsBefore());
        QVERIFY(w.saves().isEmpty());
        QVERIFY(!QFileInfo::exists(w.journalPath()) || w.pending()->isEmpty());
    }

    // The newest writes undone as one, newest first, up to the first that
    // is refused; the two of one player give back his first bytes.
    void theNewestWritesAreUndoneAsOne()
    {
        PlayerWrites w = writes();
        const FieldsWrite first = fasterPlayer(3, 5); // none of the import's
        QVERIFY(w.save(first.offset, first.goalie, first.fields).ok());
        const QByteArray keyOne = readFile(m_key), attOne = readFile(m_att);
        QVERIFY(w.saveAll(fasterPlayers(4, 11), "import of a.csv").ok());
        FieldsWrite again = fasterPlayer(0, 15);
        QVERIFY(w.save(again.offset, again.goalie, again.fields).ok());
        auto pending = writes().pending();
        QCOMPARE(pending->size(), 3);
        QList<JournalEntry> newestFirst(pending->crbegin(), pending->crend());

        // The oldest write's record changed since: the two newer ones go.
        const qint64 byte = pending->first().players.first().attribOffset + 15;
        QVERIFY(touch(m_att, byte));
        PlayerWrites::Steps steps = writes().undoNewest(newestFirst);
        QCOMPARE(steps.undone.size(), 2);
        QVERIFY(steps.refused && steps.refused->first.seq == 1);
        QVERIFY(steps.refused->second.changedSince);
        QVERIFY(steps.journaled.ok());
        QByteArray att = attOne;
        att[byte] = char(att.at(byte) ^ 0x21);
        QCOMPARE(readFile(m_key), keyOne);
        QCOMPARE(readFile(m_att), att);

        QVERIFY(touch(m_att, byte));
        pending = writes().pending();
        QCOMPARE(pending->size(), 1);
        steps = writes().undoNewest(*pending);
        QVERIFY(!steps.refused);
        QVERIFY(filesAsBefore());
        QVERIFY(writes().pending()->isEmpty());
    }

    // An action a killed writer began is set back by the next to open the
    // roster: each record that holds what it was to write gets its old
    // bytes, one that holds neither is left and named, and the journal is
    // as it was before the action.
    void anInterruptedActionIsSetBack_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("written"); // of the action's players
        QTest::addColumn<bool>("touched"); // a record written since by another
        QTest::newRow("an import, none written") << "import" << 0 << false;
        QTest::newRow("an import, half written") << "import" << 3 << false;
        QTest::newRow("an import, all written") << "import" << 6 << false;
        QTest::newRow("an import, one record changed since") << "import" << 6 << true;
        QTest::newRow("an undo of two writes, half written") << "undo" << 2 << false;
    }
    void anInterruptedActionIsSetBack()
    {
        QFETCH(QString, action);
        QFETCH(int, written);
        QFETCH(bool, touched);
        const bool undo = action == QLatin1String("undo");
        if (undo) {
            PlayerWrites w = writes();
            QVERIFY(w.saveAll(fasterPlayers(3, 7), "import of a.csv").ok());
            QVERIFY(w.saveAll(fasterPlayers(4, 9), "import of b.csv").ok());
        }
        const QByteArray journalBefore = readFile(writes().journalPath());
        const QByteArray key = readFile(m_key), att = readFile(m_att);
        QList<PlayerChange> changes;
        if (undo) {
            // Both imports undone as one: the combined change, as undo makes it.
            const QList<JournalEntry> pending = *writes().pending();
            for (const PlayerChange &change : pending.last().players)
                changes.append(change.reversed());
            for (PlayerChange &change : changes) {
                for (const PlayerChange &older : pending.first().players) {
                    if (older.offset == change.offset) {
                        change.keyAfter = older.keyBefore;
                        change.attAfter = older.attBefore;
                    }
                }
            }
            killedAction("an undo of 2 writes", nullptr, {1, 2}, changes, written);
        } else {
            changes = *planPlayersFields(m_key, m_att, fasterPlayers(6, 13));
            JournalEntry entry = JournalEntry::of("import of season.csv", changes);
            killedAction("an import of season.csv", &entry, {}, changes, written);
        }
        if (touched)
            QVERIFY(touch(m_att, changes.at(2).attribOffset + 15));
        const QByteArray attTouched = readFile(m_att);

        PlayerWrites next = writes();
        const auto recovered = next.recover();
        QVERIFY(recovered.ok());
        QVERIFY(recovered->has_value());
        const PlayerWrites::Recovered &said = **recovered;
        QCOMPARE(said.setBack, written);
        QVERIFY2(said.text().startsWith(undo ? "An undo of 2 writes was interrupted at "
                                             : "An import of season.csv was interrupted at "),
                 qPrintable(said.text()));
        QVERIFY2(said.text().contains("the roster was set back as it was before it."),
                 qPrintable(said.text()));
        QCOMPARE(said.leftAlone.size(), int(touched));
        QCOMPARE(readFile(m_key), key);
        if (touched) {
            // Only the record another wrote keeps what it holds.
            QByteArray expected = att;
            const PlayerChange &other = changes.at(2);
            expected.replace(other.attribOffset, other.attAfter.size(),
                             attTouched.mid(other.attribOffset, other.attAfter.size()));
            QCOMPARE(readFile(m_att), expected);
        } else {
            QCOMPARE(readFile(m_att), att);
        }
        // A journal the action began holds no more than its first line.
        if (!journalBefore.isEmpty())
            QCOMPARE(readFile(next.journalPath()), journalBefore);
        QCOMPARE(writes().pending()->size(), undo ? 2 : 0);
        // Said once: the next to open finds nothing to set back.
        QVERIFY(!writes().recover()->has_value());
    }

    // The hidden copies a killed writer of ours left go when the roster is
    // next opened; files of the same look that are not the roster's stay.
    void strayCopiesOfOursAreRemoved()
    {
        PlayerWrites w = writes();
        QVERIFY(w.save(fasterPlayer(1, 2)).ok());
        const QDir game(m_game);
        const QDir settings(m_dir.filePath("settings"));
        const QString journalName = QFileInfo(w.journalPath()).fileName();
        const QStringList ours = {game.filePath(".key.bak.7f3tty"), game.filePath(".att.db.a1b2c3"),
                                  game.filePath(".TEAMS.DB.zzzzzz"),
                                  settings.filePath("." + journalName + ".q0w9e8")};
        const QStringList others = {game.filePath(".notes.txt.7f3tty"),
                                    game.filePath(".key.bak.toolong7"), game.filePath("key.bak.7f3tty"),
                                    settings.filePath(".PUCKDEX.INI.abcdef")};
        for (const QString &file : ours + others)
            QVERIFY(writeFile(file, "x"));
        QVERIFY(writes().recover().ok());
        for (const QString &file : ours)
            QVERIFY2(!QFileInfo::exists(file), qPrintable(file));
        for (const QString &file : others)
            QVERIFY2(QFileInfo::exists(file), qPrintable(file));
    }

    // Records another program wrote since they were read refuse the write
    // of their fields, naming each such player; nothing is written.
    void aWriteOverAnotherProgramsChangeIsRefused()
    {
        QList<FieldsWrite> list = fasterPlayers(4, 21);
        for (FieldsWrite &write : list) {
            const PlayerRecord key = *GameFiles::readPlayer(m_key, write.offset);
            write.keyRead = key.toByteArray();
            write.attRead = readFile(m_att).mid(key.attribOffset(), write.goalie ? 17 : 21);
        }
        QVERIFY(touch(m_att, GameFiles::readPlayer(m_key, list[1].offset)->attribOffset() + 16));
        QVERIFY(touch(m_key, list[3].offset + 58));
        const QByteArray key = readFile(m_key), att = readFile(m_att);
        PlayerWrites w = writes();
        const auto saved = w.saveAll(list, "import of sheet.csv");
        QVERIFY(!saved.ok());
        QVERIFY(saved.error().changedSince);
        QCOMPARE(saved.error().changedPlayers, QList<qint64>{list[3].offset});
        const auto one = w.save(list[1]);
        QVERIFY(!one.ok());
        QCOMPARE(one.error().changedPlayers, QList<qint64>{list[1].offset});
        QCOMPARE(readFile(m_key), key);
        QCOMPARE(readFile(m_att), att);
        QVERIFY(!QFileInfo::exists(w.journalPath()) || w.pending()->isEmpty());
        // Read again, he is written.
        list[1].attRead = att.mid(GameFiles::readPlayer(m_key, list[1].offset)->attribOffset(),
                                  list[1].goalie ? 17 : 21);
        QVERIFY(w.save(list[1]).ok());
    }

    // Two saves undone, then one made again: it is the newer undo, and the
    // other stays to be made again.
    void redoTakesTheNewestUndo()
    {
        PlayerWrites w = writes();
        const FieldsWrite a = fasterPlayer(1, 2), b = fasterPlayer(2, 3);
        QVERIFY(w.save(a).ok());
        const QByteArray keyA = readFile(m_key), attA = readFile(m_att);
        QVERIFY(w.save(b).ok());
        QVERIFY(w.undoLastSave()->ok());
        QVERIFY(w.undoLastSave()->ok());
        QVERIFY(filesAsBefore());
        QVERIFY(w.redoLastUndo()->ok());
        QCOMPARE(readFile(m_key), keyA);
        QCOMPARE(readFile(m_att), attA);
        QCOMPARE(w.undone().size(), 1);
        QCOMPARE(w.undone().first().players.first().offset, b.offset);
        QCOMPARE(w.saves().size(), 1);
    }

    // An undo whose write fails is no undo: refused, the save still there to
    // undo, and the journal holds no mark of it.
    void anUndoThatFailsIsNotDone()
    {
        PlayerWrites w = writes();
        const FieldsWrite a = fasterPlayer(1, 2);
        QVERIFY(w.save(a).ok());
        const QByteArray key = readFile(m_key), att = readFile(m_att);
        const QByteArray journal = readFile(w.journalPath());
        GameFiles::setWriteFaultHook(
            [&](const QString &path, qint64 offset) -> std::optional<GameFiles::WriteFault> {
                if (path == m_att && offset >= 0)
                    return GameFiles::WriteFault{false, 3, QStringLiteral("the device failed")};
                return std::nullopt;
            });
        const auto undone = w.undoLastSave();
        GameFiles::setWriteFaultHook({});
        QVERIFY(undone && !undone->ok());
        QCOMPARE(readFile(m_key), key);
        QCOMPARE(readFile(m_att), att);
        QCOMPARE(readFile(w.journalPath()), journal);
        QCOMPARE(w.saves().size(), 1);
        QVERIFY(w.undone().isEmpty());
        QCOMPARE(writes().pending()->size(), 1);
    }

    // A new save drops the undos that could be made again; a redo that is
    // refused keeps its place.
    void redoFollowsTheSaves()
    {
        PlayerWrites w = writes();
        const FieldsWrite a = fasterPlayer(1, 2), b = fasterPlayer(2, 3);
        QVERIFY(w.save(a.offset, a.goalie, a.fields).ok());
        QVERIFY(w.undoLastSave()->ok());
        QCOMPARE(w.undone().size(), 1);
        const qint64 att = GameFiles::readPlayer(m_key, a.offset)->attribOffset();
        QVERIFY(touch(m_att, att + 15));
        const QByteArray journal = readFile(w.journalPath());
        QVERIFY(!w.redoLastUndo()->ok());
        QCOMPARE(w.undone().size(), 1);
        QVERIFY(w.saves().isEmpty());
        // Nothing was made again, so the journal records nothing.
        QCOMPARE(readFile(w.journalPath()), journal);
        QVERIFY(w.save(b.offset, b.goalie, b.fields).ok());
        QVERIFY(w.undone().isEmpty());
        QVERIFY(!w.redoLastUndo());
    }
};

QTEST_GUILESS_MAIN(TestPlayerWrites)
#include "tst_playerwrites.moc"
