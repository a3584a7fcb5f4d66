#pragma once

// Rows of a data-driven test, one per field of the field table and kind of
// player the field is for.

#include "player/fieldtable.h"

#include <QTest>

Q_DECLARE_METATYPE(const Puckdex::PlayerField *)

// A rating box's rule by group and index. The all-player boxes follow the
// player (goalie or not); the other groups ignore `goalie`. A box the group
// does not have is checked like the group's first.
inline const Puckdex::FieldRule &ratingRule(Puckdex::RatingGroup group, int box, bool goalie)
{
    const Puckdex::PlayerField *field = Puckdex::ratingField(group, box);
    if (!field)
        field = Puckdex::ratingField(group, 0);
    return Puckdex::ruleFor(*field, goalie);
}

inline void addFieldRows()
{
    QTest::addColumn<const Puckdex::PlayerField *>("field");
    QTest::addColumn<bool>("goalie");
    for (const Puckdex::PlayerField &field : Puckdex::kPlayerFields) {
        for (const bool goalie : {true, false}) {
            if (field.of(goalie).rule) {
                QTest::addRow("%s, %s", field.column.data(), goalie ? "goalie" : "skater")
                    << &field << goalie;
            }
        }
    }
}
