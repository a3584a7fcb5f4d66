#pragma once

#include "files/gamefiles.h"

#include <QList>
#include <QSet>
#include <QString>

namespace Puckdex {

// The numbers a team's players wear, each with the player's name: what the
// jersey rules need of a team, kept up to date as its players are edited.
class TeamJerseys
{
public:
    struct Wearer
    {
        qint64 offset = -1; // his key record's
        int number = 0;
        QString firstName;
        QString lastName;
    };

    TeamJerseys() = default;
    // The team's players as its key records have them.
    explicit TeamJerseys(const QList<PlayerEntry> &team);

    // The teammate of the player at offset who wears number; none when no
    // one does.
    const Wearer *wearer(int number, qint64 offset) const;
    // The numbers the teammates of the player at offset wear (everyone's for
    // an offset of no player).
    QSet<int> takenBesides(qint64 offset) const;
    // The number a player wears from now on.
    void setNumber(qint64 offset, int number);
    // A player as his key record now has him: number and names.
    void update(qint64 offset, const PlayerRecord &player);

private:
    QList<Wearer> m_wearers;
};

// What the editor says of a number a teammate wears: "Number 12 is worn by
// First Last."
QString wornNumberText(int number, const TeamJerseys::Wearer &mate);

} // namespace Puckdex
