#include "files/folderidentity.h"

#include "files/platformsync.h"

#include <QDir>
#include <QFileInfo>

namespace Puckdex {

FolderIdentity folderIdentity(const QString &folder)
{
    FolderIdentity identity;
    identity.path = finalFolderPath(folder);
    if (identity.path.isEmpty()) {
        const QFileInfo info(folder);
        const QString canonical = info.canonicalFilePath();
        identity.path = QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
    }
#if defined(Q_OS_WIN)
    identity.key = identity.path.toLower();
#else
    identity.key = identity.path;
#endif
    return identity;
}

bool isSameFolder(const QString &spelled, const FolderIdentity &identity)
{
    return spelled == identity.path || folderIdentity(spelled) == identity;
}

} // namespace Puckdex
