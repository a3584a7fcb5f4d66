#pragma once

#include "files/fileerror.h"
#include "files/fileset.h"
#include "history/filelocks.h"

#include <QString>

namespace Puckdex {

// Older runs named a roster's write journal and backup history by its
// folder as it was typed, so that "c:\dosgames\nhl96" and
// "C:\DOSGAMES\NHL96" each had their own. Now both are named by what the
// folder is (folderIdentity()); what was kept under another spelling is
// taken over when the roster is opened, so that no write to undo and no
// first generation is lost. folder holds the journals and histories.
// Nothing is lost when it fails: what was not taken over stays where it
// was, and is taken over at the next opening.
Status takeOverOlderHistories(const QString &folder, const FileSet &files,
                              int waitMs = kWriterWaitMs);

} // namespace Puckdex
