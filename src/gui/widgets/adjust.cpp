#include "widgets/adjust.h"

#include "widgets/messagebox.h"

namespace Puckdex {

qint16 AdjustAttribute(QWidget *parent, int mode, double value, const FieldRule &rule)
{
    const AttributeAdjustment adjusted = adjustAttribute(value, rule.upper, rule.lower, rule.step);
    if (adjusted.reason != AdjustReason::None && adjustMessageAllowed(mode, adjusted.reason)) {
        MessageBox::show(parent, adjustMessageText(adjusted.reason, adjusted.messageNumber),
                         MessageStyle::Warning);
    }
    return adjusted.value;
}

} // namespace Puckdex
