#include "table/findplayer.h"

#include "widgets/messagebox.h"
#include "widgets/windowsetup.h"

#include <algorithm>

namespace Puckdex {

FindPlayer::FindPlayer(const FileSet &files) : m_files(files) {}

std::optional<NameMatch> FindPlayer::next(const QString &text, const std::optional<NameMatch> &from,
                                          QWidget *parent)
{
    if (m_teams.isEmpty()) {
        const Result<QList<TeamRecord>> teams = GameFiles::listTeams(m_files.teamFile);
        if (!teams) {
            MessageBox::show(parent,
                             QStringLiteral("The teams could not be read to find a player.\n\n%1")
                                 .arg(teams.error().fullMessage()),
                             MessageStyle::Warning);
            return std::nullopt;
        }
        m_teams = *teams;
    }
    Result<QList<NameMatch>> found = findPlayers(m_files.keyFile, int(m_teams.size()), text);
    if (!found) {
        MessageBox::show(parent,
                         QStringLiteral("The players could not be read to find one.\n\n%1")
                             .arg(found.error().fullMessage()),
                         MessageStyle::Warning);
        return std::nullopt;
    }
    QList<NameMatch> matches = *found;
    if (matches.isEmpty())
        return std::nullopt;
    // As the lists show them: the teams by city, each team's players by name.
    const auto before = [this](const NameMatch &a, const NameMatch &b) {
        if (a.team != b.team) {
            const QString cityA = m_teams[a.team].city();
            const QString cityB = m_teams[b.team].city();
            if (cityA != cityB)
                return sortsBefore(cityA, cityB);
            return a.team < b.team;
        }
        const QString nameA = a.lastName + QStringLiteral(", ") + a.firstName;
        const QString nameB = b.lastName + QStringLiteral(", ") + b.firstName;
        if (nameA != nameB)
            return sortsBefore(nameA, nameB);
        return a.offset < b.offset;
    };
    std::stable_sort(matches.begin(), matches.end(), before);
    if (!from)
        return matches.first();
    const auto after = std::find_if(matches.cbegin(), matches.cend(),
                                    [&](const NameMatch &m) { return before(*from, m); });
    return after == matches.cend() ? matches.first() : *after;
}

QString FindPlayer::nothingFound(const QString &text)
{
    return QStringLiteral("No player's name holds \"%1\".").arg(text.trimmed());
}

} // namespace Puckdex
