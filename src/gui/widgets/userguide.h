#pragma once

#include <QString>

class QApplication;
class QWidget;

namespace Puckdex {

// The user guide, a page installed with the program: beside the programs
// on Windows, in the shared documentation folder on Linux (and in the build
// tree, laid out the same way). Empty when neither place holds it.
QString userGuidePath();

// Opens the guide in the system's browser, or says why it cannot.
void openUserGuide(QWidget *parent);

// F1 in any of the program's windows, modal ones among them, opens the guide.
void installHelpKey(QApplication &app);

} // namespace Puckdex
