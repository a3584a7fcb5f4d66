#include "namematcher.h"

#include "player/namesearch.h"

#include <QStringList>

namespace Puckdex::Cli {

namespace {

bool given(const std::optional<QString> &cell)
{
    return cell && !cell->trimmed().isEmpty();
}

// "A", "A or B", "A, B or C".
QString either(const QStringList &names)
{
    if (names.size() < 2)
        return names.join(QString());
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") +
           names.last();
}

} // namespace

NameMatcher::NameMatcher(QList<MatchTeam> teams, QList<MatchPlayer> players)
    : m_teams(std::move(teams)), m_players(std::move(players))
{
}

std::optional<int> NameMatcher::teamOf(const QString &typed) const
{
    const QString text = typed.trimmed();
    bool number = false;
    const int n = text.toInt(&number);
    if (number) {
        for (const MatchTeam &team : m_teams) {
            if (team.number == n)
                return n;
        }
        return std::nullopt;
    }
    const QString folded = foldedName(text);
    for (const MatchTeam &team : m_teams) {
        for (const QString &name : {team.abbrev, team.city, team.name, team.city + team.name}) {
            if (!name.trimmed().isEmpty() && foldedName(name) == folded)
                return team.number;
        }
    }
    return std::nullopt;
}

QString NameMatcher::teamAbbrev(int number) const
{
    for (const MatchTeam &team : m_teams) {
        if (team.number == number)
            return team.abbrev.trimmed();
    }
    return QString::number(number);
}

QString NameMatcher::candidate(const MatchPlayer &player, bool withTeam) const
{
    const QString name = player.firstName + QLatin1Char(' ') + player.lastName;
    return withTeam ? QStringLiteral("%1 (%2, %3)").arg(name, teamAbbrev(player.team)).arg(player.jersey)
                    : QStringLiteral("%1 (%2)").arg(name).arg(player.jersey);
}

QString NameMatcher::asNamed(const RowName &row)
{
    QString name;
    if (given(row.fullName))
        name = row.fullName->trimmed();
    else if (given(row.firstName))
        name = row.firstName->trimmed() + QLatin1Char(' ') + row.lastName->trimmed();
    else
        name = row.lastName->trimmed();
    if (given(row.jersey))
        name += QStringLiteral(" (%1)").arg(row.jersey->trimmed());
    return QLatin1Char('\'') + name + QLatin1Char('\'');
}

NameMatcher::Found NameMatcher::find(const RowName &row) const
{
    std::optional<int> team;
    if (given(row.team)) {
        team = teamOf(*row.team);
        if (!team) {
            return {std::nullopt, QStringLiteral("team '%1' is none of the roster's teams "
                                                 "(\"puckdex-cli teams\" lists them)")
                                      .arg(row.team->trimmed())};
        }
    }
    if (!given(row.lastName) && !given(row.fullName))
        return {std::nullopt, QStringLiteral("the row names no player: a last name is needed")};
    std::optional<int> jersey;
    if (given(row.jersey)) {
        bool whole = false;
        jersey = row.jersey->trimmed().toInt(&whole);
        if (!whole)
            return {std::nullopt,
                    QStringLiteral("jersey '%1' is not a whole number").arg(row.jersey->trimmed())};
    }

    // The names as the row gives them, folded.
    QString wantedLast, wantedFirst, wantedWhole;
    if (given(row.fullName)) {
        const QString cell = row.fullName->trimmed();
        if (const qsizetype comma = cell.indexOf(QLatin1Char(',')); comma >= 0) {
            wantedLast = foldedName(cell.left(comma));
            wantedFirst = foldedName(cell.mid(comma + 1));
        } else if (!cell.contains(QLatin1Char(' '))) {
            wantedLast = foldedName(cell);
        } else {
            wantedWhole = foldedName(cell);
        }
    } else {
        wantedLast = foldedName(*row.lastName);
        if (given(row.firstName))
            wantedFirst = foldedName(*row.firstName);
    }
    const auto named = [&](const MatchPlayer &p) {
        if (!wantedWhole.isEmpty())
            return foldedName(QString(p.firstName + p.lastName)) == wantedWhole;
        return foldedName(p.lastName) == wantedLast &&
               (wantedFirst.isEmpty() || foldedName(p.firstName) == wantedFirst);
    };

    QList<MatchPlayer> found;
    for (const MatchPlayer &p : m_players) {
        if ((!team || p.team == *team) && named(p) && (!jersey || p.jersey == *jersey))
            found.append(p);
    }
    if (found.size() == 1)
        return {found.first().offset, {}};

    const QString where = team ? QStringLiteral(" on %1").arg(teamAbbrev(*team)) : QString();
    if (found.isEmpty()) {
        QString refusal = QStringLiteral("no player %1%2").arg(asNamed(row), where);
        // The same name on another team: a trade the sheet does not know of.
        QStringList elsewhere;
        for (const MatchPlayer &p : m_players) {
            if (team && p.team != *team && named(p) && (!jersey || p.jersey == *jersey))
                elsewhere.append(candidate(p, true));
        }
        if (!elsewhere.isEmpty()) {
            refusal += QStringLiteral("; %1 %2 elsewhere")
                           .arg(either(elsewhere),
                                QLatin1String(elsewhere.size() == 1 ? "plays" : "play"));
        }
        return {std::nullopt, refusal};
    }
    QStringList names;
    for (const MatchPlayer &p : found)
        names.append(candidate(p, !team));
    return {std::nullopt, QStringLiteral("%1%2 is %3; add %4").arg(asNamed(row), where,
                                                                 either(names),
                                                                 team ? QStringLiteral("a first name or a jersey")
                                                                      : QStringLiteral("a team, a first name or a jersey"))};
}

QString NameMatcher::describe(qint64 offset) const
{
    for (const MatchPlayer &p : m_players) {
        if (p.offset == offset) {
            return QStringLiteral("%1, %2 (%3, %4)")
                .arg(p.lastName, p.firstName, teamAbbrev(p.team))
                .arg(p.jersey);
        }
    }
    return QString::number(offset);
}

} // namespace Puckdex::Cli
