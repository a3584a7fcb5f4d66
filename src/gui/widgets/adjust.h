#pragma once

#include "player/valuerules.h"

class QWidget;

namespace Puckdex {

// Moves value onto the rule's limits and grid, telling the user (a message
// box titled "Puckdex") when it had to move it, as far as the message mode
// allows: 1 every message, 2 the limits only, 3 none.
qint16 AdjustAttribute(QWidget *parent, int mode, double value, const FieldRule &rule);

} // namespace Puckdex
