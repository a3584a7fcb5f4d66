#pragma once

#include "playertable.h"
#include "roster.h"

#include <QList>
#include <QStringList>

namespace Puckdex::Cli {

// What turns one roster into another, player by player, in the values the
// editor shows. Players are matched by the offset of their key record.
struct RosterDiff
{
    // "Aldercombe / Ashard Osanick: speed 44 -> 64", one per changed cell.
    QStringList lines;
    // Per changed player his offset and the new values of the changed cells
    // only: a table that import applies to another roster.
    QList<Row> patch;
    // "offset 9300 (Vicvi Hollisenson)": players of a team in one roster
    // whose record the other's key file does not hold.
    QStringList added;   // in the second only
    QStringList missing; // in the first only
    QStringList warnings;
    // A player's picture unlinked, as the editor does for a renamed one: no
    // cell shows it, import does it when asked.
    bool unlinkedPictures = false;

    bool isEmpty() const { return lines.isEmpty() && added.isEmpty() && missing.isEmpty(); }
};

// Compares the players of two rosters. Rosters with different numbers of
// teams are of different layouts and are not compared.
Result<RosterDiff> diffRosters(const Roster &from, const Roster &to);

} // namespace Puckdex::Cli
