#pragma once

#include "roster.h"

#include <QStringList>
#include <QTextStream>

namespace Puckdex::Cli {

struct CheckOptions
{
    // Players whose team number matches no team are free agents in a sound
    // roster; only a strict check counts each of them as a finding.
    bool strict = false;
};

struct CheckReport
{
    QStringList findings; // one line each: the file, the player or team, what is wrong
    QStringList notes;    // worth knowing, not wrong
};

// Everything about the roster that the editor or the game would stumble
// over. Fails only when a file cannot be read.
Result<CheckReport> checkRoster(const Roster &roster, const CheckOptions &options);

} // namespace Puckdex::Cli
