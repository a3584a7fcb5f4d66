#pragma once

#include "files/fileerror.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QFileDevice;

namespace Puckdex {

// The two ways the program puts bytes on disk share their fault handling
// here: records written in place (GameFiles) and files replaced as a whole
// (the backup copies, the settings file).
namespace SafeFile {

// Why an operation on path failed, in words a user can act on: "the file was
// removed", "is a folder, not a file", "the file is read-only", "the disk is
// full", and the system's own words for anything else. writing says whether
// bytes were being put on the disk (only then can a full disk be the cause).
FileError failure(const QString &path, const QFileDevice &device, bool writing);
FileError failure(const QString &path, const QString &systemReason, bool writing);
// Why a new file at path could not be made: the disk is full, its folder
// was removed or is read-only, or the system's own words.
FileError creationFailure(const QString &path, const QString &systemReason);

// True when the file carries the read-only mark. Only the mode bits count,
// as on Windows, also for a user whom the system would let through (an
// administrator, root).
bool isMarkedReadOnly(const QString &path);

// Replaces the file at path with content, atomically. The bytes go to a new
// file beside it, are flushed and put on the disk, and are read back and
// compared; only then does the new file take the old one's place, and the
// folder is put on the disk too. On any failure before that step the old
// file stays exactly as it was and the new one is removed. The new file has
// the old one's permissions, or, the first time, those the system gives any
// new file. A link at path stays a link (a chain of them is followed): the
// file it leads to is replaced, or created when its folder exists. A
// read-only file or a folder at path is refused. The folder must exist.
// With syncFolder false the folder is left for the caller to put on the
// disk once, after several replacements (putFolderOnDisk()).
Status replace(const QString &path, const QByteArray &content, bool syncFolder = true);
Status putFolderOnDisk(const QString &path);

// A fault to simulate in a write, for tests: the file layer behaves as if the
// file were read-only, as if the device failed after some bytes, as if it
// gave back other bytes than were written, or as if it could not put the
// file or its folder on the disk.
struct WriteFault
{
    bool readOnly = false;
    qint64 failAfterBytes = -1; // write this many bytes, then fail
    QString reason;
    bool badReadBack = false;    // the read-back differs from what was written
    bool failFileSync = false;   // putting the written bytes on the disk fails
    bool failFolderSync = false; // putting the renamed file's entry on the disk fails
    bool held = false;           // another program holds the file (heldByAnotherProgram())
};
// What is said of a file another program holds (heldByAnotherProgram()):
// which program may, and what to do.
QString heldFileReason();

// offset is the record's offset, or 0 for a whole file.
using WriteFaultHook = std::function<std::optional<WriteFault>(const QString &path, qint64 offset)>;
// Installs the hook every write asks first; an empty hook removes it.
void setWriteFaultHook(WriteFaultHook hook);
std::optional<WriteFault> faultFor(const QString &path, qint64 offset);
// Alters bytes read back the way a badReadBack fault asks.
void simulateBadReadBack(QByteArray &bytes);

} // namespace SafeFile
} // namespace Puckdex
