#include "commands.h"

#include "checker.h"

namespace Puckdex::Cli {

namespace {

int checkFolder(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    const Result<Roster> roster = openRoster(line, err);
    if (!roster)
        return fail(err, roster.error());
    CheckOptions options;
    options.strict = line.isSet("strict");
    const Result<CheckReport> report = checkRoster(*roster, options);
    if (!report)
        return fail(err, report.error());
    for (const QString &finding : report->lines(line.isSet("verbose")))
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

} // namespace

const Command &checkCommand()
{
    static const Command command{
        .name = "check",
        .synopsis = "check DIR",
        .summary = "reports what is unsound in a roster",
        .usage = "[options] DIR",
        .help = "Reports, one line each, what in a roster the editor or the game would stumble "
                "over. Exit status 0: clean; 1: findings; 2: unreadable.",
        .arguments = {kDirArgument},
        .game = true,
        .options = {{"strict", "Counts each player whose team number matches no team (a free "
                               "agent) as a finding."},
                    {"verbose", "Lists every finding on a line of its own; without it, findings "
                                "of one kind (many players' records past the end of a file) "
                                "are one line with their count."}},
        .run = &checkFolder,
    };
    return command;
}

} // namespace Puckdex::Cli
