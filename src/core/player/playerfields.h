#pragma once

#include "player/ratings.h"
#include "player/valuerules.h"
#include "files/records.h"

#include <QString>

#include <array>
#include <optional>

namespace Puckdex {

// Everything of one player that the editor shows, and so may change, in the
// form the files store it. Writing a player sets exactly these into his
// records; every other byte stays as it is on disk.
struct PlayerFields
{
    QString firstName;
    QString lastName;
    std::optional<char> position;       // none: the stored letter stays
    quint8 heightInches = 0;
    quint8 weightPounds = 0;
    char rookieFlag = rookieFlagOf(false);
    std::optional<quint8> jerseyNumber; // none: the stored number stays
    Hand hand = Hand::Left;
    // The stored bytes of the rating boxes of each group, by box.
    std::array<quint8, 4> allPlayers{};
    std::array<quint8, 10> fwdDef{};
    std::array<quint8, 5> goalies{};
    // Set when the weight changed: the class goes with it.
    std::optional<quint8> weightClass;
    // The game stops showing the old player's picture for a renamed one.
    bool unlinkPicture = false;

    quint8 &rating(RatingGroup group, int box);
    quint8 rating(RatingGroup group, int box) const;
};

// The fields as a player's records hold them (a hand other than 0 reads as
// right, as the editor shows it).
PlayerFields fieldsOf(const PlayerRecord &player, const GoalieAttribRecord &attribs);
PlayerFields fieldsOf(const PlayerRecord &player, const SkaterAttribRecord &attribs);

// Sets the fields into the key record. Fails, leaving the record as it was,
// when a name does not fit its field or the game's code page.
TextFit applyFields(const PlayerFields &fields, PlayerRecord &player);
void applyFields(const PlayerFields &fields, GoalieAttribRecord &attribs);
void applyFields(const PlayerFields &fields, SkaterAttribRecord &attribs);

} // namespace Puckdex
