#include "cli.h"

#include "checker.h"
#include "importer.h"
#include "playertable.h"
#include "roster.h"
#include "rosterdiff.h"
#include "sampleroster.h"

#include "gamedb/codepage.h"
#include "gamedb/fileset.h"
#include "gamedb/writejournal.h"
#include "puckdexversion.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

namespace Puckdex::Cli {

namespace {

const QString kProgram = QStringLiteral("puckdex-cli");

int fail(QTextStream &err, const FileError &error)
{
    err << kProgram << ": " << error.fullMessage() << "\n";
    return Failure;
}

// Words on lines of at most 79 characters; the parser shows a description as given.
QString wrapped(const QString &text)
{
    QString result;
    qsizetype lineLength = 0;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > 79) {
            result += QLatin1Char('\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            result += QLatin1Char(' ');
            ++lineLength;
        }
        result += word;
        lineLength += word.size();
    }
    return result;
}

// One command's options and arguments, with its own --help.
class CommandLine
{
public:
    CommandLine(const char *command, const char *usage, const char *description)
        : m_command(QLatin1String(command)), m_usage(QLatin1String(usage))
    {
        m_parser.setApplicationDescription(wrapped(QLatin1String(description)));
        m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        m_parser.addOption(m_help);
    }

    void addDir()
    {
        m_parser.addPositionalArgument(QStringLiteral("DIR"),
                                       QStringLiteral("The game folder with the roster files."));
    }
    void addGame()
    {
        m_parser.addOption(m_game);
        m_hasGame = true;
    }
    void add(const QCommandLineOption &option) { m_parser.addOption(option); }
    void addPositional(const char *name, const char *description)
    {
        m_parser.addPositionalArgument(QLatin1String(name), QLatin1String(description));
    }

    // The exit status when the command is done already (help shown, or the
    // command line is wrong); none when it is to run.
    std::optional<int> parse(const QStringList &arguments, int positionals, QTextStream &out,
                             QTextStream &err)
    {
        if (!m_parser.parse(QStringList{kProgram} + arguments))
            return usageError(err, m_parser.errorText());
        if (m_parser.isSet(m_help)) {
            out << helpText();
            return Success;
        }
        const qsizetype given = m_parser.positionalArguments().size();
        if (given != positionals && !(m_lastOptional && given == positionals - 1)) {
            return usageError(err, QStringLiteral("expected %1, got %2")
                                       .arg(plural(positionals, "argument", "arguments"))
                                       .arg(m_parser.positionalArguments().size()));
        }
        if (m_hasGame && m_parser.isSet(m_game)) {
            bool ok = false;
            const int number = m_parser.value(m_game).toInt(&ok);
            // The index holds a game's number in four characters.
            if (!ok || number < 0 || number > 9999) {
                return usageError(err, QStringLiteral("--game needs a saved game's number from 0 "
                                                      "to 9999, not \"%1\"")
                                           .arg(m_parser.value(m_game)));
            }
            m_gameNumber = number;
        }
        return std::nullopt;
    }

    // The last positional argument may be left out.
    void makeLastOptional() { m_lastOptional = true; }
    QStringList arguments() const { return m_parser.positionalArguments(); }
    QStringList values(const QCommandLineOption &option) const { return m_parser.values(option); }

    QString argument(int i) const { return m_parser.positionalArguments().at(i); }
    bool isSet(const QCommandLineOption &option) const { return m_parser.isSet(option); }
    QString value(const QCommandLineOption &option) const { return m_parser.value(option); }
    std::optional<int> game() const { return m_gameNumber; }

    int usageError(QTextStream &err, const QString &message) const
    {
        err << kProgram << " " << m_command << ": " << message << "\n"
            << "Run \"" << kProgram << " " << m_command << " --help\" for its options.\n";
        return Failure;
    }

private:
    QString helpText() const
    {
        // The parser names the running executable; this names the command.
        const QString text = m_parser.helpText();
        return QStringLiteral("Usage: %1 %2 %3").arg(kProgram, m_command, m_usage)
               + text.mid(text.indexOf(QLatin1Char('\n')));
    }

    QString m_command;
    QString m_usage;
    QCommandLineParser m_parser;
    QCommandLineOption m_help{{QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("Shows this help.")};
    QCommandLineOption m_game{QStringLiteral("game"),
                              QStringLiteral("Uses saved game N, as its saved-game index numbers "
                                             "it, instead of the base rosters."),
                              QStringLiteral("N")};
    bool m_hasGame = false;
    bool m_lastOptional = false;
    std::optional<int> m_gameNumber;
};

Result<Roster> openRoster(const CommandLine &line)
{
    const Result<GameSet> files = locateGameSet(line.argument(0), line.game());
    if (!files)
        return files.error();
    return loadRoster(*files);
}

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
    const int number = findTeam(*roster, line.value(team));
    if (number < 0) {
        return fail(err, {roster->files.teamFile,
                          QStringLiteral("no team \"%1\"; give a number from 0 to %2 or an "
                                         "abbreviation (\"%3 teams\" lists them)")
                              .arg(line.value(team))
                              .arg(roster->teams.size() - 1)
                              .arg(kProgram)});
    }
    for (const PlayerEntry &player : roster->playersOf(number)) {
        const PlayerRecord &record = player.record;
        out << QStringLiteral("%1  %2  %3  %4 %5\n")
                   .arg(player.offset, 6)
                   .arg(record.jerseyNumber(), 3)
                   .arg(CodePage::decode(QByteArray(1, record.position())))
                   .arg(record.firstName(), record.lastName());
    }
    return Success;
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
    line.addDir();
    line.addGame();
    line.add(format);
    line.add(output);
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

    const Result<Roster> roster = openRoster(line);
    if (!roster)
        return fail(err, roster.error());
    QList<Row> rows;
    int incomplete = 0;
    for (const PlayerEntry &player : roster->teamPlayers()) {
        const int team = player.record.teamNumber();
        const QString city = roster->teams[team].city();
        const bool goalie = player.record.isGoalie();
        const Result<PlayerFields> fields = readFields(roster->files, player.record);
        if (fields) {
            rows.append(shownRow(team, city, player.offset, goalie, *fields));
            continue;
        }
        ++incomplete;
        err << "warning: " << describePlayer(player.offset, player.record)
            << ": hand and ratings left empty: " << fields.error().message() << "\n";
        rows.append(shownRow(team, city, player.offset, goalie,
                             fieldsOf(player.record, SkaterAttribRecord()), false));
    }

    const QByteArray bytes = json ? toJson(rows) : toCsv(rows);
    if (!line.isSet(output)) {
        out << QString::fromUtf8(bytes);
    } else {
        QSaveFile file(line.value(output));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            return fail(err, {line.value(output), file.errorString()});
        out << QStringLiteral("Exported %1 of %2 to %3.\n")
                   .arg(plural(rows.size(), "player", "players"),
                        plural(roster->teams.size(), "team", "teams"),
                        QDir::toNativeSeparators(line.value(output)));
    }
    return incomplete ? Partly : Success;
}

int importCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("import", "[options] DIR FILE",
                     "Changes the players that FILE (CSV or JSON, as export writes it; any "
                     "subset of the columns, offset among them) names by offset, through the "
                     "editor's rules. Only values that differ from the roster change anything. "
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
    line.addDir();
    line.addPositional("FILE", "The CSV or JSON file with the players' new values.");
    line.addGame();
    line.add(dryRun);
    line.add(noBackup);
    line.add(unlink);
    if (const auto done = line.parse(arguments, 2, out, err))
        return *done;

    const Result<Roster> roster = openRoster(line);
    if (!roster)
        return fail(err, roster.error());
    const Result<QList<InputRow>> rows = readTable(line.argument(1));
    if (!rows)
        return fail(err, rows.error());
    ImportOptions options;
    options.dryRun = line.isSet(dryRun);
    options.backups = !line.isSet(noBackup);
    options.unlinkRenamedPictures = line.isSet(unlink);
    return importRows(*roster, *rows, options, out, err);
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

// The journal of the roster's file set, beside the window's settings file.
WriteJournal journalOf(const GameSet &files)
{
    return WriteJournal(WriteJournal::defaultFolder(), files.folder, files.keyFile, files.attFile);
}

// "offset 9300 (Vicvi Hollisenson), saved 2026-12-07 16:40:12 UTC"
QString describeWrite(const JournalEntry &entry)
{
    PlayerRecord after;
    after.assign(entry.keyAfter);
    return QStringLiteral("%1, saved %2")
        .arg(describePlayer(entry.offset, after),
             entry.time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'")));
}

// What a write changed, in the values the editor shows: "speed 44 -> 64".
QString changesOf(const JournalEntry &entry)
{
    const auto shown = [&entry](const QByteArray &key, const QByteArray &att) {
        PlayerRecord record;
        record.assign(key);
        PlayerFields fields;
        if (entry.goalie) {
            GoalieAttribRecord attribs;
            attribs.assign(att);
            fields = fieldsOf(record, attribs);
        } else {
            SkaterAttribRecord attribs;
            attribs.assign(att);
            fields = fieldsOf(record, attribs);
        }
        return std::pair{
            shownRow(record.teamNumber(), QString(), entry.offset, entry.goalie, fields),
            record.pictureCodeA() + record.pictureCodeB()};
    };
    const auto [before, beforePicture] = shown(entry.keyBefore, entry.attBefore);
    const auto [after, afterPicture] = shown(entry.keyAfter, entry.attAfter);
    QStringList changes = cellChanges(before, after);
    // The editor changes the picture codes only to unlink a renamed player's.
    if (beforePicture != afterPicture)
        changes.append(QStringLiteral("picture unlinked"));
    if (changes.isEmpty())
        changes.append(QStringLiteral("bytes the editor does not show"));
    return changes.join(QStringLiteral(", "));
}

int undoCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("undo", "[options] DIR",
                     "Takes back the newest player writes of the window and of import on this "
                     "roster, from the write journal kept beside the settings file: each "
                     "player's two records get their previous bytes back, but only while they "
                     "still hold exactly the bytes that write left. Exit status 0: every step "
                     "undone; 1: some steps undone, then one refused; 2: nothing undone.");
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("Lists the writes that can be undone, newest "
                                                 "first; changes nothing."));
    const QCommandLineOption steps(QStringLiteral("steps"),
                                   QStringLiteral("Undoes the N newest writes (1 when not "
                                                  "given), newest first."),
                                   QStringLiteral("N"));
    line.addDir();
    line.addGame();
    line.add(list);
    line.add(steps);
    if (const auto done = line.parse(arguments, 1, out, err))
        return *done;
    int count = 1;
    if (line.isSet(steps)) {
        bool ok = false;
        count = line.value(steps).toInt(&ok);
        if (!ok || count < 1)
            return line.usageError(err, QStringLiteral("--steps needs a number from 1 up, not "
                                                       "\"%1\"")
                                            .arg(line.value(steps)));
    }
    const Result<GameSet> files = locateGameSet(line.argument(0), line.game());
    if (!files)
        return fail(err, files.error());
    const WriteJournal journal = journalOf(*files);
    const Result<QList<JournalEntry>> pending = journal.pending();
    if (!pending)
        return fail(err, pending.error());

    if (line.isSet(list)) {
        for (auto it = pending->crbegin(); it != pending->crend(); ++it)
            out << QStringLiteral("%1  %2: %3\n")
                       .arg(it->seq, 4)
                       .arg(describeWrite(*it), changesOf(*it));
        out << QStringLiteral("%1 to undo (journal %2).\n")
                   .arg(plural(pending->size(), "write", "writes"),
                        QDir::toNativeSeparators(journal.path()));
        return Success;
    }
    if (pending->isEmpty()) {
        err << kProgram << ": nothing to undo: the journal "
            << QDir::toNativeSeparators(journal.path()) << " holds no write of this roster "
            << "that is not undone already\n";
        return Failure;
    }

    WriteJournal marks = journal;
    int undone = 0;
    for (auto it = pending->crbegin(); it != pending->crend() && undone < count; ++it) {
        const Result<WrittenPlayer, PlayerWriteError> back =
            it->undo(files->keyFile, files->attFile);
        if (!back) {
            err << QStringLiteral("%1: refused: the write of %2 was not undone: %3\n")
                       .arg(kProgram, describeWrite(*it), back.error().error.fullMessage());
            err << kProgram << ": " << back.error().onDisk << "\n";
            if (undone < count)
                err << QStringLiteral("%1: %2 undone before it; the older writes were left "
                                      "alone.\n")
                           .arg(kProgram, plural(undone, "write was", "writes were"));
            return undone ? Partly : Failure;
        }
        ++undone;
        out << QStringLiteral("Undid %1: %2\n").arg(describeWrite(*it), changesOf(*it));
        if (const Status marked = marks.markUndone(it->seq); !marked) {
            err << QStringLiteral("warning: the journal could not mark the write as undone: "
                                  "%1\n")
                       .arg(marked.error().fullMessage());
        }
    }
    if (undone < count) {
        out << QStringLiteral("%1 undone; the journal holds no older write.\n")
                   .arg(plural(undone, "write", "writes"));
        return Partly;
    }
    return Success;
}

// The backup copies of a roster's three files, as its start-up or an import
// made them.
Result<GameSet> backupsOf(const GameSet &files)
{
    GameSet backups = files;
    for (QString *file : {&backups.teamFile, &backups.keyFile, &backups.attFile}) {
        const QString name = backupName(QFileInfo(*file).fileName());
        if (GameFolder::findFile(files.folder, name).isEmpty()) {
            return FileError{QDir(files.folder).filePath(name),
                             QStringLiteral("no backup copy there; give a second roster to "
                                            "compare with")};
        }
        *file = GameFolder::resolve(files.folder, name);
    }
    return backups;
}

int diffCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("diff", "[options] A [B]",
                     "Lists every player whose shown values differ from roster A to roster B, "
                     "one line per changed value; without B, from A's backup copies (.bak) to "
                     "A. Players are matched by the offset of their key record. As CSV or JSON "
                     "it writes the export's columns with only the offset and the changed "
                     "values filled: \"puckdex-cli import OTHER FILE\" makes the same changes "
                     "to another roster. Exit status 0: no differences; 1: differences; 2: "
                     "could not compare.");
    const QCommandLineOption games(QStringLiteral("game"),
                                   QStringLiteral("Uses saved game N instead of the base "
                                                  "rosters; given twice, the first is A's and "
                                                  "the second B's (B may then be left out: "
                                                  "two saved games of one folder)."),
                                   QStringLiteral("N"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("text (the default), csv or json; csv or "
                                                   "json also when FILE ends so."),
                                    QStringLiteral("text|csv|json"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("Writes to FILE instead of the standard "
                                                   "output."),
                                    QStringLiteral("FILE"));
    line.addPositional("A", "The game folder of the roster to compare from.");
    line.addPositional("B", "The game folder of the roster to compare to.");
    line.makeLastOptional();
    line.add(games);
    line.add(format);
    line.add(output);
    if (const auto done = line.parse(arguments, 2, out, err))
        return *done;

    std::array<std::optional<int>, 2> game;
    const QStringList gameTexts = line.values(games);
    if (gameTexts.size() > 2)
        return line.usageError(err, QStringLiteral("--game is given at most twice"));
    for (int i = 0; i < gameTexts.size(); ++i) {
        bool ok = false;
        const int number = gameTexts[i].toInt(&ok);
        if (!ok || number < 0 || number > 9999)
            return line.usageError(err, QStringLiteral("--game needs a saved game's number from "
                                                       "0 to 9999, not \"%1\"")
                                            .arg(gameTexts[i]));
        game[i] = number;
    }
    if (gameTexts.size() == 1)
        game[1] = game[0];

    QString kind = QFileInfo(line.value(output)).suffix().toLower();
    if (line.isSet(format))
        kind = line.value(format).toLower();
    if (kind != QLatin1String("csv") && kind != QLatin1String("json"))
        kind = QStringLiteral("text");
    if (line.isSet(format) && kind != line.value(format).toLower())
        return line.usageError(
            err,
            QStringLiteral("--format is text, csv or json, not \"%1\"").arg(line.value(format)));

    const QStringList folders = line.arguments();
    const Result<GameSet> fromFiles = locateGameSet(folders[0], game[0]);
    if (!fromFiles)
        return fail(err, fromFiles.error());
    Result<GameSet> first = fromFiles;
    Result<GameSet> second = fromFiles;
    if (folders.size() == 2 || gameTexts.size() == 2)
        second = locateGameSet(folders.value(1, folders[0]), game[1]);
    else
        first = backupsOf(*fromFiles); // from the copies to the roster
    if (!first)
        return fail(err, first.error());
    if (!second)
        return fail(err, second.error());
    const Result<Roster> from = loadRoster(*first);
    if (!from)
        return fail(err, from.error());
    const Result<Roster> to = loadRoster(*second);
    if (!to)
        return fail(err, to.error());
    const Result<RosterDiff> diff = diffRosters(*from, *to);
    if (!diff)
        return fail(err, diff.error());

    for (const QString &warning : diff->warnings)
        err << "warning: " << warning << "\n";
    QByteArray bytes;
    if (kind == QLatin1String("text")) {
        QString text;
        for (const QString &change : diff->lines)
            text += change + QLatin1Char('\n');
        for (const QString &player : diff->missing)
            text += QStringLiteral("only in A: %1\n").arg(player);
        for (const QString &player : diff->added)
            text += QStringLiteral("only in B: %1\n").arg(player);
        text += diff->isEmpty()
                    ? QStringLiteral("No differences.\n")
                    : QStringLiteral("%1 of %2; %3 only in A, %4 only in B.\n")
                          .arg(plural(diff->lines.size(), "changed value", "changed values"),
                               plural(diff->patch.size(), "player", "players"))
                          .arg(diff->missing.size())
                          .arg(diff->added.size());
        bytes = text.toUtf8();
    } else {
        for (const QString &player : diff->missing + diff->added)
            err << "warning: " << player << " is in one roster only; a patch cannot carry "
                << "that\n";
        if (diff->unlinkedPictures) {
            err << "warning: some renamed players' pictures were unlinked; apply the patch "
                << "with \"import --unlink-renamed-pictures\" to do the same\n";
        }
        bytes = kind == QLatin1String("csv") ? toCsv(diff->patch) : toJson(diff->patch);
    }
    if (!line.isSet(output)) {
        out << QString::fromUtf8(bytes);
    } else {
        QSaveFile file(line.value(output));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            return fail(err, {line.value(output), file.errorString()});
        out << QStringLiteral("Wrote %1 of %2 to %3.\n")
                   .arg(plural(diff->lines.size(), "changed value", "changed values"),
                        plural(diff->patch.size(), "player", "players"),
                        QDir::toNativeSeparators(line.value(output)));
    }
    return diff->isEmpty() ? Success : Partly;
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
