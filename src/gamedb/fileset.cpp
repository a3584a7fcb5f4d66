#include "gamedb/fileset.h"

#include <QDir>
#include <QFileInfo>

namespace Puckdex {

namespace GameFolder {

QString findFile(const QString &folder, const QString &name)
{
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(name)).isFile())
        return name;
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &file : files) {
        if (file.compare(name, Qt::CaseInsensitive) == 0)
            return file;
    }
    return {};
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

FileSetKind detect(const QString &folder)
{
    const bool base = !findFile(folder, FileNames::BaseTeams).isEmpty()
                      && !findFile(folder, FileNames::Key).isEmpty()
                      && !findFile(folder, FileNames::Att).isEmpty();
    if (base)
        return FileSetKind::BaseRosters;

    const QString star = QStringLiteral("*");
    const bool saved = !findFirstMatch(folder, star + FileNames::SavedTeams).isEmpty()
                       && !findFirstMatch(folder, star + FileNames::Key).isEmpty()
                       && !findFirstMatch(folder, star + FileNames::Att).isEmpty()
                       && !findFirstMatch(folder, FileNames::IndexPattern).isEmpty();
    return saved ? FileSetKind::SavedGame : FileSetKind::None;
}

} // namespace GameFolder

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
