// puckdex-cli's reading commands, run as functions of the cli library on
// sample rosters: teams, players, export, check and sample, and the command
// line itself.

#include "clifixture.h"
#include "command.h"
#include "fulldisk.h"
#include "files/gamefiles.h"
#include "sampleroster.h"
#include "standardstream.h"
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
#include <QtEndian>

using namespace Puckdex;

namespace {

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

} // namespace

class TestCli : public QObject, public CliFixture
{
    Q_OBJECT

private slots:    void init() { freshRosters(); }
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
        // As cmd passes them on: the quotes stay in the arguments.
        QTest::newRow("quoted as in cmd")
            << QStringList{"--separator", "';'", "--encoding", "\"windows-1252\"", "--team", "'3'"}
            << name << sheetBytes({';', "windows-1252", {}, {{"last_name", name}}, 0, {}, {}, 0, {3}});
        QTest::newRow("by name") << QStringList{"--separator", "SEMICOLON"} << name
                                 << sheetBytes({';', "utf-8", {}, {{"last_name", name}}});
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

    // A console gets text, not bytes: a character whose bytes come in two
    // writes shows whole, and an export in Windows-1252 shows the same
    // letters as one in UTF-8.
    void aConsoleGetsText()
    {
        QString shown;
        Cli::StandardStream console([&shown](QStringView text) {
            shown += text;
            return true;
        });
        const QString name = QStringLiteral("Perël Kviströmann, Łukasz \U0001F3D2\n");
        for (const char byte : name.toUtf8())
            console.write(&byte, 1);
        QCOMPARE(shown, name);

        shown.clear();
        QTextStream out(&console);
        QString errors;
        QTextStream err(&errors);
        QCOMPARE(Cli::run({"export", m_base, "--encoding", "windows-1252"}, out, err), 0);
        out.flush();
        const Outcome utf8 = cli({"export", m_base});
        QCOMPARE(errors, QString());
        QVERIFY(utf8.out.contains(QChar(0xEB))); // ë: the sample has accented names
        QCOMPARE(shown, utf8.out);
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

    // A file another program holds (the seam stands in for the hold, which
    // Linux has not): the command says which, and what to do, and writes
    // nothing.
    void aHeldFileIsNamed_data()
    {
        QTest::addColumn<QString>("held");
        QTest::newRow("export over a sheet open in a spreadsheet") << "out.csv";
        QTest::newRow("import into a key file DOSBox holds") << "key.db";
    }
    void aHeldFileIsNamed()
    {
        QFETCH(QString, held);
        GameFiles::setWriteFaultHook(
            [&](const QString &path, qint64) -> std::optional<GameFiles::WriteFault> {
                if (QFileInfo(path).fileName() != held)
                    return std::nullopt;
                GameFiles::WriteFault fault;
                fault.held = true;
                return fault;
            });
        const auto removeHook = qScopeGuard([] { GameFiles::setWriteFaultHook({}); });
        QVERIFY(writeFile(file("out.csv"), "an earlier export"));
        QVERIFY(writeFile(file("rows.csv"), QStringLiteral("offset,speed\r\n%1,100\r\n")
                                                .arg(firstSkater().keyOffset)
                                                .toUtf8()));
        const auto before = gameFiles(m_base);
        const Outcome outcome =
            held == QLatin1String("out.csv")
                ? cli({"export", m_base, "--output", file("out.csv")})
                : cli({"import", m_base, file("rows.csv"), "--no-backup"});
        QCOMPARE(outcome.status, 2);
        const QString path = QDir::toNativeSeparators(held == QLatin1String("out.csv")
                                                          ? file("out.csv")
                                                          : base("key.db"));
        QVERIFY2(outcome.err.contains(path + ": it is open in another program (DOSBox or a "
                                             "spreadsheet?). Close it there and try again"),
                 qPrintable(outcome.err));
        QCOMPARE(readFile(file("out.csv")), QByteArray("an earlier export"));
        QCOMPARE(gameFiles(m_base), before);
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

    // An attribute file cut short is one line with its count, each player
    // only with --verbose; the count of findings is the same either way.
    void checkGroupsFindingsOfOneKind_data()
    {
        QTest::addColumn<bool>("verbose");
        QTest::newRow("grouped") << false;
        QTest::newRow("verbose") << true;
    }
    void checkGroupsFindingsOfOneKind()
    {
        QFETCH(bool, verbose);
        const QByteArray att = readFile(base("att.db"));
        const qsizetype kept = att.size() / 2;
        QVERIFY(writeFile(base("att.db"), att.left(kept)));
        int beyond = 0;
        for (const Sample::SamplePlayer &p : sample().players) // free agents too
            beyond += attribOffsetOf(p) + (p.record.isGoalie() ? 17 : 21) > kept;
        QVERIFY(beyond > 1);

        QStringList arguments{"check", m_base};
        if (verbose)
            arguments.append("--verbose");
        const Outcome outcome = cli(arguments);
        QCOMPARE(outcome.status, 1);
        const QStringList lines = findingLines(outcome.out);
        QVERIFY2(outcome.out.contains(QStringLiteral("%1 findings (").arg(beyond)),
                 qPrintable(outcome.out));
        if (verbose) {
            QCOMPARE(lines.size(), beyond);
        } else {
            QCOMPARE(lines,
                     QStringList{QStringLiteral("key.db: the attribute records of %1 players lie "
                                                "outside att.db, which ends at byte %2: their "
                                                "ratings cannot be read (--verbose lists each)")
                                     .arg(beyond)
                                     .arg(kept)});
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
        add("an empty team as cmd passes it", "players %DIR% --team \"\"", 2,
            "no team \"\"; give");
        add("unknown format", "export %DIR% --format xml", 2,
            "--format is csv or json, not \"xml\"");
        add("unknown separator", "export %DIR% --separator |", 2,
            "--separator is \",\" (comma), \";\" (semicolon) or tab, not \"|\"");
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

    // One pair of quotes around a whole value goes, as cmd leaves them on
    // it; an empty value quoted is empty.
    void unquoting_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("meant");
        QTest::newRow("empty in double quotes") << "\"\"" << "";
        QTest::newRow("empty in single quotes") << "''" << "";
        QTest::newRow("double quotes") << "\"C:\\NHL 96\"" << "C:\\NHL 96";
        QTest::newRow("single quotes") << "';'" << ";";
        QTest::newRow("only one pair") << "\"\"a\"\"" << "\"a\"";
        QTest::newRow("a lone quote") << "\"" << "\"";
        QTest::newRow("quotes that differ") << "'a\"" << "'a\"";
        QTest::newRow("a quote inside") << "a\"b\"" << "a\"b\"";
        QTest::newRow("nothing") << "" << "";
    }
    void unquoting()
    {
        QFETCH(QString, given);
        QFETCH(QString, meant);
        QCOMPARE(Puckdex::Cli::unquoted(given), meant);
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
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
