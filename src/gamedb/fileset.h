#pragma once

#include <QString>

namespace Puckdex {

// Which of the game's file sets a folder holds.
enum class FileSetKind {
    None,        // neither complete: the folder is refused
    BaseRosters, // teams.db, key.db, att.db
    SavedGame,   // files matching *tem.db, *key.db, *att.db and an *.ndx index
};

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

// The base rosters when all three base files exist, otherwise a saved game
// when each of its four patterns matches, otherwise none.
FileSetKind detect(const QString &folder);

} // namespace GameFolder

// The file names of each set, without prefix.
namespace FileNames {
inline const QString BaseTeams = QStringLiteral("teams.db");
inline const QString SavedTeams = QStringLiteral("tem.db");
inline const QString Key = QStringLiteral("key.db");
inline const QString Att = QStringLiteral("att.db");
inline const QString IndexPattern = QStringLiteral("*.ndx");
} // namespace FileNames

// The prefix of a saved game's files: "0" and the game's number (game 3 gives
// "03", game 12 "012"), cut to five characters.
QString savedGamePrefix(int gameNumber);

// The backup name of a game file: its last two characters ("db") replaced by
// "bak", in the case of the ending it replaces (TEAMS.DB gives TEAMS.BAK).
QString backupName(const QString &fileName);

} // namespace Puckdex
