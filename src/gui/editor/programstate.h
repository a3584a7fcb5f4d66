#pragma once

#include "dialogs/pictureprompt.h"
#include "files/fileset.h"

#include <QString>

namespace Puckdex {

// What the windows of one run share: where the game's files are, which file
// set is edited, and the flags that tie the windows' handlers together. One
// instance lives for the whole run; the windows hold a reference to it.
struct ProgramState
{
    // The version suffix the About window shows after the program's name.
    QString VersionText;

    // The game's data folder, as the settings file and the folder list give
    // it (native separators).
    QString GamePath;
    // The roster edited in it: the base rosters, or the saved game chosen.
    FileSet files;

    bool BackupsWanted = false;
    // The folder window has recorded the user's backups choice in this run.
    bool backupsChosen = false;
    // Whether a renamed player's picture is asked about, unlinked or kept.
    PictureChoice pictures = PictureChoice::AlwaysAsk;

    // The files of the set being edited, as spelled on disk.
    QString teamFilePath() const { return files.teamFile; }
    QString keyFilePath() const { return files.keyFile; }
    QString attFilePath() const { return files.attFile; }
};

} // namespace Puckdex
