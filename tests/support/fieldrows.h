#pragma once

// Rows of a data-driven test, one per field of the field table and kind of
// player the field is for.

#include "player/fieldtable.h"

#include <QTest>

Q_DECLARE_METATYPE(const Puckdex::PlayerField *)

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
