#pragma once

#include "player/playeredit.h"
#include "player/valuerules.h"

class QWidget;

namespace Puckdex {

// Moves value onto the rule's limits and grid (PlayerEdit::checkValue()),
// showing the message the rule owes in a message box titled "Puckdex".
qint16 AdjustAttribute(QWidget *parent, MessageMode mode, double value, const FieldRule &rule);

// The message of a number checked already, when it has one.
void showAdjustment(QWidget *parent, const PlayerEdit::CheckedNumber &checked);

} // namespace Puckdex
