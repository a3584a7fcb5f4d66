#pragma once

#include "player/valuerules.h"

class QWidget;

namespace Puckdex {

// Moves value onto the rule's limits and grid (PlayerEdit::checkValue()),
// showing the message the rule owes in a message box titled "Puckdex".
qint16 AdjustAttribute(QWidget *parent, int mode, double value, const FieldRule &rule);

} // namespace Puckdex
