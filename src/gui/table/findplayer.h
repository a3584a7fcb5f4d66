#pragma once

#include "files/fileset.h"
#include "player/namesearch.h"

#include <optional>

class QWidget;

namespace Puckdex {

// The next player whose name holds a text, after the one at a place, across
// every team: the teams in the order of the team list (by city), each
// team's players in the order of the player list (by name), round to the
// first again. The editor's Find and the table's use it.
class FindPlayer
{
public:
    explicit FindPlayer(const FileSet &files);

    // The first match after the player from (his team, offset and names),
    // or the first of all when there is none after him or no player is
    // given; none when no player's name holds text. A roster that cannot be
    // read is said to the user (parent).
    std::optional<NameMatch> next(const QString &text, const std::optional<NameMatch> &from,
                                  QWidget *parent);

    // The status line's words for a text no name holds.
    static QString nothingFound(const QString &text);

private:
    FileSet m_files;
    QList<TeamRecord> m_teams;
};

} // namespace Puckdex
