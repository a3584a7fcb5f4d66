#pragma once

#include <QFont>
#include <QIcon>

class QApplication;

namespace Puckdex {

// The dialog text of every window: small and narrow enough that each caption
// fits the box the windows' designs give it.
QFont programFont();

// The red shield every window carries and the About window shows.
QIcon programIcon();

// Makes programFont() the application's font and programIcon() its window
// icon, and draws frames with their title on the border; call it before any
// window is built.
void applyProgramLook(QApplication &app);

} // namespace Puckdex
