#include "players.h"

std::optional<Puckdex::PlayerEntry> firstOf(const QList<Puckdex::PlayerEntry> &players, bool goalie,
                                            int skip)
{
    for (const Puckdex::PlayerEntry &p : players) {
        if (p.record.isGoalie() == goalie && skip-- == 0)
            return p;
    }
    return std::nullopt;
}
