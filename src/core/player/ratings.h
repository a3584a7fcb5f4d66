#pragma once

#include "player/fieldtable.h"

#include <array>
#include <span>

// The rating fields of the field table in the shapes the records and the
// editor's box groups use.
namespace Puckdex {

// Where one rating lives in an attribute record and where the editor shows it.
struct RatingField
{
    int byte;          // inside GoalieAttribRecord or SkaterAttribRecord
    RatingGroup group; // the editor's box group ...
    int box;           // ... and the box inside it
    Scale scale;
};

namespace RatingTables {

constexpr int ratingCount(bool goalie)
{
    int count = 0;
    for (const PlayerField &field : kPlayerFields)
        count += field.isRating() && field.of(goalie).applies();
    return count;
}

// A skater's in box order. A goalie's own five come first, by byte, then the
// four all players have: the order the sample writer draws them in, which the
// sample rosters depend on.
template <bool Goalie> constexpr std::array<RatingField, ratingCount(Goalie)> ratingFields()
{
    std::array<RatingField, ratingCount(Goalie)> result{};
    std::size_t n = 0;
    const auto add = [&](const PlayerField &field) {
        result[n++] = {field.of(Goalie).byte, field.group, field.box, field.scale(Goalie)};
    };
    if constexpr (Goalie) {
        for (int byte = 0; byte < 32; ++byte) {
            for (const PlayerField &field : kPlayerFields) {
                if (field.group == RatingGroup::Goalies && field.goalie.byte == byte)
                    add(field);
            }
        }
    }
    for (const PlayerField &field : kPlayerFields) {
        if (field.isRating() && field.of(Goalie).applies() &&
            !(Goalie && field.group == RatingGroup::Goalies))
            add(field);
    }
    return result;
}

template <RatingGroup Group> constexpr std::array<const char *, boxCount(Group)> captions()
{
    std::array<const char *, boxCount(Group)> result{};
    for (const PlayerField &field : kPlayerFields) {
        if (field.isRating() && field.group == Group)
            result[std::size_t(field.box)] = field.caption;
    }
    return result;
}

} // namespace RatingTables

inline constexpr auto kGoalieRatingFields = RatingTables::ratingFields<true>();
inline constexpr auto kSkaterRatingFields = RatingTables::ratingFields<false>();

// The rating fields of a goalie's or a skater's attribute record.
constexpr std::span<const RatingField> ratingFieldsOf(bool goalie)
{
    return goalie ? std::span<const RatingField>(kGoalieRatingFields)
                  : std::span<const RatingField>(kSkaterRatingFields);
}

// The captions of the boxes of each group, in box order.
inline constexpr auto kAllPlayersCaptions = RatingTables::captions<RatingGroup::AllPlayers>();
inline constexpr auto kFwdDefCaptions = RatingTables::captions<RatingGroup::FwdDef>();
inline constexpr auto kGoaliesCaptions = RatingTables::captions<RatingGroup::Goalies>();

} // namespace Puckdex
