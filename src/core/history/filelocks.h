#pragma once

#include "files/fileerror.h"

#include <QString>

#include <memory>

class QLockFile;

namespace Puckdex {

// Locks between processes: the window and puckdex-cli (or two runs of it)
// share the write journal, the backup history and the game folders. A lock
// left by a process that died is taken over.

// Held while this process writes a file that others write too: a lock file
// named after it, beside it. Waits a few seconds for another writer, then
// fails saying so.
Result<std::shared_ptr<QLockFile>> lockForWriting(const QString &path);

// Held by the window while it has a roster of gameFolder open, and by a
// restore while it replaces the roster's files: a restore refuses while
// the window holds it. The lock file lies in lockFolder (the journal's).
// Fails at once; the error then names the game folder and the process that
// holds it, or the lock file that could not be made.
Result<std::shared_ptr<QLockFile>> claimFolder(const QString &lockFolder,
                                               const QString &gameFolder);

} // namespace Puckdex
