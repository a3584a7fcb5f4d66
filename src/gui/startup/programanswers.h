#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace Puckdex {

// What the window program answers on the terminal, before any window and
// without a display: its help for --help (or -h) and its version for
// --version (or -v), each with a line end; none for any other line, which
// opens the windows (Qt's own options included).
std::optional<QString> answerWithoutWindow(const QStringList &arguments);

} // namespace Puckdex
