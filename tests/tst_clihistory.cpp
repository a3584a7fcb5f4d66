// puckdex-cli's history on sample rosters: undo, diff and its patches, the
// kept backups and restore.

#include "clifixture.h"
#include "history/backuphistory.h"
#include "history/filelocks.h"
#include "files/fileset.h"
#include "files/gamefiles.h"
#include "history/writejournal.h"
#include "sampleroster.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Puckdex;

class TestCliHistory : public QObject, public CliFixture
{
    Q_OBJECT

private:
    // Each test starts with no journal of the roster (the folder is the
    // same for every test).
    void freshJournal() { QFile::remove(journalPath()); }

    // The kept backups of the base rosters, none kept yet.
    BackupHistory freshHistory() const
    {
        BackupHistory history(WriteJournal::defaultFolder(), *findFileSet(m_base));
        QDir(history.path()).removeRecursively();
        return history;
    }

    QString journalPath() const
    {
        return WriteJournal(WriteJournal::defaultFolder(), m_base, base("key.db"), base("att.db"))
            .path();
    }

    // The export of a roster as named cells, by offset.
    static QMap<qint64, QMap<QString, QString>> exportedRows(const QString &folder)
    {
        const QList<QStringList> lines = csvLines(cli({"export", folder}).out);
        QMap<qint64, QMap<QString, QString>> rows;
        for (const QStringList &line : lines.mid(1)) {
            QMap<QString, QString> row;
            for (int i = 0; i < lines.first().size(); ++i)
                row.insert(lines.first()[i], line.value(i));
            rows.insert(row["offset"].toLongLong(), row);
        }
        return rows;
    }

private slots:    void init() { freshRosters(); }
    void cleanup() { GameFiles::setWriteFaultHook({}); }

    // Two imports undone, newest first, give every byte back; the list says
    // what each changed in shown values.
    void undoImports()
    {
        freshJournal();
        const qint64 skater = firstSkater().keyOffset;
        const qint64 goalie = firstGoalie().keyOffset;
        const auto original = gameFiles(m_base);
        const auto before = exportedRows(m_base);
        QCOMPARE(import(m_base, {{skater, "speed", "100"}, {skater, "last_name", "Quill"}}).status,
                 0);
        QCOMPARE(import(m_base, {{goalie, "weight", "231"}}, {"--no-backup"}).status, 0);

        const Outcome list = cli({"undo", m_base, "--list"});
        QCOMPARE(list.status, 0);
        const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].startsWith(QStringLiteral("   2  import of changes.csv, saved ")) &&
                     lines[0].contains(QStringLiteral(": offset %1 (").arg(goalie)) &&
                     lines[0].endsWith(
                         QStringLiteral(": weight %1 -> 231").arg(before[goalie]["weight"])),
                 qPrintable(lines[0]));
        QVERIFY2(
            lines[1].contains(
                QStringLiteral("last_name \"%1\" -> \"Quill\"").arg(before[skater]["last_name"])),
            qPrintable(lines[1]));

        const Outcome undo = cli({"undo", m_base, "--steps", "2"});
        QCOMPARE(undo.status, 0);
        QCOMPARE(undo.out.count("Undid import of changes.csv"), 2);
        QCOMPARE(gameFiles(m_base), original);
        const Outcome again = cli({"undo", m_base});
        QCOMPARE(again.status, 2);
        QVERIFY2(again.err.contains("nothing to undo"), qPrintable(again.err));
    }

    // Refused, exit status 2 and no byte written: a player's record changed
    // on disk since the import, a damaged journal, another roster's journal.
    void undoRefused_data()
    {
        QTest::addColumn<QByteArray>("find"); // in the journal; empty: change att.db
        QTest::addColumn<QByteArray>("replace");
        QTest::addColumn<QString>("message");
        QTest::newRow("changed since") << QByteArray() << QByteArray()
                                       << "att.db: his record was changed after that save, by "
                                          "the game or another program";
        QTest::newRow("not JSON") << QByteArray("\"}\n") << QByteArray("\"}\nnot JSON\n")
                                  << "line 4 is damaged: it is not a JSON object";
        QTest::newRow("another roster")
            << QByteArray("\"folder\":\"") << QByteArray("\"folder\":\"/other")
            << "the journal belongs to key.db in " + QDir::toNativeSeparators("/other");
    }
    void undoRefused()
    {
        freshJournal();
        const qint64 skater = firstSkater().keyOffset;
        QFETCH(QByteArray, find);
        QFETCH(QByteArray, replace);
        QFETCH(QString, message);
        QCOMPARE(import(m_base, {{skater, "agility", "100"}}).status, 0);
        if (find.isEmpty()) {
            // The game rewrites a byte of his attribute record the editor
            // does not show.
            QByteArray att = readFile(base("att.db"));
            const QByteArray key = readFile(base("key.db"));
            const qint32 at = qFromLittleEndian<qint32>(key.constData() + skater + 36) + 17;
            att[at] = char(att[at] ^ 1);
            QVERIFY(writeFile(base("att.db"), att));
        } else {
            QByteArray bytes = readFile(journalPath());
            const qsizetype at = bytes.lastIndexOf(find);
            QVERIFY(at >= 0);
            QVERIFY(writeFile(journalPath(), bytes.replace(at, find.size(), replace)));
        }
        const auto before = gameFiles(m_base);
        const QByteArray journal = readFile(journalPath());

        const Outcome undo = cli({"undo", m_base});
        QCOMPARE(undo.status, 2);
        QVERIFY2(undo.err.contains(message), qPrintable(undo.err));
        QCOMPARE(gameFiles(m_base), before);
        // Imports go on; only a journal that cannot be read is left alone.
        const Outcome next = import(m_base, {{skater, "agility", "40"}}, {"--no-backup"});
        QCOMPARE(next.status, 0);
        QCOMPARE(next.err.contains("warning: the write journal could not be written"),
                 !find.isEmpty());
        QCOMPARE(readFile(journalPath()) == journal, !find.isEmpty());
    }

    // diff against the backups lists exactly the changed values; its patch,
    // CSV or JSON, turns a copy of the backups into the edited roster.
    void diffAndPatch_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("csv") << "csv";
        QTest::newRow("json") << "json";
    }
    void diffAndPatch()
    {
        freshJournal();
        const qint64 skater = firstSkater().keyOffset;
        const qint64 goalie = firstGoalie().keyOffset;
        const qint64 mate = teammateOf(firstSkater()).keyOffset;
        QFETCH(QString, format);
        const auto rows = exportedRows(m_base);
        const int jersey = freeJersey(teammateOf(firstSkater()));
        // In column order for each player; the players in key-file order.
        const QList<Change> changes = {
            {skater, "first_name", "Ashard"},
            {skater, "height_in", "0"},
            {skater, "rookie", "Y"},
            {skater, "hand", "L"},
            {skater, "speed", "64"},
            {skater, "fighting", "100"},
            {goalie, "weight", "200"},
            {goalie, "puck_control", "25"},
            {mate, "jersey", QString::number(jersey)},
            {mate, "position", "C"},
            {mate, "shoot_pass_bias", "100"},
        };
        QMap<qint64, QStringList> expected;
        for (const Change &c : changes) {
            const QMap<QString, QString> &row = rows[c.offset];
            if (row[c.column] == c.value)
                continue;
            const bool text =
                QStringList{"first_name", "position", "rookie", "hand"}.contains(c.column);
            expected[c.offset].append(
                QStringLiteral("%1 / %2 %3: ")
                    .arg(row["city"], row["first_name"], row["last_name"]) +
                (text ? QStringLiteral("%1 \"%2\" -> \"%3\"") : QStringLiteral("%1 %2 -> %3"))
                    .arg(c.column, row[c.column], c.value));
        }
        QCOMPARE(import(m_base, changes).status, 0);

        const Outcome text = cli({"diff", m_base});
        QCOMPARE(text.status, 1);
        QStringList lines = text.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(
            lines.takeLast().startsWith(QStringLiteral("%1 changed values of 3 players")
                                            .arg(expected[skater].size() + expected[goalie].size() +
                                                 expected[mate].size())),
            qPrintable(text.out));
        QStringList inOrder;
        for (const QStringList &player : expected) // QMap: by offset
            inOrder += player;
        QCOMPARE(lines, inOrder);

        const QString patch = m_dir.filePath("patch." + format);
        QCOMPARE(cli({"diff", m_base, "--output", patch}).status, 1);
        const QString copy = file("copy");
        QDir(copy).removeRecursively();
        QVERIFY(QDir().mkpath(copy));
        for (const QString name : {"teams", "key", "att"})
            QVERIFY(QFile::copy(QDir(m_base).filePath(name + ".bak"),
                                QDir(copy).filePath(name + ".db")));
        QCOMPARE(cli({"import", copy, patch}).status, 0);
        QCOMPARE(gameFiles(copy), gameFiles(m_base));
        QCOMPARE(cli({"diff", copy, m_base}).out, "No differences.\n");
    }

    // Records that one key file holds are reported, never matched; a patch
    // row for a player that is not there is refused; rosters with different
    // team files, or without backups, are not compared.
    // An import that replaces backups differing from the roster keeps them
    // as a generation: backups lists it, diff --from compares with it, and
    // restore writes it back whole after keeping the roster as it is, so a
    // restore is itself taken back.
    void backupsAndRestore()
    {
        freshHistory();
        const qint64 skater = firstSkater().keyOffset;
        const auto original = gameFiles(m_base);
        QCOMPARE(import(m_base, {{skater, "speed", "64"}}).status, 0);
        const Outcome second = import(m_base, {{skater, "weight", "200"}});
        QVERIFY2(second.out.contains("The older backups were kept as generation 1.\n"),
                 qPrintable(second.out));
        const auto edited = snapshotOf(m_base);

        const Outcome listed = cli({"backups", m_base});
        QCOMPARE(listed.status, 0);
        QVERIFY2(QRegularExpression("^   1  \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d UTC  1 "
                                    "player differs from the roster now \\(first\\)\n1 "
                                    "generation kept of teams.db, key.db, att.db")
                     .match(listed.out)
                     .hasMatch(),
                 qPrintable(listed.out));
        const Outcome diff = cli({"diff", m_base, "--from", "first"});
        QCOMPARE(diff.status, 1);
        QVERIFY2(diff.out.contains("speed") && diff.out.contains("-> 200"), qPrintable(diff.out));
        QCOMPARE(cli({"restore", m_base, "--from", "first", "--dry-run"}).status, 0);
        QCOMPARE(snapshotOf(m_base), edited);

        const Outcome restored = cli({"restore", m_base, "--from", "1"});
        QCOMPARE(restored.status, 0);
        QVERIFY2(restored.out.contains("over key.db, att.db; the roster as it was is kept as "
                                       "generation 2."),
                 qPrintable(restored.out));
        auto expected = edited;
        expected.insert(original);
        QCOMPARE(snapshotOf(m_base), expected);
        QCOMPARE(cli({"restore", m_base, "--from", "2"}).status, 0);
        QCOMPARE(snapshotOf(m_base), edited);
    }

    // An import of every player is one write: listed as one line, undone
    // in one step byte for byte. The first backups of the roster are kept
    // at once, so the roster as it first was is there after one run.
    void aWholeRosterImportIsOneStep()
    {
        freshHistory();
        freshJournal();
        const auto original = gameFiles(m_base);
        const QList<QStringList> exported = expectedExport({});
        const qsizetype weight = exported.first().indexOf("weight");
        QList<QStringList> lines{{"offset", "weight"}};
        for (const QStringList &row : exported.mid(1))
            lines.append({row[2], row[weight] == "200" ? "201" : "200"});
        QVERIFY(writeFile(file("all.csv"), csvText(lines).toUtf8()));
        const QString players = QString::number(lines.size() - 1);

        QCOMPARE(cli({"import", m_base, file("all.csv")}).status, 0);
        const Outcome list = cli({"undo", m_base, "--list"});
        QVERIFY2(list.out.startsWith("   1  import of all.csv, saved ") &&
                     list.out.contains(": " + players + " players\n1 write to undo"),
                 qPrintable(list.out));
        const Outcome undo = cli({"undo", m_base});
        QCOMPARE(undo.status, 0);
        QCOMPARE(gameFiles(m_base), original);

        QCOMPARE(cli({"import", m_base, file("all.csv"), "--no-backup"}).status, 0);
        QVERIFY(gameFiles(m_base) != original);
        QCOMPARE(cli({"restore", m_base, "--from", "first"}).status, 0);
        QCOMPARE(gameFiles(m_base), original);
    }

    // A restore that a read-only file stops halfway puts back what it wrote:
    // nothing is written, and the journal holds nothing of it.
    void restoreStoppedHalfway()
    {
        BackupHistory history = freshHistory();
        const auto before = snapshotOf(m_base);
        QList<QByteArray> files;
        for (const char *name : {"teams.db", "key.db", "att.db"})
            files.append(readFile(base(name)));
        files[1][100] = 'x';
        files[2][10] = 'x';
        QVERIFY(history.keep(files, QDateTime::currentDateTimeUtc()));
        QVERIFY(QFile::setPermissions(base("att.db"), QFile::ReadOwner | QFile::ReadGroup));
        const auto writable = qScopeGuard([&] {
            QFile::setPermissions(base("att.db"), QFile::ReadOwner | QFile::WriteOwner);
        });

        const QByteArray journal = readFile(journalPath());
        const Outcome restored = cli({"restore", m_base, "--from", "1"});
        QCOMPARE(restored.status, 2);
        QVERIFY2(restored.err.contains("att.db: the file is read-only\npuckdex-cli: nothing was "
                                       "written"),
                 qPrintable(restored.err));
        QCOMPARE(snapshotOf(m_base), before);
        QCOMPARE(readFile(journalPath()), journal);
    }

    // A restore that cannot be done writes nothing and keeps nothing.
    void restoreRefused_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such generation") << "9" << "there is no generation \"9\"";
        QTest::newRow("a kept file damaged") << "1" << "generation 1 is damaged";
        QTest::newRow("files of another size") << "2" << "generation 2 does not fit";
        QTest::newRow("the window has the folder") << "1" << "has this folder open";
    }
    void restoreRefused()
    {
        QFETCH(QString, from);
        QFETCH(QString, reason);
        BackupHistory history = freshHistory();
        QList<QByteArray> files;
        for (const char *name : {"teams.db", "key.db", "att.db"})
            files.append(readFile(base(name)));
        files[1][100] = 'x';
        QVERIFY(history.keep(files, QDateTime::currentDateTimeUtc()));
        QVERIFY(history.keep({files[0], files[1] + "x", files[2]}, QDateTime::currentDateTimeUtc()));
        if (QTest::currentDataTag() == QByteArray("a kept file damaged")) {
            const QString blob = QDir(history.path()).filePath(
                QCryptographicHash::hash(files[1], QCryptographicHash::Sha256).toHex() + ".bin");
            QVERIFY(writeFile(blob, "damaged"));
        }
        std::shared_ptr<FileLock> window;
        if (QTest::currentDataTag() == QByteArray("the window has the folder"))
            window = *claimFolder(WriteJournal::defaultFolder(), m_base);
        const auto before = snapshotOf(m_base);
        const auto kept = snapshotOf(history.path());

        const Outcome restored = cli({"restore", m_base, "--from", from});
        QCOMPARE(restored.status, 2);
        QVERIFY2(restored.err.contains(reason), qPrintable(restored.err));
        QCOMPARE(snapshotOf(m_base), before);
        QCOMPARE(snapshotOf(history.path()), kept);
    }

    // A changed picture code, A or B, is a difference of its own.
    void diffNamesPictureChanges_data()
    {
        QTest::addColumn<int>("at"); // the code's place in the key record
        QTest::newRow("code A") << 48;
        QTest::newRow("code B") << 52;
    }
    void diffNamesPictureChanges()
    {
        QFETCH(int, at);
        const Sample::SamplePlayer &skater = firstSkater();
        const QString other = file("pictures");
        QDir(other).removeRecursively();
        QVERIFY(Sample::writeBaseRosters(other).ok());
        const QString key = QDir(other).filePath("key.db");
        QByteArray bytes = readFile(key);
        bytes.replace(skater.keyOffset + at, 4, "ZZZZ");
        QVERIFY(writeFile(key, bytes));
        const QString a = skater.record.pictureCodeA(), b = skater.record.pictureCodeB();
        const QString line = QStringLiteral("picture %1 %2 -> %3 %4")
                                 .arg(a, b, at == 48 ? "ZZZZ" : a, at == 52 ? "ZZZZ" : b);

        const Outcome diff = cli({"diff", m_base, other});
        QCOMPARE(diff.status, 1);
        QVERIFY2(diff.out.contains(line), qPrintable(diff.out));
    }

    void diffOfUnlikeRosters()
    {
        freshJournal();
        const qint64 skater = firstSkater().keyOffset;
        const QString other = file("other");
        QDir(other).removeRecursively();
        QVERIFY(Sample::writeBaseRosters(other).ok());
        const QString otherKey = QDir(other).filePath("key.db");
        QVERIFY(writeFile(otherKey, readFile(otherKey).left(50000 + 2 * 60)));
        QCOMPARE(import(m_base, {{skater, "speed", "100"}}).status, 0);

        const Outcome diff = cli({"diff", other, m_base});
        QCOMPARE(diff.status, 1);
        QVERIFY2(diff.out.contains("only in B: offset ") && !diff.out.contains("only in A:"),
                 qPrintable(diff.out));
        QVERIFY(cli({"diff", m_base, other, "--format", "csv"})
                    .err.contains("is in one roster only; a patch cannot carry that"));

        QCOMPARE(cli({"diff", m_base, "--output", file("p.csv")}).status, 1);
        QVERIFY(writeFile(otherKey, readFile(otherKey).left(skater))); // the records before his
        const Outcome applied = cli({"import", other, file("p.csv"), "--no-backup"});
        QCOMPARE(applied.status, 1);
        QVERIFY2(applied.err.contains("refused: line 2"), qPrintable(applied.err));

        const QByteArray teams = readFile(QDir(other).filePath("teams.db"));
        QVERIFY(writeFile(QDir(other).filePath("teams.db"), teams.left(teams.size() - 795)));
        const Outcome layout = cli({"diff", m_base, other});
        QCOMPARE(layout.status, 2);
        QVERIFY2(layout.err.contains("rosters of different layouts are not compared"),
                 qPrintable(layout.err));
        const Outcome noBackups = cli({"diff", other});
        QCOMPARE(noBackups.status, 2);
        QVERIFY2(noBackups.err.contains("no backup copy there"), qPrintable(noBackups.err));
    }
};

QTEST_GUILESS_MAIN(TestCliHistory)
#include "tst_clihistory.moc"
