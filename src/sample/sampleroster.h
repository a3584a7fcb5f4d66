#pragma once

#include "files/fileerror.h"
#include "files/records.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// Invented rosters in the game's file formats, for the tests, the benchmarks
// and for trying the editor without the game. Every team, place and person
// is made up. The same seed always gives the same bytes.
namespace Puckdex::Sample {

inline constexpr int kTeamCount = 26;
inline constexpr quint32 kDefaultSeed = 1996;
// Team numbers of players who belong to no team (the free agents): the
// editor can never reach them, so they must never show up under a team.
inline constexpr int kFirstUnattachedTeam = 26;
inline constexpr int kLastUnattachedTeam = 40;
// Bytes before the first attribute record, so no offset is trivial.
inline constexpr int kAttribHeaderSize = 8;

// The name of the saved-game index that writeSavedGames() makes.
inline const QString IndexFileName = QStringLiteral("games.ndx");

// One player record as it was put into the key file, with the names it was
// given (the record holds them encoded).
struct SamplePlayer
{
    qint64 keyOffset = 0;
    QString firstName;
    QString lastName;
    PlayerRecord record;
};

// The three files of one roster, built in memory.
struct RosterImage
{
    QByteArray teamFile;
    QByteArray keyFile;
    QByteArray attFile;
    QList<TeamRecord> teams;
    // Every record in either region of the key file (the gap between them
    // holds look-alikes only), in file order, free agents included.
    QList<SamplePlayer> players;
};

// The roster that writeBaseRosters(folder, seed, extra) writes.
RosterImage buildRoster(quint32 seed = kDefaultSeed, int extraPerTeam = 0);

// "teams.db", "key.db" and "att.db" in folder, which is made when missing.
// extraPerTeam more skaters in every team make a larger league (the key
// file's first region holds what it can, the rest follows the gap).
Status writeBaseRosters(const QString &folder, quint32 seed = kDefaultSeed,
                        int extraPerTeam = 0);

// The games a saved-game set holds unless told otherwise: 3, 7 and 12 (whose
// prefix "012" has three characters).
QList<int> defaultSavedGames();

// The seed of the roster of one saved game, so every game differs.
quint32 savedGameSeed(quint32 seed, int gameNumber);

// A saved-game index (IndexFileName) listing gameNumbers in that order, and
// for each game its prefixed tem.db, key.db and att.db (the roster of
// savedGameSeed(seed, number)). A game number must fit the index's four
// characters (0 to 9999).
Status writeSavedGames(const QString &folder, const QList<int> &gameNumbers = defaultSavedGames(),
                       quint32 seed = kDefaultSeed);

// A key file of recordCount player records alone (no team or attribute file),
// for measuring scans of large files: up to 758 records in the first region,
// then the gap, then the rest. The attribute offsets point nowhere useful.
Status writeKeyFile(const QString &path, qint64 recordCount, quint32 seed = kDefaultSeed);

// The file size writeKeyFile() gives for recordCount records.
qint64 keyFileSize(qint64 recordCount);

// A sheet that changes every player of a roster's export (puckdex-cli
// export, CSV): each one's weight and first rating, to values both kinds
// of player take. For the tests and benchmarks of a whole league's import.
QByteArray sheetChangingEveryone(const QByteArray &exported);

} // namespace Puckdex::Sample
