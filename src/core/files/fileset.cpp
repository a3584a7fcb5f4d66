#include "files/fileset.h"

#include "files/gamefiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace Puckdex {

namespace {

// A set of the given kind in folder, its files not yet looked for.
FileSet setIn(const QString &folder, FileSetKind kind, std::optional<int> game = std::nullopt)
{
    FileSet set;
    set.folder = folder;
    set.kind = kind;
    set.game = game;
    if (game)
        set.prefix = savedGamePrefix(*game);
    return set;
}

// The files of a folder, hidden ones too, by name.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// name as a folder's listing spells it: the name itself, or the first that
// differs from it only in case; empty when there is none.
QString spelledIn(const QStringList &files, const QString &name)
{
    if (files.contains(name))
        return name;
    for (const QString &file : files) {
        if (file.compare(name, Qt::CaseInsensitive) == 0)
            return file;
    }
    return {};
}

// Fills in the paths of the set's three files; the names of those that are
// not there as files. The folder is listed once for the three.
QStringList findFiles(FileSet &set)
{
    const QStringList names = set.names();
    const QStringList files = filesIn(set.folder);
    QString *paths[] = {&set.teamFile, &set.keyFile, &set.attFile};
    QStringList missing;
    for (int i = 0; i < names.size(); ++i) {
        const QString found = spelledIn(files, names[i]);
        if (found.isEmpty())
            missing.append(names[i]);
        // A missing file keeps its asked-for name, so opening it fails with a
        // message that names it.
        *paths[i] = QDir(set.folder).filePath(found.isEmpty() ? names[i] : found);
    }
    return missing;
}

bool savedGamePatternsMatch(const QString &folder)
{
    const QString star = QStringLiteral("*");
    return !GameFolder::findFirstMatch(folder, star + FileNames::SavedTeams).isEmpty()
           && !GameFolder::findFirstMatch(folder, star + FileNames::Key).isEmpty()
           && !GameFolder::findFirstMatch(folder, star + FileNames::Att).isEmpty()
           && !GameFolder::findFirstMatch(folder, FileNames::IndexPattern).isEmpty();
}

// The game numbers an index lists, for messages ("3, 7, 12").
QString listedGames(const Result<SavedGameIndex> &index)
{
    if (!index || index->games.isEmpty())
        return QStringLiteral("none");
    QStringList numbers;
    for (const SeasonIndexEntry &entry : index->games)
        numbers.append(QString::number(entry.gameNumber()));
    return numbers.join(QStringLiteral(", "));
}

// How missing game files are named in a message: a folder that stands where
// one should be is said to be one, not to be missing.
QString missingNames(const QString &folder, const QStringList &names)
{
    QStringList said;
    for (const QString &name : names) {
        const QStringList folders =
            QDir(folder).entryList({name}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        said.append(folders.isEmpty()
                        ? name + QStringLiteral(" missing")
                        : folders.first() + QStringLiteral(" is a folder, not a file"));
    }
    return said.join(QStringLiteral(", "));
}

Result<FileSet> findBaseRosters(const QString &folder)
{
    FileSet set = setIn(folder, FileSetKind::BaseRosters);
    const QStringList missing = findFiles(set);
    if (missing.isEmpty())
        return set;

    if (savedGamePatternsMatch(folder)) {
        const QString index = GameFolder::findFirstMatch(folder, FileNames::IndexPattern);
        return FileError{folder, QStringLiteral("the folder holds no base rosters (%1), "
                                                "but saved games that %2 lists: %3; choose one "
                                                "with --game N")
                                     .arg(missingNames(folder, missing), index,
                                          listedGames(GameFolder::savedGames(folder)))};
    }
    return FileError{folder, QStringLiteral("the folder holds no NHL 96 rosters: %1")
                                 .arg(missingNames(folder, missing))};
}

Result<FileSet> findSavedGame(const QString &folder, int game)
{
    const Result<SavedGameIndex> index = GameFolder::savedGames(folder);
    if (!index)
        return index.error();
    const bool listed =
        std::any_of(index->games.begin(), index->games.end(),
                    [game](const SeasonIndexEntry &e) { return e.gameNumber() == game; });
    if (!listed) {
        return FileError{index->file, QStringLiteral("the index lists no saved game %1 (it "
                                                     "lists %2)")
                                          .arg(game)
                                          .arg(listedGames(index))};
    }
    FileSet set = setIn(folder, FileSetKind::SavedGame, game);
    set.indexFile = index->file;
    const QStringList missing = findFiles(set);
    if (!missing.isEmpty()) {
        return FileError{folder, QStringLiteral("saved game %1 is incomplete: %2")
                                     .arg(game)
                                     .arg(missingNames(folder, missing))};
    }
    return set;
}

} // namespace

QStringList FileSet::names() const
{
    const QString &team = kind == FileSetKind::SavedGame ? FileNames::SavedTeams
                                                         : FileNames::BaseTeams;
    return {prefix + team, prefix + FileNames::Key, prefix + FileNames::Att};
}

namespace GameFolder {

QString savedGameGaps(const QString &folder, int game)
{
    FileSet set = setIn(folder, FileSetKind::SavedGame, game);
    const QStringList missing = findFiles(set);
    return missing.isEmpty() ? QString() : missingNames(folder, missing);
}

QString findFile(const QString &folder, const QString &name)
{
    // The folder's own listing, not a look-up by name: Windows finds key.db
    // when the disk says KEY.DB, and the name as spelled on disk is wanted.
    return spelledIn(filesIn(folder), name);
}

QString findFirstMatch(const QString &folder, const QString &pattern)
{
    // QDir matches name filters without regard to case unless told otherwise.
    const QStringList files = QDir(folder).entryList(
        {pattern}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    return files.isEmpty() ? QString() : files.first();
}

QString resolve(const QString &folder, const QString &name)
{
    const QString found = findFile(folder, name);
    return QDir(folder).filePath(found.isEmpty() ? name : found);
}

Result<SavedGameIndex> savedGames(const QString &folder)
{
    const QString name = findFirstMatch(folder, FileNames::IndexPattern);
    if (name.isEmpty())
        return FileError{folder, QStringLiteral("the folder holds no saved-game index (*.ndx)")};
    SavedGameIndex index;
    index.file = QDir(folder).filePath(name);
    Result<QList<SeasonIndexEntry>> games = GameFiles::listSavedGames(index.file);
    if (!games)
        return games.error();
    index.games = std::move(games).value();
    return index;
}

FileSet check(const QString &folder)
{
    // The index, when the saved-game patterns match and it lists a game.
    QString listingIndex;
    if (savedGamePatternsMatch(folder)) {
        const Result<SavedGameIndex> index = savedGames(folder);
        if (index && !index->games.isEmpty())
            listingIndex = index->file;
    }
    FileSet base = setIn(folder, FileSetKind::BaseRosters);
    if (findFiles(base).isEmpty()) {
        base.indexFile = listingIndex;
        return base;
    }
    if (listingIndex.isEmpty())
        return setIn(folder, FileSetKind::None);
    FileSet saved = setIn(folder, FileSetKind::SavedGame);
    saved.indexFile = listingIndex;
    return saved;
}

} // namespace GameFolder

Result<FileSet> findFileSet(const QString &folder, std::optional<int> game)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return FileError{folder, QStringLiteral("no such folder")};
    if (!info.isDir())
        return FileError{folder, QStringLiteral("not a folder")};
    return game ? findSavedGame(folder, *game) : findBaseRosters(folder);
}

QString savedGamePrefix(int gameNumber)
{
    return (QStringLiteral("0") + QString::number(gameNumber)).left(5);
}

QString backupName(const QString &fileName)
{
    if (fileName.size() < 2)
        return fileName + QStringLiteral("bak");
    const QString ending = fileName.right(2);
    const bool upper = ending == ending.toUpper() && ending != ending.toLower();
    return fileName.chopped(2) + (upper ? QStringLiteral("BAK") : QStringLiteral("bak"));
}

} // namespace Puckdex
