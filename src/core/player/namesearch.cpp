#include "player/namesearch.h"

namespace Puckdex {

namespace {

// Letters that no decomposition takes apart into a letter and its accent.
QStringView foldedLetter(QChar c)
{
    switch (c.unicode()) {
    case u'ß':
        return u"ss";
    case u'ø':
    case u'Ø':
        return u"o";
    case u'æ':
    case u'Æ':
        return u"ae";
    case u'œ':
    case u'Œ':
        return u"oe";
    case u'ł':
    case u'Ł':
        return u"l";
    case u'đ':
    case u'Đ':
    case u'ð':
    case u'Ð':
        return u"d";
    case u'þ':
    case u'Þ':
        return u"th";
    case u'ı':
        return u"i";
    default:
        return {};
    }
}

} // namespace

QString foldedName(QStringView name)
{
    const QString decomposed = name.toString().normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.isMark() || c.isSpace() || c == u'-' || c == u'\'' || c == u'\u2019' ||
            c == u'.')
            continue;
        if (const QStringView letters = foldedLetter(c); !letters.isEmpty())
            folded += letters;
        else
            folded += c.toLower();
    }
    return folded;
}

Result<QList<NameMatch>> findPlayers(const QString &keyFile, int teamCount, QStringView text)
{
    const QString wanted = foldedName(text);
    if (wanted.isEmpty())
        return QList<NameMatch>();
    const Result<QList<PlayerEntry>> players = GameFiles::scanAllPlayers(keyFile);
    if (!players)
        return players.error();
    QList<NameMatch> matches;
    for (const PlayerEntry &player : *players) {
        const int team = player.record.teamNumber();
        if (team < 0 || team >= teamCount)
            continue;
        const QString first = player.record.firstName();
        const QString last = player.record.lastName();
        if (foldedName(QString(first + last)).contains(wanted))
            matches.append({team, player.offset, first, last});
    }
    return matches;
}

} // namespace Puckdex
