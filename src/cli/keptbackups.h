#pragma once

#include "roster.h"

#include "history/backuphistory.h"

#include <QTemporaryDir>

// The kept generations of a roster's backups as backups, restore and diff
// read them.
namespace Puckdex::Cli {

// The kept backups of the roster, beside the write journal.
BackupHistory historyOf(const FileSet &files);

// The files of a generation of the roster's backups, written into place:
// a file set to read like the roster's own.
Result<FileSet> generationFileSet(const FileSet &files, const BackupHistory &history,
                                  const BackupGeneration &generation, const QTemporaryDir &place);

// The generation that which names ("first" or a number), written into place.
Result<FileSet> keptFiles(const FileSet &files, const QString &which, const QTemporaryDir &place);

// How many players a generation's roster and the roster now tell apart, or
// why they cannot be compared.
Result<qsizetype> playersDiffering(const FileSet &files, const BackupHistory &history,
                                   const BackupGeneration &generation);

// "3 (2026-12-08 05:20:11 UTC)"
QString describe(const BackupGeneration &generation);

} // namespace Puckdex::Cli
