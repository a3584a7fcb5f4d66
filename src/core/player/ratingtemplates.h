#pragma once

#include "player/fieldtable.h"

#include <QString>
#include <QStringView>

// The two rating templates (a skater's, a goalie's) as the settings file
// keeps them and the template window shows them: one text per field of the
// kind's template, a number on the field's rule or "*" for a field that
// leaves the player's value alone.
namespace Puckdex::RatingTemplates {

// The text of a field left alone, and the number the settings file holds
// for it.
inline constexpr QStringView kUnchanged = u"*";
inline constexpr int kStoredUnchanged = 999;

// Whether a template text leaves the player's value alone. "7*" or "*5" is
// as clear a "leave it alone" as a lone "*".
bool leavesAlone(QStringView text);

// A value of the settings file as its box shows it: "*" for 999, otherwise
// the value put onto the field's rule without a word (a hand-edited file is
// mended, not complained about at every opening).
QString shownText(int stored, const FieldRule &rule);

// A box's text as the settings file stores it.
QString storedText(const QString &shown);

} // namespace Puckdex::RatingTemplates
