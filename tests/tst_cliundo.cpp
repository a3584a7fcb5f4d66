#include "bytecompare.h"
#include "cli.h"
#include "gamedb/writejournal.h"
#include "sampleroster.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>

using namespace Puckdex;

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

Outcome cli(const QStringList &arguments)
{
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    outcome.status = Cli::run(arguments, out, err);
    out.flush();
    err.flush();
    return outcome;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

const QStringList kFiles = {"teams.db", "key.db", "att.db"};

// The export of a roster as rows of named cells, by offset.
QMap<qint64, QMap<QString, QString>> exported(const QString &folder)
{
    const Outcome outcome = cli({"export", folder});
    QMap<qint64, QMap<QString, QString>> rows;
    const QStringList lines = outcome.out.split("\r\n", Qt::SkipEmptyParts);
    const QStringList header = lines.value(0).split(',');
    for (const QString &line : lines.mid(1)) {
        const QStringList cells = line.split(','); // the sample holds no commas
        QMap<QString, QString> row;
        for (int i = 0; i < header.size(); ++i)
            row.insert(header[i], cells.value(i));
        rows.insert(row["offset"].toLongLong(), row);
    }
    return rows;
}

// One change an import makes, and the line diff writes for it.
struct Change
{
    qint64 offset;
    QString column;
    QString value;
};

} // namespace

// puckdex-cli undo over the write journal, and puckdex-cli diff with the
// patches it writes, on sample rosters in a temporary folder.
class TstCliUndo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_roster;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString rosterFile(const QString &name) const { return QDir(m_roster).filePath(name); }

    QMap<QString, QByteArray> files(const QString &folder) const
    {
        QMap<QString, QByteArray> bytes;
        for (const QString &name : kFiles)
            bytes.insert(name, readFile(QDir(folder).filePath(name)));
        return bytes;
    }

    void verifySame(const QString &folder, const QMap<QString, QByteArray> &expected)
    {
        for (const QString &name : kFiles) {
            const QByteArray actual = readFile(QDir(folder).filePath(name));
            QVERIFY2(firstDifference(actual, expected[name]).isEmpty(),
                     qPrintable(name + ": " + firstDifference(actual, expected[name])));
        }
    }

    // Imports the changes, one row per player, as a user's CSV would.
    Outcome import(const QString &folder, const QList<Change> &changes,
                   const QStringList &extra = {})
    {
        QStringList columns{"offset"};
        QMap<qint64, QMap<QString, QString>> rows;
        for (const Change &c : changes) {
            if (!columns.contains(c.column))
                columns.append(c.column);
            rows[c.offset][c.column] = c.value;
        }
        QString text = columns.join(',') + "\r\n";
        for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
            QStringList cells{QString::number(it.key())};
            for (const QString &column : columns.mid(1))
                cells.append(it->value(column));
            text += cells.join(',') + "\r\n";
        }
        writeFile(path("changes.csv"), text.toUtf8());
        return cli(QStringList{"import", folder, path("changes.csv")} + extra);
    }

    // The first skater and the first goalie of team 0.
    qint64 m_skater = -1, m_goalie = -1, m_mate = -1;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_roster = path("roster");
        QDir(m_roster).removeRecursively();
        QVERIFY(Sample::writeBaseRosters(m_roster).ok());
        QFile::remove(WriteJournal(WriteJournal::defaultFolder(), m_roster, rosterFile("key.db"),
                                   rosterFile("att.db"))
                          .path());
        const auto rows = exported(m_roster);
        m_skater = m_goalie = m_mate = -1;
        for (const auto &row : rows) {
            if (row["team"] != "0")
                continue;
            const qint64 offset = row["offset"].toLongLong();
            if (row["position"] == "G" && m_goalie < 0)
                m_goalie = offset;
            else if (row["position"] != "G" && m_skater < 0)
                m_skater = offset;
            else if (row["position"] != "G" && m_mate < 0)
                m_mate = offset;
        }
        QVERIFY(m_skater >= 0 && m_goalie >= 0 && m_mate >= 0);
    }

    // Imports undone newest first give every byte back; the list names what
    // each changed in shown values.
    void undoImports()
    {
        const auto original = files(m_roster);
        const auto before = exported(m_roster);
        QCOMPARE(
            import(m_roster, {{m_skater, "speed", "100"}, {m_skater, "last_name", "Quill"}}).status,
            0);
        const auto afterFirst = files(m_roster);
        QCOMPARE(import(m_roster, {{m_goalie, "glove_left", "95"}, {m_goalie, "weight", "231"}},
                        {"--no-backup"})
                     .status,
                 0);

        const Outcome list = cli({"undo", m_roster, "--list"});
        QCOMPARE(list.status, 0);
        const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].startsWith(QStringLiteral("   2  offset %1 (").arg(m_goalie)),
                 qPrintable(lines[0]));
        QVERIFY2(
            lines[0].endsWith(QStringLiteral(": weight %1 -> 231, glove_left %2 -> 95")
                                  .arg(before[m_goalie]["weight"], before[m_goalie]["glove_left"])),
            qPrintable(lines[0]));
        QVERIFY2(
            lines[1].contains(
                QStringLiteral("last_name \"%1\" -> \"Quill\"").arg(before[m_skater]["last_name"])),
            qPrintable(lines[1]));
        QVERIFY(lines[2].startsWith("2 writes to undo"));

        Outcome undo = cli({"undo", m_roster});
        QCOMPARE(undo.status, 0);
        verifySame(m_roster, afterFirst);
        undo = cli({"undo", m_roster, "--steps", "1"});
        QCOMPARE(undo.status, 0);
        QVERIFY2(undo.out.startsWith(QStringLiteral("Undid offset %1 (").arg(m_skater)),
                 qPrintable(undo.out));
        verifySame(m_roster, original);

        undo = cli({"undo", m_roster});
        QCOMPARE(undo.status, 2);
        QVERIFY2(undo.err.contains("nothing to undo"), qPrintable(undo.err));
        QCOMPARE(cli({"undo", m_roster, "--steps", "0"}).status, 2);
        verifySame(m_roster, original);
    }

    // A write whose records changed on disk since is not undone; older
    // writes are then left alone too.
    void undoRefusedWhenChangedSince()
    {
        QCOMPARE(import(m_roster, {{m_mate, "speed", "40"}}).status, 0);
        const auto afterFirst = files(m_roster);
        QCOMPARE(import(m_roster, {{m_skater, "agility", "100"}}, {"--no-backup"}).status, 0);
        // The game rewrites the skater's attribute record.
        const Outcome list = cli({"undo", m_roster, "--list"});
        QByteArray att = readFile(rosterFile("att.db"));
        QByteArray key = readFile(rosterFile("key.db"));
        const qint32 attribOffset = qFromLittleEndian<qint32>(key.constData() + m_skater + 36);
        att[attribOffset + 17] = char(att[attribOffset + 17] ^ 1);
        writeFile(rosterFile("att.db"), att);
        const auto changed = files(m_roster);

        const Outcome undo = cli({"undo", m_roster, "--steps", "2"});
        QCOMPARE(undo.status, 2);
        QVERIFY2(undo.err.contains("refused: the write of offset"), qPrintable(undo.err));
        QVERIFY2(undo.err.contains("att.db: his record was changed after that save, by the game "
                                   "or another program"),
                 qPrintable(undo.err));
        QVERIFY2(undo.err.contains("0 writes were undone before it"), qPrintable(undo.err));
        verifySame(m_roster, changed);
        QCOMPARE(cli({"undo", m_roster, "--list"}).out, list.out);

        // Put back as the game found it, the newest undoes; then the older.
        att[attribOffset + 17] = char(att[attribOffset + 17] ^ 1);
        writeFile(rosterFile("att.db"), att);
        QCOMPARE(cli({"undo", m_roster}).status, 0);
        verifySame(m_roster, afterFirst);
    }

    // Some steps undone, then one refused: status 1.
    void undoStopsPartway()
    {
        QCOMPARE(import(m_roster, {{m_skater, "speed", "40"}}).status, 0);
        QCOMPARE(import(m_roster, {{m_goalie, "speed", "100"}}, {"--no-backup"}).status, 0);
        const auto afterBoth = files(m_roster);
        // Someone else changes the skater's speed again.
        QCOMPARE(import(m_roster, {{m_skater, "speed", "44"}}, {"--no-backup"}).status, 0);
        // Its journal entry is undone by hand: marked, not written back.
        WriteJournal journal(WriteJournal::defaultFolder(), m_roster, rosterFile("key.db"),
                             rosterFile("att.db"));
        QVERIFY(journal.markUndone(3).ok());
        const Outcome undo = cli({"undo", m_roster, "--steps", "5"});
        QCOMPARE(undo.status, 1);
        QVERIFY2(undo.err.contains("1 write was undone before it"), qPrintable(undo.err));
        QVERIFY(readFile(rosterFile("att.db")) != afterBoth["att.db"]);
    }

    // A damaged journal, or one that belongs to another roster, is refused
    // and nothing is written.
    void damagedJournalRefused_data()
    {
        QTest::addColumn<QByteArray>("find");
        QTest::addColumn<QByteArray>("replace");
        QTest::addColumn<QString>("message");
        QTest::newRow("cut line") << QByteArray("\"}\n") << QByteArray("")
                                  << "line 2 is damaged: it ends without a line end";
        QTest::newRow("another roster")
            << QByteArray("\"folder\":\"") << QByteArray("\"folder\":\"/other")
            << "the journal belongs to key.db in /other";
    }
    void damagedJournalRefused()
    {
        QFETCH(QByteArray, find);
        QFETCH(QByteArray, replace);
        QFETCH(QString, message);
        QCOMPARE(import(m_roster, {{m_skater, "speed", "40"}}).status, 0);
        const QString journal = WriteJournal(WriteJournal::defaultFolder(), m_roster,
                                             rosterFile("key.db"), rosterFile("att.db"))
                                    .path();
        QByteArray bytes = readFile(journal);
        const qsizetype at = bytes.lastIndexOf(find);
        QVERIFY(at >= 0);
        bytes.replace(at, find.size(), replace);
        writeFile(journal, bytes);
        const auto before = files(m_roster);
        for (const QStringList &extra : {QStringList{}, QStringList{"--list"}}) {
            const Outcome undo = cli(QStringList{"undo", m_roster} + extra);
            QCOMPARE(undo.status, 2);
            QVERIFY2(undo.err.contains(message), qPrintable(undo.err));
            QVERIFY2(undo.err.contains("the journal was not used") ||
                         undo.err.contains("it was not used"),
                     qPrintable(undo.err));
        }
        verifySame(m_roster, before);
        // Import goes on writing; only the journal is left as it was.
        const Outcome again = import(m_roster, {{m_skater, "speed", "48"}}, {"--no-backup"});
        QCOMPARE(again.status, 0);
        QVERIFY2(again.err.contains("warning: the write journal could not be written"),
                 qPrintable(again.err));
        QCOMPARE(readFile(journal), bytes);
    }

    // diff against the backups lists exactly the changed values; its patch,
    // as CSV or JSON, turns a copy of the backups into the edited roster.
    void diffAgainstBackupsAndPatch_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("csv") << "csv";
        QTest::newRow("json") << "json";
    }
    void diffAgainstBackupsAndPatch()
    {
        QFETCH(QString, format);
        const auto before = exported(m_roster);
        QSet<QString> worn;
        for (const auto &row : before) {
            if (row["team"] == "0")
                worn.insert(row["jersey"]);
        }
        int freeJersey = 0;
        while (worn.contains(QString::number(freeJersey)))
            ++freeJersey;
        const QList<Change> changes = {
            {m_skater, "first_name", "Ashard"},
            {m_skater, "speed", "64"},
            {m_skater, "fighting", "100"},
            {m_skater, "hand", "L"},
            {m_skater, "height_in", "0"},
            {m_skater, "rookie", "Y"},
            {m_goalie, "puck_control", "25"},
            {m_goalie, "weight", "200"},
            {m_mate, "position", "C"},
            {m_mate, "shoot_pass_bias", "100"},
            {m_mate, "jersey", QString::number(freeJersey)},
        };
        QStringList expected;
        QList<qint64> inFileOrder{m_skater, m_goalie, m_mate};
        std::sort(inFileOrder.begin(), inFileOrder.end());
        for (const qint64 offset : inFileOrder) {
            const QMap<QString, QString> &row = before[offset];
            const QString label = QStringLiteral("%1 / %2 %3: ")
                                      .arg(row["city"], row["first_name"], row["last_name"]);
            QMap<int, QString> lines; // in column order
            const QStringList header = {"first_name",      "jersey",   "position",    "height_in",
                                        "weight",          "rookie",   "hand",        "speed",
                                        "shoot_pass_bias", "fighting", "puck_control"};
            for (const Change &c : changes) {
                if (c.offset != offset || row[c.column] == c.value)
                    continue;
                const bool text = c.column == "first_name" || c.column == "position" ||
                                  c.column == "rookie" || c.column == "hand";
                lines.insert(header.indexOf(c.column),
                             label + (text ? QStringLiteral("%1 \"%2\" -> \"%3\"")
                                           : QStringLiteral("%1 %2 -> %3"))
                                         .arg(c.column, row[c.column], c.value));
            }
            expected += lines.values();
        }
        QVERIFY(expected.size() >= 9);
        QCOMPARE(import(m_roster, changes).status, 0);

        const Outcome text = cli({"diff", m_roster});
        QCOMPARE(text.status, 1);
        QStringList lines = text.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.takeLast().startsWith(
                     QStringLiteral("%1 changed values of 3 players").arg(expected.size())),
                 qPrintable(text.out));
        QCOMPARE(lines, expected);

        const QString patch = path("patch." + format);
        const Outcome written = cli({"diff", m_roster, "--output", patch});
        QCOMPARE(written.status, 1);
        const QString copy = path("copy");
        QDir(copy).removeRecursively();
        QVERIFY(QDir().mkpath(copy));
        for (const QString &name : kFiles) {
            QVERIFY(QFile::copy(rosterFile(QString(name).replace(".db", ".bak")),
                                QDir(copy).filePath(name)));
        }
        const Outcome applied = cli({"import", copy, patch});
        QCOMPARE(applied.status, 0);
        verifySame(copy, files(m_roster));
        // The patched copy and the roster no longer differ.
        const Outcome none = cli({"diff", copy, m_roster});
        QCOMPARE(none.status, 0);
        QCOMPARE(none.out, "No differences.\n");
    }

    // Records in one key file only are reported, never matched; rosters with
    // different team files are not compared; a patch row for a player that
    // is not there is refused by import.
    void diffOfUnlikeRosters()
    {
        const QString other = path("other");
        QDir(other).removeRecursively();
        QVERIFY(Sample::writeBaseRosters(other).ok());
        const QByteArray key = readFile(QDir(other).filePath("key.db"));
        const qint64 kept = 50000 + 2 * 60; // two records of the second region
        QVERIFY(key.size() > kept);
        writeFile(QDir(other).filePath("key.db"), key.left(kept));
        QCOMPARE(import(m_roster, {{m_skater, "speed", "100"}}).status, 0);

        const Outcome diff = cli({"diff", other, m_roster});
        QCOMPARE(diff.status, 1);
        QVERIFY2(diff.out.contains("only in B: offset "), qPrintable(diff.out));
        QVERIFY(!diff.out.contains("only in A:"));
        const Outcome reverse = cli({"diff", m_roster, other, "--format", "csv"});
        QCOMPARE(reverse.status, 1);
        QVERIFY2(reverse.err.contains("is in one roster only; a patch cannot carry that"),
                 qPrintable(reverse.err));

        // The skater's change as a patch, applied where his record is missing.
        QCOMPARE(cli({"diff", m_roster, "--output", path("p.csv")}).status, 1);
        writeFile(QDir(other).filePath("key.db"), QByteArray(60, '\0'));
        const Outcome applied = cli({"import", other, path("p.csv"), "--no-backup"});
        QCOMPARE(applied.status, 1);
        QVERIFY2(applied.err.contains("refused: line 2"), qPrintable(applied.err));

        // One team fewer: another layout.
        const QByteArray teams = readFile(QDir(other).filePath("teams.db"));
        writeFile(QDir(other).filePath("teams.db"), teams.left(teams.size() - 795));
        const Outcome layout = cli({"diff", m_roster, other});
        QCOMPARE(layout.status, 2);
        QVERIFY2(layout.err.contains("rosters of different layouts are not compared"),
                 qPrintable(layout.err));

        // Without backups there is nothing to compare with.
        QFile::remove(QDir(other).filePath("key.bak"));
        const Outcome noBackups = cli({"diff", other});
        QCOMPARE(noBackups.status, 2);
        QVERIFY2(noBackups.err.contains("no backup copy there"), qPrintable(noBackups.err));
    }

    // Two saved games of one folder, named by --game twice.
    void diffOfTwoSavedGames()
    {
        const QString saved = path("saved");
        QDir(saved).removeRecursively();
        QVERIFY(Sample::writeSavedGames(saved).ok());
        const Outcome same = cli({"diff", saved, saved, "--game", "3"});
        QCOMPARE(same.status, 0);
        const Outcome two = cli({"diff", saved, "--game", "3", "--game", "7"});
        QVERIFY2(two.status == 0 || two.status == 1, qPrintable(two.err));
        QCOMPARE(cli({"diff", saved, "--game", "3", "--game", "7", "--game", "12"}).status, 2);
    }
};

QTEST_GUILESS_MAIN(TstCliUndo)
#include "tst_cliundo.moc"
