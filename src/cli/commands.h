#pragma once

#include "command.h"

// The commands of puckdex-cli, one file each, in the order the overview
// lists them.
namespace Puckdex::Cli {

const Command &teamsCommand();   // teamscommand.cpp
const Command &playersCommand(); // playerscommand.cpp
const Command &exportCommand();  // exportcommand.cpp
const Command &importCommand();  // importcommand.cpp
const Command &checkCommand();   // checkcommand.cpp
const Command &undoCommand();    // undocommand.cpp
const Command &diffCommand();    // diffcommand.cpp
const Command &backupsCommand(); // backupscommand.cpp
const Command &restoreCommand(); // restorecommand.cpp
const Command &sampleCommand();  // samplecommand.cpp

} // namespace Puckdex::Cli
