#include "widgets/adjust.h"

#include "widgets/messagebox.h"

#include "player/playeredit.h"

namespace Puckdex {

qint16 AdjustAttribute(QWidget *parent, MessageMode mode, double value, const FieldRule &rule)
{
    const PlayerEdit::CheckedNumber checked = PlayerEdit::checkValue(value, rule, mode);
    showAdjustment(parent, checked);
    return qint16(checked.value);
}

void showAdjustment(QWidget *parent, const PlayerEdit::CheckedNumber &checked)
{
    if (!checked.message.isEmpty())
        MessageBox::show(parent, checked.message, MessageStyle::Warning);
}

} // namespace Puckdex
