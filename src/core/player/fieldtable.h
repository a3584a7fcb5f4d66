#pragma once

#include "player/scales.h"

#include <QLatin1String>
#include <QStringView>

#include <array>
#include <span>

// Every numeric field of a player in one table: where the editor shows it,
// where the attribute records keep it, how it is scaled and checked, its
// column in an exported roster and its place in the rating templates. The
// editor, the template window, the command line and the tests all read it.
namespace Puckdex {

// The editor's three groups of rating boxes.
enum class RatingGroup {
    AllPlayers, // speed, agility and the two awareness ratings, 4 boxes
    FwdDef,     // the ten ratings of defencemen and forwards
    Goalies,    // the five ratings of goalies
};

// Which messages a check owes the user when it moves a number: every one,
// those of the limits only (a grid too coarse to bother the user about), or
// none (values read back from the settings file). The numbers are the
// modes' own; a mode below Every counts as Limits, one above Silent as
// Silent.
enum class MessageMode {
    Every = 1,
    Limits = 2,
    Silent = 3,
};

// One numeric field's rule: message mode, limits, step, and the text the
// status line shows while the mouse is over the field.
struct FieldRule
{
    MessageMode mode;
    int lower;
    int upper;
    double step;
    QStringView help;
};

namespace Rules {

// The game's own fractional steps: decimal constants, deliberately not 20/3
// and 50/3, so the grids come out as the game shows them.
inline constexpr double kBiasStep = 6.6666;
inline constexpr double kFightingStep = 16.6666;

inline constexpr QStringView kHeightHelp = u"Must be between 5 feet and 6 feet 11 inches";

inline constexpr FieldRule kHeightFeet{MessageMode::Every, 5, 6, 1, kHeightHelp};
inline constexpr FieldRule kHeightInches{MessageMode::Every, 0, 11, 1, kHeightHelp};
inline constexpr FieldRule kGoalieWeight{MessageMode::Every, 155, 239, 1, u"Must be between 155 and 239 pounds"};
inline constexpr FieldRule kSkaterWeight{MessageMode::Every, 160, 254, 1, u"Must be between 160 and 254 pounds"};
inline constexpr FieldRule kGoalieRating{MessageMode::Every, 25, 100, 5,
                                         u"Must be between 25 and 100 and a multiple of 5"};
inline constexpr FieldRule kSkaterRating{MessageMode::Every, 40, 100, 4,
                                         u"Must be between 40 and 100 and a multiple of 4"};
// Limits only: the game's bias and fighting grids are too coarse to bother the
// user about the step; only the limits are reported.
inline constexpr FieldRule kBias{MessageMode::Limits, 0, 100, kBiasStep, u"Must be between 0 and 100"};
inline constexpr FieldRule kFighting{MessageMode::Limits, 0, 100, kFightingStep, u"Must be between 0 and 100"};

} // namespace Rules

enum class FieldId {
    HeightFeet,
    HeightInches,
    Weight,
    Speed,
    Agility,
    OffAwareness,
    DefAwareness,
    StickHandling,
    Aggressiveness,
    ShootPassBias,
    Endurance,
    ShotPower,
    Checking,
    Passing,
    Accuracy,
    FaceOffs,
    Fighting,
    StickLeft,
    StickRight,
    GloveLeft,
    GloveRight,
    PuckControl,
};

// What a field is for one kind of player (goalie or skater).
struct FieldKind
{
    const FieldRule *rule; // none: the field is not his
    int byte;              // in his attribute record; -1 for height and weight
    int templateIndex;     // in his rating template
    int templateDefault;   // the template's value when the settings file has none

    // Whether the field is his. Asked in constant expressions, which may not
    // compare addresses in every build (the sanitizers').
    constexpr bool applies() const { return templateIndex >= 0; }
};

struct PlayerField
{
    FieldId id;
    QLatin1String column;      // in an exported roster
    const char *caption;       // the editor's label ("" for the inches box)
    QStringView templateLabel; // the template window's label
    RatingGroup group;         // the rating box's group and ...
    int box;                   // ... index in it; -1 for height and weight
    Scale skaterScale;         // a goalie's ratings are all on the goalie scale
    FieldKind goalie;
    FieldKind skater;

    constexpr bool isRating() const { return box >= 0; }
    constexpr const FieldKind &of(bool isGoalie) const { return isGoalie ? goalie : skater; }
    constexpr Scale scale(bool isGoalie) const { return isGoalie ? Scale::Goalie : skaterScale; }
};

namespace FieldTableRows {

using G = RatingGroup;
using S = Scale;
namespace R = Rules;
inline constexpr FieldKind kNone{nullptr, -1, -1, 0};

constexpr FieldKind goalieRating(int byte, int templateIndex)
{
    return {&R::kGoalieRating, byte, templateIndex, 25};
}
constexpr FieldKind skaterRating(int byte, int templateIndex)
{
    return {&R::kSkaterRating, byte, templateIndex, 40};
}
// The bias and fighting ratings: their own rules, and 0 in the template.
constexpr FieldKind coarseRating(const FieldRule *rule, int byte, int templateIndex)
{
    return {rule, byte, templateIndex, 0};
}

} // namespace FieldTableRows

// In the order of the template windows and of an exported roster's columns.
inline constexpr std::array<PlayerField, 22> kPlayerFields = [] {
    using namespace FieldTableRows;
    using I = FieldId;
    return std::array<PlayerField, 22>{{
        {I::HeightFeet,
         QLatin1String("height_ft"),
         "Height:",
         u"Height:",
         G::AllPlayers,
         -1,
         S::Skater,
         {&R::kHeightFeet, -1, 0, 5},
         {&R::kHeightFeet, -1, 0, 5}},
        {I::HeightInches,
         QLatin1String("height_in"),
         "",
         u"",
         G::AllPlayers,
         -1,
         S::Skater,
         {&R::kHeightInches, -1, 1, 0},
         {&R::kHeightInches, -1, 1, 0}},
        // The goalie weight defaults to 160 like the skater's, inside the goalie limits.
        {I::Weight,
         QLatin1String("weight"),
         "Weight:",
         u"Weight:",
         G::AllPlayers,
         -1,
         S::Skater,
         {&R::kGoalieWeight, -1, 2, 160},
         {&R::kSkaterWeight, -1, 2, 160}},
        {I::Speed, QLatin1String("speed"), "Speed:", u"Speed:", G::AllPlayers, 0, S::Skater,
         goalieRating(6, 3), skaterRating(1, 3)},
        {I::Agility, QLatin1String("agility"), "Agility:", u"Agility:", G::AllPlayers, 1, S::Skater,
         goalieRating(7, 4), skaterRating(2, 4)},
        {I::OffAwareness, QLatin1String("off_awareness"), "Offensive Awareness:",
         u"Off. Awareness:", G::AllPlayers, 2, S::Skater, goalieRating(10, 5), skaterRating(10, 5)},
        {I::DefAwareness, QLatin1String("def_awareness"), "Defensive Awareness:",
         u"Def. Awareness:", G::AllPlayers, 3, S::Skater, goalieRating(11, 6), skaterRating(11, 6)},
        {I::StickHandling, QLatin1String("stick_handling"), "Stick Handling:", u"Stick Handling:",
         G::FwdDef, 0, S::Skater, kNone, skaterRating(6, 7)},
        {I::Aggressiveness, QLatin1String("aggressiveness"), "Aggressiveness:", u"Aggressiveness:",
         G::FwdDef, 1, S::Skater, kNone, skaterRating(12, 8)},
        {I::ShootPassBias, QLatin1String("shoot_pass_bias"), "Shoot / Pass Bias:",
         u"Shoot / Pass Bias:", G::FwdDef, 2, S::Bias, kNone, coarseRating(&R::kBias, 14, 9)},
        {I::Endurance, QLatin1String("endurance"), "Endurance:", u"Endurance:", G::FwdDef, 3,
         S::Skater, kNone, skaterRating(13, 10)},
        {I::ShotPower, QLatin1String("shot_power"), "Shot Power:", u"Shot Power:", G::FwdDef, 4,
         S::Skater, kNone, skaterRating(4, 11)},
        {I::Checking, QLatin1String("checking"), "Checking:", u"Checking:", G::FwdDef, 5, S::Skater,
         kNone, skaterRating(5, 12)},
        {I::Passing, QLatin1String("passing"), "Passing:", u"Passing:", G::FwdDef, 6, S::Skater,
         kNone, skaterRating(9, 13)},
        {I::Accuracy, QLatin1String("accuracy"), "Accuracy:", u"Accuracy:", G::FwdDef, 7, S::Skater,
         kNone, skaterRating(7, 14)},
        {I::FaceOffs, QLatin1String("face_offs"), "Face-Offs:", u"Face-Offs:", G::FwdDef, 8,
         S::Skater, kNone, skaterRating(19, 15)},
        {I::Fighting, QLatin1String("fighting"), "Fighting:", u"Fighting:", G::FwdDef, 9,
         S::Fighting, kNone, coarseRating(&R::kFighting, 20, 16)},
        {I::StickLeft, QLatin1String("stick_left"), "Stick Left:", u"Stick Left:", G::Goalies, 0,
         S::Goalie, goalieRating(3, 7), kNone},
        {I::StickRight, QLatin1String("stick_right"), "Stick Right:", u"Stick Right:", G::Goalies,
         1, S::Goalie, goalieRating(4, 8), kNone},
        {I::GloveLeft, QLatin1String("glove_left"), "Glove Left:", u"Glove Left:", G::Goalies, 2,
         S::Goalie, goalieRating(2, 9), kNone},
        {I::GloveRight, QLatin1String("glove_right"), "Glove Right:", u"Glove Right:", G::Goalies,
         3, S::Goalie, goalieRating(1, 10), kNone},
        {I::PuckControl, QLatin1String("puck_control"), "Puck Control:", u"Puck Control:",
         G::Goalies, 4, S::Goalie, goalieRating(16, 11), kNone},
    }};
}();

constexpr bool inIdOrder()
{
    for (std::size_t i = 0; i < kPlayerFields.size(); ++i) {
        if (std::size_t(kPlayerFields[i].id) != i)
            return false;
    }
    return true;
}
static_assert(inIdOrder(), "kPlayerFields is looked up by FieldId");

constexpr const PlayerField &playerField(FieldId id)
{
    return kPlayerFields[std::size_t(id)];
}

// The field of a rating box; none for a box the group does not have.
constexpr const PlayerField *ratingField(RatingGroup group, int box)
{
    for (const PlayerField &field : kPlayerFields) {
        if (field.isRating() && field.group == group && field.box == box)
            return &field;
    }
    return nullptr;
}

// The rule a field's box follows while a player of that kind is shown. A
// box of one kind's own group keeps that kind's rule whoever is shown.
constexpr const FieldRule &ruleFor(const PlayerField &field, bool goalie)
{
    const FieldRule *rule = field.of(goalie).rule;
    return rule ? *rule : *field.of(!goalie).rule;
}

// The number of fields of a kind's rating template.
constexpr int templateFieldCount(bool goalie)
{
    int count = 0;
    for (const PlayerField &field : kPlayerFields)
        count += field.of(goalie).applies();
    return count;
}

// The field at a place of a kind's rating template.
constexpr const PlayerField &templateField(bool goalie, int index)
{
    for (const PlayerField &field : kPlayerFields) {
        if (field.of(goalie).templateIndex == index)
            return field;
    }
    return kPlayerFields.front();
}

// The number of boxes of a rating group.
constexpr int boxCount(RatingGroup group)
{
    int count = 0;
    for (const PlayerField &field : kPlayerFields)
        count += field.isRating() && field.group == group;
    return count;
}

} // namespace Puckdex
