#include "commandline.h"

#include "rosterdiff.h"

#include "history/backuphistory.h"
#include "history/filelocks.h"
#include "files/gamefiles.h"
#include "files/safefile.h"
#include "history/writejournal.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

namespace Puckdex::Cli {

namespace {

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'"));
}

// "3 (2026-12-08 05:20:11 UTC)"
QString describe(const BackupGeneration &generation)
{
    return QStringLiteral("%1 (%2)").arg(generation.number).arg(timeText(generation.time));
}

// The game files' bytes, read whole.
Result<QList<QByteArray>> readGameFiles(const FileSet &files)
{
    QList<QByteArray> contents;
    for (const QString &path : files.gameFiles()) {
        const Result<QByteArray> bytes = GameFiles::readWholeFile(path);
        if (!bytes)
            return bytes.error();
        contents.append(*bytes);
    }
    return contents;
}

// How many players a generation's roster and the roster now tell apart, or
// why they cannot be compared.
Result<qsizetype> playersDiffering(const FileSet &files, const BackupHistory &history,
                                   const BackupGeneration &generation)
{
    QTemporaryDir place;
    const Result<FileSet> kept = generationFileSet(files, history, generation, place);
    if (!kept)
        return kept.error();
    const Result<Roster> from = loadRoster(*kept);
    if (!from)
        return from.error();
    const Result<Roster> now = loadRoster(files);
    if (!now)
        return now.error();
    const Result<RosterDiff> diff = diffRosters(*from, *now);
    if (!diff)
        return diff.error();
    return diff->patch.size() + diff->missing.size() + diff->added.size();
}

// The generation's files refused when they do not fit the roster's: each
// file of the set keeps its size for as long as the game uses it.
std::optional<QString> misfit(const FileSet &files, const QStringList &names,
                              const QList<QByteArray> &kept)
{
    const QStringList paths = files.gameFiles();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const qint64 size = QFileInfo(paths[i]).size();
        if (kept[i].size() != size)
            return QStringLiteral("its %1 has %2 bytes, the roster's %3: it is not of this "
                                  "roster; nothing was written")
                .arg(names[i])
                .arg(kept[i].size())
                .arg(size);
    }
    return std::nullopt;
}

// Writes the kept files over the roster's, the roster as it was kept
// first; only the files that differ are written.
int writeBack(const FileSet &files, BackupHistory &history, const BackupGeneration &generation,
              const QList<QByteArray> &kept, const QList<QByteArray> &now, QTextStream &out,
              QTextStream &err)
{
    const Result<BackupGeneration> before = history.keep(now, lastWritten(files.gameFiles()));
    if (!before) {
        err << kProgram << ": the roster as it is could not be kept first, so nothing was "
            << "written: " << before.error().fullMessage() << "\n";
        return Failure;
    }
    const QStringList paths = files.gameFiles();
    const QStringList names = history.names();
    QStringList written;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (kept[i] == now[i])
            continue;
        if (const Status replaced = SafeFile::replace(paths[i], kept[i]); !replaced) {
            err << kProgram << ": " << replaced.error().fullMessage() << "\n"
                << kProgram << ": "
                << (written.isEmpty()
                        ? QStringLiteral("nothing was written")
                        : QStringLiteral("only %1 written").arg(written.join(QStringLiteral(", "))))
                << QStringLiteral("; the roster as it was is generation %1: \"%2 restore "
                                  "DIR --from %1\" puts it back.\n")
                       .arg(before->number)
                       .arg(kProgram);
            return written.isEmpty() ? Failure : Partly;
        }
        written.append(names[i]);
    }
    out << QStringLiteral("Restored generation %1 over %2; the roster as it was is kept as "
                          "generation %3.\n")
               .arg(describe(generation), written.join(QStringLiteral(", ")))
               .arg(before->number);
    return Success;
}

} // namespace

Result<FileSet> generationFileSet(const FileSet &files, const BackupHistory &history,
                                  const BackupGeneration &generation, const QTemporaryDir &place)
{
    const Result<QList<QByteArray>> kept = history.filesOf(generation);
    if (!kept)
        return kept.error();
    if (!place.isValid())
        return FileError{place.path(), QStringLiteral("no temporary folder could be made")};
    FileSet copy = files;
    copy.folder = place.path();
    QStringList paths;
    const QStringList names = history.names();
    for (qsizetype i = 0; i < names.size(); ++i) {
        paths.append(place.filePath(names[i]));
        if (const Status written = SafeFile::replace(paths.last(), kept->at(i)); !written)
            return written.error();
    }
    copy.teamFile = paths[0];
    copy.keyFile = paths[1];
    copy.attFile = paths[2];
    return copy;
}

BackupHistory historyOf(const FileSet &files)
{
    return BackupHistory(WriteJournal::defaultFolder(), files);
}

int backupsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("backups", "[options] DIR",
                     "Lists the backups kept of this roster, newest first: the backup copies "
                     "(.bak) that a start of the window or an import replaced while they "
                     "differed from the game files, and the roster as a restore found it. "
                     "Each is a generation: its number, when its files were written and how "
                     "many players differ from the roster now. The first generation is kept "
                     "for ever, of the others the newest 20. \"restore DIR --from N\" writes "
                     "one back; \"diff DIR --from N\" shows what it changes.");
    line.addDir();
    line.addGame();
    if (const auto done = line.parse(arguments, 1, out, err))
        return *done;
    const Result<FileSet> files = findFileSet(line.argument(0), line.game());
    if (!files)
        return fail(err, files.error());
    const BackupHistory history = historyOf(*files);
    const Result<QList<BackupGeneration>> generations = history.generations();
    if (!generations)
        return fail(err, generations.error());
    for (auto it = generations->crbegin(); it != generations->crend(); ++it) {
        const Result<qsizetype> differing = playersDiffering(*files, history, *it);
        const QString now =
            !differing ? QStringLiteral("cannot be compared: %1").arg(differing.error().message())
            : *differing == 0 ? QStringLiteral("the same as the roster now")
                              : QStringLiteral("%1 from the roster now")
                                    .arg(plural(*differing, "player differs", "players differ"));
        out << QStringLiteral("%1  %2  %3%4\n")
                   .arg(it->number, 4)
                   .arg(timeText(it->time), now,
                        it == std::prev(generations->crend()) ? QStringLiteral(" (first)")
                                                              : QString());
    }
    out << QStringLiteral("%1 kept of %2 (in %3).\n")
               .arg(plural(generations->size(), "generation", "generations"),
                    history.names().join(QStringLiteral(", ")),
                    QDir::toNativeSeparators(history.path()));
    return Success;
}

int restoreCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("restore", "[options] DIR --from N|first",
                     "Writes a generation of the kept backups (see \"backups\") back over the "
                     "roster's three files, each replaced whole and safely. The roster as it is "
                     "is kept as a generation first, so a restore can itself be taken back. "
                     "Refused while the window has the folder open. Exit status 0: restored "
                     "(or nothing to do); 1: some files written, then one failed; 2: nothing "
                     "written.");
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("The generation to write back: its number, or "
                                                 "\"first\" for the oldest kept."),
                                  QStringLiteral("N|first"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("Says what would be written; writes "
                                                   "nothing."));
    line.addDir();
    line.addGame();
    line.add(from);
    line.add(dryRun);
    if (const auto done = line.parse(arguments, 1, out, err))
        return *done;
    if (!line.isSet(from))
        return line.usageError(err, QStringLiteral("--from names the generation to restore"));
    const Result<FileSet> files = findFileSet(line.argument(0), line.game());
    if (!files)
        return fail(err, files.error());
    BackupHistory history = historyOf(*files);
    const Result<BackupGeneration> generation = history.find(line.value(from));
    if (!generation)
        return fail(err, generation.error());
    const Result<QList<QByteArray>> kept = history.filesOf(*generation);
    if (!kept)
        return fail(err, kept.error());
    if (const auto problem = misfit(*files, history.names(), *kept))
        return fail(err, FileError{history.path(), QStringLiteral("generation %1 does not fit: %2")
                                                       .arg(generation->number)
                                                       .arg(*problem)});
    const Result<QList<QByteArray>> now = readGameFiles(*files);
    if (!now)
        return fail(err, now.error());
    if (*now == *kept) {
        out << QStringLiteral("The roster holds generation %1 already; nothing was written.\n")
                   .arg(describe(*generation));
        return Success;
    }
    if (line.isSet(dryRun)) {
        const Result<qsizetype> differing = playersDiffering(*files, history, *generation);
        out << QStringLiteral("Would restore generation %1: %2 would change. Nothing was "
                              "written.\n")
                   .arg(describe(*generation), differing ? plural(*differing, "player", "players")
                                                         : QStringLiteral("bytes no player shows"));
        return Success;
    }
    const auto claim = claimFolder(WriteJournal::defaultFolder(), files->folder);
    if (!claim)
        return fail(err, claim.error());
    return writeBack(*files, history, *generation, *kept, *now, out, err);
}

} // namespace Puckdex::Cli
