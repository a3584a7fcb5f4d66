#include "player/playerfields.h"

#include "player/valuerules.h"


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

} // namespace Puckdex
