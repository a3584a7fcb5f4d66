#pragma once

#include "gamedb/scales.h"

#include <array>

namespace Puckdex {

// The editor's three groups of rating boxes.
enum class RatingGroup {
    AllPlayers, // speed, agility and the two awareness ratings, 4 boxes
    FwdDef,     // the ten ratings of defencemen and forwards
    Goalies,    // the five ratings of goalies
};

// Where one rating lives in an attribute record and where the editor shows it.
struct RatingField
{
    int byte;          // inside GoalieAttribRecord or SkaterAttribRecord
    RatingGroup group; // the editor's box group ...
    int box;           // ... and the box inside it
    Scale scale;
};

// In the order the bytes are written back.
inline constexpr std::array<RatingField, 9> kGoalieRatingFields = {{
    {1, RatingGroup::Goalies, 3, Scale::Goalie},     // Glove Right
    {2, RatingGroup::Goalies, 2, Scale::Goalie},     // Glove Left
    {3, RatingGroup::Goalies, 0, Scale::Goalie},     // Stick Left
    {4, RatingGroup::Goalies, 1, Scale::Goalie},     // Stick Right
    {16, RatingGroup::Goalies, 4, Scale::Goalie},    // Puck Control
    {6, RatingGroup::AllPlayers, 0, Scale::Goalie},  // Speed
    {7, RatingGroup::AllPlayers, 1, Scale::Goalie},  // Agility
    {10, RatingGroup::AllPlayers, 2, Scale::Goalie}, // Offensive Awareness
    {11, RatingGroup::AllPlayers, 3, Scale::Goalie}, // Defensive Awareness
}};

inline constexpr std::array<RatingField, 14> kSkaterRatingFields = {{
    {1, RatingGroup::AllPlayers, 0, Scale::Skater},  // Speed
    {2, RatingGroup::AllPlayers, 1, Scale::Skater},  // Agility
    {10, RatingGroup::AllPlayers, 2, Scale::Skater}, // Offensive Awareness
    {11, RatingGroup::AllPlayers, 3, Scale::Skater}, // Defensive Awareness
    {6, RatingGroup::FwdDef, 0, Scale::Skater},      // Stick Handling
    {12, RatingGroup::FwdDef, 1, Scale::Skater},     // Aggressiveness
    {14, RatingGroup::FwdDef, 2, Scale::Bias},       // Shoot / Pass Bias
    {13, RatingGroup::FwdDef, 3, Scale::Skater},     // Endurance
    {4, RatingGroup::FwdDef, 4, Scale::Skater},      // Shot Power
    {5, RatingGroup::FwdDef, 5, Scale::Skater},      // Checking
    {9, RatingGroup::FwdDef, 6, Scale::Skater},      // Passing
    {7, RatingGroup::FwdDef, 7, Scale::Skater},      // Accuracy
    {19, RatingGroup::FwdDef, 8, Scale::Skater},     // Face-Offs
    {20, RatingGroup::FwdDef, 9, Scale::Fighting},   // Fighting
}};

// The captions of the boxes of each group, in box order.
inline constexpr std::array<const char *, 4> kAllPlayersCaptions = {
    "Speed:", "Agility:", "Offensive Awareness:", "Defensive Awareness:"};
inline constexpr std::array<const char *, 10> kFwdDefCaptions = {
    "Stick Handling:", "Aggressiveness:", "Shoot / Pass Bias:", "Endurance:", "Shot Power:",
    "Checking:",       "Passing:",        "Accuracy:",          "Face-Offs:", "Fighting:"};
inline constexpr std::array<const char *, 5> kGoaliesCaptions = {
    "Stick Left:", "Stick Right:", "Glove Left:", "Glove Right:", "Puck Control:"};

} // namespace Puckdex
