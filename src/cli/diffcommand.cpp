#include "commands.h"

#include "keptbackups.h"
#include "playertable.h"
#include "rosterdiff.h"

#include "files/fileset.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace Puckdex::Cli {

namespace {

using Games = std::array<std::optional<int>, 2>;

// The backup copies of a roster's three files, as its start-up or an import
// made them.
Result<FileSet> backupsOf(const FileSet &files)
{
    FileSet backups = files;
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

// The saved games of A and B that --game names (given once, both sides'),
// or none when the command line is wrong.
std::optional<Games> diffGames(const CommandLine &line, QTextStream &err)
{
    const QStringList given = line.values("game");
    Games game;
    if (given.size() > 2) {
        line.usageError(err, QStringLiteral("--game is given at most twice"));
        return std::nullopt;
    }
    for (int i = 0; i < given.size(); ++i) {
        game[i] = gameNumber(given[i]);
        if (!game[i]) {
            line.usageError(err, QStringLiteral("--game needs a saved game's number from 0 to "
                                                "9999, not \"%1\"")
                                     .arg(given[i]));
            return std::nullopt;
        }
    }
    if (given.size() == 1)
        game[1] = game[0];
    return game;
}

// Roster A against roster B; without B (and a second game), A's backups
// (or the kept generation that generation names) against A.
Result<RosterDiff> compare(const QStringList &folders, const Games &game, bool twoGames,
                           const QString &generation, QTextStream &err)
{
    const Result<FileSet> fromFiles = findFileSet(folders[0], game[0]);
    if (!fromFiles)
        return fromFiles.error();
    if (!generation.isEmpty())
        takeOverOlder(*fromFiles, err);
    Result<FileSet> first = fromFiles;
    Result<FileSet> second = fromFiles;
    const QTemporaryDir place;
    if (folders.size() == 2 || twoGames)
        second = findFileSet(folders.value(1, folders[0]), game[1]);
    else if (!generation.isEmpty())
        first = keptFiles(*fromFiles, generation, place);
    else
        first = backupsOf(*fromFiles); // from the copies to the roster
    if (!first)
        return first.error();
    if (!second)
        return second.error();
    const Result<Roster> from = loadRoster(*first);
    if (!from)
        return from.error();
    const Result<Roster> to = loadRoster(*second);
    if (!to)
        return to.error();
    return diffRosters(*from, *to);
}

// The differences as lines of text, with a summary.
QString diffText(const RosterDiff &diff)
{
    QString text;
    for (const QString &change : diff.lines)
        text += change + QLatin1Char('\n');
    for (const QString &player : diff.missing)
        text += QStringLiteral("only in A: %1\n").arg(player);
    for (const QString &player : diff.added)
        text += QStringLiteral("only in B: %1\n").arg(player);
    text += diff.isEmpty() ? QStringLiteral("No differences.\n")
                           : QStringLiteral("%1 of %2; %3 only in A, %4 only in B.\n")
                                 .arg(plural(diff.lines.size(), "changed value", "changed values"),
                                      plural(diff.patch.size(), "player", "players"))
                                 .arg(diff.missing.size())
                                 .arg(diff.added.size());
    return text;
}

// Says the differences as text, CSV or JSON, on out or into outputFile.
int writeDiff(const RosterDiff &diff, const QString &kind, const QString &outputFile,
              QTextStream &out, QTextStream &err)
{
    for (const QString &warning : diff.warnings)
        err << "warning: " << warning << "\n";
    QByteArray bytes;
    if (kind == QLatin1String("text")) {
        bytes = diffText(diff).toUtf8();
    } else {
        for (const QString &player : diff.missing + diff.added)
            err << "warning: " << player << " is in one roster only; a patch cannot carry "
                << "that\n";
        if (diff.unlinkedPictures) {
            err << "warning: some renamed players' pictures were unlinked; apply the patch "
                << "with \"import --unlink-renamed-pictures\" to do the same\n";
        }
        bytes = kind == QLatin1String("csv") ? toCsv(diff.patch) : toJson(diff.patch);
    }
    if (outputFile.isEmpty()) {
        out << QString::fromUtf8(bytes);
    } else {
        if (const Status written = writeOutputFile(outputFile, bytes); !written)
            return fail(err, written.error());
        out << QStringLiteral("Wrote %1 of %2 to %3.\n")
                   .arg(plural(diff.lines.size(), "changed value", "changed values"),
                        plural(diff.patch.size(), "player", "players"),
                        QDir::toNativeSeparators(outputFile));
    }
    return diff.isEmpty() ? Success : Partly;
}

int diff(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    const auto game = diffGames(line, err);
    if (!game)
        return Failure;
    const bool twoGames = line.values("game").size() == 2;
    QString kind = QFileInfo(line.value("output")).suffix().toLower();
    if (line.isSet("format"))
        kind = line.value("format").toLower();
    if (kind != QLatin1String("csv") && kind != QLatin1String("json"))
        kind = QStringLiteral("text");
    if (line.isSet("format") && kind != line.value("format").toLower())
        return line.usageError(
            err,
            QStringLiteral("--format is text, csv or json, not \"%1\"").arg(line.value("format")));
    if (line.isSet("from") && (line.arguments().size() == 2 || twoGames))
        return line.usageError(err, QStringLiteral("--from compares A with its own kept "
                                                   "backups; give no B and one --game at most"));
    const Result<RosterDiff> diff = compare(line.arguments(), *game, twoGames, line.value("from"), err);
    if (!diff)
        return fail(err, diff.error());
    return writeDiff(*diff, kind, line.isSet("output") ? line.value("output") : QString(), out,
                     err);
}

} // namespace

const Command &diffCommand()
{
    static const Command command{
        .name = "diff",
        .synopsis = "diff A [B]",
        .summary = "what changed from one roster to another",
        .usage = "[options] A [B]",
        .help = "Lists every player whose shown values differ from roster A to roster B, one "
                "line per changed value; without B, from A's backup copies (.bak) to A, or from "
                "a kept generation of them (--from). Players are matched by the offset of their "
                "key record. As CSV or JSON it writes the export's columns with only the offset "
                "and the changed values filled: \"puckdex-cli import OTHER FILE\" makes the "
                "same changes to another roster. Exit status 0: no differences; 1: differences; "
                "2: could not compare.",
        .arguments = {{"A", "The game folder of the roster to compare from."},
                      {"B", "The game folder of the roster to compare to."}},
        .lastOptional = true,
        .options = {{"game",
                     "Uses saved game N instead of the base rosters; given twice, the first is "
                     "A's and the second B's (B may then be left out: two saved games of one "
                     "folder).",
                     "N"},
                    {"from",
                     "Compares from generation N of A's kept backups (see \"backups\"), or the "
                     "first, instead of its .bak copies.",
                     "N|first"},
                    {"format", "text (the default), csv or json; csv or json also when FILE "
                               "ends so.",
                     "text|csv|json"},
                    {"output", "Writes to FILE instead of the standard output.", "FILE"}},
        .run = &diff,
    };
    return command;
}

} // namespace Puckdex::Cli
