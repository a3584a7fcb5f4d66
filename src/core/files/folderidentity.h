#pragma once

#include <QString>

namespace Puckdex {

// What a folder is, whatever way it was spelled: "c:\dosgames\nhl96",
// "C:/DOSGAMES/NHL96/" and a link to it are one folder. The write journal,
// the backup history and the window's claim on a game folder are all named
// by it, so that every spelling of a roster finds the same ones.
struct FolderIdentity
{
    // The folder as the file system names it, with forward slashes: on
    // Windows its final path with the case the disk stores, elsewhere its
    // path with every link resolved. A folder that cannot be reached keeps
    // its absolute, cleaned spelling.
    QString path;
    // Equal for every spelling of one folder, and only for it: path, in one
    // case where the file system ignores case (Windows).
    QString key;

    bool operator==(const FolderIdentity &other) const { return key == other.key; }
};

FolderIdentity folderIdentity(const QString &folder);

// Whether spelled (as a journal or a history names its folder) is the
// folder of identity.
bool isSameFolder(const QString &spelled, const FolderIdentity &identity);

} // namespace Puckdex
