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
    // One line each: the file, the player or team, what is wrong; and the
    // kind of each, the line said of several findings of one kind ("%n"
    // standing for how many). A finding without a kind of its own is one
    // only with the findings that read the same.
    QStringList findings;
    QStringList kinds;
    QStringList notes; // worth knowing, not wrong

    void add(const QString &finding, const QString &kind = {})
    {
        findings.append(finding);
        kinds.append(kind.isEmpty() ? finding : kind);
    }

    // The findings as lines: each kind once, where it first stands, with
    // how many share it; or, verbose, every finding.
    QStringList lines(bool verbose) const;
};

// Everything about the roster that the editor or the game would stumble
// over. Fails only when a file cannot be read.
Result<CheckReport> checkRoster(const Roster &roster, const CheckOptions &options);

} // namespace Puckdex::Cli
