#pragma once

class QApplication;

namespace Puckdex {

// For the start-up benchmark (bench/run.sh) only, and built into the program
// only in the benchmark build: PUCKDEX_QUIT_AFTER_PAINT "folder" ends the
// run, through the folder window's own exit question, once that window has
// been painted; "main" has the folder window take its stored folder with OK
// once painted and ends once the main window has been painted. Unset,
// nothing is installed.
void installQuitAfterPaint(QApplication &app);

} // namespace Puckdex
