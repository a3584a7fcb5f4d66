#pragma once

#include "gamedb/fileset.h"

#include <QDir>
#include <QString>

namespace Puckdex {

// What the windows of one run share: where the game's files are, which file
// set is edited, and the flags that tie the windows' handlers together. One
// instance lives for the whole run; the windows hold a reference to it.
struct ProgramState
{
    // The version suffix the About window shows after the program's name.
    QString VersionText;

    // The game's data folder, as the folder list reports it.
    QString GamePath;
    // Empty for the base rosters; "0" and the game's number for a saved game.
    QString FilePrefix;
    // Without prefix: "teams.db" or "tem.db", "key.db", "att.db".
    QString TeamFileName;
    QString KeyFileName;
    QString AttFileName;
    // "NONE" for the base rosters, else the saved-game index's name.
    QString IndexFileName;

    bool BackupsWanted = false;
    // The folder window has recorded the user's backups choice in this run.
    bool BackupsChosen = false;
    bool AlwaysAsk = true;
    bool NeverDelete = false;
    bool AlwaysDelete = false;
    bool DeletePicture = false;

    // The files of the set being edited, found in the game folder whatever
    // the case of their names.
    QString teamFilePath() const { return gameFile(TeamFileName); }
    QString keyFilePath() const { return gameFile(KeyFileName); }
    QString attFilePath() const { return gameFile(AttFileName); }
    QString gameFile(const QString &name) const
    {
        return GameFolder::resolve(GamePath, FilePrefix.trimmed() + name.trimmed());
    }
};

} // namespace Puckdex
