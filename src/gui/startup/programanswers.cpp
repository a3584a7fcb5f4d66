#include "startup/programanswers.h"

#include "puckdexversion.h"

namespace Puckdex {

std::optional<QString> answerWithoutWindow(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--version") || argument == QLatin1String("-v"))
            return QStringLiteral("puckdex %1\n").arg(QLatin1String(kVersion));
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            return QStringLiteral(
                "Usage: puckdex [--help] [--version]\n\n"
                "Edits the player rosters of NHL 96: asks for the game folder, then shows its\n"
                "teams and players. Every change is written back to the game's own files.\n\n"
                "PUCKDEX_INI names a settings file to use instead of the usual one.\n"
                "\"puckdex-cli --help\" lists what the command-line tool does; the user guide\n"
                "(F1 in any window) tells the rest.\n");
        }
    }
    return std::nullopt;
}

} // namespace Puckdex
