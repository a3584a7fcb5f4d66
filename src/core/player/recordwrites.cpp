#include "player/recordwrites.h"

#include "files/gamefiles.h"

#include <QFileInfo>

#include <algorithm>

namespace Puckdex {

PlayerWriteError PlayerWriteError::nothingWritten(FileError error)
{
    return {std::move(error), true, QStringLiteral("Nothing was written."), false, {}};
}

QString PlayerWriteError::fullMessage() const
{
    return QStringLiteral("%1\n\n%2").arg(error.fullMessage(), onDisk);
}

QString PlayerChange::playerName() const
{
    PlayerRecord record;
    record.assign(keyAfter);
    return QStringLiteral("%1 %2").arg(record.firstName(), record.lastName()).trimmed();
}

PlayerChange PlayerChange::reversed() const
{
    return {offset, attribOffset, goalie, keyAfter, attAfter, keyBefore, attBefore};
}

namespace {

// What a record on disk holds after a failed write, against the bytes it held
// before and the bytes that were to be written.
enum class Holds { Before, New, Other, Unreadable };

Holds holdsOf(const QByteArray *onDisk, const QByteArray &before, const QByteArray &after)
{
    if (!onDisk)
        return Holds::Unreadable;
    if (*onDisk == before)
        return Holds::Before;
    return *onDisk == after ? Holds::New : Holds::Other;
}

QString holdsText(Holds holds)
{
    switch (holds) {
    case Holds::Before:
        return QStringLiteral("what it held before");
    case Holds::New:
        return QStringLiteral("the new values");
    case Holds::Other:
        return QStringLiteral("a mix of old and new bytes");
    case Holds::Unreadable:
        return QStringLiteral("bytes that could not be read back");
    }
    Q_UNREACHABLE();
}

// "640 hold what they held before, 55 the new values": the records of one
// file after a failed write of several players.
QString tallyText(const QList<Holds> &holds)
{
    QStringList parts;
    for (const auto &[kind, words] : {std::pair{Holds::Before, "hold what they held before"},
                                      std::pair{Holds::New, "the new values"},
                                      std::pair{Holds::Other, "a mix of old and new bytes"},
                                      std::pair{Holds::Unreadable, "could not be read back"}}) {
        if (const qsizetype n = holds.count(kind))
            parts.append(QStringLiteral("%1 %2").arg(n).arg(QLatin1String(words)));
    }
    return parts.join(QStringLiteral(", "));
}

int attribSize(bool goalie)
{
    return goalie ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
}

PlayerWriteError refusedBefore(FileError error)
{
    return PlayerWriteError::nothingWritten(std::move(error));
}

// What the players' records hold now, read back after a failed write.
PlayerWriteError afterFailure(const QString &keyFile, const QString &attFile,
                              const QList<PlayerChange> &changes, FileError error)
{
    QList<qint64> offsets;
    QList<GameFiles::RecordRead> atts;
    for (const PlayerChange &change : changes) {
        offsets.append(change.offset);
        atts.append({change.attribOffset, attribSize(change.goalie)});
    }
    const Result<QList<QByteArray>> keyNow = GameFiles::readPlayerRecords(keyFile, offsets);
    const Result<QList<QByteArray>> attNow = GameFiles::readAttribRecords(attFile, atts);
    QList<Holds> key, att;
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const PlayerChange &change = changes[i];
        key.append(holdsOf(keyNow ? &keyNow->at(i) : nullptr, change.keyBefore, change.keyAfter));
        att.append(holdsOf(attNow ? &attNow->at(i) : nullptr, change.attBefore, change.attAfter));
    }
    const bool unchanged = key.count(Holds::Before) == key.size()
                           && att.count(Holds::Before) == att.size();
    const QString keyName = QFileInfo(keyFile).fileName();
    const QString attName = QFileInfo(attFile).fileName();
    QString onDisk;
    if (changes.size() == 1 && unchanged) {
        onDisk = QStringLiteral("Nothing was changed on disk: both of his records hold what they "
                                "held before.");
    } else if (changes.size() == 1) {
        onDisk = QStringLiteral("On disk now, his record in %1 holds %2, and his record in %3 "
                                "holds %4.")
                     .arg(keyName, holdsText(key.first()), attName, holdsText(att.first()));
    } else if (unchanged) {
        onDisk = QStringLiteral("Nothing was changed on disk: the records of all %1 players hold "
                                "what they held before.")
                     .arg(changes.size());
    } else {
        onDisk = QStringLiteral("On disk now, of the %1 players' records in %2: %3; in %4: %5.")
                     .arg(changes.size())
                     .arg(keyName, tallyText(key), attName, tallyText(att));
    }
    return PlayerWriteError{std::move(error), unchanged, onDisk, false, {}};
}

} // namespace

// Writes every change's after-bytes over its before-bytes, which are what
// the files held when they were read just now: all key records, then all
// attribute records; on a failure every record gets its before-bytes back.
Result<QList<PlayerChange>, PlayerWriteError>
commitChanges(const QString &keyFile, const QString &attFile, const QList<PlayerChange> &changes)
{
    for (const QString &file : {keyFile, attFile}) {
        if (const Status writable = GameFiles::checkWritable(file); !writable)
            return refusedBefore(writable.error());
    }
    QList<GameFiles::RecordWrite> keys, atts, keysBack, attsBack;
    for (const PlayerChange &change : changes) {
        keys.append({change.offset, change.keyAfter});
        atts.append({change.attribOffset, change.attAfter});
        keysBack.append({change.offset, change.keyBefore});
        attsBack.append({change.attribOffset, change.attBefore});
    }
    Status saved = GameFiles::writeAttribRecords(attFile, atts);
    const bool keyTried = saved.ok();
    if (saved)
        saved = GameFiles::writePlayerRecords(keyFile, keys);
    if (saved)
        return changes;

    // Put back what the records held; then say what they hold now, as read.
    if (keyTried)
        GameFiles::writePlayerRecords(keyFile, keysBack);
    GameFiles::writeAttribRecords(attFile, attsBack);
    return afterFailure(keyFile, attFile, changes, saved.error());
}

PlayerWriteError recordChangedSince(const QString &file, const PlayerChange &change, bool several)
{
    PlayerRecord record;
    record.assign(change.keyBefore);
    const QString reason =
        several ? QStringLiteral("the record of %1 %2 (offset %3) was changed after that write, "
                                 "by the game or another program")
                      .arg(record.firstName(), record.lastName())
                      .arg(change.offset)
                : QStringLiteral("his record was changed after that save, by the game or another "
                                 "program");
    return PlayerWriteError{{file, reason}, true, QStringLiteral("Nothing was written."), true, {}};
}

namespace {


// The attribute record after the fields are set into it.
template <typename Attribs>
QByteArray withFields(const QByteArray &before, const PlayerFields &fields)
{
    Attribs attribs;
    attribs.assign(before);
    applyFields(fields, attribs);
    return attribs.toByteArray();
}

} // namespace

namespace {

// The refusal of a write of fields because the records of the players at
// offsets no longer hold what their fields were read from.
PlayerWriteError changedSinceRead(const QString &file, const QList<FieldsWrite> &writes,
                                  const QList<qint64> &offsets)
{
    const FieldsWrite &first =
        *std::find_if(writes.cbegin(), writes.cend(),
                      [&](const FieldsWrite &write) { return write.offset == offsets.first(); });
    PlayerRecord read;
    read.assign(first.keyRead);
    const QString name = QStringLiteral("%1 %2").arg(read.firstName(), read.lastName());
    QString reason;
    if (writes.size() == 1) {
        reason = QStringLiteral("the records of %1 were changed by another program since he "
                                "was read")
                     .arg(name);
    } else {
        reason = QStringLiteral("the records of %1 (offset %2)%3 were changed by another "
                                "program since they were read")
                     .arg(name)
                     .arg(first.offset)
                     .arg(offsets.size() > 1
                              ? QStringLiteral(" and of %1 more players").arg(offsets.size() - 1)
                              : QString());
    }
    PlayerWriteError error{{file, reason}, true, QStringLiteral("Nothing was written."), true, {}};
    error.changedPlayers = offsets;
    return error;
}

// The players whose records no longer hold what their writes were read
// from: the key records' offsets, in the order of the writes.
QList<qint64> changedSinceRead(const QList<FieldsWrite> &writes, const QList<QByteArray> &now,
                               QByteArray FieldsWrite::*read)
{
    QList<qint64> changed;
    for (qsizetype i = 0; i < writes.size(); ++i) {
        const QByteArray &expected = writes[i].*read;
        if (!expected.isEmpty() && expected != now[i])
            changed.append(writes[i].offset);
    }
    return changed;
}

} // namespace

WrittenPlayer writtenOf(const PlayerChange &change)
{
    WrittenPlayer written;
    written.key.assign(change.keyAfter);
    if (change.goalie)
        written.goalie.assign(change.attAfter);
    else
        written.skater.assign(change.attAfter);
    written.keyBefore = change.keyBefore;
    written.attBefore = change.attBefore;
    written.attribOffset = change.attribOffset;
    return written;
}

Result<QList<PlayerChange>, PlayerWriteError>
planPlayersFields(const QString &keyFile, const QString &attFile, const QList<FieldsWrite> &writes)
{
    QList<qint64> offsets;
    for (const FieldsWrite &write : writes)
        offsets.append(write.offset);
    const Result<QList<QByteArray>> keys = GameFiles::readPlayerRecords(keyFile, offsets);
    if (!keys)
        return refusedBefore(keys.error());
    if (const QList<qint64> changed = changedSinceRead(writes, *keys, &FieldsWrite::keyRead);
        !changed.isEmpty())
        return changedSinceRead(keyFile, writes, changed);

    QList<PlayerChange> changes;
    QList<GameFiles::RecordRead> atts;
    for (qsizetype i = 0; i < writes.size(); ++i) {
        const FieldsWrite &write = writes[i];
        PlayerRecord key;
        key.assign(keys->at(i));
        if (const TextFit fit = applyFields(write.fields, key); fit != TextFit::Ok) {
            const QString name =
                QStringLiteral("%1 %2").arg(write.fields.firstName, write.fields.lastName);
            return refusedBefore(
                {keyFile, fit == TextFit::TooLong
                              ? QStringLiteral("the name %1 is too long for the game").arg(name)
                              : QStringLiteral("the name %1 has characters the game cannot "
                                               "store")
                                    .arg(name)});
        }
        changes.append({write.offset, key.attribOffset(), write.goalie, keys->at(i), {},
                        key.toByteArray(), {}});
        atts.append({key.attribOffset(), attribSize(write.goalie)});
    }
    const Result<QList<QByteArray>> attBefore = GameFiles::readAttribRecords(attFile, atts);
    if (!attBefore)
        return refusedBefore(attBefore.error());
    if (const QList<qint64> changed = changedSinceRead(writes, *attBefore, &FieldsWrite::attRead);
        !changed.isEmpty())
        return changedSinceRead(attFile, writes, changed);
    for (qsizetype i = 0; i < changes.size(); ++i) {
        PlayerChange &change = changes[i];
        change.attBefore = attBefore->at(i);
        change.attAfter =
            change.goalie ? withFields<GoalieAttribRecord>(change.attBefore, writes[i].fields)
                          : withFields<SkaterAttribRecord>(change.attBefore, writes[i].fields);
    }
    return changes;
}

Result<QList<PlayerChange>, PlayerWriteError>
writePlayersFields(const QString &keyFile, const QString &attFile, const QList<FieldsWrite> &writes)
{
    const Result<QList<PlayerChange>, PlayerWriteError> changes =
        planPlayersFields(keyFile, attFile, writes);
    if (!changes)
        return changes.error();
    return commitChanges(keyFile, attFile, *changes);
}

Result<QList<PlayerChange>, PlayerWriteError>
planChangesOver(const QString &keyFile, const QString &attFile, const QList<PlayerChange> &changes)
{
    QList<qint64> offsets;
    QList<GameFiles::RecordRead> atts;
    QList<PlayerChange> fresh = changes;
    for (PlayerChange &change : fresh) {
        PlayerRecord expected;
        const int attSize = attribSize(change.goalie);
        if (!expected.assign(change.keyBefore) || change.keyAfter.size() != PlayerRecord::Size
            || change.attBefore.size() != attSize || change.attAfter.size() != attSize) {
            return refusedBefore({keyFile, QStringLiteral("the records to put back are not of "
                                                          "the sizes the game uses")});
        }
        // His attribute record lies where the key record he should have says.
        change.attribOffset = expected.attribOffset();
        offsets.append(change.offset);
        atts.append({change.attribOffset, attSize});
    }
    const bool several = changes.size() > 1;
    const Result<QList<QByteArray>> keys = GameFiles::readPlayerRecords(keyFile, offsets);
    if (!keys)
        return refusedBefore(keys.error());
    for (qsizetype i = 0; i < fresh.size(); ++i) {
        if (keys->at(i) != fresh[i].keyBefore)
            return recordChangedSince(keyFile, fresh[i], several);
    }
    const Result<QList<QByteArray>> attNow = GameFiles::readAttribRecords(attFile, atts);
    if (!attNow)
        return refusedBefore(attNow.error());
    for (qsizetype i = 0; i < fresh.size(); ++i) {
        if (attNow->at(i) != fresh[i].attBefore)
            return recordChangedSince(attFile, fresh[i], several);
    }
    return fresh;
}

Result<QList<PlayerChange>, PlayerWriteError>
writeChangesOver(const QString &keyFile, const QString &attFile, const QList<PlayerChange> &changes)
{
    const Result<QList<PlayerChange>, PlayerWriteError> fresh =
        planChangesOver(keyFile, attFile, changes);
    if (!fresh)
        return fresh.error();
    return commitChanges(keyFile, attFile, *fresh);
}

Result<WrittenPlayer, PlayerWriteError> writePlayerFields(const QString &keyFile,
                                                          const QString &attFile, qint64 offset,
                                                          bool goalie, const PlayerFields &fields)
{
    const Result<QList<PlayerChange>, PlayerWriteError> changes =
        writePlayersFields(keyFile, attFile, {{offset, goalie, fields, {}, {}}});
    if (!changes)
        return changes.error();
    return writtenOf(changes->first());
}

} // namespace Puckdex
