#include "commands.h"

#include "keptbackups.h"

#include <QDir>

namespace Puckdex::Cli {

namespace {

// How a generation compares with the roster now.
QString againstNow(const FileSet &files, const BackupHistory &history,
                   const BackupGeneration &generation)
{
    const Result<qsizetype> differing = playersDiffering(files, history, generation);
    if (!differing)
        return QStringLiteral("cannot be compared: %1").arg(differing.error().message());
    if (*differing == 0)
        return QStringLiteral("the same as the roster now");
    return QStringLiteral("%1 from the roster now")
        .arg(plural(*differing, "player differs", "players differ"));
}

int listBackups(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    const Result<FileSet> files = openFileSet(line, err);
    if (!files)
        return fail(err, files.error());
    const BackupHistory history = historyOf(*files);
    const Result<QList<BackupGeneration>> generations = history.generations();
    if (!generations)
        return fail(err, generations.error());
    for (auto it = generations->crbegin(); it != generations->crend(); ++it) {
        out << QStringLiteral("%1  %2  %3%4\n")
                   .arg(it->number, 4)
                   .arg(utcText(it->time), againstNow(*files, history, *it),
                        it == std::prev(generations->crend()) ? QStringLiteral(" (first)")
                                                              : QString());
    }
    out << QStringLiteral("%1 kept of %2 (in %3).\n")
               .arg(plural(generations->size(), "generation", "generations"),
                    history.names().join(QStringLiteral(", ")),
                    QDir::toNativeSeparators(history.path()));
    return Success;
}

} // namespace

const Command &backupsCommand()
{
    static const Command command{
        .name = "backups",
        .synopsis = "backups DIR",
        .summary = "the backups kept of a roster, newest first",
        .usage = "[options] DIR",
        .help = "Lists the backups kept of this roster, newest first: the backup copies (.bak) "
                "that a start of the window or an import replaced while they differed from the "
                "game files, and the roster as a restore found it. Each is a generation: its "
                "number, when its files were written and how many players differ from the "
                "roster now. The first generation is kept for ever, of the others the newest "
                "20. \"restore DIR --from N\" writes one back; \"diff DIR --from N\" shows what "
                "it changes.",
        .arguments = {kDirArgument},
        .game = true,
        .run = &listBackups,
    };
    return command;
}

} // namespace Puckdex::Cli
