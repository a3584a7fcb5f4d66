#include "cli.h"

#include "commandline.h"

#include "checker.h"
#include "importer.h"
#include "playertable.h"
#include "roster.h"
#include "rosterdiff.h"
#include "sampleroster.h"

#include "files/codepage.h"
#include "files/fileset.h"
#include "history/writejournal.h"
#include "puckdexversion.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <optional>

namespace Puckdex::Cli {

namespace {

int teamsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("teams", "[options] DIR",
                     "Lists the teams: number, abbreviation, city, team name and number of "
                     "players.");
    line.addDir();
    line.addGame();
    if (const auto done = line.parse(arguments, 1, out, err))
        return *done;
    const Result<Roster> roster = openRoster(line);
    if (!roster)
        return fail(err, roster.error());
    for (int team = 0; team < roster->teams.size(); ++team) {
        const TeamRecord &record = roster->teams[team];
        out << QStringLiteral("%1  %2  %3  %4  %5\n")
                   .arg(team, 3)
                   .arg(record.abbrev(), -3)
                   .arg(record.city(), -16)
                   .arg(record.teamName(), -25)
                   .arg(roster->playersOf(team).size(), 3);
    }
    return Success;
}

// A team by its number or its abbreviation, in any case; -1 for none.
int findTeam(const Roster &roster, const QString &given)
{
    bool isNumber = false;
    const int number = given.toInt(&isNumber);
    if (isNumber)
        return roster.isTeam(number) ? number : -1;
    for (int team = 0; team < roster.teams.size(); ++team) {
        if (roster.teams[team].abbrev().trimmed().compare(given.trimmed(), Qt::CaseInsensitive)
            == 0)
            return team;
    }
    return -1;
}

// The team a --team value names, or why there is none.
Result<int> teamNamed(const Roster &roster, const QString &given)
{
    const int number = findTeam(roster, given);
    if (number >= 0)
        return number;
    return FileError{roster.files.teamFile,
                     QStringLiteral("no team \"%1\"; give a number from 0 to %2 or an "
                                    "abbreviation (\"%3 teams\" lists them)")
                         .arg(given)
                         .arg(roster.teams.size() - 1)
                         .arg(kProgram)};
}

int playersCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("players", "[options] DIR --team T",
                     "Lists a team's players in key-file order: offset of the key record, "
                     "jersey, position, first and last name.");
    const QCommandLineOption team(QStringLiteral("team"),
                                  QStringLiteral("The team: its number or abbreviation."),
                                  QStringLiteral("T"));
    line.addDir();
    line.addGame();
    line.add(team);
    if (const auto done = line.parse(arguments, 1, out, err))
        return *done;
    if (!line.isSet(team))
        return line.usageError(err, QStringLiteral("--team T is needed"));
    const Result<Roster> roster = openRoster(line);
    if (!roster)
        return fail(err, roster.error());
    const Result<int> number = teamNamed(*roster, line.value(team));
    if (!number)
        return fail(err, number.error());
    for (const PlayerEntry &player : roster->playersOf(*number)) {
        const PlayerRecord &record = player.record;
        out << QStringLiteral("%1  %2  %3  %4 %5\n")
                   .arg(player.offset, 6)
                   .arg(record.jerseyNumber(), 3)
                   .arg(CodePage::decode(QByteArray(1, record.position())))
                   .arg(record.firstName(), record.lastName());
    }
    return Success;
}

// What a CSV export is written as, for spreadsheets that want other than
// commas and UTF-8.
struct CsvFlavour
{
    QChar separator = u',';
    bool windows1252 = false;
};

// The flavour the options ask for, or the usage error that ends the command.
std::optional<int> csvFlavour(const CommandLine &line, const QCommandLineOption &separator,
                              const QCommandLineOption &encoding, bool json, CsvFlavour &flavour,
                              QTextStream &err)
{
    if (json && (line.isSet(separator) || line.isSet(encoding)))
        return line.usageError(err, QStringLiteral("--separator and --encoding are for CSV; "
                                                   "JSON is UTF-8 text"));
    // A separator by its character, its name, or a tab as "\t".
    static const QHash<QString, QChar> separators{
        {QStringLiteral(","), u','},    {QStringLiteral("comma"), u','},
        {QStringLiteral(";"), u';'},    {QStringLiteral("semicolon"), u';'},
        {QStringLiteral("\t"), u'\t'}, {QStringLiteral("\\t"), u'\t'},
        {QStringLiteral("tab"), u'\t'}};
    if (line.isSet(separator)) {
        const auto found = separators.constFind(line.value(separator).toLower());
        if (found == separators.constEnd())
            return line.usageError(err, QStringLiteral("--separator is \",\", \";\" or tab, not "
                                                       "\"%1\"")
                                            .arg(line.value(separator)));
        flavour.separator = *found;
    }
    const QString name = line.value(encoding).toLower().remove(QLatin1Char('-'));
    flavour.windows1252 = name == QLatin1String("windows1252") || name == QLatin1String("cp1252");
    if (line.isSet(encoding) && !flavour.windows1252 && name != QLatin1String("utf8"))
        return line.usageError(err, QStringLiteral("--encoding is utf-8 or windows-1252, not "
                                                   "\"%1\"")
                                        .arg(line.value(encoding)));
    return std::nullopt;
}

// Bytes to standard output as they are; a string stream (the tests') gets
// their text.
void writeBytes(QTextStream &out, const QByteArray &bytes, bool windows1252)
{
    if (!windows1252) {
        out << QString::fromUtf8(bytes);
    } else if (!out.device()) {
        out << CodePage::decode(bytes);
    } else {
        out.flush();
        const QStringConverter::Encoding encoding = out.encoding();
        out.setEncoding(QStringConverter::Latin1); // one byte per character, as it is
        out << QString::fromLatin1(bytes);
        out.flush();
        out.setEncoding(encoding);
    }
}

// The players of the teams chosen (all when none is), as export writes them.
QList<Row> exportedRows(const Roster &roster, const QList<int> &teams, QTextStream &err,
                        int &incomplete)
{
    QList<Row> rows;
    for (const PlayerEntry &player : roster.teamPlayers()) {
        const int team = player.record.teamNumber();
        if (!teams.isEmpty() && !teams.contains(team))
            continue;
        const ReadRow read = readRow(roster.files.attFile, player, roster.teams[team].city());
        rows.append(read.row);
        if (read.ratingsError) {
            ++incomplete;
            err << "warning: " << describePlayer(player.offset, player.record)
                << ": hand and ratings left empty: " << read.ratingsError->message() << "\n";
        }
    }
    return rows;
}

int exportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("export", "[options] DIR",
                     "Writes every player that belongs to a team, in key-file order, with every "
                     "value as the editor shows it: CSV (a header line, then one line per "
                     "player) or JSON (an array of objects). A goalie's skater ratings and a "
                     "skater's goalie ratings are left empty.");
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("csv (the default) or json; json also when "
                                                   "FILE ends in .json."),
                                    QStringLiteral("csv|json"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("Writes to FILE instead of the standard "
                                                   "output."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption team(QStringLiteral("team"),
                                  QStringLiteral("Only the players of team T, its number or "
                                                 "abbreviation; may be given again."),
                                  QStringLiteral("T"));
    const QCommandLineOption separator(QStringLiteral("separator"),
                                       QStringLiteral("The CSV cells' separator: \",\" (the "
                                                      "default), \";\" or tab."),
                                       QStringLiteral(",|;|tab"));
    const QCommandLineOption encoding(QStringLiteral("encoding"),
                                      QStringLiteral("The CSV text's encoding: utf-8 (the "
                                                     "default) or windows-1252."),
                                      QStringLiteral("utf-8|windows-1252"));
    line.addDir();
    line.addGame();
    for (const QCommandLineOption *option : {&format, &output, &team, &separator, &encoding})
        line.add(*option);
    if (const auto done = line.parse(arguments, 1, out, err))
        return *done;

    bool json =
        QFileInfo(line.value(output)).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive)
        == 0;
    if (line.isSet(format)) {
        const QString name = line.value(format).toLower();
        if (name != QLatin1String("csv") && name != QLatin1String("json"))
            return line.usageError(
                err, QStringLiteral("--format is csv or json, not \"%1\"").arg(line.value(format)));
        json = name == QLatin1String("json");
    }
    CsvFlavour flavour;
    if (const auto done = csvFlavour(line, separator, encoding, json, flavour, err))
        return *done;

    const Result<Roster> roster = openRoster(line);
    if (!roster)
        return fail(err, roster.error());
    QList<int> teams;
    for (const QString &given : line.values(team)) {
        const Result<int> number = teamNamed(*roster, given);
        if (!number)
            return fail(err, number.error());
        if (!teams.contains(*number))
            teams.append(*number);
    }
    int incomplete = 0;
    const QList<Row> rows = exportedRows(*roster, teams, err, incomplete);

    QByteArray bytes = json ? toJson(rows) : toCsv(rows, flavour.separator);
    if (flavour.windows1252) // the roster's texts come from the same code page
        bytes = CodePage::encode(QString::fromUtf8(bytes)).value_or(bytes);
    if (!line.isSet(output)) {
        writeBytes(out, bytes, flavour.windows1252);
    } else {
        if (const Status written = writeOutputFile(line.value(output), bytes); !written)
            return fail(err, written.error());
        out << QStringLiteral("Exported %1 of %2 to %3.\n")
                   .arg(plural(rows.size(), "player", "players"),
                        plural(teams.isEmpty() ? roster->teams.size() : teams.size(), "team",
                               "teams"),
                        QDir::toNativeSeparators(line.value(output)));
    }
    return incomplete ? Partly : Success;
}

int importCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("import", "[options] DIR FILE",
                     "Changes the players that FILE (CSV or JSON, as export writes it; any "
                     "subset of the columns, offset among them) names by offset, through the "
                     "editor's rules. CSV is read as spreadsheets save it: commas, semicolons "
                     "or tabs between the cells, UTF-8, UTF-16 or Windows-1252, header words "
                     "as typed or as the main window labels the values. Only values that "
                     "differ from the roster change anything. "
                     "Exit status 0: every row applied; 1: some rows refused; 2: nothing could "
                     "be done.");
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("Shows what would change; writes nothing."));
    const QCommandLineOption noBackup(QStringLiteral("no-backup"),
                                      QStringLiteral("Makes no backup copies (.bak) of the "
                                                     "three game files first."));
    const QCommandLineOption unlink(QStringLiteral("unlink-renamed-pictures"),
                                    QStringLiteral("A player with a new last name no longer "
                                                   "shows the old player's picture."));
    const QCommandLineOption ignoreUnknown(QStringLiteral("ignore-unknown-columns"),
                                           QStringLiteral("Leaves out columns (and JSON keys) "
                                                          "that name no column, with a "
                                                          "warning, instead of refusing the "
                                                          "file."));
    const QCommandLineOption keepBlanks(QStringLiteral("keep-blanks"),
                                        QStringLiteral("Keeps blanks at the start or end of a "
                                                       "name cell in the name; without it they "
                                                       "are dropped with a warning."));
    line.addDir();
    line.addPositional("FILE", "The CSV or JSON file with the players' new values.");
    line.addGame();
    for (const QCommandLineOption *option : {&dryRun, &noBackup, &unlink, &ignoreUnknown,
                                             &keepBlanks})
        line.add(*option);
    if (const auto done = line.parse(arguments, 2, out, err))
        return *done;

    const Result<Roster> roster = openRoster(line);
    if (!roster)
        return fail(err, roster.error());
    ReadOptions reading;
    reading.ignoreUnknownColumns = line.isSet(ignoreUnknown);
    const Result<InputTable> table = readTable(line.argument(1), reading);
    if (!table)
        return fail(err, table.error());
    for (const QString &warning : table->warnings)
        err << "warning: " << warning << "\n";
    ImportOptions options;
    options.dryRun = line.isSet(dryRun);
    options.backups = !line.isSet(noBackup);
    options.unlinkRenamedPictures = line.isSet(unlink);
    options.keepBlanks = line.isSet(keepBlanks);
    return importRows(*roster, table->rows, options, out, err);
}

int checkCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("check", "[options] DIR",
                     "Reports, one line each, what in a roster the editor or the game would "
                     "stumble over. Exit status 0: clean; 1: findings; 2: unreadable.");
    const QCommandLineOption strict(QStringLiteral("strict"),
                                    QStringLiteral("Counts each player whose team number "
                                                   "matches no team (a free agent) as a "
                                                   "finding."));
    line.addDir();
    line.addGame();
    line.add(strict);
    if (const auto done = line.parse(arguments, 1, out, err))
        return *done;
    const Result<Roster> roster = openRoster(line);
    if (!roster)
        return fail(err, roster.error());
    CheckOptions options;
    options.strict = line.isSet(strict);
    const Result<CheckReport> report = checkRoster(*roster, options);
    if (!report)
        return fail(err, report.error());
    for (const QString &finding : report->findings)
        out << finding << "\n";
    for (const QString &note : report->notes)
        out << "note: " << note << "\n";
    const QString size =
        QStringLiteral("%1, %2").arg(plural(roster->teams.size(), "team", "teams"),
                                     plural(roster->players.size(), "player", "players"));
    if (report->findings.isEmpty()) {
        out << "No findings (" << size << ").\n";
        return Success;
    }
    out << plural(report->findings.size(), "finding", "findings") << " (" << size << ").\n";
    return Partly;
}

int sampleCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("sample", "[options] DIR",
                     "Writes an invented roster (made-up teams and players) for trying out the "
                     "editor and these commands. DIR is made when missing; files of a roster "
                     "already there are never replaced.");
    const QCommandLineOption savedGame(QStringLiteral("saved-game"),
                                       QStringLiteral("Writes saved games (an index and "
                                                      "numbered files) instead of base "
                                                      "rosters."));
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Seed of the invented data (default %1).").arg(Sample::kDefaultSeed),
        QStringLiteral("N"));
    line.addDir();
    line.add(savedGame);
    line.add(seed);
    if (const auto done = line.parse(arguments, 1, out, err))
        return *done;
    const QString folder = line.argument(0);
    quint32 seedValue = Sample::kDefaultSeed;
    if (line.isSet(seed)) {
        bool ok = false;
        seedValue = line.value(seed).toUInt(&ok);
        if (!ok) {
            return line.usageError(err, QStringLiteral("--seed needs a whole number from 0 to "
                                                  "4294967295, not \"%1\"")
                                       .arg(line.value(seed)));
        }
    }
    const bool saved = line.isSet(savedGame);
    const QList<int> games = Sample::defaultSavedGames();

    QStringList names;
    if (saved) {
        names.append(Sample::IndexFileName);
        for (const int game : games) {
            const QString prefix = savedGamePrefix(game);
            names << prefix + FileNames::SavedTeams << prefix + FileNames::Key
                  << prefix + FileNames::Att;
        }
    } else {
        names << FileNames::BaseTeams << FileNames::Key << FileNames::Att;
    }
    for (const QString &name : std::as_const(names)) {
        const QString there = GameFolder::findFile(folder, name);
        if (!there.isEmpty()) {
            return fail(err, {QDir(folder).filePath(there),
                              QStringLiteral("already there; the sample never replaces a "
                                             "roster, so choose an empty folder")});
        }
    }

    const Status written =
        saved ? Sample::writeSavedGames(folder, games, seedValue)
              : Sample::writeBaseRosters(folder, seedValue);
    if (!written)
        return fail(err, written.error());
    out << QStringLiteral("Wrote %1 to %2.\n")
               .arg(names.join(QStringLiteral(", ")),
                    QDir::toNativeSeparators(QDir(folder).absolutePath()));
    return Success;
}

struct Command
{
    const char *name;
    const char *synopsis;
    const char *summary;
    int (*run)(const QStringList &, QTextStream &, QTextStream &);
};

const Command kCommands[] = {
    {"teams", "teams DIR", "the teams: number, abbreviation, city, name, players", &teamsCommand},
    {"players", "players DIR --team T", "a team's players: offset, jersey, position, name",
     &playersCommand},
    {"export", "export DIR", "every player of a team as CSV or JSON", &exportCommand},
    {"import", "import DIR FILE", "changes players as a CSV or JSON file says", &importCommand},
    {"check", "check DIR", "reports what is unsound in a roster", &checkCommand},
    {"undo", "undo DIR", "takes back the newest player writes", &undoCommand},
    {"diff", "diff A [B]", "what changed from one roster to another", &diffCommand},
    {"backups", "backups DIR", "the backups kept of a roster, newest first", &backupsCommand},
    {"restore", "restore DIR --from N", "writes a kept backup back over the roster",
     &restoreCommand},
    {"sample", "sample DIR", "writes an invented sample roster", &sampleCommand},
};

QString overview()
{
    QString text = QStringLiteral("Usage: %1 COMMAND [options]\n\n"
                                  "Lists, exports, imports and checks the NHL 96 rosters in a "
                                  "game folder DIR.\n\nCommands:\n")
                       .arg(kProgram);
    for (const Command &command : kCommands) {
        text += QStringLiteral("  %1%2\n")
                    .arg(QLatin1String(command.synopsis), -24)
                    .arg(QLatin1String(command.summary));
    }
    text += QStringLiteral("\nEvery command that reads a roster takes --game N to use saved game "
                           "N instead of the base rosters.\n\"%1 COMMAND --help\" describes a "
                           "command; \"%1 --version\" shows the version.\n")
                .arg(kProgram);
    return text;
}

} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.isEmpty()) {
        err << overview();
        return Failure;
    }
    const QString &first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")
        || first == QLatin1String("help")) {
        out << overview();
        return Success;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        out << kProgram << " " << QLatin1String(kVersion) << "\n";
        return Success;
    }
    for (const Command &command : kCommands) {
        if (first == QLatin1String(command.name))
            return command.run(arguments.mid(1), out, err);
    }
    err << kProgram << ": no command \"" << first << "\"; \"" << kProgram
        << " --help\" lists the commands.\n";
    return Failure;
}

} // namespace Puckdex::Cli
