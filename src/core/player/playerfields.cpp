#include "player/playerfields.h"

#include "files/gamefiles.h"
#include "player/valuerules.h"

#include <QFileInfo>

namespace Puckdex {

quint8 &PlayerFields::rating(RatingGroup group, int box)
{
    switch (group) {
    case RatingGroup::AllPlayers:
        return allPlayers.at(box);
    case RatingGroup::FwdDef:
        return fwdDef.at(box);
    case RatingGroup::Goalies:
        return goalies.at(box);
    }
    Q_UNREACHABLE();
}

quint8 PlayerFields::rating(RatingGroup group, int box) const
{
    return const_cast<PlayerFields *>(this)->rating(group, box);
}

namespace {

template <typename Attribs, std::size_t N>
PlayerFields fieldsFrom(const PlayerRecord &player, const Attribs &attribs,
                        const std::array<RatingField, N> &table)
{
    PlayerFields fields;
    fields.firstName = player.firstName();
    fields.lastName = player.lastName();
    fields.position = player.position();
    fields.heightInches = player.heightInches();
    fields.weightPounds = player.weightPounds();
    fields.rookieFlag = shownRookie(player.rookieFlag());
    fields.jerseyNumber = player.jerseyNumber();
    fields.hand = attribs.hand();
    for (const RatingField &f : table)
        fields.rating(f.group, f.box) = attribs.byte(f.byte);
    return fields;
}

template <typename Attribs, std::size_t N>
void applyTo(const PlayerFields &fields, Attribs &attribs, const std::array<RatingField, N> &table)
{
    attribs.setHand(fields.hand);
    for (const RatingField &f : table)
        attribs.setByte(f.byte, fields.rating(f.group, f.box));
    if (fields.weightClass)
        attribs.setWeightClass(*fields.weightClass);
}

} // namespace

PlayerFields fieldsOf(const PlayerRecord &player, const GoalieAttribRecord &attribs)
{
    return fieldsFrom(player, attribs, kGoalieRatingFields);
}

PlayerFields fieldsOf(const PlayerRecord &player, const SkaterAttribRecord &attribs)
{
    return fieldsFrom(player, attribs, kSkaterRatingFields);
}

TextFit applyFields(const PlayerFields &fields, PlayerRecord &player)
{
    PlayerRecord changed = player;
    if (const TextFit fit = changed.setFirstName(fields.firstName); fit != TextFit::Ok)
        return fit;
    if (const TextFit fit = changed.setLastName(fields.lastName); fit != TextFit::Ok)
        return fit;
    if (fields.position)
        changed.setPosition(*fields.position);
    changed.setHeightInches(fields.heightInches);
    changed.setWeightPounds(fields.weightPounds);
    changed.setRookieFlag(fields.rookieFlag);
    if (fields.jerseyNumber)
        changed.setJerseyNumber(*fields.jerseyNumber);
    if (fields.unlinkPicture)
        changed.unlinkPicture();
    player = changed;
    return TextFit::Ok;
}

void applyFields(const PlayerFields &fields, GoalieAttribRecord &attribs)
{
    applyTo(fields, attribs, kGoalieRatingFields);
}

void applyFields(const PlayerFields &fields, SkaterAttribRecord &attribs)
{
    applyTo(fields, attribs, kSkaterRatingFields);
}

QString PlayerWriteError::fullMessage() const
{
    return QStringLiteral("%1\n\n%2").arg(error.fullMessage(), onDisk);
}

namespace {

// What a record on disk holds after a failed write, against the bytes it held
// before and the bytes that were to be written.
enum class Holds { Before, New, Other, Unreadable };

template <typename R>
Holds holdsOf(const Result<R> &onDisk, const R &before, const R &after)
{
    if (!onDisk)
        return Holds::Unreadable;
    const QByteArray bytes = onDisk->toByteArray();
    if (bytes == before.toByteArray())
        return Holds::Before;
    return bytes == after.toByteArray() ? Holds::New : Holds::Other;
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

// The two records of one player and the writes that put them on disk.
template <typename Attribs>
struct PlayerWrite
{
    Result<Attribs> (*read)(const QString &, qint64);
    Status (*write)(const QString &, qint64, const Attribs &);
};

PlayerWriteError refusedBefore(FileError error)
{
    return PlayerWriteError{std::move(error), true, QStringLiteral("Nothing was written."), false};
}

// Writes the records prepared in written (his key record, and his attribute
// record at written.attribOffset) over keyBefore and attBefore, which are
// what the files held when they were read just now.
template <typename Attribs>
Result<WrittenPlayer, PlayerWriteError>
commitBoth(const QString &keyFile, const QString &attFile, qint64 offset,
           const PlayerRecord &keyBefore, const Attribs &attBefore, WrittenPlayer written,
           PlayerWrite<Attribs> io, Attribs WrittenPlayer::*slot)
{
    const qint64 attribOffset = written.attribOffset;
    const Attribs &attribs = written.*slot;
    for (const QString &file : {keyFile, attFile}) {
        if (const Status writable = GameFiles::checkWritable(file); !writable)
            return refusedBefore(writable.error());
    }

    Status saved = GameFiles::writePlayer(keyFile, offset, written.key);
    const bool attTried = saved.ok();
    if (saved)
        saved = io.write(attFile, attribOffset, attribs);
    if (saved) {
        written.keyBefore = keyBefore.toByteArray();
        written.attBefore = attBefore.toByteArray();
        return written;
    }

    // Put back what the records held; then say what they hold now, as read.
    if (attTried)
        io.write(attFile, attribOffset, attBefore);
    GameFiles::writePlayer(keyFile, offset, keyBefore);
    const Holds key = holdsOf(GameFiles::readPlayer(keyFile, offset), keyBefore, written.key);
    const Holds att = holdsOf(io.read(attFile, attribOffset), attBefore, attribs);
    if (key == Holds::Before && att == Holds::Before) {
        return PlayerWriteError{saved.error(), true,
                                QStringLiteral("Nothing was changed on disk: both of his records "
                                               "hold what they held before."),
                                false};
    }
    return PlayerWriteError{saved.error(), false,
                            QStringLiteral("On disk now, his record in %1 holds %2, and his "
                                           "record in %3 holds %4.")
                                .arg(QFileInfo(keyFile).fileName(), holdsText(key),
                                     QFileInfo(attFile).fileName(), holdsText(att)),
                            false};
}

template <typename Attribs>
Result<WrittenPlayer, PlayerWriteError>
writeBoth(const QString &keyFile, const QString &attFile, qint64 offset, const PlayerFields &fields,
          PlayerWrite<Attribs> io, Attribs WrittenPlayer::*slot)
{
    // Everything is read, set and checked before the first byte is written.
    const Result<PlayerRecord> keyBefore = GameFiles::readPlayer(keyFile, offset);
    if (!keyBefore)
        return refusedBefore(keyBefore.error());
    WrittenPlayer written;
    written.key = *keyBefore;
    if (const TextFit fit = applyFields(fields, written.key); fit != TextFit::Ok) {
        return refusedBefore(
            {keyFile, fit == TextFit::TooLong
                          ? QStringLiteral("the name %1 %2 is too long for the game")
                                .arg(fields.firstName, fields.lastName)
                          : QStringLiteral("the name %1 %2 has characters the "
                                           "game cannot store")
                                .arg(fields.firstName, fields.lastName)});
    }
    written.attribOffset = written.key.attribOffset();
    const Result<Attribs> attBefore = io.read(attFile, written.attribOffset);
    if (!attBefore)
        return refusedBefore(attBefore.error());
    written.*slot = *attBefore;
    applyFields(fields, written.*slot);
    return commitBoth(keyFile, attFile, offset, *keyBefore, *attBefore, std::move(written), io,
                      slot);
}

template <typename Attribs>
Result<WrittenPlayer, PlayerWriteError>
writeBack(const QString &keyFile, const QString &attFile, qint64 offset,
          const QByteArray &expectedKey, const QByteArray &expectedAtt, const QByteArray &newKey,
          const QByteArray &newAtt, PlayerWrite<Attribs> io, Attribs WrittenPlayer::*slot)
{
    WrittenPlayer written;
    Attribs &attribs = written.*slot;
    PlayerRecord expected;
    if (!expected.assign(expectedKey) || !written.key.assign(newKey) || !attribs.assign(newAtt) ||
        expectedAtt.size() != Attribs::Size) {
        return refusedBefore({keyFile, QStringLiteral("the records to put back are not of the "
                                                      "sizes the game uses")});
    }
    const Result<PlayerRecord> keyBefore = GameFiles::readPlayer(keyFile, offset);
    if (!keyBefore)
        return refusedBefore(keyBefore.error());
    const auto changed = [](const QString &file) {
        return PlayerWriteError{
            {file, QStringLiteral("his record was changed after that save, by the game or "
                                  "another program")},
            true,
            QStringLiteral("Nothing was written."),
            true};
    };
    if (keyBefore->toByteArray() != expectedKey)
        return changed(keyFile);
    written.attribOffset = expected.attribOffset();
    const Result<Attribs> attBefore = io.read(attFile, written.attribOffset);
    if (!attBefore)
        return refusedBefore(attBefore.error());
    if (attBefore->toByteArray() != expectedAtt)
        return changed(attFile);
    return commitBoth(keyFile, attFile, offset, *keyBefore, *attBefore, std::move(written), io,
                      slot);
}

} // namespace

Result<WrittenPlayer, PlayerWriteError> writePlayerFields(const QString &keyFile,
                                                          const QString &attFile, qint64 offset,
                                                          bool goalie, const PlayerFields &fields)
{
    if (goalie) {
        return writeBoth<GoalieAttribRecord>(
            keyFile, attFile, offset, fields,
            {&GameFiles::readGoalieAttribs, &GameFiles::writeGoalieAttribs}, &WrittenPlayer::goalie);
    }
    return writeBoth<SkaterAttribRecord>(
        keyFile, attFile, offset, fields,
        {&GameFiles::readSkaterAttribs, &GameFiles::writeSkaterAttribs}, &WrittenPlayer::skater);
}

Result<WrittenPlayer, PlayerWriteError>
writePlayerBytesBack(const QString &keyFile, const QString &attFile, qint64 offset, bool goalie,
                     const QByteArray &expectedKey, const QByteArray &expectedAtt,
                     const QByteArray &newKey, const QByteArray &newAtt)
{
    if (goalie) {
        return writeBack<GoalieAttribRecord>(
            keyFile, attFile, offset, expectedKey, expectedAtt, newKey, newAtt,
            {&GameFiles::readGoalieAttribs, &GameFiles::writeGoalieAttribs},
            &WrittenPlayer::goalie);
    }
    return writeBack<SkaterAttribRecord>(
        keyFile, attFile, offset, expectedKey, expectedAtt, newKey, newAtt,
        {&GameFiles::readSkaterAttribs, &GameFiles::writeSkaterAttribs}, &WrittenPlayer::skater);
}

} // namespace Puckdex
