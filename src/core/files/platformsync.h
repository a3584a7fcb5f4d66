#pragma once

#include <QString>
#include <QStringView>

#include <cstdio>

class QFileDevice;

namespace Puckdex {

// The one place with platform calls: what Qt's portable file API does not
// offer for putting files on the disk safely, and locks that end with the
// process that holds them.

// Asks the operating system to put what was written to file on the disk
// itself, not only in its cache.
bool syncToDisk(QFileDevice &file);

// Puts the folder's entries (a file renamed into it) on the disk. Systems
// that keep no such state, or cannot sync a folder, count as done.
bool syncFolder(const QString &folder);

// Renames from to to in one step, replacing a file at to. False with the
// system's reason in *reason when it could not.
bool renameReplacing(const QString &from, const QString &to, QString *reason);

// A lock that the system holds for this process on an open file and drops
// when the file is closed or the process ends, however it ends: a crash or a
// kill leaves no lock behind, at most the file, which the next holder takes
// as it is. The file is made when missing and goes when its holder lets go.
enum class LockAttempt { Taken, HeldElsewhere, Failed };
// The lock file is opened so that a child process does not inherit it
// (close-on-exec, a handle that is not inheritable): a program started
// while the lock is held must not keep it after its holder lets go or dies.
// Opens path and takes its lock without waiting. Taken: *handle is the open
// file. HeldElsewhere: another process (or another opening of this process)
// holds it. Failed: the file could not be made or opened, the system's words
// in *reason.
LockAttempt tryLockFile(const QString &path, qintptr *handle, QString *reason);
// Replaces what the locked file holds.
bool rewriteLockedFile(qintptr handle, const QByteArray &content);
// Removes the lock file and closes it, which drops its lock.
void closeLockedFile(qintptr handle, const QString &path);
// What a lock file holds (its holder), read whether or not it is locked.
QByteArray readLockFile(const QString &path);
// The process that holds the lock on path, where the system tells (Linux);
// 0 where it does not.
qint64 lockHolder(const QString &path);
// The name of a running process, where the system tells; empty otherwise.
QString processName(qint64 pid);

// A folder's final path as the file system names it, forward slashes, no
// trailing one: on Windows every part with the case the disk stores, links
// and junctions followed (GetFinalPathNameByHandleW). Empty elsewhere, and
// where the folder cannot be opened.
QString finalFolderPath(const QString &folder);

// Standard output passes on the bytes it is given. Windows would otherwise
// write every "\n" as "\r\n", and so an export's own "\r\n" as "\r\r\n".
void useBinaryStandardOutput();

// Whether another program holds the file so that this one cannot read it
// (or, with writing, write it): on Windows a program that opened it without
// sharing (DOSBox, a spreadsheet) or locked part of it, or one whose open
// denies access to a file that is not marked read-only. Never elsewhere,
// where a file open in another program can still be read and written.
bool heldByAnotherProgram(const QString &path, bool writing);

// A window program's standard output and error reach the console it was
// started from, if any: on Windows such a program has none of its own (the
// answers to --help and --version are then shown in the Command Prompt).
void attachParentConsole();

// Whether stream (stdout or stderr) is a Windows console. A console shows
// bytes in its own code page (437 in much of the world), not UTF-8, so text
// for it goes through writeToConsole. Always false elsewhere: a terminal
// there takes UTF-8 as it is.
bool isWindowsConsole(std::FILE *stream);
// Writes text to that console in its own characters (UTF-16); false when
// the console took none of it.
bool writeToConsole(std::FILE *stream, QStringView text);

} // namespace Puckdex
