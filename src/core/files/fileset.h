#pragma once

#include "files/fileerror.h"
#include "files/records.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Puckdex {

// Which of the game's file sets a folder holds.
enum class FileSetKind {
    None,        // neither complete: the folder is refused
    BaseRosters, // teams.db, key.db, att.db
    SavedGame,   // files matching *tem.db, *key.db, *att.db and an *.ndx index
};

// The file names of each set, without prefix.
namespace FileNames {
inline const QString BaseTeams = QStringLiteral("teams.db");
inline const QString SavedTeams = QStringLiteral("tem.db");
inline const QString Key = QStringLiteral("key.db");
inline const QString Att = QStringLiteral("att.db");
inline const QString IndexPattern = QStringLiteral("*.ndx");
} // namespace FileNames

// The files of one roster in a game folder: the base rosters, or one saved
// game. The paths are spelled as on disk, found without regard to case.
struct FileSet
{
    QString folder;
    FileSetKind kind = FileSetKind::None;
    // A saved game's number; none for the base rosters, and for a folder of
    // saved games whose game is still to be chosen.
    std::optional<int> game;
    QString prefix; // of a saved game's files: "03" for game 3; else empty
    QString teamFile;
    QString keyFile;
    QString attFile;
    // Saved games: the index that lists them. The base rosters as the game
    // folder offers them (GameFolder::check): an index beside them that lists
    // saved games, for the user to choose between them; else empty.
    QString indexFile;

    // The three game files, the team file first.
    QStringList gameFiles() const { return {teamFile, keyFile, attFile}; }
    // Their names as the program asks for them: "teams.db", "key.db",
    // "att.db", or "03tem.db", "03key.db", "03att.db".
    QStringList names() const;
};

// The saved games a folder's index lists.
struct SavedGameIndex
{
    QString file; // the index, as spelled on disk
    QList<SeasonIndexEntry> games;
};

// The prefix of a saved game's files: "0" and the game's number (game 3 gives
// "03", game 12 "012"), cut to five characters.
QString savedGamePrefix(int gameNumber);

// File names in the game folder are matched without regard to case: the game
// ships TEAMS.DB and KEY.DB, and Linux and macOS tell the cases apart.
namespace GameFolder {

// The name of the file in folder whose name equals name in any case (an
// exact match first), or an empty string when there is none.
QString findFile(const QString &folder, const QString &name);

// The first file, in name order, that matches a wildcard pattern such as
// "*.ndx" in any case, or an empty string.
QString findFirstMatch(const QString &folder, const QString &pattern);

// The path to open for name in folder: the existing file of that name in any
// case, or folder/name as given when there is none (so opening it fails
// with a message that names the file).
QString resolve(const QString &folder, const QString &name);

// The first index in the folder ("*.ndx", by name) and the games it lists.
// Fails when there is none or it cannot be read.
Result<SavedGameIndex> savedGames(const QString &folder);

// What the game-folder window accepts: the base rosters, found whole; or,
// failing them, the saved games when each of their patterns matches and the
// index lists at least one (kind SavedGame, the game and its files still to
// be chosen with findFileSet). The base rosters name such an index in
// indexFile when the folder holds both, so the user can be asked which to
// edit. Kind None when the folder holds neither.
FileSet check(const QString &folder);

// What keeps saved game N of folder from being edited: its files that are
// missing ("07att.db missing"), or that a folder stands in place of; empty
// when all three are there.
QString savedGameGaps(const QString &folder, int game);

} // namespace GameFolder

// The base rosters in folder, or the saved game whose index entry carries
// the number game. Fails naming the folder or file and what is missing; a
// folder with saved games only, asked for the base rosters, lists them.
Result<FileSet> findFileSet(const QString &folder, std::optional<int> game = std::nullopt);

// The backup name of a game file: its last two characters ("db") replaced by
// "bak", in the case of the ending it replaces (TEAMS.DB gives TEAMS.BAK).
QString backupName(const QString &fileName);

} // namespace Puckdex
