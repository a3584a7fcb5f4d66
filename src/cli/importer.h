#pragma once

#include "playertable.h"
#include "roster.h"

#include <QTextStream>

namespace Puckdex::Cli {

struct ImportOptions
{
    bool dryRun = false;
    bool backups = true;
    bool unlinkRenamedPictures = false;
    // Blanks at the ends of a name cell are written into the name rather
    // than dropped with a warning.
    bool keepBlanks = false;
    // The imported file's name, for the journal: "import of roster.csv".
    QString source;
    // The rows name their players (team, names, jersey) instead of giving
    // their offsets: each is matched to one player first (NameMatcher), and
    // the cells that named him change nothing.
    bool byName = false;
};

// How an import ended, as the exit status says it.
enum ImportStatus {
    AllApplied = 0,
    SomeRefused = 1,
    NothingDone = 2, // or stopped by a failed write: what was written is listed
};

// Changes the roster's players as the rows say, through the editor's rules:
// a cell equal to what the editor shows changes nothing; a changed number is
// moved onto its field's limits and grid (the editor's message printed as a
// warning); a row that breaks an identity rule is refused whole. Every row is
// judged before anything is written, later rows seeing the earlier ones
// applied. Then the backups are made (when wanted and something changes) and
// the changed players are written as one write, by the editor's own write
// routine: all of them, or (when a write fails) none.
// Changed players go to out, warnings, refusals and failures to err.
ImportStatus importRows(const Roster &roster, const QList<InputRow> &rows,
                        const ImportOptions &options, QTextStream &out, QTextStream &err);

} // namespace Puckdex::Cli
