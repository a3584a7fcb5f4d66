#include "commands.h"

#include "keptbackups.h"

#include "files/gamefiles.h"
#include "files/safefile.h"
#include "history/filelocks.h"
#include "history/writejournal.h"

#include <QFileInfo>

namespace Puckdex::Cli {

namespace {

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
// first; only the files that differ are written, and their folder is put on
// the disk once, after the last.
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
    const auto failed = [&](const FileError &error) {
        err << kProgram << ": " << error.fullMessage() << "\n"
            << kProgram << ": "
            << (written.isEmpty()
                    ? QStringLiteral("nothing was written")
                    : QStringLiteral("only %1 written").arg(written.join(QStringLiteral(", "))))
            << QStringLiteral("; the roster as it was is generation %1: \"%2 restore "
                              "DIR --from %1\" puts it back.\n")
                   .arg(before->number)
                   .arg(kProgram);
        return written.isEmpty() ? Failure : Partly;
    };
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (kept[i] == now[i])
            continue;
        if (const Status replaced = SafeFile::replace(paths[i], kept[i], false); !replaced)
            return failed(replaced.error());
        written.append(names[i]);
    }
    if (const Status synced = SafeFile::putFolderOnDisk(paths.first()); !synced)
        return failed(synced.error());
    out << QStringLiteral("Restored generation %1 over %2; the roster as it was is kept as "
                          "generation %3.\n")
               .arg(describe(generation), written.join(QStringLiteral(", ")))
               .arg(before->number);
    return Success;
}

// What a restore would change, written nowhere.
int dryRun(const FileSet &files, const BackupHistory &history,
           const BackupGeneration &generation, QTextStream &out)
{
    const Result<qsizetype> differing = playersDiffering(files, history, generation);
    out << QStringLiteral("Would restore generation %1: %2 would change. Nothing was "
                          "written.\n")
               .arg(describe(generation), differing ? plural(*differing, "player", "players")
                                                    : QStringLiteral("bytes no player shows"));
    return Success;
}

int restore(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    if (!line.isSet("from"))
        return line.usageError(err, QStringLiteral("--from names the generation to restore"));
    const Result<FileSet> files = openFileSet(line, err);
    if (!files)
        return fail(err, files.error());
    BackupHistory history = historyOf(*files);
    const Result<BackupGeneration> generation = history.find(line.value("from"));
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
    if (line.isSet("dry-run"))
        return dryRun(*files, history, *generation, out);
    const auto claim = claimFolder(WriteJournal::defaultFolder(), files->folder);
    if (!claim)
        return fail(err, claim.error());
    // No import or undo of the roster runs while its files are replaced: the
    // roster as it is is read again under the lock, and kept as it is then.
    const auto writing = WriteJournal(WriteJournal::defaultFolder(), files->folder, files->keyFile,
                                      files->attFile)
                             .lock();
    if (!writing)
        return fail(err, writing.error());
    const Result<QList<QByteArray>> locked = readGameFiles(*files);
    if (!locked)
        return fail(err, locked.error());
    return writeBack(*files, history, *generation, *kept, *locked, out, err);
}

} // namespace

const Command &restoreCommand()
{
    static const Command command{
        .name = "restore",
        .synopsis = "restore DIR --from N",
        .summary = "writes a kept backup back over the roster",
        .usage = "[options] DIR --from N|first",
        .help = "Writes a generation of the kept backups (see \"backups\") back over the "
                "roster's three files, each replaced whole and safely. The roster as it is is "
                "kept as a generation first, so a restore can itself be taken back. Refused "
                "while the window has the folder open. Exit status 0: restored (or nothing to "
                "do); 1: some files written, then one failed; 2: nothing written.",
        .arguments = {kDirArgument},
        .game = true,
        .options = {{"from",
                     "The generation to write back: its number, or \"first\" for the oldest "
                     "kept.",
                     "N|first"},
                    {"dry-run", "Says what would be written; writes nothing."}},
        .run = &restore,
    };
    return command;
}

} // namespace Puckdex::Cli
