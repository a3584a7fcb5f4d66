#include "player/ratingtemplates.h"

#include "player/playeredit.h"

namespace Puckdex::RatingTemplates {

bool leavesAlone(QStringView text)
{
    return text.contains(kUnchanged);
}

QString shownText(int stored, const FieldRule &rule)
{
    if (stored == kStoredUnchanged)
        return kUnchanged.toString();
    return QString::number(PlayerEdit::checkValue(stored, rule, MessageMode::Silent).value);
}

QString storedText(const QString &shown)
{
    return shown == kUnchanged ? QString::number(kStoredUnchanged) : shown;
}

} // namespace Puckdex::RatingTemplates
