#pragma once

#include "files/fileerror.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

// Pictures of the program's windows for the documentation, drawn over the
// sample roster. Every function needs a QApplication with the program's
// look applied (applyProgramLook). While one runs, a message box of the
// program counts as a failure: it is answered at once and its text becomes
// the error, so a run without a display can never wait on one.
namespace Puckdex::Render {

inline const QString MainWindowFile = QStringLiteral("main-window.png");
inline const QString MainWindowGoalieFile = QStringLiteral("main-window-goalie.png");
inline const QString GameFolderFile = QStringLiteral("game-folder.png");
inline const QString SavedGameFile = QStringLiteral("saved-game.png");
inline const QString AboutFile = QStringLiteral("about.png");
inline const QString TemplateWindowFile = QStringLiteral("template-window.png");
inline const QString PicturePromptFile = QStringLiteral("picture-prompt.png");
inline const QString RosterTableFile = QStringLiteral("roster-table.png");

// The files renderAll() writes, in the order it writes them.
QStringList fileNames();

// The name of the game folder renderAll() makes inside its temporary folder.
inline const QString GameFolderName = QStringLiteral("NHL96");

// The sample's base rosters and its saved games (with their index) in
// folder, which is made when missing.
Status writeSample(const QString &folder);

enum class Shown { Skater, Goalie };

// The main window on the base rosters in gameFolder, the first team of its
// list chosen and that team's first skater or goalie shown.
Result<QImage> mainWindow(const QString &gameFolder, Shown shown);

// The game-folder window opened on gameFolder.
Result<QImage> gameFolderWindow(const QString &gameFolder);

// The saved-game window listing the games of the index in gameFolder, the
// first entry selected.
Result<QImage> savedGameWindow(const QString &gameFolder);

// The About window as the main window opens it.
Result<QImage> aboutWindow();

// The template window over a settings file in folder that holds a skater
// template with a few fields set and one left alone ("*"); the file is
// written there first.
Result<QImage> templateWindow(const QString &folder);

// The picture question as it comes up after the first skater of the sample
// roster has been renamed.
Result<QImage> picturePrompt();

// Writes the sample into a temporary folder and every picture as PNG into
// outDir (made when missing). written hears each file's path once it is
// saved. Stops at the first failure.
Status renderAll(const QString &outDir, const std::function<void(const QString &)> &written = {});

} // namespace Puckdex::Render
