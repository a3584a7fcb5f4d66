#include "gamedb/playerfields.h"

#include "gamedb/gamefiles.h"

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
    fields.rookieFlag = player.rookieFlag() == 'Y' ? 'Y' : 'N';
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

template <typename Attribs>
Result<Attribs> writeAttribs(const QString &attFile, qint64 offset, const PlayerFields &fields,
                             Result<Attribs> (*read)(const QString &, qint64),
                             Status (*write)(const QString &, qint64, const Attribs &))
{
    Result<Attribs> attribs = read(attFile, offset);
    if (!attribs)
        return attribs;
    applyFields(fields, *attribs);
    if (const Status written = write(attFile, offset, *attribs); !written)
        return written.error();
    return attribs;
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

Result<WrittenPlayer> writePlayerFields(const QString &keyFile, const QString &attFile,
                                        qint64 offset, bool goalie, const PlayerFields &fields)
{
    WrittenPlayer written;
    Result<PlayerRecord> key = GameFiles::readPlayer(keyFile, offset);
    if (!key)
        return key.error();
    written.key = *key;
    if (const TextFit fit = applyFields(fields, written.key); fit != TextFit::Ok) {
        return FileError{keyFile, fit == TextFit::TooLong
                                      ? QStringLiteral("the name %1 %2 is too long for the game")
                                            .arg(fields.firstName, fields.lastName)
                                      : QStringLiteral("the name %1 %2 has characters the game "
                                                       "cannot store")
                                            .arg(fields.firstName, fields.lastName)};
    }
    if (const Status saved = GameFiles::writePlayer(keyFile, offset, written.key); !saved)
        return saved.error();

    const qint64 attribOffset = written.key.attribOffset();
    if (goalie) {
        const Result<GoalieAttribRecord> attribs = writeAttribs<GoalieAttribRecord>(
            attFile, attribOffset, fields, &GameFiles::readGoalieAttribs,
            &GameFiles::writeGoalieAttribs);
        if (!attribs)
            return attribs.error();
        written.goalie = *attribs;
    } else {
        const Result<SkaterAttribRecord> attribs = writeAttribs<SkaterAttribRecord>(
            attFile, attribOffset, fields, &GameFiles::readSkaterAttribs,
            &GameFiles::writeSkaterAttribs);
        if (!attribs)
            return attribs.error();
        written.skater = *attribs;
    }
    return written;
}

} // namespace Puckdex
