#pragma once

#include "files/gamefiles.h"

#include <QList>

#include <optional>

// The first goalie (or skater) of a team's players, after skipping that
// many of his kind; none when there are not so many.
std::optional<Puckdex::PlayerEntry> firstOf(const QList<Puckdex::PlayerEntry> &players, bool goalie,
                                            int skip = 0);
