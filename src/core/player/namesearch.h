#pragma once

#include "files/fileerror.h"
#include "files/gamefiles.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace Puckdex {

// A name as a search compares it: letters without their accents ("Ö" as
// "o", "ß" as "ss", "Ø" as "o"), in lower case, blanks, hyphens and
// apostrophes left out. "Jean-Luc" and "jean luc" fold alike.
QString foldedName(QStringView name);

// A player whose name holds what was looked for.
struct NameMatch
{
    int team = 0;
    qint64 offset = 0;
    QString firstName;
    QString lastName;
};

// The players of the teams (numbers below teamCount) whose first name,
// last name or both ("First Last") hold the text looked for, folded; in the
// key file's order. Nothing for a text that folds to nothing.
Result<QList<NameMatch>> findPlayers(const QString &keyFile, int teamCount, QStringView text);

} // namespace Puckdex
