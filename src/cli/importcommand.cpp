#include "commands.h"

#include "importer.h"

#include <QFileInfo>

namespace Puckdex::Cli {

namespace {

int importTable(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    const Result<Roster> roster = openRoster(line, err);
    if (!roster)
        return fail(err, roster.error());
    ReadOptions reading;
    reading.ignoreUnknownColumns = line.isSet("ignore-unknown-columns");
    if (line.isSet("match")) {
        const QString match = line.value("match").toLower();
        if (match != QLatin1String("name") && match != QLatin1String("offset"))
            return line.usageError(
                err, QStringLiteral("--match is name or offset, not \"%1\"").arg(line.value("match")));
        reading.match = match == QLatin1String("name") ? MatchBy::Name : MatchBy::Offset;
    }
    const Result<InputTable> table = readTable(line.argument(1), reading);
    if (!table)
        return fail(err, table.error());
    for (const QString &warning : table->warnings)
        err << "warning: " << warning << "\n";
    ImportOptions options;
    options.dryRun = line.isSet("dry-run");
    if (!options.dryRun)
        noteOpenWindow(roster->files, err);
    options.backups = !line.isSet("no-backup");
    options.unlinkRenamedPictures = line.isSet("unlink-renamed-pictures");
    options.keepBlanks = line.isSet("keep-blanks");
    options.source = QFileInfo(line.argument(1)).fileName();
    options.byName = table->byName;
    return importRows(*roster, table->rows, options, out, err);
}

} // namespace

const Command &importCommand()
{
    static const Command command{
        .name = "import",
        .synopsis = "import DIR FILE",
        .summary = "changes players as a CSV or JSON file says",
        .usage = "[options] DIR FILE",
        .help = "Changes the players that FILE (CSV or JSON, as export writes it; any subset of "
                "the columns) names, through the editor's rules: by the offset column, or, in a "
                "sheet without one, by team, names and jersey (a \"Name\" column may hold "
                "\"First Last\" or \"Last, First\"); a row that names no one or several is "
                "refused with the candidates. "
                "CSV is read as spreadsheets save it: commas, semicolons or tabs between the "
                "cells, UTF-8, UTF-16 or Windows-1252, header words as typed or as the main "
                "window labels the values. Only values that differ from the roster change "
                "anything. Exit status 0: every row applied; 1: some rows refused; 2: nothing "
                "could be done.",
        .arguments = {kDirArgument,
                      {"FILE", "The CSV or JSON file with the players' new values."}},
        .game = true,
        .options = {{"dry-run", "Shows what would change; writes nothing."},
                    {"no-backup", "Makes no backup copies (.bak) of the three game files first."},
                    {"unlink-renamed-pictures",
                     "A player with a new last name no longer shows the old player's picture."},
                    {"ignore-unknown-columns",
                     "Leaves out columns (and JSON keys) that name no column, with a warning, "
                     "instead of refusing the file."},
                    {"match",
                     "How a row tells its player: \"offset\" (the offset column) or \"name\" "
                     "(team, last and first name, jersey; the names then change nothing). "
                     "Without it: by offset when the file has an offset column, else by name.",
                     "HOW"},
                    {"keep-blanks",
                     "Keeps blanks at the start or end of a name cell in the name; without it "
                     "they are dropped with a warning."}},
        .run = &importTable,
    };
    return command;
}

} // namespace Puckdex::Cli
