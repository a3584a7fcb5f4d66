#include "cli.h"

#include "commands.h"

#include "puckdexversion.h"

#include <array>

namespace Puckdex::Cli {

namespace {

using CommandOf = const Command &(*)();

// In the order the overview lists them.
constexpr std::array<CommandOf, 10> kCommands = {
    &teamsCommand, &playersCommand, &exportCommand, &importCommand,  &checkCommand,
    &undoCommand,  &diffCommand,    &backupsCommand, &restoreCommand, &sampleCommand,
};

QString overview()
{
    QString text = QStringLiteral("Usage: %1 COMMAND [options]\n\n"
                                  "Lists, exports, imports and checks the NHL 96 rosters in a "
                                  "game folder DIR.\n\nCommands:\n")
                       .arg(kProgram);
    for (const CommandOf command : kCommands) {
        text += QStringLiteral("  %1%2\n")
                    .arg(QLatin1String(command().synopsis), -24)
                    .arg(QLatin1String(command().summary));
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
    for (const CommandOf command : kCommands) {
        if (first == QLatin1String(command().name))
            return runCommand(command(), arguments.mid(1), out, err);
    }
    err << kProgram << ": no command \"" << first << "\"; \"" << kProgram
        << " --help\" lists the commands.\n";
    return Failure;
}

} // namespace Puckdex::Cli
