// puckdex-cli import on sample rosters: edits through the editor's rules,
// refused rows and files, what spreadsheets save, and writes that fail.

#include "bytecompare.h"
#include "clifixture.h"
#include "files/codepage.h"
#include "player/fieldtable.h"
#include "player/namesearch.h"
#include "player/playeredit.h"
#include "fulldisk.h"
#include "files/gamefiles.h"
#include "sampleroster.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Puckdex;

namespace {

// A row of spreadsheetFlavours: the sheet's bytes, the import's options,
// its exit status, its messages and what landed.
void addSheetRow(const char *name, const Sheet &sheet, const QStringList &options, int status,
                 const QString &err, const QString &landed)
{
    QTest::newRow(name) << sheetBytes(sheet) << options << status << err << landed;
}

} // namespace

class TestCliImport : public QObject, public CliFixture
{
    Q_OBJECT

private:
    QString exportCsv(const QStringList &extra = {})
    {
        const Outcome outcome = cli(QStringList{"export", m_base} + extra);
        if (outcome.status != 0)
            qWarning("export failed: %s", qPrintable(outcome.err));
        return outcome.out;
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

private slots:    void init() { freshRosters(); }
    void cleanup() { GameFiles::setWriteFaultHook({}); }

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
        // A skater's fighting stored off its grid, as the game may hold it.
        if (!isGoalie(player) && column != QLatin1String("fighting")) {
            QByteArray stray = readFile(base("att.db"));
            stray[attribOffsetOf(player) + playerField(FieldId::Fighting).skater.byte] = char(7);
            QVERIFY(writeFile(base("att.db"), stray));
        }
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
        // Of his attribute record only the edited value's byte (the weight's
        // class) may change: ratings stored off their grid stay so.
        const QByteArray attRecord = readFile(base("att.db")).mid(at, attSize);
        int changedBytes = 0;
        for (int i = 0; i < attSize; ++i)
            changedBytes += attRecord.at(i) != att.at(at + i);
        const QStringList keyOnly{"height_ft", "height_in", "first_name", "last_name", "rookie"};
        QVERIFY(changedBytes <= (keyOnly.contains(column) || column == "position" ? 0 : 1));
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
        add("first column twice", "a.csv", "team,offset,team\r\n",
            "line 1: the column team appears twice");
        add("neither an offset nor a name", "a.csv", "speed\r\n100\r\n",
            "the header has neither an offset column nor the players' names");
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

    // A season's sheet without offsets: "Team;Last Name;First Name;Speed",
    // semicolons, Windows-1252, names typed without their accents. The rows
    // it names change exactly as the same values by offset would change
    // them, the namesakes and the unknown are refused by line with their
    // candidates, and undo takes the import back.
    void aSheetThatNamesItsPlayers()
    {
        const QList<Sample::SamplePlayer> team = teamPlayers(sample());
        QList<const Sample::SamplePlayer *> named;
        for (const Sample::SamplePlayer &p : team) {
            if (keyByte(p, 0) == 0 && !isGoalie(p) && p.lastName != foldedName(p.lastName) &&
                named.size() < 3 && p.lastName.toLower() != foldedName(p.lastName))
                named.append(&p);
        }
        QCOMPARE(named.size(), 3);
        // A last name two teams share, given with no team.
        QString shared;
        for (const Sample::SamplePlayer &a : team) {
            for (const Sample::SamplePlayer &b : team) {
                if (shared.isEmpty() && a.lastName == b.lastName && keyByte(a, 0) != keyByte(b, 0))
                    shared = a.lastName;
            }
        }
        QVERIFY(!shared.isEmpty());
        const QString abbrev = sample().teams[0].abbrev().trimmed();
        QString sheet = QStringLiteral("Team;Last Name;First Name;Speed\r\n");
        const QStringList speeds = {"96", "60", "100"};
        QList<Change> byOffset;
        for (int i = 0; i < 3; ++i) {
            sheet += QStringLiteral("%1;%2;%3;%4\r\n")
                         .arg(i == 1 ? abbrev.toLower() : abbrev, foldedName(named[i]->lastName),
                              named[i]->firstName, speeds[i]);
            byOffset.append({named[i]->keyOffset, "speed", speeds[i]});
        }
        sheet += QStringLiteral("%1;Nobody;;50\r\n;%2;;64\r\n").arg(abbrev, shared);
        QVERIFY(writeFile(file("season.csv"), CodePage::encode(sheet).value()));
        const QMap<QString, QByteArray> before = gameFiles(m_base);

        const Outcome outcome = cli({"import", m_base, file("season.csv"), "--no-backup"});
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains(QStringLiteral("refused: line 5: no player 'Nobody' on %1\n")
                                          .arg(abbrev)),
                 qPrintable(outcome.err));
        QVERIFY2(outcome.err.contains(QStringLiteral("refused: line 6: '%1' is ").arg(shared)) &&
                     outcome.err.contains(QStringLiteral("; add a team, a first name or a jersey")),
                 qPrintable(outcome.err));
        QVERIFY2(outcome.out.endsWith(QStringLiteral("3 players changed, 2 rows refused, of 5 rows "
                                                     "(3 matched by name, 0 unchanged).\n")),
                 qPrintable(outcome.out));

        // The same values by offset, into a copy of the roster as it was.
        const QString expected = m_dir.filePath("expected");
        QVERIFY(Sample::writeBaseRosters(expected).ok());
        QCOMPARE(import(expected, byOffset, {"--no-backup"}).status, 0);
        const QMap<QString, QByteArray> after = gameFiles(m_base);
        for (const QString &name : after.keys())
            COMPARE_BYTES(after[name], gameFiles(expected)[name]);

        QCOMPARE(cli({"undo", m_base}).status, 0);
        QCOMPARE(gameFiles(m_base), before);
    }

    // Other ways a sheet names its players, and --match: each row naming
    // the first skater of the first team sets his speed to 96, or the file
    // is refused as a whole.
    void sheetsThatNameTheirPlayers_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("text"); // %1 first name, %2 last name, %3 team abbreviation
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // in the output or the errors
        QTest::newRow("JSON, team and name") << "a.json"
                                             << "[{\"team\": \"%3\", \"name\": \"%1 %2\", "
                                                "\"speed\": 96}]"
                                             << QStringList() << 0 << "1 player changed";
        QTest::newRow("one name cell, last then first")
            << "a.csv" << "Team,Name,Speed\r\n%3,\"%2, %1\",96\r\n" << QStringList() << 0
            << "1 player changed";
        QTest::newRow("a dry run lists the match")
            << "a.csv" << "team,last_name,speed\r\n%3,%2,96\r\n" << QStringList{"--dry-run"}
            << 0 << "line 2 -> %2, %1 (%3, ";
        QTest::newRow("by name though the offset is there")
            << "a.csv" << "offset,team,last_name,speed\r\n1,%3,%2,96\r\n"
            << QStringList{"--match", "name"} << 0 << "1 player changed";
        QTest::newRow("by offset, none given")
            << "a.csv" << "team,last_name,speed\r\n%3,%2,96\r\n"
            << QStringList{"--match", "offset"} << 2 << "the header has no offset column";
        QTest::newRow("no such way") << "a.csv" << "last_name,speed\r\n%2,96\r\n"
                                     << QStringList{"--match", "jersey"} << 2
                                     << "--match is name or offset, not \"jersey\"";
    }
    void sheetsThatNameTheirPlayers()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, text);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, said);
        const Sample::SamplePlayer &skater = firstSkater();
        const QString abbrev = sample().teams[keyByte(skater, 0)].abbrev().trimmed();
        const auto fill = [&](const QString &t) {
            return QString(t).replace(QLatin1String("%1"), skater.firstName)
                .replace(QLatin1String("%2"), skater.lastName)
                .replace(QLatin1String("%3"), abbrev);
        };
        const QString path = m_dir.filePath(fileName);
        QVERIFY(writeFile(path, fill(text).toUtf8()));
        const Outcome outcome =
            cli(QStringList{"import", m_base, path, "--no-backup"} + options);
        QCOMPARE(outcome.status, status);
        QVERIFY2((outcome.out + outcome.err).contains(fill(said)),
                 qPrintable(outcome.out + outcome.err));
        const Result<PlayerEdit::AttribRecords> after = PlayerEdit::readAttribs(
            base("att.db"), *GameFiles::readPlayer(base("key.db"), skater.keyOffset));
        const bool changed = status == 0 && !options.contains(QStringLiteral("--dry-run"));
        QCOMPARE(PlayerEdit::shownNumbers(after->fields, false)[3].value() == 96, changed);
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

    // An import is one write: a record that cannot be written leaves every
    // player as he was, those before it in the file too, and nothing is
    // listed as changed.
    void failedWriteWritesNothing()
    {
        const Sample::SamplePlayer &first = firstSkater();
        const Sample::SamplePlayer &second = firstGoalie();
        GameFiles::setWriteFaultHook(
            [&](const QString &path, qint64 offset) -> std::optional<GameFiles::WriteFault> {
                if (path.endsWith("att.db") && offset == second.record.attribOffset())
                    return GameFiles::WriteFault{false, 5, QStringLiteral("the device failed")};
                return std::nullopt;
            });
        QVERIFY(writeFile(file("rows.csv"), QStringLiteral("offset,speed\r\n%1,100\r\n%2,100\r\n")
                                                .arg(first.keyOffset)
                                                .arg(second.keyOffset)
                                                .toUtf8()));
        const auto before = gameFiles(m_base);
        const Outcome outcome = cli({"import", m_base, file("rows.csv"), "--no-backup"});
        QCOMPARE(outcome.status, 2);
        for (const char *words : {"the import could not be written", "the device failed",
                                  "Nothing was changed on disk: the records of all 2 players "
                                  "hold what they held before."})
            QVERIFY2(outcome.err.contains(QLatin1String(words)), qPrintable(outcome.err));
        QCOMPARE(outcome.out, QString());
        QCOMPARE(gameFiles(m_base), before);
    }

    // An import stopped after the first of its two files, with nothing to
    // put back what it wrote (a kill, a power cut), is completed by running
    // it again: the weight class that follows a new weight too.
    void anImportStoppedBetweenItsFilesIsCompletedAgain()
    {
        const qint64 skater = firstSkater().keyOffset;
        const QList<Change> changes{{skater, "weight", "200"}, {skater, "speed", "100"}};
        const QString reference = m_dir.filePath("reference");
        QDir(reference).removeRecursively();
        QVERIFY(Sample::writeBaseRosters(reference).ok());
        QCOMPARE(import(reference, changes, {"--no-backup"}).status, 0);

        // The first file's writes get through; from the first write to the
        // other file on, nothing does.
        QString first;
        bool stopped = false;
        GameFiles::setWriteFaultHook(
            [&](const QString &path, qint64 offset) -> std::optional<GameFiles::WriteFault> {
                if (offset < 0)
                    return std::nullopt;
                if (first.isEmpty())
                    first = path;
                stopped = stopped || path != first;
                if (stopped)
                    return GameFiles::WriteFault{false, 0, QStringLiteral("the power went")};
                return std::nullopt;
            });
        QCOMPARE(import(m_base, changes, {"--no-backup"}).status, 2);
        QVERIFY(gameFiles(m_base) != gameFiles(reference));
        GameFiles::setWriteFaultHook({});
        QCOMPARE(import(m_base, changes, {"--no-backup"}).status, 0);
        QCOMPARE(gameFiles(m_base), gameFiles(reference));
    }

    // A name with a % in it is printed as it is, not taken for a place of
    // the line's own.
    void aNameWithAPercentSign()
    {
        const Sample::SamplePlayer &skater = firstSkater();
        QCOMPARE(import(m_base, {{skater.keyOffset, "first_name", "Ed%2"}}, {"--no-backup"}).status,
                 0);
        const Outcome outcome =
            import(m_base, {{skater.keyOffset, "speed", "100"}}, {"--no-backup"});
        QCOMPARE(outcome.status, 0);
        const QString expected = "offset " + QString::number(skater.keyOffset) + " (Ed%2 "
                                 + skater.lastName + "), team "
                                 + QString::number(keyByte(skater, 0)) + ": speed ";
        QVERIFY2(outcome.out.startsWith(expected), qPrintable(outcome.out));
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
            << QStringList{"the import could not be written", "att.db: the file is read-only",
                           "puckdex-cli: Nothing was written."};
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
};

QTEST_GUILESS_MAIN(TestCliImport)
#include "tst_cliimport.moc"
