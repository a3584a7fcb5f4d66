#include "files/gamefiles.h"

#include "files/fileset.h"
#include "files/platformsync.h"
#include "files/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Puckdex::GameFiles {

namespace {

constexpr qint64 kPlayerSize = PlayerRecord::Size;

// Why a read failed, or a write (then a full disk or the read-only mark may
// be the cause).
FileError errorOf(const QFile &file)
{
    return SafeFile::failure(file.fileName(), file, false);
}

FileError writeErrorOf(const QFile &file)
{
    return SafeFile::failure(file.fileName(), file, true);
}

FileError error(const QFile &file, const QString &reason)
{
    return {file.fileName(), reason};
}

// Reads up to size bytes; fewer only at the end of the file. -1 on a read error.
qint64 readUpTo(QFile &file, char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(data + done, size - done);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

// The size bytes at offset of an open file, or why not. A record that does
// not lie wholly inside the file is reported with what describes it.
Result<QByteArray> readBytesAt(QFile &file, qint64 offset, qint64 size, const QString &what)
{
    if (offset < 0)
        return error(file, QStringLiteral("%1 has the negative offset %2").arg(what).arg(offset));
    const qint64 fileSize = file.size();
    if (offset > fileSize - size) {
        return error(file, QStringLiteral("%1 at offset %2 needs %3 bytes, but the file ends at "
                                          "byte %4")
                               .arg(what)
                               .arg(offset)
                               .arg(size)
                               .arg(fileSize));
    }
    if (file.pos() != offset && !file.seek(offset))
        return errorOf(file);
    QByteArray data(size, Qt::Uninitialized);
    const qint64 n = readUpTo(file, data.data(), size);
    if (n < 0)
        return errorOf(file);
    if (n != size) {
        return error(file, QStringLiteral("%1 at offset %2 could not be read whole: the file "
                                          "ended after %3 of its %4 bytes")
                               .arg(what)
                               .arg(offset)
                               .arg(n)
                               .arg(size));
    }
    return data;
}

// The records at the given offsets and sizes, all read in one opening of
// the file, or why not (for the first that could not be read).
Result<QList<QByteArray>> readRecordsAt(const QString &path, const QList<RecordRead> &records,
                                        const QString &what)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return errorOf(file);
    QList<QByteArray> read;
    read.reserve(records.size());
    for (const RecordRead &record : records) {
        Result<QByteArray> bytes = readBytesAt(file, record.offset, record.size, what);
        if (!bytes)
            return bytes.error();
        read.append(std::move(*bytes));
    }
    return read;
}

// The record of type R at offset, or why there is none.
template <typename R>
Result<R> readRecordAt(const QString &path, qint64 offset, const QString &what)
{
    const Result<QList<QByteArray>> bytes = readRecordsAt(path, {{offset, R::Size}}, what);
    if (!bytes)
        return bytes.error();
    R record;
    record.assign(bytes->first());
    return record;
}

// A folder, or a file with the read-only mark (honoured the way Windows
// does, also for a user whom the system would let through: an
// administrator, root), is refused before it is opened for writing.
Status refuseUnwritable(const QString &path, const std::optional<WriteFault> &fault)
{
    const QFile file(path);
    if (QFileInfo(path).isDir())
        return writeErrorOf(file);
    if (SafeFile::isMarkedReadOnly(path) || (fault && fault->readOnly))
        return error(file, QStringLiteral("the file is read-only"));
    if (fault && fault->held)
        return error(file, SafeFile::heldFileReason());
    return {};
}

// Writes records over bytes that already exist, all into one opening of the
// file: never past the end, never into a file that is marked read-only.
// Every record is checked against the file's size before the first is
// written; then they are written, the file is put on the disk once, and
// each is read back. Only when all read back as written is the write done.
// A failure names the record; the records before it may have been written.
Status writeRecordsAt(const QString &path, const QList<RecordWrite> &records, const QString &what)
{
    QFile file(path);
    QList<std::optional<WriteFault>> faults;
    std::optional<WriteFault> unwritable; // read-only or held: refused before opening
    for (const RecordWrite &record : records) {
        faults.append(SafeFile::faultFor(path, record.offset));
        if (faults.last() && (faults.last()->readOnly || faults.last()->held))
            unwritable = faults.last();
    }
    if (const Status writable = refuseUnwritable(path, unwritable); !writable)
        return writable;
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return writeErrorOf(file);
    const qint64 size = file.size();
    for (const RecordWrite &record : records) {
        if (record.offset < 0)
            return error(file, QStringLiteral("%1 has the negative offset %2")
                                   .arg(what)
                                   .arg(record.offset));
        if (record.offset > size - record.bytes.size()) {
            return error(file, QStringLiteral("%1 at offset %2 would not lie within the file (it "
                                              "ends at byte %3); nothing was written")
                                   .arg(what)
                                   .arg(record.offset)
                                   .arg(size));
        }
    }
    for (qsizetype i = 0; i < records.size(); ++i) {
        const RecordWrite &record = records[i];
        const std::optional<WriteFault> &fault = faults[i];
        const QByteArray &bytes = record.bytes;
        if (!file.seek(record.offset))
            return errorOf(file);
        const qint64 toWrite = fault && fault->failAfterBytes >= 0
                                   ? qMin<qint64>(fault->failAfterBytes, bytes.size())
                                   : bytes.size();
        const qint64 written = file.write(bytes.constData(), toWrite);
        if (written < 0)
            return writeErrorOf(file);
        if (written != bytes.size()) {
            const QString reason = fault && !fault->reason.isEmpty() ? fault->reason
                                                                      : writeErrorOf(file).reason;
            return error(file, QStringLiteral("%1 at offset %2 was written only in part (%3 of "
                                              "%4 bytes): %5")
                                   .arg(what)
                                   .arg(record.offset)
                                   .arg(written)
                                   .arg(bytes.size())
                                   .arg(reason));
        }
    }
    const bool syncFault =
        std::any_of(faults.cbegin(), faults.cend(), [](const auto &f) { return f && f->failFileSync; });
    if (!syncToDisk(file) || syncFault) {
        return error(file, QStringLiteral("%1 could not be put on the disk: %2")
                               .arg(what, file.errorString()));
    }
    for (qsizetype i = 0; i < records.size(); ++i) {
        const RecordWrite &record = records[i];
        QByteArray back(record.bytes.size(), Qt::Uninitialized);
        const bool readBack = file.seek(record.offset)
                              && readUpTo(file, back.data(), back.size()) == back.size();
        if (faults[i] && faults[i]->badReadBack)
            SafeFile::simulateBadReadBack(back);
        if (!readBack || back != record.bytes) {
            return error(file, QStringLiteral("%1 at offset %2 did not read back as written")
                                   .arg(what)
                                   .arg(record.offset));
        }
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        return writeErrorOf(file);
    return {};
}

Status checkPlayerOffset(const QString &path, qint64 offset)
{
    if (isPlayerOffset(offset))
        return {};
    return FileError{path, QStringLiteral("offset %1 is not the start of a player record")
                               .arg(offset)};
}

QString playerWhat()
{
    return QStringLiteral("the player record");
}

QString attribWhat()
{
    return QStringLiteral("the player's attribute record");
}

// Calls visit(offset, data) for each complete record of recordSize bytes
// from start up to end (exclusive, no further than the file's size; -1 for
// the size the file has now). The reads stop there, so the end of the file
// costs no read of its own; a file that shrinks meanwhile ends them early.
template <typename Visit>
Status forEachRecord(QFile &file, qint64 start, qint64 end, qint64 recordSize, Visit visit)
{
    constexpr qint64 kRecordsPerChunk = 1024;
    const qint64 limit = end >= 0 ? end : file.size();
    qint64 position = start;
    const auto completeUpTo = [&](qint64 most) {
        return std::min(most, (limit - position) / recordSize * recordSize);
    };
    if (completeUpTo(recordSize) <= 0)
        return {};
    QByteArray chunk(completeUpTo(recordSize * kRecordsPerChunk), Qt::Uninitialized);
    if (file.pos() != position && !file.seek(position))
        return errorOf(file);
    for (;;) {
        const qint64 want = completeUpTo(chunk.size());
        if (want <= 0)
            return {};
        const qint64 got = readUpTo(file, chunk.data(), want);
        if (got < 0)
            return errorOf(file);
        const qint64 complete = got / recordSize;
        for (qint64 i = 0; i < complete; ++i)
            visit(position + i * recordSize, chunk.constData() + i * recordSize);
        position += complete * recordSize;
        if (got < want)
            return {}; // the file ended early; a partial record is not a record
    }
}

template <typename R>
Result<QList<R>> listRecords(const QString &path, qint64 start)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return errorOf(file);
    QList<R> records;
    const Status status = forEachRecord(file, start, -1, R::Size, [&](qint64, const char *data) {
        R record;
        record.assign(QByteArrayView(data, R::Size));
        records.append(record);
    });
    if (!status)
        return status.error();
    return records;
}

// The records of both regions for which wanted(team number) holds.
template <typename Wanted>
Result<QList<PlayerEntry>> scanKeyFile(const QString &keyFile, Wanted wanted)
{
    QFile file(keyFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return errorOf(file);
    QList<PlayerEntry> players;
    const auto visit = [&](qint64 offset, const char *data) {
        if (!wanted(static_cast<quint8>(data[PlayerRecord::TeamNumberByte])))
            return;
        PlayerEntry entry{offset, {}};
        entry.record.assign(QByteArrayView(data, kPlayerSize));
        players.append(entry);
    };
    const qint64 size = file.size();
    Status status = forEachRecord(file, 0, std::min(size, KeyRegionOneEnd), kPlayerSize, visit);
    if (status)
        status = forEachRecord(file, KeyRegionTwoStart, size, kPlayerSize, visit);
    if (!status)
        return status.error();
    return players;
}

} // namespace

Result<QList<TeamRecord>> listTeams(const QString &teamFile)
{
    return listRecords<TeamRecord>(teamFile, 0);
}

Result<TeamRecord> readTeam(const QString &teamFile, int teamNumber)
{
    return readRecordAt<TeamRecord>(teamFile, qint64(teamNumber) * TeamRecord::Size,
                                    QStringLiteral("team %1").arg(teamNumber));
}

Result<QList<PlayerEntry>> scanPlayers(const QString &keyFile, int teamNumber)
{
    return scanKeyFile(keyFile, [teamNumber](int team) { return team == teamNumber; });
}

Result<QList<PlayerEntry>> scanAllPlayers(const QString &keyFile)
{
    return scanKeyFile(keyFile, [](int) { return true; });
}

qint64 teamFileTail(qint64 fileSize)
{
    return fileSize % TeamRecord::Size;
}

qint64 keyFileTail(qint64 fileSize)
{
    if (fileSize < KeyRegionOneEnd)
        return fileSize % kPlayerSize;
    if (fileSize < KeyRegionTwoStart)
        return 0;
    return (fileSize - KeyRegionTwoStart) % kPlayerSize;
}

qint64 indexFileTail(qint64 fileSize)
{
    if (fileSize <= IndexHeaderSize)
        return 0;
    return (fileSize - IndexHeaderSize) % SeasonIndexEntry::Size;
}

bool isPlayerOffset(qint64 offset)
{
    if (offset >= 0 && offset < KeyRegionOneEnd)
        return offset % kPlayerSize == 0;
    return offset >= KeyRegionTwoStart && (offset - KeyRegionTwoStart) % kPlayerSize == 0;
}

Result<PlayerRecord> readPlayer(const QString &keyFile, qint64 offset)
{
    if (const Status s = checkPlayerOffset(keyFile, offset); !s)
        return s.error();
    return readRecordAt<PlayerRecord>(keyFile, offset, playerWhat());
}

Status writePlayer(const QString &keyFile, qint64 offset, const PlayerRecord &player)
{
    if (const Status s = checkPlayerOffset(keyFile, offset); !s)
        return s;
    return writeRecordsAt(keyFile, {{offset, player.toByteArray()}}, playerWhat());
}

Result<GoalieAttribRecord> readGoalieAttribs(const QString &attFile, qint64 offset)
{
    return readRecordAt<GoalieAttribRecord>(attFile, offset, attribWhat());
}

Result<SkaterAttribRecord> readSkaterAttribs(const QString &attFile, qint64 offset)
{
    return readRecordAt<SkaterAttribRecord>(attFile, offset, attribWhat());
}

Status writeGoalieAttribs(const QString &attFile, qint64 offset, const GoalieAttribRecord &r)
{
    return writeRecordsAt(attFile, {{offset, r.toByteArray()}}, attribWhat());
}

Status writeSkaterAttribs(const QString &attFile, qint64 offset, const SkaterAttribRecord &r)
{
    return writeRecordsAt(attFile, {{offset, r.toByteArray()}}, attribWhat());
}

Result<QList<QByteArray>> readPlayerRecords(const QString &keyFile, const QList<qint64> &offsets)
{
    QList<RecordRead> records;
    for (const qint64 offset : offsets) {
        if (const Status s = checkPlayerOffset(keyFile, offset); !s)
            return s.error();
        records.append({offset, kPlayerSize});
    }
    return readRecordsAt(keyFile, records, playerWhat());
}

Result<QList<QByteArray>> readAttribRecords(const QString &attFile,
                                            const QList<RecordRead> &records)
{
    return readRecordsAt(attFile, records, attribWhat());
}

Status writePlayerRecords(const QString &keyFile, const QList<RecordWrite> &records)
{
    for (const RecordWrite &record : records) {
        if (const Status s = checkPlayerOffset(keyFile, record.offset); !s)
            return s;
    }
    return writeRecordsAt(keyFile, records, playerWhat());
}

Status writeAttribRecords(const QString &attFile, const QList<RecordWrite> &records)
{
    return writeRecordsAt(attFile, records, attribWhat());
}

Result<QList<SeasonIndexEntry>> listSavedGames(const QString &indexFile)
{
    return listRecords<SeasonIndexEntry>(indexFile, IndexHeaderSize);
}

Status checkWritable(const QString &file)
{
    if (const Status writable = refuseUnwritable(file, SafeFile::faultFor(file, -1)); !writable)
        return writable;
    QFile probe(file);
    if (!probe.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return writeErrorOf(probe);
    return {};
}

Result<QByteArray> readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return errorOf(file);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() != file.size())
        return errorOf(file);
    return bytes;
}

Status copyToBackup(const QString &gameFile)
{
    const Result<QByteArray> bytes = readWholeFile(gameFile);
    return bytes ? copyToBackup(gameFile, *bytes) : Status(bytes.error());
}

Status copyToBackup(const QString &gameFile, const QByteArray &bytes)
{

    // An earlier backup whose name differs only in case is replaced too: on
    // a system that tells the cases apart it would otherwise stay beside the
    // new one, and a user restoring it would restore an old roster.
    const QFileInfo info(gameFile);
    const QDir folder = info.dir();
    const QString wanted = backupName(info.fileName());
    const QStringList earlier = folder.entryList(
        QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QStringList variants;
    for (const QString &name : earlier) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            variants.append(name);
    }
    // The one earlier backup keeps its spelling; among several (distinct
    // files, or the listing would show one), the exact name is written.
    QString target = wanted;
    if (variants.size() == 1)
        target = variants.first();
    variants.removeAll(target);

    if (const Status copied = SafeFile::replace(folder.filePath(target), bytes); !copied)
        return copied;
    for (const QString &stale : std::as_const(variants)) {
        const QString path = folder.filePath(stale);
        if (QFileInfo(path).isFile() && !QFile::remove(path))
            return FileError{path, QStringLiteral("this older backup could not be removed: %1")
                                       .arg(SafeFile::failure(path, QString(), true).reason)};
    }
    if (!variants.isEmpty())
        syncFolder(folder.path());
    return {};
}

} // namespace Puckdex::GameFiles
