#pragma once

#include "files/fileerror.h"
#include "files/fileset.h"
#include "files/gamefiles.h"
#include "files/records.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace Puckdex::Cli {

// A roster as the file layer reads it.
struct Roster
{
    FileSet files;
    QList<TeamRecord> teams;
    QList<PlayerEntry> players; // every record of both regions, in file order

    bool isTeam(int teamNumber) const { return teamNumber >= 0 && teamNumber < teams.size(); }
    // The players that belong to a team, in file order.
    QList<PlayerEntry> teamPlayers() const;
    QList<PlayerEntry> playersOf(int teamNumber) const;
};

Result<Roster> loadRoster(const FileSet &files);

// "offset 1200 (Jan Ashberg)", how messages name a player.
QString describePlayer(qint64 offset, const PlayerRecord &player);

// The bare file name of a path, as messages show it.
QString fileNameOf(const QString &path);

// "1 player", "3 players".
QString plural(qsizetype count, const char *one, const char *many);

// "2026-12-07 16:40:12 UTC", how messages give a time.
QString utcText(const QDateTime &time);

} // namespace Puckdex::Cli
