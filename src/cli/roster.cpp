#include "roster.h"

#include "gamedb/fileset.h"
#include "gamedb/playeredit.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace Puckdex::Cli {

namespace {

// The game numbers an index lists, for messages ("3, 7, 12").
QString listedGames(const QString &indexFile)
{
    const Result<QList<SeasonIndexEntry>> entries = GameFiles::listSavedGames(indexFile);
    if (!entries || entries->isEmpty())
        return QStringLiteral("none");
    QStringList numbers;
    for (const SeasonIndexEntry &entry : *entries)
        numbers.append(QString::number(entry.gameNumber()));
    return numbers.join(QStringLiteral(", "));
}

// How a missing game file is named in a message: a folder that stands where
// it should be is said to be one, not to be missing.
QString missingName(const QString &folder, const QString &name)
{
    const QStringList folders =
        QDir(folder).entryList({name}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    return folders.isEmpty() ? name + QStringLiteral(" missing")
                             : folders.first() + QStringLiteral(" is a folder, not a file");
}

Result<GameSet> locateBaseRosters(GameSet set)
{
    const QString &folder = set.folder;
    QStringList missing;
    const auto find = [&](const QString &name) {
        if (GameFolder::findFile(folder, name).isEmpty())
            missing.append(missingName(folder, name));
        return GameFolder::resolve(folder, name);
    };
    set.teamFile = find(FileNames::BaseTeams);
    set.keyFile = find(FileNames::Key);
    set.attFile = find(FileNames::Att);
    if (missing.isEmpty())
        return set;

    if (GameFolder::detect(folder) == FileSetKind::SavedGame) {
        const QString index = GameFolder::findFirstMatch(folder, FileNames::IndexPattern);
        return FileError{folder, QStringLiteral("the folder holds no base rosters (%1), "
                                                "but saved games that %2 lists: %3; choose one "
                                                "with --game N")
                                     .arg(missing.join(QStringLiteral(", ")), index,
                                          listedGames(QDir(folder).filePath(index)))};
    }
    return FileError{folder, QStringLiteral("the folder holds no NHL 96 rosters: %1")
                                 .arg(missing.join(QStringLiteral(", ")))};
}

Result<GameSet> locateSavedGame(GameSet set, int game)
{
    const QString &folder = set.folder;
    const QString index = GameFolder::findFirstMatch(folder, FileNames::IndexPattern);
    if (index.isEmpty())
        return FileError{folder, QStringLiteral("the folder holds no saved-game index (*.ndx)")};
    set.indexFile = QDir(folder).filePath(index);
    const Result<QList<SeasonIndexEntry>> entries = GameFiles::listSavedGames(set.indexFile);
    if (!entries)
        return entries.error();
    const bool listed =
        std::any_of(entries->begin(), entries->end(),
                    [game](const SeasonIndexEntry &e) { return e.gameNumber() == game; });
    if (!listed) {
        return FileError{set.indexFile, QStringLiteral("the index lists no saved game %1 (it "
                                                       "lists %2)")
                                            .arg(game)
                                            .arg(listedGames(set.indexFile))};
    }
    const QString prefix = savedGamePrefix(game);
    QStringList missing;
    const auto find = [&](const QString &name) {
        if (GameFolder::findFile(folder, prefix + name).isEmpty())
            missing.append(missingName(folder, prefix + name));
        return GameFolder::resolve(folder, prefix + name);
    };
    set.teamFile = find(FileNames::SavedTeams);
    set.keyFile = find(FileNames::Key);
    set.attFile = find(FileNames::Att);
    set.game = game;
    if (!missing.isEmpty()) {
        return FileError{folder, QStringLiteral("saved game %1 is incomplete: %2")
                                     .arg(game)
                                     .arg(missing.join(QStringLiteral(", ")))};
    }
    return set;
}

} // namespace

Result<GameSet> locateGameSet(const QString &folder, std::optional<int> game)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return FileError{folder, QStringLiteral("no such folder")};
    if (!info.isDir())
        return FileError{folder, QStringLiteral("not a folder")};
    GameSet set;
    set.folder = folder;
    return game ? locateSavedGame(set, *game) : locateBaseRosters(set);
}

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

Result<Roster> loadRoster(const GameSet &files)
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

Result<PlayerFields> readFields(const GameSet &files, const PlayerRecord &player)
{
    return PlayerEdit::read(files.attFile, player);
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

} // namespace Puckdex::Cli
