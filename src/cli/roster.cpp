#include "roster.h"

#include <QFileInfo>

namespace Puckdex::Cli {

QList<PlayerEntry> Roster::teamPlayers() const
{
    QList<PlayerEntry> result;
    for (const PlayerEntry &player : players) {
        if (isTeam(player.record.teamNumber()))
            result.append(player);
    }
    return result;
}

QList<PlayerEntry> Roster::playersOf(int teamNumber) const
{
    QList<PlayerEntry> result;
    for (const PlayerEntry &player : players) {
        if (player.record.teamNumber() == teamNumber)
            result.append(player);
    }
    return result;
}

Result<Roster> loadRoster(const FileSet &files)
{
    Roster roster;
    roster.files = files;
    Result<QList<TeamRecord>> teams = GameFiles::listTeams(files.teamFile);
    if (!teams)
        return teams.error();
    roster.teams = std::move(teams).value();
    Result<QList<PlayerEntry>> players = GameFiles::scanAllPlayers(files.keyFile);
    if (!players)
        return players.error();
    roster.players = std::move(players).value();
    return roster;
}

QString describePlayer(qint64 offset, const PlayerRecord &player)
{
    return QStringLiteral("offset %1 (%2 %3)")
        .arg(offset)
        .arg(player.firstName(), player.lastName());
}

QString fileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString plural(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString utcText(const QDateTime &time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'"));
}

} // namespace Puckdex::Cli
