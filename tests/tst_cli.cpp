#include "cli.h"
#include "fulldisk.h"
#include "history/backuphistory.h"
#include "files/codepage.h"
#include "history/filelocks.h"
#include "files/fileset.h"
#include "files/gamefiles.h"
#include "history/writejournal.h"
#include "sampleroster.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <functional>

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

const Sample::RosterImage &sample()
{
    static const Sample::RosterImage image = Sample::buildRoster();
    return image;
}

const QString kHeader = QStringLiteral(
    "team,city,offset,first_name,last_name,jersey,position,height_ft,height_in,weight,rookie,"
    "hand,speed,agility,off_awareness,def_awareness,stick_handling,aggressiveness,"
    "shoot_pass_bias,endurance,shot_power,checking,passing,accuracy,face_offs,fighting,"
    "stick_left,stick_right,glove_left,glove_right,puck_control");

// Where each rating lives in the attribute records and how its byte shows:
// written out here from the record layouts, apart from the program's tables.
struct RatingByte
{
    const char *column;
    int byte;
    char scale; // g goalie, s skater, b bias, f fighting
};
const RatingByte kSkaterBytes[] = {
    {"speed", 1, 's'},
    {"agility", 2, 's'},
    {"off_awareness", 10, 's'},
    {"def_awareness", 11, 's'},
    {"stick_handling", 6, 's'},
    {"aggressiveness", 12, 's'},
    {"shoot_pass_bias", 14, 'b'},
    {"endurance", 13, 's'},
    {"shot_power", 4, 's'},
    {"checking", 5, 's'},
    {"passing", 9, 's'},
    {"accuracy", 7, 's'},
    {"face_offs", 19, 's'},
    {"fighting", 20, 'f'},
};
const RatingByte kGoalieBytes[] = {
    {"speed", 6, 'g'},          {"agility", 7, 'g'},     {"off_awareness", 10, 'g'},
    {"def_awareness", 11, 'g'}, {"stick_left", 3, 'g'},  {"stick_right", 4, 'g'},
    {"glove_left", 2, 'g'},     {"glove_right", 1, 'g'}, {"puck_control", 16, 'g'},
};

int shownValue(char scale, int x)
{
    switch (scale) {
    case 'g':
        return 5 * x + 25;
    case 's':
        return 4 * x + 40;
    case 'b':
        return int(std::floor(x * 6.6666 + 0.1));
    default:
        if (x == 7)
            return 0;
        return int(std::floor((x < 7 ? x : x - 7) * 16.6666 + 0.01));
    }
}

quint8 keyByte(const Sample::SamplePlayer &player, int index)
{
    return player.record.byte(index);
}

qint32 attribOffsetOf(const Sample::SamplePlayer &player)
{
    return qFromLittleEndian<qint32>(player.record.bytes().data() + 36);
}

bool isGoalie(const Sample::SamplePlayer &player)
{
    return keyByte(player, 2) == 'G';
}

// The players of the sample that belong to a team, in key-file order.
QList<Sample::SamplePlayer> teamPlayers(const Sample::RosterImage &image)
{
    QList<Sample::SamplePlayer> players;
    for (const Sample::SamplePlayer &player : image.players) {
        if (keyByte(player, 0) < image.teams.size())
            players.append(player);
    }
    return players;
}

// One player's export row computed straight from the roster's bytes.
QMap<QString, QString> expectedRow(const Sample::RosterImage &image,
                                   const Sample::SamplePlayer &player)
{
    QMap<QString, QString> row;
    const int team = keyByte(player, 0);
    row["team"] = QString::number(team);
    row["city"] = image.teams[team].city();
    row["offset"] = QString::number(player.keyOffset);
    row["first_name"] = player.firstName;
    row["last_name"] = player.lastName;
    row["jersey"] = QString::number(keyByte(player, 1));
    row["position"] = QChar(keyByte(player, 2));
    row["height_ft"] = QString::number(keyByte(player, 56) / 12);
    row["height_in"] = QString::number(keyByte(player, 56) % 12);
    row["weight"] = QString::number(keyByte(player, 57));
    row["rookie"] = keyByte(player, 58) == 'Y' ? "Y" : "N";
    const qint32 at = attribOffsetOf(player);
    const auto att = [&](int index) { return quint8(image.attFile.at(at + index)); };
    row["hand"] = att(0) == 0 ? "L" : "R";
    if (isGoalie(player)) {
        for (const RatingByte &r : kGoalieBytes)
            row[QLatin1String(r.column)] = QString::number(shownValue(r.scale, att(r.byte)));
    } else {
        for (const RatingByte &r : kSkaterBytes)
            row[QLatin1String(r.column)] = QString::number(shownValue(r.scale, att(r.byte)));
    }
    return row;
}

// The sample's texts hold no comma or quote, so a line splits at commas.
QList<QStringList> csvLines(const QString &text)
{
    QList<QStringList> lines;
    for (const QString &line : text.split("\r\n", Qt::SkipEmptyParts))
        lines.append(line.split(','));
    return lines;
}

QString csvText(const QList<QStringList> &lines)
{
    QString text;
    for (const QStringList &line : lines)
        text += line.join(',') + "\r\n";
    return text;
}

// The lines of a command's output that report findings.
QStringList findingLines(const QString &out)
{
    QStringList lines;
    for (const QString &line : out.split('\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith("note: ") && !line.startsWith("No ") && !line.contains(" finding"))
            lines.append(line);
    }
    return lines;
}

// Picks a sample team player: the first in key-file order that suits.
const Sample::SamplePlayer &
firstPlayer(const std::function<bool(const Sample::SamplePlayer &)> &suits)
{
    static const QList<Sample::SamplePlayer> players = teamPlayers(sample());
    for (const Sample::SamplePlayer &player : players) {
        if (suits(player))
            return player;
    }
    qFatal("no sample player suits");
}

const Sample::SamplePlayer &firstSkater()
{
    return firstPlayer([](const Sample::SamplePlayer &p) { return !isGoalie(p); });
}

const Sample::SamplePlayer &firstGoalie()
{
    return firstPlayer(isGoalie);
}

const Sample::SamplePlayer &teammateOf(const Sample::SamplePlayer &player)
{
    return firstPlayer([&](const Sample::SamplePlayer &p) {
        return keyByte(p, 0) == keyByte(player, 0) && p.keyOffset != player.keyOffset
               && !isGoalie(p);
    });
}

// A jersey number nobody of the player's team wears.
int freeJersey(const Sample::SamplePlayer &player)
{
    QSet<int> worn;
    for (const Sample::SamplePlayer &p : teamPlayers(sample())) {
        if (keyByte(p, 0) == keyByte(player, 0))
            worn.insert(keyByte(p, 1));
    }
    for (int number = 0;; ++number) {
        if (!worn.contains(number))
            return number;
    }
}

QString number(qint64 value)
{
    return QString::number(value);
}

// His place among the exported rows, from 0.
qsizetype exportIndex(const Sample::SamplePlayer &player)
{
    const QList<Sample::SamplePlayer> players = teamPlayers(sample());
    for (qsizetype i = 0; i < players.size(); ++i) {
        if (players[i].keyOffset == player.keyOffset)
            return i;
    }
    return -1;
}

// The sample's export line by line, computed from its bytes; only the
// players of teams when any are given.
QList<QStringList> expectedExport(const QList<int> &teams = {})
{
    const QStringList columns = kHeader.split(',');
    QList<QStringList> lines{columns};
    for (const Sample::SamplePlayer &player : teamPlayers(sample())) {
        if (!teams.isEmpty() && !teams.contains(keyByte(player, 0)))
            continue;
        const QMap<QString, QString> row = expectedRow(sample(), player);
        QStringList cells;
        for (const QString &column : columns)
            cells.append(row.value(column));
        lines.append(cells);
    }
    return lines;
}

// The sample's export as a spreadsheet saves it, the first skater edited.
struct Sheet
{
    QChar separator = ',';
    QString encoding = "utf-8"; // or "utf-8 mark", "windows-1252", "utf-16 mark"
    QMap<QString, QString> header = {};   // a column's words in the sheet's header
    QMap<QString, QString> edits = {};    // the first skater's cells, by column
    int emptyColumns = 0;                 // at the end of every line
    QString strayCell = {};               // in the first skater's last empty column
    QMap<QString, QString> extraRow = {}; // a row after the players with these cells only
    int emptyRows = 0;                    // rows of empty cells at the end
    QList<int> teams = {};                // only their players
};

QByteArray sheetBytes(const Sheet &sheet)
{
    QList<QStringList> lines = expectedExport(sheet.teams);
    const QStringList columns = lines.first();
    for (QString &name : lines.first())
        name = sheet.header.value(name, name);
    const auto filled = [&](QStringList &line, const QMap<QString, QString> &cells) {
        for (auto it = cells.cbegin(); it != cells.cend(); ++it)
            line[columns.indexOf(it.key())] = it.value();
    };
    const auto skater = std::find_if(lines.begin(), lines.end(), [](const QStringList &line) {
        return line.at(2) == number(firstSkater().keyOffset);
    });
    if (skater != lines.end())
        filled(*skater, sheet.edits);
    if (!sheet.extraRow.isEmpty())
        filled(lines.emplace_back(columns.size()), sheet.extraRow);
    for (int i = 0; i < sheet.emptyRows; ++i)
        lines.append(QStringList(columns.size()));
    for (QStringList &line : lines)
        line += QStringList(sheet.emptyColumns);
    if (!sheet.strayCell.isEmpty())
        lines[exportIndex(firstSkater()) + 1].last() = sheet.strayCell;
    QString text;
    for (QStringList &line : lines) {
        for (QString &cell : line) {
            if (cell.contains(sheet.separator) || cell.startsWith(' ') || cell.endsWith(' '))
                cell = '"' + cell + '"';
        }
        text += line.join(sheet.separator) + "\r\n";
    }
    if (sheet.encoding == "windows-1252")
        return CodePage::encode(text).value();
    if (sheet.encoding == "utf-16 mark") {
        QByteArray bytes = "\xFF\xFE";
        for (const QChar c : text)
            bytes += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
        return bytes;
    }
    return (sheet.encoding == "utf-8 mark" ? "\xEF\xBB\xBF" : "") + text.toUtf8();
}

// A row of spreadsheetFlavours: the sheet's bytes, the import's options,
// its exit status, its messages and what landed.
void addSheetRow(const char *name, const Sheet &sheet, const QStringList &options, int status,
                 const QString &err, const QString &landed)
{
    QTest::newRow(name) << sheetBytes(sheet) << options << status << err << landed;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_base;
    QString m_saved;

    // A fresh copy of the sample base rosters and saved games for each test.
    void freshRosters()
    {
        m_base = m_dir.filePath("base");
        m_saved = m_dir.filePath("saved");
        QDir(m_base).removeRecursively();
        QDir(m_saved).removeRecursively();
        QVERIFY(Sample::writeBaseRosters(m_base).ok());
        QVERIFY(Sample::writeSavedGames(m_saved).ok());
    }

    QString file(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    QString base(const char *name) const { return QDir(m_base).filePath(QLatin1String(name)); }

    QString exportCsv(const QStringList &extra = {})
    {
        const Outcome outcome = cli(QStringList{"export", m_base} + extra);
        if (outcome.status != 0)
            qWarning("export failed: %s", qPrintable(outcome.err));
        return outcome.out;
    }

    // Undo and diff.

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

    static QMap<QString, QByteArray> gameFiles(const QString &folder)
    {
        QMap<QString, QByteArray> files;
        for (const char *name : {"teams.db", "key.db", "att.db"})
            files.insert(name, readFile(QDir(folder).filePath(name)));
        return files;
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

    struct Change
    {
        qint64 offset;
        QString column;
        QString value;
    };
    // Imports the changes as a user's CSV would, one row per player.
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
        QList<QStringList> lines{columns};
        for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
            QStringList cells{number(it.key())};
            for (const QString &column : columns.mid(1))
                cells.append(it->value(column));
            lines.append(cells);
        }
        if (!writeFile(file("changes.csv"), csvText(lines).toUtf8()))
            QTest::qFail("changes.csv could not be written", __FILE__, __LINE__);
        return cli(QStringList{"import", folder, file("changes.csv")} + extra);
    }

    // spreadsheetFlavours' rows of sheets that are read: their flavours, and
    // what is dropped, left out or refused with a warning.
    void addReadSheets()
    {
        const Sample::SamplePlayer &skater = firstSkater();
        const QString line = QStringLiteral("line %1").arg(exportIndex(skater) + 2);
        const QString at = QStringLiteral("%1, offset %2: ").arg(line).arg(skater.keyOffset);
        const QString landed = QStringLiteral("offset,last_name,speed\r\n%1,Dupré,92\r\n")
                                   .arg(skater.keyOffset);
        const QString ansi = "warning: %1: the file is not UTF-8 text, so it was read as "
                             "Windows-1252 (as Excel saves CSV on Windows)\n";
        const QMap<QString, QString> edits{{"last_name", "Dupré"}, {"speed", "92"}};
        const QMap<QString, QString> decimalComma{{"last_name", "Dupré"}, {"speed", "92,0"}};
        const QMap<QString, QString> labels{
            {"first_name", "First Name:"},      {"last_name", "Last Name:"},
            {"jersey", "Jersey Number:"},       {"off_awareness", "Offensive Awareness:"},
            {"def_awareness", "Def. Awareness:"}, {"shoot_pass_bias", "Shoot / Pass Bias:"},
            {"face_offs", "Face-Offs:"},        {"height_ft", "Height:"}};
        const QMap<QString, QString> typed{{"first_name", "First Name"},
                                           {"last_name", "Last Name"},
                                           {"off_awareness", "Off Awareness"},
                                           {"shoot_pass_bias", "Shoot/Pass Bias"},
                                           {"face_offs", "FACE-OFFS"},
                                           {"stick_left", " Stick Left "}};
        const QMap<QString, QString> misspelt{{"speed", "Sped"}, {"agility", "Agilty"}};
        const auto add = addSheetRow;

        add("unchanged, semicolons, Windows-1252", {';', "windows-1252"}, {}, 0, ansi, "");
        add("commas, UTF-8 with its mark, empty columns and rows",
            {',', "utf-8 mark", {}, edits, 3, {}, {}, 4}, {}, 0, "", landed);
        add("semicolons, Windows-1252, the window's labels, empty columns and rows",
            {';', "windows-1252", labels, decimalComma, 1, {}, {}, 3}, {}, 0, ansi, landed);
        add("tabs, UTF-16 with its mark, header words as typed",
            {'\t', "utf-16 mark", typed, decimalComma}, {}, 0, "", landed);
        add("a decimal fraction onto the grid", {';', "utf-8", {}, {{"speed", "91,9"}}}, {}, 0,
            "warning: " + at + "speed 91.9: Attribute must be a multiple of 4\n",
            QStringLiteral("offset,speed\r\n%1,92\r\n").arg(skater.keyOffset));
        add("blanks around a name dropped", {.edits = {{"last_name", " Dupré "}, {"speed", "92"}}},
            {}, 0,
            QStringLiteral("warning: %1last_name \" Dupré \" of %2 %3: the blanks at its ends "
                           "were dropped (--keep-blanks keeps them)\n")
                .arg(at, skater.firstName, skater.lastName),
            landed);
        add("blanks around a name kept", {.edits = {{"last_name", "Dupré "}}}, {"--keep-blanks"},
            0, "", QStringLiteral("offset,last_name\r\n%1,\"Dupré \"\r\n").arg(skater.keyOffset));
        add("unknown columns left out", {',', "utf-8", misspelt, edits}, {"--ignore-unknown-columns"},
            0, "warning: %1: line 1: left out the columns \"Sped\" and \"Agilty\", which name no "
               "column\n",
            QStringLiteral("offset,last_name\r\n%1,Dupré\r\n").arg(skater.keyOffset));
        QByteArray longRows = sheetBytes({.edits = edits, .emptyColumns = 2});
        longRows.replace(kHeader.toUtf8() + ",,", kHeader.toUtf8());
        QTest::newRow("empty cells past the header's last") << longRows << QStringList() << 0
                                                            << "" << landed;
        QTest::newRow("rows of empty cells above the header")
            << QByteArray(30, ';') + "\r\n;;\r\n" + sheetBytes({';', "utf-8", {}, decimalComma})
            << QStringList() << 0 << "" << landed;
        QTest::newRow("JSON keys left out")
            << QStringLiteral("[{\"offset\": %1, \"last_name\": \"Dupré\", \"speed\": 92, "
                              "\"notes\": \"x\"}]")
                   .arg(skater.keyOffset)
                   .toUtf8()
            << QStringList{"--ignore-unknown-columns"} << 0
            << "warning: %1: left out the keys \"notes\", which name no column\n" << landed;
        add("a row of cells without an offset",
            {.edits = edits, .extraRow = {{"speed", "60"}}, .emptyRows = 2}, {}, 1,
            QStringLiteral("refused: line %1, offset none: the row gives no offset\n")
                .arg(expectedExport().size() + 1),
            landed);
    }

    // spreadsheetFlavours' rows of sheets refused whole, nothing written.
    void addRefusedSheets()
    {
        const Sample::SamplePlayer &skater = firstSkater();
        const QString line = QStringLiteral("line %1").arg(exportIndex(skater) + 2);
        const QString refused = "puckdex-cli: %1: " + line;
        const QMap<QString, QString> edits{{"last_name", "Dupré"}, {"speed", "92"}};
        const QMap<QString, QString> misspelt{{"speed", "Sped"}, {"agility", "Agilty"}};
        const auto add = addSheetRow;

        add("unknown columns refused together", {',', "utf-8", misspelt, edits}, {}, 2,
            "puckdex-cli: %1: line 1: \"Sped\" and \"Agilty\" are no column names (the columns "
            "are " + kHeader + ", and the main window's labels name them too); "
            "--ignore-unknown-columns leaves them out\n", "");
        add("a number with an exponent", {.edits = {{"speed", "1e2"}}}, {}, 2,
            refused + ", column speed: \"1e2\" is not a number\n", "");
        add("a decimal comma between commas", {.edits = {{"speed", "92,5"}}}, {}, 2,
            refused + ", column speed: \"92,5\" is not a number\n", "");
        add("a cell under an unnamed column",
            {.edits = edits, .emptyColumns = 2, .strayCell = "x"}, {}, 2,
            refused + ": cell 33 holds \"x\", but the header names no column there\n", "");
        QByteArray broken = sheetBytes({',', "utf-8 mark", {}, edits});
        broken.replace("Dupr\xC3\xA9", "Dupr\xE9");
        QTest::newRow("UTF-8 with its mark, then a Windows-1252 name")
            << broken << QStringList() << 2
            << "puckdex-cli: %1: the file starts with the mark of UTF-8 text, but " + line
                   + " is not UTF-8\n"
            << "";
    }

private slots:
    void init() { freshRosters(); }
    void cleanup() { GameFiles::setWriteFaultHook({}); }

    void exportMatchesTheBytes()
    {
        const Outcome outcome = cli({"export", m_base});
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.err, QString());

        QCOMPARE(outcome.out, csvText(expectedExport()));
    }

    void exportJsonMatchesTheBytes()
    {
        const Outcome outcome = cli({"export", m_base, "--format", "json"});
        QCOMPARE(outcome.status, 0);
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(outcome.out.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonArray array = document.array();
        const QList<Sample::SamplePlayer> players = teamPlayers(sample());
        QCOMPARE(array.size(), players.size());
        for (qsizetype i = 0; i < players.size(); ++i) {
            const QMap<QString, QString> expected = expectedRow(sample(), players[i]);
            const QJsonObject object = array[i].toObject();
            QCOMPARE(object.keys(), expected.keys()); // empty cells are left out
            for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
                const QJsonValue value = object.value(it.key());
                const bool isText =
                    QStringList{"city", "first_name", "last_name", "position", "rookie", "hand"}
                        .contains(it.key());
                QVERIFY2(isText ? value.isString() : value.isDouble(), qPrintable(it.key()));
                QCOMPARE(isText ? value.toString() : number(value.toInteger()), it.value());
            }
        }
    }

    // A player whose attribute record lies past the end of the file is
    // still exported, without ratings, and the export says so.
    void exportWithAnUnreadableRecord()
    {
        const Sample::SamplePlayer &player = firstSkater();
        QByteArray key = readFile(base("key.db"));
        qToLittleEndian<qint32>(qint32(sample().attFile.size()),
                                key.data() + player.keyOffset + 36);
        QVERIFY(writeFile(base("key.db"), key));

        const Outcome outcome = cli({"export", m_base});
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains(QStringLiteral("offset %1").arg(player.keyOffset)),
                 qPrintable(outcome.err));
        const QList<QStringList> lines = csvLines(outcome.out);
        const auto row = std::find_if(lines.begin(), lines.end(), [&](const QStringList &l) {
            return l.at(2) == number(player.keyOffset);
        });
        QVERIFY(row != lines.end());
        QCOMPARE(row->at(4), player.lastName);
        QCOMPARE(row->mid(11), QStringList(20, QString())); // hand and ratings empty
    }

    void roundTripChangesNoByte_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("game");
        QTest::newRow("base rosters, csv") << "csv" << QStringList();
        QTest::newRow("base rosters, json") << "json" << QStringList();
        QTest::newRow("saved game 7, csv") << "csv" << QStringList{"--game", "7"};
        QTest::newRow("saved game 12, json") << "json" << QStringList{"--game", "12"};
    }

    void roundTripChangesNoByte()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, game);
        const QString folder = game.isEmpty() ? m_base : m_saved;
        const QString path = m_dir.filePath("roster." + format);
        QCOMPARE(cli(QStringList{"export", folder, "--output", path} + game).status, 0);
        const QMap<QString, QByteArray> before = snapshotOf(folder);

        const Outcome outcome = cli(QStringList{"import", folder, path} + game);
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.err, QString());
        QVERIFY2(outcome.out.startsWith("0 players changed, 0 rows refused"),
                 qPrintable(outcome.out));
        QCOMPARE(snapshotOf(folder), before); // not even a backup
    }

    // One cell changed through the editor's rules, the rest of the player
    // and of the files as they were.
    void editedCell_data()
    {
        QTest::addColumn<int>("kind"); // 0 skater, 1 goalie, 2 defenceman, 3 no rookie, 4 left hand
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("weightClass"); // -1: not looked at
        const auto add = [](const char *name, int kind, const char *column, const char *cell,
                            const char *shown, const char *warning = "", int weightClass = -1) {
            QTest::newRow(name) << kind << QString(column) << QString(cell) << QString(shown)
                                << QString(warning) << weightClass;
        };
        add("speed above the limit", 0, "speed", "101", "100",
            "speed 101: Attribute may not be greater than 100");
        add("speed off the grid", 0, "speed", "42", "44",
            "speed 42: Attribute must be a multiple of 4");
        add("rating with a fraction", 0, "agility", "45.9", "44",
            "agility 45.9: Attribute must be a multiple of 4");
        add("bias onto its grid without a word", 0, "shoot_pass_bias", "50", "53");
        add("fighting onto its grid without a word", 0, "fighting", "40", "33");
        add("fighting above the limit", 0, "fighting", "150", "100",
            "fighting 150: Attribute may not be greater than 100");
        add("goalie rating off the grid", 1, "stick_left", "72", "70",
            "stick_left 72: Attribute must be a multiple of 5");
        add("goalie rating below the limit", 1, "speed", "0", "25",
            "speed 0: Attribute may not be less than 25");
        add("skater weight above the limit", 0, "weight", "300", "254",
            "weight 300: Attribute may not be greater than 254", 18);
        add("goalie weight below the limit", 1, "weight", "150", "155",
            "weight 150: Attribute may not be less than 155", 0);
        add("weight class follows the weight", 0, "weight", "165", "165", "", 1);
        add("goalie weight class", 1, "weight", "239", "239", "", 15);
        add("inches above the limit", 0, "height_in", "12", "11",
            "height_in 12: Attribute may not be greater than 11");
        add("feet above the limit", 0, "height_ft", "7", "6",
            "height_ft 7: Attribute may not be greater than 6");
        add("first name in proper case", 0, "first_name", "wAYNE", "Wayne");
        add("two first names", 0, "first_name", "jean luc", "Jean Luc");
        add("first name beyond ASCII", 0, "first_name", "éMILE", "Émile");
        add("last name keeps inner capitals", 0, "last_name", "mcDonald", "McDonald");
        add("rookie in lower case", 3, "rookie", "y", "Y");
        add("hand", 4, "hand", "r", "R");
        add("defenceman to centre", 2, "position", "c", "C");
        add("goalie stays goalie", 1, "position", "g", "G");
    }

    void editedCell()
    {
        QFETCH(int, kind);
        QFETCH(QString, column);
        QFETCH(QString, cell);
        QFETCH(QString, shown);
        QFETCH(QString, warning);
        QFETCH(int, weightClass);

        const std::function<bool(const Sample::SamplePlayer &)> kinds[] = {
            [](const Sample::SamplePlayer &p) { return !isGoalie(p); },
            isGoalie,
            [](const Sample::SamplePlayer &p) { return keyByte(p, 2) == 'D'; },
            [](const Sample::SamplePlayer &p) { return keyByte(p, 58) == 'N'; },
            [](const Sample::SamplePlayer &p) {
                return sample().attFile.at(attribOffsetOf(p)) == 0;
            },
        };
        const Sample::SamplePlayer &player = firstPlayer(kinds[kind]);
        const QByteArray key = readFile(base("key.db"));
        const QByteArray att = readFile(base("att.db"));
        QList<QStringList> expected = csvLines(exportCsv());
        const int c = expected.first().indexOf(column);
        for (QStringList &line : expected) {
            if (line.at(2) == number(player.keyOffset))
                line[c] = shown;
        }

        QVERIFY(writeFile(file("edit.csv"), QStringLiteral("offset,%1\r\n%2,%3\r\n")
                                                .arg(column)
                                                .arg(player.keyOffset)
                                                .arg(cell)
                                                .toUtf8()));
        const Outcome outcome = cli({"import", m_base, file("edit.csv"), "--no-backup"});
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.err, warning.isEmpty() ? QString()
                                                : QStringLiteral("warning: line 2, offset %1: %2\n")
                                                      .arg(player.keyOffset)
                                                      .arg(warning));
        QCOMPARE(csvLines(exportCsv()), expected);

        // Only his two records may differ.
        const qint32 at = attribOffsetOf(player);
        const int attSize = isGoalie(player) ? 17 : 21;
        QByteArray keyAfter = readFile(base("key.db"));
        QByteArray attAfter = readFile(base("att.db"));
        if (weightClass >= 0)
            QCOMPARE(int(quint8(attAfter.at(at + (isGoalie(player) ? 8 : 3)))), weightClass);
        QCOMPARE(keyAfter.size(), key.size());
        QCOMPARE(attAfter.size(), att.size());
        keyAfter.replace(player.keyOffset, 60, key.mid(player.keyOffset, 60));
        attAfter.replace(at, attSize, att.mid(at, attSize));
        QCOMPARE(keyAfter, key);
        QCOMPARE(attAfter, att);
        QVERIFY(!QFile::exists(base("key.bak")));
    }

    void editSeveralCells_data()
    {
        QTest::addColumn<bool>("json");
        QTest::newRow("csv") << false;
        QTest::newRow("json") << true;
    }

    // Export, edit a few cells, import, export again: the edits and nothing else.
    void editSeveralCells()
    {
        QFETCH(bool, json);
        const QMap<QString, QByteArray> original = snapshotOf(m_base);
        const Sample::SamplePlayer &skater = firstSkater();
        const Sample::SamplePlayer &goalie = firstPlayer(
            [](const Sample::SamplePlayer &p) { return isGoalie(p) && keyByte(p, 58) == 'N'; });
        const QList<QStringList> before = csvLines(exportCsv());
        const QStringList columns = before.first();
        struct Edit
        {
            qint64 offset;
            const char *column;
            QString cell;
            QString shown;
        };
        const QList<Edit> edits = {
            {skater.keyOffset, "speed", "73", "72"},
            {skater.keyOffset, "last_name", "o'brien", "O'brien"},
            {goalie.keyOffset, "puck_control", "100", "100"},
            {goalie.keyOffset, "rookie", "Y", "Y"},
        };

        QList<QStringList> expected = before;
        QList<QStringList> edited = before;
        for (const Edit &edit : edits) {
            const int c = columns.indexOf(QLatin1String(edit.column));
            for (qsizetype i = 1; i < before.size(); ++i) {
                if (before[i].at(2) == number(edit.offset)) {
                    edited[i][c] = edit.cell;
                    expected[i][c] = edit.shown;
                }
            }
        }
        // JSON holds only the changed players, as a script would write it.
        QString path = file("edited.csv");
        if (json) {
            QJsonArray array;
            for (const Sample::SamplePlayer *p : {&skater, &goalie}) {
                QJsonObject object{{"offset", p->keyOffset}};
                for (const Edit &edit : edits) {
                    if (edit.offset == p->keyOffset) {
                        bool isNumber = false;
                        const int value = edit.cell.toInt(&isNumber);
                        object.insert(QLatin1String(edit.column),
                                      isNumber ? QJsonValue(value) : QJsonValue(edit.cell));
                    }
                }
                array.append(object);
            }
            path = file("edited.json");
            QVERIFY(writeFile(path, QJsonDocument(array).toJson()));
        } else {
            QVERIFY(writeFile(path, csvText(edited).toUtf8()));
        }

        const Outcome outcome = cli({"import", m_base, path});
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.err, QStringLiteral("warning: %1, offset %2: speed 73: Attribute must be "
                                             "a multiple of 4\n")
                                  .arg(json ? "item %1" : "line %1")
                                  .arg(json ? 1 : exportIndex(skater) + 2)
                                  .arg(skater.keyOffset));
        QCOMPARE(outcome.out.count('\n'), 3); // two players and the summary
        QCOMPARE(csvLines(exportCsv()), expected);
        // The backups hold the rosters as they were before the import.
        QCOMPARE(readFile(base("teams.bak")), original.value("teams.db"));
        QCOMPARE(readFile(base("key.bak")), original.value("key.db"));
        QCOMPARE(readFile(base("att.bak")), original.value("att.db"));
    }

    void refusedRow_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("offset");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("reason");
        const auto add = [](const char *name, const char *column, qint64 offset,
                            const QString &cell, const QString &reason) {
            QTest::newRow(name) << QString(column) << number(offset) << cell << reason;
        };
        const Sample::SamplePlayer &s = firstSkater();
        const Sample::SamplePlayer &g = firstGoalie();
        const Sample::SamplePlayer &mate = teammateOf(s);
        const qint64 so = s.keyOffset;
        const Sample::SamplePlayer &freeAgent = *std::find_if(
            sample().players.begin(), sample().players.end(),
            [](const Sample::SamplePlayer &p) { return keyByte(p, 0) >= sample().teams.size(); });

        add("jersey worn by a teammate", "jersey", so, number(keyByte(mate, 1)),
            QStringLiteral("jersey %1 is worn by his teammate %2 %3 (offset %4)")
                .arg(keyByte(mate, 1))
                .arg(mate.firstName, mate.lastName)
                .arg(mate.keyOffset));
        add("jersey above 99", "jersey", so, "100",
            "jersey 100 is not a whole number from 0 to 99");
        add("jersey with a fraction", "jersey", so, "7.5",
            "jersey 7.5 is not a whole number from 0 to 99");
        add("goalie to defence", "position", g.keyOffset, "D",
            "position D: a goalie cannot play forward or defense");
        add("skater to goal", "position", so, "g",
            "position G: a forward or defenseman cannot play goal");
        add("unknown position", "position", so, "Q", "position \"Q\" is none of G, D, L, C, R");
        add("rookie other than Y or N", "rookie", so, "x", "rookie \"x\" is neither Y nor N");
        add("rookie spelt out", "rookie", so, "Yes", "rookie \"Yes\" is neither Y nor N");
        add("hand other than L or R", "hand", so, "X", "hand \"X\" is neither L nor R");
        add("first name too long", "first_name", so, "Maximilianovichhh",
            "first name \"Maximilianovichhh\" has 17 characters; the game stores 16");
        add("last name too long", "last_name", so, "Vanderschoolhovens",
            "last name \"Vanderschoolhovens\" has 18 characters; the game stores 17");
        add("last name outside the code page", "last_name", so, "Łukasiewicz",
            "last name \"Łukasiewicz\" has a character the game cannot store: \"Ł\"");
        add("skater rating for a goalie", "stick_handling", g.keyOffset, "60",
            "stick_handling is a skater's rating; he is a goalie");
        add("goalie rating for a skater", "puck_control", so, "60",
            "puck_control is a goalie's rating; he is a skater");
        add("another team", "team", so, "99",
            QStringLiteral("team 99: a player cannot change teams here; he plays for team %1")
                .arg(keyByte(s, 0)));
        add("another city", "city", so, "Springfield",
            QStringLiteral("city \"Springfield\": a team's city cannot be changed here; his "
                           "team's is \"%1\"")
                .arg(sample().teams[keyByte(s, 0)].city()));
        add("offset between records", "speed", 61, "60", "no player record starts at that offset");
        add("offset in the gap", "speed", 46000, "60", "no player record starts at that offset");
        add("offset past the file", "speed", 500000, "60", "key.db holds no player record");
        add("offset of a free agent", "speed", freeAgent.keyOffset, "60",
            QStringLiteral("offset %1 (%2 %3) belongs to no team (team number %4)")
                .arg(freeAgent.keyOffset)
                .arg(freeAgent.firstName, freeAgent.lastName)
                .arg(keyByte(freeAgent, 0)));
        add("no offset", "speed", -1, "60", "the row gives no offset");
    }

    // Each refusal names the row and why, and leaves every file as it was.
    void refusedRow()
    {
        QFETCH(QString, column);
        QFETCH(QString, offset);
        QFETCH(QString, cell);
        QFETCH(QString, reason);
        if (offset == "-1")
            offset.clear();
        const QString csv = QStringLiteral("offset,%1\r\n%2,%3\r\n").arg(column, offset, cell);
        if (offset.isEmpty())
            offset = "none";
        const QMap<QString, QByteArray> before = snapshotOf(m_base);
        QVERIFY(writeFile(file("rows.csv"), csv.toUtf8()));
        const Outcome outcome = cli({"import", m_base, file("rows.csv")});
        QCOMPARE(outcome.status, 1);
        QCOMPARE(outcome.err,
                 QStringLiteral("refused: line 2, offset %1: %2\n").arg(offset, reason));
        QVERIFY2(outcome.out.startsWith("0 players changed, 1 row refused"),
                 qPrintable(outcome.out));
        QCOMPARE(snapshotOf(m_base), before);
    }

    // A refused row takes nothing of itself along; the other rows apply.
    void refusedRowAmongGoodOnes()
    {
        const Sample::SamplePlayer &skater = firstSkater();
        const Sample::SamplePlayer &goalie = firstGoalie();
        QVERIFY(writeFile(file("rows.csv"), QStringLiteral("offset,speed,position\r\n"
                                                           "%1,100,G\r\n"
                                                           "%2,100,G\r\n")
                                                .arg(skater.keyOffset)
                                                .arg(goalie.keyOffset)
                                                .toUtf8()));
        const Outcome outcome = cli({"import", m_base, file("rows.csv"), "--no-backup"});
        QCOMPARE(outcome.status, 1);
        QVERIFY(outcome.err.startsWith(
            QStringLiteral("refused: line 2, offset %1: position G").arg(skater.keyOffset)));
        const QList<QStringList> after = csvLines(exportCsv());
        const int speed = after.first().indexOf("speed");
        for (const QStringList &line : after) {
            if (line.at(2) == number(skater.keyOffset))
                QCOMPARE(line.at(speed), expectedRow(sample(), skater).value("speed"));
            if (line.at(2) == number(goalie.keyOffset))
                QCOMPARE(line.at(speed), "100");
        }
    }

    void jerseysFollowEarlierRows_data()
    {
        QTest::addColumn<bool>("moveFirst");
        QTest::addColumn<int>("status");
        QTest::newRow("the number is freed first") << true << 0;
        QTest::newRow("the number is taken first") << false << 1;
    }

    // The jersey rule sees the rows before it applied, not the rows after.
    void jerseysFollowEarlierRows()
    {
        QFETCH(bool, moveFirst);
        QFETCH(int, status);
        const Sample::SamplePlayer &skater = firstSkater();
        const Sample::SamplePlayer &mate = teammateOf(skater);
        const QString frees = QStringLiteral("%1,%2\r\n").arg(mate.keyOffset).arg(freeJersey(mate));
        const QString takes =
            QStringLiteral("%1,%2\r\n").arg(skater.keyOffset).arg(keyByte(mate, 1));
        QVERIFY(writeFile(
            file("rows.csv"),
            ("offset,jersey\r\n" + (moveFirst ? frees + takes : takes + frees)).toUtf8()));
        const Outcome outcome = cli({"import", m_base, file("rows.csv"), "--no-backup"});
        QCOMPARE(outcome.status, status);
        const Result<PlayerRecord> after = GameFiles::readPlayer(base("key.db"), skater.keyOffset);
        QVERIFY(after.ok());
        QCOMPARE(int(after->jerseyNumber()),
                 moveFirst ? int(keyByte(mate, 1)) : int(keyByte(skater, 1)));
    }

    void renamedPlayersPicture_data()
    {
        QTest::addColumn<QString>("lastName");
        QTest::addColumn<bool>("unlinkOption");
        QTest::addColumn<bool>("unlinked");
        QTest::newRow("renamed, picture kept") << "Renamed" << false << false;
        QTest::newRow("renamed, picture unlinked") << "Renamed" << true << true;
        QTest::newRow("shortened is no new name") << "" << true << false;
    }

    void renamedPlayersPicture()
    {
        QFETCH(QString, lastName);
        QFETCH(bool, unlinkOption);
        QFETCH(bool, unlinked);
        const Sample::SamplePlayer &player = firstPlayer([](const Sample::SamplePlayer &p) {
            return p.record.pictureCodeA() != "NONE" && p.record.pictureCodeB() != "NONE"
                   && p.lastName.size() > 4;
        });
        if (lastName.isEmpty())
            lastName = player.lastName.left(3);
        QVERIFY(writeFile(file("rows.csv"), QStringLiteral("offset,last_name\r\n%1,%2\r\n")
                                                .arg(player.keyOffset)
                                                .arg(lastName)
                                                .toUtf8()));
        QStringList arguments{"import", m_base, file("rows.csv"), "--no-backup"};
        if (unlinkOption)
            arguments.append("--unlink-renamed-pictures");
        const Outcome outcome = cli(arguments);
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.out.contains("picture unlinked"), unlinked);

        const Result<PlayerRecord> after = GameFiles::readPlayer(base("key.db"), player.keyOffset);
        QVERIFY(after.ok());
        QCOMPARE(after->lastName(), lastName);
        const QString none = "NONE";
        QCOMPARE(after->pictureCodeA(), unlinked ? none : player.record.pictureCodeA());
        QCOMPARE(after->pictureCodeB(), unlinked ? none : player.record.pictureCodeB());
    }

    // A dry run judges every row as a real run does and writes nothing.
    void dryRunWritesNothing()
    {
        const Sample::SamplePlayer &skater = firstSkater();
        const Sample::SamplePlayer &goalie = firstPlayer([&](const Sample::SamplePlayer &p) {
            return isGoalie(p) && keyByte(p, 0) == keyByte(skater, 0);
        });
        const QByteArray rows = QStringLiteral("offset,speed,first_name,jersey\r\n"
                                               "%1,101,ada,\r\n"
                                               "%2,70,,%3\r\n")
                                    .arg(skater.keyOffset)
                                    .arg(goalie.keyOffset)
                                    .arg(keyByte(skater, 1))
                                    .toUtf8();
        QVERIFY(writeFile(file("rows.csv"), rows));
        const QMap<QString, QByteArray> before = snapshotOf(m_base);
        const Outcome dry = cli({"import", m_base, file("rows.csv"), "--dry-run"});
        QCOMPARE(snapshotOf(m_base), before);

        const Outcome real = cli({"import", m_base, file("rows.csv")});
        QCOMPARE(dry.status, real.status);
        QCOMPARE(dry.err, real.err);
        QStringList dryLines = dry.out.split('\n', Qt::SkipEmptyParts);
        QStringList realLines = real.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY(dryLines.takeLast().startsWith("Dry run: 1 player would change, 1 row refused"));
        QVERIFY(realLines.takeLast().startsWith("1 player changed, 1 row refused"));
        QCOMPARE(dryLines, realLines);
        QCOMPARE(dryLines.size(), 1);
        QVERIFY(dryLines.first().contains("speed"));
        QVERIFY(snapshotOf(m_base) != before);
    }

    void badInputWritesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const auto add = [](const char *row, const char *name, const QByteArray &bytes,
                            const QString &reason) {
            QTest::newRow(row) << QString(name) << bytes << reason;
        };
        // The first line after the header would change a player.
        const QByteArray offset = number(firstSkater().keyOffset).toUtf8();
        const QByteArray csv = "offset,speed,first_name\r\n" + offset + ",100,Ada\r\n";
        const QByteArray json = "[{\"offset\": " + offset + ", \"speed\": 100}, ";

        add("broken quote", "a.csv", csv + "60,100,\"Ada\r\n",
            "the quoted cell that starts on line 3 is never closed");
        add("text after a closing quote", "a.csv", csv + "60,100,\"Ada\"x\r\n",
            "line 3: text after the closing quote of a cell");
        add("quote inside a cell", "a.csv", csv + "60,100,A\"da\r\n",
            "line 3: a quote inside a cell that is not quoted");
        add("missing header", "a.csv", offset + ",100,Ada\r\n",
            "line 1 is not a header: \"" + offset + "\" is no column name");
        add("unknown column", "a.csv", "offset,spead\r\n" + offset + ",100\r\n",
            "line 1: \"spead\" is no column name");
        add("column twice", "a.csv", "offset,speed,speed\r\n",
            "line 1: the column speed appears twice");
        add("no offset column", "a.csv", "speed\r\n100\r\n", "the header has no offset column");
        add("text in a number cell", "a.csv", csv + "60,fast,Ada\r\n",
            "line 3, column speed: \"fast\" is not a number");
        add("text in the offset", "a.csv", csv + "sixty,100,Ada\r\n",
            "line 3, column offset: \"sixty\" is not a number");
        add("a cell short", "a.csv", csv + "60,100\r\n",
            "line 3 has 2 cells, but the header names 3 columns");
        add("a cell past the header", "a.csv", csv + "60,100,Ada,x\r\n",
            "line 3 has 4 cells, but the header names 3 columns");
        add("UTF-16 mark, odd bytes", "a.csv", "\xFF\xFEo\0f\0f",
            "the file starts with the mark of UTF-16 text, but line 1 is not UTF-16");
        add("empty file", "a.csv", "", "the file is empty");
        add("json object", "a.json", "{\"offset\": 60}",
            "the JSON is not an array of players but an object");
        add("json by its content", "a.txt", "  {\"offset\": 60}",
            "the JSON is not an array of players");
        add("broken json", "a.json", json + "{\"offset\": 60,}]", "not valid JSON at byte");
        add("json item not an object", "a.json", json + "7]",
            "item 2 is a number, not an object of a player");
        add("json text for a number", "a.json", json + "{\"offset\": 60, \"speed\": \"fast\"}]",
            "item 2, speed: text is not a number");
        add("json number for text", "a.json", json + "{\"offset\": 60, \"first_name\": 5}]",
            "item 2, first_name: a number is not text");
        add("json unknown key", "a.json", json + "{\"offset\": 60, \"sped\": 5}]",
            "item 2: \"sped\" is no column name");
        add("json item without offset", "a.json", json + "{\"speed\": 100}]",
            "item 2 has no offset");
        // In the system's own words ("No such file or directory", "File not found.").
        const QTemporaryDir empty;
        QFile missing(QDir(empty.path()).filePath(QStringLiteral("missing.csv")));
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        add("no such file", "missing.csv", "", missing.errorString());
    }

    void badInputWritesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString path = m_dir.filePath(name);
        if (!name.startsWith("missing"))
            QVERIFY(writeFile(path, bytes));
        const QMap<QString, QByteArray> before = snapshotOf(m_base);
        const Outcome outcome = cli({"import", m_base, path});
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.err.startsWith(
                     QStringLiteral("puckdex-cli: %1: ").arg(QDir::toNativeSeparators(path))),
                 qPrintable(outcome.err));
        QVERIFY2(outcome.err.contains(reason), qPrintable(outcome.err));
        QCOMPARE(outcome.out, QString());
        QCOMPARE(snapshotOf(m_base), before);
    }

    // Spreadsheets save with a byte-order mark and LF line ends; both are fine.
    void spreadsheetCsv()
    {
        const Sample::SamplePlayer &skater = firstSkater();
        QVERIFY(writeFile(file("rows.csv"), "\xEF\xBB\xBFoffset,last_name\n" +
                                                number(skater.keyOffset).toUtf8() +
                                                ",\"Smith, \"\"Jr\"\"\"\n"));
        const Outcome outcome = cli({"import", m_base, file("rows.csv"), "--no-backup"});
        QCOMPARE(outcome.status, 0);
        const Result<PlayerRecord> after = GameFiles::readPlayer(base("key.db"), skater.keyOffset);
        QCOMPARE(after->lastName(), "Smith, \"Jr\"");
        // ... and the export quotes it back the same way.
        QVERIFY(exportCsv().contains(",\"Smith, \"\"Jr\"\"\","));
    }

    // What spreadsheets save: the edits land exactly as the export's own
    // CSV of them would land them (landed, imported into another copy), and
    // nothing else changes; or the file is refused with a message.
    void spreadsheetFlavours_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");    // exactly; %1 the file
        QTest::addColumn<QString>("landed"); // "": no file changes
        addReadSheets();
        addRefusedSheets();
    }

    void spreadsheetFlavours()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, err);
        QFETCH(QString, landed);
        const QString reference = m_dir.filePath("reference");
        QDir(reference).removeRecursively();
        QVERIFY(Sample::writeBaseRosters(reference).ok());
        if (!landed.isEmpty()) {
            QVERIFY(writeFile(file("landed.csv"), landed.toUtf8()));
            const QStringList import{"import", reference, file("landed.csv"), "--no-backup"};
            QCOMPARE(cli(import + options).status, 0);
            QVERIFY(gameFiles(reference) != gameFiles(m_base));
        }

        QVERIFY(writeFile(file("sheet.csv"), bytes));
        const Outcome outcome =
            cli(QStringList{"import", m_base, file("sheet.csv"), "--no-backup"} + options);
        QCOMPARE(outcome.err, err.replace("%1", QDir::toNativeSeparators(file("sheet.csv"))));
        QCOMPARE(outcome.status, status);
        QCOMPARE(gameFiles(m_base), gameFiles(reference));
    }

    // Export for a spreadsheet that wants semicolons, tabs or Windows-1252,
    // of some teams only; the file is what a spreadsheet would save.
    void exportFlavours_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("lastName"); // the first skater's, imported first
        QTest::addColumn<QByteArray>("bytes");
        const QString pin = sample().teams[0].abbrev().trimmed().toLower();
        const QString name = "Semi;Colon";
        QTest::newRow("semicolons, Windows-1252, two teams")
            << QStringList{"--separator", ";", "--encoding", "Windows-1252", "--team", "3",
                           "--team", pin, "--team", "0"}
            << name
            << sheetBytes({';', "windows-1252", {}, {{"last_name", name}}, 0, {}, {}, 0, {0, 3}});
        QTest::newRow("tabs") << QStringList{"--separator", "tab"} << "Tab\tbed"
                              << sheetBytes({'\t', "utf-8", {}, {{"last_name", "Tab\tbed"}}});
    }

    void exportFlavours()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, lastName);
        QFETCH(QByteArray, bytes);
        QCOMPARE(import(m_base, {{firstSkater().keyOffset, "last_name", lastName}}, {"--no-backup"})
                     .status,
                 0);
        const Outcome outcome =
            cli(QStringList{"export", m_base, "--output", file("out.csv")} + options);
        QCOMPARE(outcome.err, QString());
        QCOMPARE(outcome.status, 0);
        QCOMPARE(readFile(file("out.csv")), bytes);
    }

    // A write that fails stops the import; what was written is reported.
    void failedWriteStops()
    {
        const Sample::SamplePlayer &first = firstSkater();
        const Sample::SamplePlayer &second = firstGoalie();
        GameFiles::setWriteFaultHook(
            [&](const QString &path, qint64 offset) -> std::optional<GameFiles::WriteFault> {
                if (path.endsWith("key.db") && offset == second.keyOffset)
                    return GameFiles::WriteFault{true, -1, {}};
                return std::nullopt;
            });
        QVERIFY(writeFile(file("rows.csv"), QStringLiteral("offset,speed\r\n%1,100\r\n%2,100\r\n")
                                                .arg(first.keyOffset)
                                                .arg(second.keyOffset)
                                                .toUtf8()));
        const Outcome outcome = cli({"import", m_base, file("rows.csv"), "--no-backup"});
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.err.contains(QStringLiteral("offset %1 (%2 %3) could not be written")
                                          .arg(second.keyOffset)
                                          .arg(second.firstName, second.lastName)),
                 qPrintable(outcome.err));
        QVERIFY2(outcome.err.contains("the file is read-only"), qPrintable(outcome.err));
        QVERIFY2(outcome.err.contains("1 player was written before it"), qPrintable(outcome.err));
        QCOMPARE(outcome.out.count('\n'), 1); // the first player only
        const Result<PlayerRecord> key = GameFiles::readPlayer(base("key.db"), second.keyOffset);
        QCOMPARE(key->toByteArray(), second.record.toByteArray());
    }

    void failedBackupWritesNothing()
    {
        QVERIFY(QDir(m_base).mkdir("att.bak")); // no file can take its place
        const QByteArray key = readFile(base("key.db"));
        const QByteArray att = readFile(base("att.db"));
        QVERIFY(writeFile(
            file("rows.csv"),
            QStringLiteral("offset,speed\r\n%1,100\r\n").arg(firstSkater().keyOffset).toUtf8()));
        const Outcome outcome = cli({"import", m_base, file("rows.csv")});
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.err.startsWith(QLatin1String(
                     "puckdex-cli: the backup of att.db failed, so nothing was written")),
                 qPrintable(outcome.err));
        QCOMPARE(readFile(base("key.db")), key);
        QCOMPARE(readFile(base("att.db")), att);
    }

    // Real faults under an import: a read-only attribute file stops the
    // first player before either of his records is written; a full disk
    // stops the backups, and with them everything, keeping the old ones.
    void importOnRealFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("att.db read-only")
            << "read-only"
            << QStringList{"could not be written", "att.db: the file is read-only",
                           "puckdex-cli: Nothing was written.",
                           "0 players were written before it"};
        QTest::newRow("full disk")
            << "full disk"
            << QStringList{"the backup of teams.db failed, so nothing was written",
                           "teams.bak: the disk is full"};
    }
    void importOnRealFaults()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, said);
        FullDisk disk;
        QString folder = m_base;
        QStringList options{"--no-backup"};
        if (fault == QLatin1String("full disk")) {
            REQUIRE_FULL_DISK(disk);
            folder = disk.path();
            QVERIFY(Sample::writeBaseRosters(folder).ok());
            for (const char *name : {"teams.bak", "key.bak", "att.bak"})
                QVERIFY(writeFile(QDir(folder).filePath(name), "an earlier backup"));
            QVERIFY(disk.fill());
            options.clear();
        } else {
            QVERIFY(QFile::setPermissions(base("att.db"), QFile::ReadOwner | QFile::ReadGroup));
        }
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(base("att.db"), QFile::ReadOwner | QFile::WriteOwner);
        });
        QMap<QString, QByteArray> before;
        for (const QString &name : QDir(folder).entryList(QDir::Files))
            before.insert(name, readFile(QDir(folder).filePath(name)));
        QVERIFY(
            writeFile(file("rows.csv"), QStringLiteral("offset,first_name,speed\r\n%1,Zed,100\r\n")
                                            .arg(firstSkater().keyOffset)
                                            .toUtf8()));
        const Outcome outcome = cli(QStringList{"import", folder, file("rows.csv")} + options);
        QCOMPARE(outcome.status, 2);
        for (const QString &words : said)
            QVERIFY2(outcome.err.contains(words), qPrintable(outcome.err));
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(readFile(QDir(folder).filePath(it.key())) == it.value(), qPrintable(it.key()));
    }

    // A command's output file on a real full disk: refused with the reason,
    // and what the file held before is kept whole.
    void outputOnAFullDisk_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::newRow("export") << QStringList{"export"};
        QTest::newRow("diff") << QStringList{"diff", "--format", "csv"};
    }
    void outputOnAFullDisk()
    {
        QFETCH(QStringList, command);
        FullDisk disk;
        REQUIRE_FULL_DISK(disk);
        if (command.first() == QLatin1String("diff")) {
            for (const char *name : {"teams", "key", "att"})
                QVERIFY(QFile::copy(base(qPrintable(name + QStringLiteral(".db"))),
                                    base(qPrintable(name + QStringLiteral(".bak")))));
            QVERIFY(writeFile(file("rows.csv"), QStringLiteral("offset,speed\r\n%1,100\r\n")
                                                    .arg(firstSkater().keyOffset)
                                                    .toUtf8()));
            QCOMPARE(cli({"import", m_base, file("rows.csv"), "--no-backup"}).status, 0);
        }
        const QString output = disk.filePath("out.csv");
        QVERIFY(writeFile(output, "an earlier export"));
        QVERIFY(disk.fill());
        const Outcome outcome =
            cli(QStringList{command.first(), m_base} + command.mid(1) + QStringList{"--output", output});
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.err.contains("out.csv: the disk is full"), qPrintable(outcome.err));
        QCOMPARE(readFile(output), QByteArray("an earlier export"));
    }

    void checkFindsNothingInTheSample_data()
    {
        QTest::addColumn<QStringList>("game");
        QTest::newRow("base rosters") << QStringList();
        QTest::newRow("saved game 3") << QStringList{"--game", "3"};
        QTest::newRow("saved game 12") << QStringList{"--game", "12"};
    }

    void checkFindsNothingInTheSample()
    {
        QFETCH(QStringList, game);
        const Outcome outcome = cli(QStringList{"check", game.isEmpty() ? m_base : m_saved} + game);
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.err, QString());
        QCOMPARE(findingLines(outcome.out), QStringList());
        QVERIFY2(outcome.out.contains("\nNo findings (26 teams, "), qPrintable(outcome.out));
    }

    void checkFindsDamage_data()
    {
        QTest::addColumn<char>("file"); // k, a: a byte of his record; t, K: a tail on teams, key
        QTest::addColumn<int>("who");   // 0 a skater, 1 a goalie, 2 the skater's teammate
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("strict");
        QTest::addColumn<QString>("finding"); // none: a clean check

        const Sample::SamplePlayer &s = firstSkater();
        const Sample::SamplePlayer &g = firstGoalie();
        const auto in = [](const char *file, const Sample::SamplePlayer &p) {
            return QStringLiteral("%1: offset %2 (%3 %4): ")
                .arg(QLatin1String(file))
                .arg(p.keyOffset)
                .arg(p.firstName, p.lastName);
        };
        const auto add = [](const char *name, char file, int who, int index, int value,
                            const QString &finding, bool strict = false) {
            QTest::newRow(name) << file << who << index << value << strict << finding;
        };
        const int team = keyByte(s, 0);

        add("attribute record outside the file", 'k', 0, 39, 0x7F,
            in("key.db", s)
                + QStringLiteral("his attribute record at %1 (21 bytes) lies outside att.db, "
                                 "which ends at byte %2")
                      .arg(attribOffsetOf(s) | 0x7F000000)
                      .arg(sample().attFile.size()));
        add("jersey worn twice", 'k', 2, 1, keyByte(s, 1),
            QStringLiteral("key.db: team %1 (%2): jersey %3 is worn by ")
                .arg(team)
                .arg(sample().teams[team].abbrev())
                .arg(keyByte(s, 1)));
        add("jersey above 99", 'k', 0, 1, 120, in("key.db", s) + "jersey 120 is above 99");
        add("position letter", 'k', 0, 2, 'X',
            in("key.db", s) + "position \"X\" (byte 88) is none of G, D, L, C, R");
        add("rookie flag", 'k', 0, 58, 0,
            in("key.db", s) + "rookie flag byte 0 is neither Y nor N");
        add("hand byte", 'a', 0, 0, 2,
            in("att.db", s) + "hand byte 2 is neither 0 (left) nor 1 (right)");
        add("skater rating above 100", 'a', 0, 1, 20,
            in("att.db", s) + "speed shows 120 (byte 20), above 100");
        add("goalie rating above 100", 'a', 1, 16, 16,
            in("att.db", g) + "puck_control shows 105 (byte 16), above 100");
        add("fighting byte of 7", 'a', 0, 20, 7,
            in("att.db", s) + "fighting byte 7 (shows 0); the game's range is 0 to 6");
        add("too short", 'k', 0, 56, 59,
            in("key.db", s) + "height 4'11\" (59 inches) is outside 5'0\" to 6'11\"");
        add("too tall", 'k', 0, 56, 84,
            in("key.db", s) + "height 7'0\" (84 inches) is outside 5'0\" to 6'11\"");
        add("skater too light", 'k', 0, 57, 159,
            in("key.db", s) + "weight 159 pounds is outside 160 to 254 for a skater");
        add("goalie too heavy", 'k', 1, 57, 240,
            in("key.db", g) + "weight 240 pounds is outside 155 to 239 for a goalie");
        add("team file tail", 't', 0, 0, 100,
            "teams.db: the last 100 bytes are no complete team record (one has 795)");
        add("key file tail", 'K', 0, 0, 17,
            "key.db: the last 17 bytes are no complete player record (one has 60)");
        add("no such team, strictly", 'k', 0, 0, 200,
            in("key.db", s) + "team number 200 matches no team", true);
        add("no such team is a free agent", 'k', 0, 0, 200, QString());
    }

    // Each kind of damage gives exactly its one finding.
    void checkFindsDamage()
    {
        QFETCH(char, file);
        QFETCH(int, who);
        QFETCH(int, index);
        QFETCH(int, value);
        QFETCH(bool, strict);
        QFETCH(QString, finding);
        const Sample::SamplePlayer &player = who == 0   ? firstSkater()
                                             : who == 1 ? firstGoalie()
                                                        : teammateOf(firstSkater());
        QByteArray teams = readFile(base("teams.db"));
        QByteArray key = readFile(base("key.db"));
        QByteArray att = readFile(base("att.db"));
        if (file == 'k')
            key[player.keyOffset + index] = char(value);
        else if (file == 'a')
            att[attribOffsetOf(player) + index] = char(value);
        else
            (file == 't' ? teams : key).append(QByteArray(value, 'x'));
        QVERIFY(writeFile(base("teams.db"), teams));
        QVERIFY(writeFile(base("key.db"), key));
        QVERIFY(writeFile(base("att.db"), att));

        // Strictly, every free agent of the sample is a finding as well.
        qsizetype count = finding.isEmpty() ? 0 : 1;
        for (const Sample::SamplePlayer &p : sample().players)
            count += strict && keyByte(p, 0) >= sample().teams.size();

        QStringList arguments{"check", m_base};
        if (strict)
            arguments.append("--strict");
        const Outcome outcome = cli(arguments);
        QCOMPARE(outcome.status, count ? 1 : 0);
        const QStringList findings = findingLines(outcome.out);
        QCOMPARE(findings.size(), count);
        if (count) {
            QVERIFY2(std::any_of(findings.begin(), findings.end(),
                                 [&](const QString &line) { return line.startsWith(finding); }),
                     qPrintable(outcome.out));
            QVERIFY2(
                outcome.out.endsWith(QStringLiteral("%1 (26 teams, %2 players).\n")
                                         .arg(count == 1 ? QStringLiteral("1 finding")
                                                         : QStringLiteral("%1 findings").arg(count))
                                         .arg(sample().players.size())),
                qPrintable(outcome.out));
        } else {
            QVERIFY2(outcome.out.contains("free agents") && outcome.out.contains("to 200)"),
                     qPrintable(outcome.out));
        }
    }

    void checkFindsATornIndex()
    {
        QFile index(QDir(m_saved).filePath(Sample::IndexFileName));
        QVERIFY(index.open(QIODevice::Append));
        index.write(QByteArray(20, 'I'));
        index.close();
        const Outcome outcome = cli({"check", m_saved, "--game", "7"});
        QCOMPARE(outcome.status, 1);
        QCOMPARE(findingLines(outcome.out),
                 QStringList{"games.ndx: the last 20 bytes are no complete saved-game record (one "
                             "has 54)"});
    }

    void checkOfAnUnreadableFolder_data()
    {
        QTest::addColumn<bool>("folder"); // a folder takes key.db's place
        QTest::addColumn<QString>("said");
        QTest::newRow("key.db a folder") << true << "key.db is a folder, not a file";
    }
    void checkOfAnUnreadableFolder()
    {
        QFETCH(bool, folder);
        QFETCH(QString, said);
        QVERIFY(QFile::remove(base("key.db")));
        if (folder)
            QVERIFY(QDir(m_base).mkdir("key.db"));
        const Outcome outcome = cli({"check", m_base});
        QCOMPARE(outcome.status, 2);
        QCOMPARE(outcome.err, QStringLiteral("puckdex-cli: %1: the folder holds no NHL 96 rosters: "
                                             "%2\n")
                                  .arg(QDir::toNativeSeparators(m_base), said));
    }

    void teamsLists()
    {
        const Outcome outcome = cli({"teams", m_base});
        QCOMPARE(outcome.status, 0);
        const QStringList lines = outcome.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), sample().teams.size());
        for (int team = 0; team < lines.size(); ++team) {
            const TeamRecord &record = sample().teams[team];
            const QStringList words = lines[team].split(' ', Qt::SkipEmptyParts);
            QCOMPARE(words.first(), number(team));
            QCOMPARE(words.at(1), record.abbrev());
            QVERIFY(lines[team].contains(record.city()));
            QVERIFY(lines[team].contains(record.teamName()));
            qsizetype players = 0;
            for (const Sample::SamplePlayer &p : sample().players)
                players += keyByte(p, 0) == team;
            QCOMPARE(words.last(), number(players));
        }
    }

    void playersOfATeam_data()
    {
        QTest::addColumn<QString>("team");
        const int number = keyByte(firstSkater(), 0);
        QTest::newRow("by number") << QString::number(number);
        QTest::newRow("by abbreviation in lower case") << sample().teams[number].abbrev().toLower();
    }

    void playersOfATeam()
    {
        QFETCH(QString, team);
        const Outcome outcome = cli({"players", m_base, "--team", team});
        QCOMPARE(outcome.status, 0);
        QStringList expected;
        for (const Sample::SamplePlayer &p : sample().players) {
            if (keyByte(p, 0) == keyByte(firstSkater(), 0)) {
                expected.append(QStringLiteral("%1 %2 %3 %4 %5")
                                    .arg(p.keyOffset)
                                    .arg(keyByte(p, 1))
                                    .arg(QChar(keyByte(p, 2)))
                                    .arg(p.firstName, p.lastName));
            }
        }
        QStringList lines;
        for (const QString &line : outcome.out.split('\n', Qt::SkipEmptyParts))
            lines.append(line.simplified());
        QCOMPARE(lines, expected);
    }

    void sampleCommand()
    {
        const QString folder = m_dir.filePath("new");
        QDir(folder).removeRecursively();
        QCOMPARE(cli({"sample", folder}).status, 0);
        QCOMPARE(readFile(QDir(folder).filePath("teams.db")), sample().teamFile);
        QCOMPARE(readFile(QDir(folder).filePath("key.db")), sample().keyFile);
        QCOMPARE(readFile(QDir(folder).filePath("att.db")), sample().attFile);

        // A roster already there is never replaced, whatever the case of its name.
        QVERIFY(QFile::rename(QDir(folder).filePath("key.db"), QDir(folder).filePath("KEY.DB")));
        QVERIFY(writeFile(QDir(folder).filePath("KEY.DB"), "mine"));
        const Outcome again = cli({"sample", folder});
        QCOMPARE(again.status, 2);
        QVERIFY2(again.err.contains("teams.db: already there"), qPrintable(again.err));
        QCOMPARE(readFile(QDir(folder).filePath("KEY.DB")), QByteArray("mine"));

        const Outcome saved = cli({"sample", folder, "--saved-game"});
        QCOMPARE(saved.status, 0);
        QCOMPARE(cli({"check", folder, "--game", "7"}).status, 0);

        // Another seed, other invented players.
        const QString seeded = m_dir.filePath("seeded");
        QDir(seeded).removeRecursively();
        QCOMPARE(cli({"sample", seeded, "--seed", "7"}).status, 0);
        const Sample::RosterImage other = Sample::buildRoster(7);
        QVERIFY(other.keyFile != sample().keyFile);
        QCOMPARE(readFile(QDir(seeded).filePath("key.db")), other.keyFile);
        QCOMPARE(readFile(QDir(seeded).filePath("att.db")), other.attFile);
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("line"); // split at blanks; %DIR% and %SAVED% filled in
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text"); // on the standard output after success, else on errors
        const auto add = [](const char *name, const char *line, int status, const QString &text) {
            QTest::newRow(name) << QString(line) << status << text;
        };
        add("nothing", "", 2, "Usage: puckdex-cli COMMAND");
        add("help", "--help", 0, "Commands:");
        add("version", "--version", 0, "puckdex-cli 1.0\n");
        add("unknown command", "frob", 2, "puckdex-cli: no command \"frob\"");
        for (const char *command : {"teams", "players", "export", "import", "check", "sample"}) {
            QTest::addRow("%s --help", command)
                << QStringLiteral("%1 --help").arg(command) << 0
                << QStringLiteral("Usage: puckdex-cli %1 ").arg(command);
        }
        add("folder missing", "teams", 2, "puckdex-cli teams: expected 1 argument, got 0");
        add("seed not a number", "sample %DIR%/seedless --seed -1", 2,
            "--seed needs a whole number from 0 to 4294967295, not \"-1\"");
        add("unknown option", "teams %DIR% --bogus", 2, "Unknown option 'bogus'");
        add("game not a number", "teams %DIR% --game x", 2, "--game needs a saved game's number");
        add("team needed", "players %DIR%", 2, "--team T is needed");
        add("no such team", "players %DIR% --team XYZ", 2, "no team \"XYZ\"");
        add("team number past the last", "players %DIR% --team 26", 2, "no team \"26\"");
        add("unknown format", "export %DIR% --format xml", 2,
            "--format is csv or json, not \"xml\"");
        add("unknown separator", "export %DIR% --separator |", 2,
            "--separator is \",\", \";\" or tab, not \"|\"");
        add("unknown encoding", "export %DIR% --encoding latin-9", 2,
            "--encoding is utf-8 or windows-1252, not \"latin-9\"");
        add("separator for JSON", "export %DIR% --format json --separator ;", 2,
            "--separator and --encoding are for CSV");
        add("no such team to export", "export %DIR% --team 0 --team XYZ", 2, "no team \"XYZ\"");
        add("saved games only", "export %SAVED%", 2,
            "saved games that games.ndx lists: 3, 7, 12; choose one with --game N");
        add("saved game not listed", "export %SAVED% --game 5", 2,
            "the index lists no saved game 5 (it lists 3, 7, 12)");
    }

    void commandLine()
    {
        QFETCH(QString, line);
        QFETCH(int, status);
        QFETCH(QString, text);
        QStringList arguments = line.split(' ', Qt::SkipEmptyParts);
        arguments.replaceInStrings("%DIR%", m_base).replaceInStrings("%SAVED%", m_saved);
        const Outcome outcome = cli(arguments);
        QCOMPARE(outcome.status, status);
        const QString &shown = status == 0 ? outcome.out : outcome.err;
        QVERIFY2(shown.contains(QDir::toNativeSeparators(text)) || shown.contains(text),
                 qPrintable(shown));
        QCOMPARE(status == 0 ? outcome.err : outcome.out, QString());
    }

    void fileTails_data()
    {
        QTest::addColumn<int>("file"); // 0 team, 1 key, 2 index
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("tail");
        QTest::newRow("team file whole") << 0 << qint64(795 * 26) << qint64(0);
        QTest::newRow("team file torn") << 0 << qint64(795 * 26 + 5) << qint64(5);
        QTest::newRow("key file torn in the first region") << 1 << qint64(45479) << qint64(59);
        QTest::newRow("key file ending at the gap") << 1 << qint64(45480) << qint64(0);
        QTest::newRow("key file ending inside the gap") << 1 << qint64(47000) << qint64(0);
        QTest::newRow("key file at the second region") << 1 << qint64(50000) << qint64(0);
        QTest::newRow("key file torn in the second region") << 1 << qint64(50061) << qint64(1);
        QTest::newRow("index shorter than its header") << 2 << qint64(100) << qint64(0);
        QTest::newRow("index with whole entries") << 2 << qint64(110 + 54 * 3) << qint64(0);
        QTest::newRow("index torn") << 2 << qint64(110 + 54 + 53) << qint64(53);
    }

    void fileTails()
    {
        QFETCH(int, file);
        QFETCH(qint64, size);
        QFETCH(qint64, tail);
        const qint64 got = file == 0   ? GameFiles::teamFileTail(size)
                           : file == 1 ? GameFiles::keyFileTail(size)
                                       : GameFiles::indexFileTail(size);
        QCOMPARE(got, tail);
    }

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
        QVERIFY2(lines[0].startsWith(QStringLiteral("   2  offset %1 (").arg(goalie)) &&
                     lines[0].endsWith(
                         QStringLiteral(": weight %1 -> 231").arg(before[goalie]["weight"])),
                 qPrintable(lines[0]));
        QVERIFY2(
            lines[1].contains(
                QStringLiteral("last_name \"%1\" -> \"Quill\"").arg(before[skater]["last_name"])),
            qPrintable(lines[1]));

        const Outcome undo = cli({"undo", m_base, "--steps", "2"});
        QCOMPARE(undo.status, 0);
        QCOMPARE(undo.out.count("Undid offset"), 2);
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
        QTest::newRow("cut line") << QByteArray("\"}\n") << QByteArray()
                                  << "line 2 is damaged: it ends without a line end";
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

    // A restore that a read-only file stops halfway says what it wrote and
    // which generation takes it back, which puts the roster back whole.
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

        const Outcome restored = cli({"restore", m_base, "--from", "1"});
        QCOMPARE(restored.status, 1);
        QVERIFY2(restored.err.contains("att.db: the file is read-only\npuckdex-cli: only key.db "
                                       "written; the roster as it was is generation 2"),
                 qPrintable(restored.err));
        QCOMPARE(readFile(base("key.db")), files[1]);
        QCOMPARE(cli({"restore", m_base, "--from", "2"}).status, 0);
        QCOMPARE(snapshotOf(m_base), before);
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
        std::shared_ptr<QLockFile> window;
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

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
