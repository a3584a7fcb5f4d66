#pragma once

#include "files/records.h"
#include "samplerng.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The invented people of the sample rosters: teams, players with their
// attribute records, and the descriptions of saved games. Every name is put
// together from made-up pieces.
namespace Puckdex::Sample {

// One player before he has a place in the files.
struct Draft
{
    PlayerRecord record;
    QString firstName;
    QString lastName;
    QByteArray attribs; // 17 bytes for a goalie, 21 for anyone else
};

// The league's teams in file order, which is not the alphabetical one, each
// with an abbreviation of its own.
QList<TeamRecord> makeTeams(Rng &rng);

// A team's players, in the order its block of the key file lists them;
// extra more skaters than a team usually has (up to 100 in all, one for
// each jersey number).
QList<Draft> makeTeamPlayers(Rng &rng, int team, int extra = 0);

// A player of no team.
Draft makeFreeAgent(Rng &rng);

// A record that looks like a player of one of the teams, for the bytes
// between the key file's regions.
Draft makeLookAlike(Rng &rng);

// Descriptions in an order no sort keeps: the first two start with different
// capitals, the larger first.
QStringList descriptionsFor(Rng &rng, qsizetype count);

} // namespace Puckdex::Sample
