#include "commands.h"

#include "files/codepage.h"

namespace Puckdex::Cli {

namespace {

int listPlayers(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    if (!line.isSet("team"))
        return line.usageError(err, QStringLiteral("--team T is needed"));
    const Result<Roster> roster = openRoster(line, err);
    if (!roster)
        return fail(err, roster.error());
    const Result<int> number = teamNamed(*roster, line.value("team"));
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

} // namespace

const Command &playersCommand()
{
    static const Command command{
        .name = "players",
        .synopsis = "players DIR --team T",
        .summary = "a team's players: offset, jersey, position, name",
        .usage = "[options] DIR --team T",
        .help = "Lists a team's players in key-file order: offset of the key record, jersey, "
                "position, first and last name.",
        .arguments = {kDirArgument},
        .game = true,
        .options = {{"team", "The team: its number or abbreviation.", "T"}},
        .run = &listPlayers,
    };
    return command;
}

} // namespace Puckdex::Cli
