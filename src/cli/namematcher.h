#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace Puckdex::Cli {

// A team as a sheet may name it: by number, abbreviation, city or team name
// (or city and team name together), as "puckdex-cli teams" lists them.
struct MatchTeam
{
    int number = 0;
    QString abbrev;
    QString city;
    QString name;
};

// A player of the roster as a row may name him.
struct MatchPlayer
{
    int team = 0;
    qint64 offset = 0;
    QString firstName;
    QString lastName;
    int jersey = 0;
};

// What a row of a sheet without offsets names its player by, as its cells
// give them; a cell not given is none.
struct RowName
{
    std::optional<QString> team;
    std::optional<QString> lastName;
    std::optional<QString> firstName;
    // One "Name" cell: "First Last" or "Last, First".
    std::optional<QString> fullName;
    std::optional<QString> jersey;
};

// Finds the player a row names. Names compare with case, accents, blanks
// and hyphens folded ("Oberg" finds "Öberg", "jean luc" finds "Jean-luc").
// A team's only player of a last name is enough; namesakes need the first
// name or the jersey. Without a team, a name found once in the whole roster
// is enough.
class NameMatcher
{
public:
    NameMatcher(QList<MatchTeam> teams, QList<MatchPlayer> players);

    // His key record's offset, or why there is none: no player, or more
    // than one (each named with his jersey), with what would settle it.
    struct Found
    {
        std::optional<qint64> offset;
        QString refusal;
    };
    Found find(const RowName &row) const;

    // "Öberg, Lars (PIN, 15)": a player as a dry run lists a match.
    QString describe(qint64 offset) const;

private:
    std::optional<int> teamOf(const QString &typed) const;
    QString teamAbbrev(int number) const;
    // "Karl Berg (12)", or with his team when the row named none.
    QString candidate(const MatchPlayer &player, bool withTeam) const;
    // What the row names him as, for a refusal: "'Berg'", "'Karl Berg'".
    static QString asNamed(const RowName &row);

    QList<MatchTeam> m_teams;
    QList<MatchPlayer> m_players;
};

} // namespace Puckdex::Cli
