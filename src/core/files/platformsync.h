#pragma once

#include <QString>

class QFileDevice;

namespace Puckdex {

// The one place with platform calls: what Qt's portable file API does not
// offer for putting files on the disk safely.

// Asks the operating system to put what was written to file on the disk
// itself, not only in its cache.
bool syncToDisk(QFileDevice &file);

// Puts the folder's entries (a file renamed into it) on the disk. Systems
// that keep no such state, or cannot sync a folder, count as done.
bool syncFolder(const QString &folder);

// Renames from to to in one step, replacing a file at to. False with the
// system's reason in *reason when it could not.
bool renameReplacing(const QString &from, const QString &to, QString *reason);

// Standard output passes on the bytes it is given. Windows would otherwise
// write every "\n" as "\r\n", and so an export's own "\r\n" as "\r\r\n".
void useBinaryStandardOutput();

} // namespace Puckdex
