#pragma once

#include "files/fileerror.h"
#include "files/records.h"
#include "files/safefile.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace Puckdex {

// One player found in the key file, with where his record lies.
struct PlayerEntry
{
    qint64 offset;
    PlayerRecord record;
};

// Reading and writing the records of the game files. Each call opens its
// file, reads or writes whole records at explicit offsets and closes it again;
// nothing is cached. Files are never created, truncated or extended: a write
// lands only on bytes that are already there, is flushed to the disk and read
// back before it counts as done.
namespace GameFiles {

// The key file's two regions of player records; the bytes between them are
// never read or written.
inline constexpr qint64 KeyRegionOneEnd = 45480;
inline constexpr qint64 KeyRegionTwoStart = 50000;
// The saved-game index starts with a header the editor does not read.
inline constexpr qint64 IndexHeaderSize = 110;

// Every complete team record, team n at index n.
Result<QList<TeamRecord>> listTeams(const QString &teamFile);
Result<TeamRecord> readTeam(const QString &teamFile, int teamNumber);

// Each player whose TeamNumber is teamNumber, in file order. A trailing part
// shorter than a record is not a player.
Result<QList<PlayerEntry>> scanPlayers(const QString &keyFile, int teamNumber);

// Every complete record of both regions, whatever its team, in file order.
Result<QList<PlayerEntry>> scanAllPlayers(const QString &keyFile);

// How many bytes at the end of a file of the given size belong to no
// complete record: the scans above pass over them without a word.
qint64 teamFileTail(qint64 fileSize);
qint64 keyFileTail(qint64 fileSize); // a file ending inside the gap has none
qint64 indexFileTail(qint64 fileSize);

// True when offset is where a key-file record may start: a multiple of the
// record size inside one of the two regions.
bool isPlayerOffset(qint64 offset);

Result<PlayerRecord> readPlayer(const QString &keyFile, qint64 offset);
Status writePlayer(const QString &keyFile, qint64 offset, const PlayerRecord &player);

// A record that lies partly or wholly outside the file is damaged: it is
// reported, never read from garbage nor written past the end.
Result<GoalieAttribRecord> readGoalieAttribs(const QString &attFile, qint64 offset);
Result<SkaterAttribRecord> readSkaterAttribs(const QString &attFile, qint64 offset);
Status writeGoalieAttribs(const QString &attFile, qint64 offset, const GoalieAttribRecord &r);
Status writeSkaterAttribs(const QString &attFile, qint64 offset, const SkaterAttribRecord &r);

// Several records of one file read in one opening: the bytes of each, or
// why not (naming the first that could not be read).
struct RecordRead
{
    qint64 offset = 0;
    qint64 size = 0;
};
Result<QList<QByteArray>> readPlayerRecords(const QString &keyFile, const QList<qint64> &offsets);
Result<QList<QByteArray>> readAttribRecords(const QString &attFile,
                                            const QList<RecordRead> &records);

// Several records of one file written as one: each file opened once, every
// record checked against the file's size before the first is written, the
// file put on the disk once and every record read back. A failure names the
// record; records before it in the list may have been written, and it is
// for the caller to put them back.
struct RecordWrite
{
    qint64 offset = 0;
    QByteArray bytes;
};
Status writePlayerRecords(const QString &keyFile, const QList<RecordWrite> &records);
Status writeAttribRecords(const QString &attFile, const QList<RecordWrite> &records);

// Whether a record write to the file could start: it is a file, carries no
// read-only mark and opens for writing. Writes nothing.
Status checkWritable(const QString &file);

// The faults tests simulate in record writes (offset: the record's; -1 when
// a write is only being checked for).
using SafeFile::setWriteFaultHook;
using SafeFile::WriteFault;
using SafeFile::WriteFaultHook;

// Every complete entry after the index header, in file order.
Result<QList<SeasonIndexEntry>> listSavedGames(const QString &indexFile);

// A file's bytes, read whole, or why not.
Result<QByteArray> readWholeFile(const QString &path);

// Copies a game file whole to its backup name beside it (backupName()),
// replacing an older backup, also one whose name differs only in case, only
// once the new copy is on the disk and reads back equal to the game file.
// The result names the file that could not be read or written.
Status copyToBackup(const QString &gameFile);
// The same for a game file whose bytes were read already.
Status copyToBackup(const QString &gameFile, const QByteArray &bytes);

} // namespace GameFiles
} // namespace Puckdex
