#include "keptbackups.h"

#include "rosterdiff.h"

#include "files/safefile.h"
#include "history/writejournal.h"

namespace Puckdex::Cli {

BackupHistory historyOf(const FileSet &files)
{
    return BackupHistory(WriteJournal::defaultFolder(), files);
}

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

Result<FileSet> keptFiles(const FileSet &files, const QString &which, const QTemporaryDir &place)
{
    const BackupHistory history = historyOf(files);
    const Result<BackupGeneration> generation = history.find(which);
    if (!generation)
        return generation.error();
    return generationFileSet(files, history, *generation, place);
}

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

QString describe(const BackupGeneration &generation)
{
    return QStringLiteral("%1 (%2)").arg(generation.number).arg(utcText(generation.time));
}

} // namespace Puckdex::Cli
