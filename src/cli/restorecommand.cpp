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

// Puts back the files a failed restore wrote: true when all are as they were.
bool putBack(const QStringList &paths, const QList<QByteArray> &now, const QList<qsizetype> &written)
{
    bool whole = true;
    for (const qsizetype i : written)
        whole = SafeFile::replace(paths[i], now[i], false).ok() && whole;
    return SafeFile::putFolderOnDisk(paths.first()).ok() && whole;
}

// Writes the kept files over the roster's, the roster as it was kept
// first; only the files that differ are written, and their folder is put on
// the disk once, after the last. The restore is one action of the journal's:
// begun before the first file is replaced and done after the last, so that
// one killed midway is rolled back by the next program to open the roster,
// and one that fails midway puts back what it wrote.
int writeBack(const FileSet &files, BackupHistory &history, const BackupGeneration &generation,
              const QList<QByteArray> &kept, const QList<QByteArray> &now, WriteJournal &journal,
              const FileLock &lock, QTextStream &out, QTextStream &err)
{
    const Result<BackupGeneration> before = history.keep(now, lastWritten(files.gameFiles()));
    if (!before) {
        err << kProgram << ": the roster as it is could not be kept first, so nothing was "
            << "written: " << before.error().fullMessage() << "\n";
        return Failure;
    }
    const Status begun =
        journal.begin(QStringLiteral("a restore of generation %1").arg(generation.number), nullptr,
                      {}, lock, before->number);
    if (!begun)
        err << kProgram << ": warning: the write journal could not be written: "
            << begun.error().fullMessage() << "\n";
    const QStringList paths = files.gameFiles();
    const QStringList names = history.names();
    QStringList written;
    QList<qsizetype> replaced;
    const auto failed = [&](const FileError &error) {
        err << kProgram << ": " << error.fullMessage() << "\n";
        if (putBack(paths, now, replaced)) {
            journal.abandon(lock);
            err << kProgram << ": nothing was written\n";
            return Failure;
        }
        err << kProgram << ": only " << written.join(QStringLiteral(", "))
            << QStringLiteral(" written; the roster as it was is generation %1: \"%2 restore "
                              "DIR --from %1\" puts it back.\n")
                   .arg(before->number)
                   .arg(kProgram);
        return Partly;
    };
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (kept[i] == now[i])
            continue;
        if (const Status put = SafeFile::replace(paths[i], kept[i], false); !put)
            return failed(put.error());
        replaced.append(i);
        written.append(names[i]);
    }
    if (const Status synced = SafeFile::putFolderOnDisk(paths.first()); !synced)
        return failed(synced.error());
    if (begun) {
        if (const Status done = journal.finish(lock); !done) {
            journal.abandon(lock);
            err << kProgram << ": warning: the write journal could not be written: "
                << done.error().fullMessage() << "\n";
        }
    }
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
    WriteJournal journal(WriteJournal::defaultFolder(), files->folder, files->keyFile,
                         files->attFile);
    const auto writing = journal.lock();
    if (!writing)
        return fail(err, writing.error());
    const Result<QList<QByteArray>> locked = readGameFiles(*files);
    if (!locked)
        return fail(err, locked.error());
    return writeBack(*files, history, *generation, *kept, *locked, journal, **writing, out, err);
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
                "while the window has the folder open. A file that fails puts back those "
                "written before it. Exit status 0: restored (or nothing to do); 1: some files "
                "written, then one failed, and they could not be put back; 2: nothing written.",
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
