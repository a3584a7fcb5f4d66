#include "widgets/adjust.h"

#include "widgets/messagebox.h"

#include "player/playeredit.h"

namespace Puckdex {

qint16 AdjustAttribute(QWidget *parent, int mode, double value, const FieldRule &rule)
{
    const PlayerEdit::CheckedNumber checked = PlayerEdit::checkValue(value, rule, mode);
    if (!checked.message.isEmpty())
        MessageBox::show(parent, checked.message, MessageStyle::Warning);
    return qint16(checked.value);
}

} // namespace Puckdex
