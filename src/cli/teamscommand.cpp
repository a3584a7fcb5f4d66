#include "commands.h"

namespace Puckdex::Cli {

namespace {

int listTeams(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    const Result<Roster> roster = openRoster(line, err);
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

} // namespace

const Command &teamsCommand()
{
    static const Command command{
        .name = "teams",
        .synopsis = "teams DIR",
        .summary = "the teams: number, abbreviation, city, name, players",
        .usage = "[options] DIR",
        .help = "Lists the teams: number, abbreviation, city, team name and number of players.",
        .arguments = {kDirArgument},
        .game = true,
        .run = &listTeams,
    };
    return command;
}

} // namespace Puckdex::Cli
