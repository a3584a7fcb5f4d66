#include "ordinaryuser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

constexpr QFileDevice::Permission kBits[] = {QFile::ExeOther, QFile::WriteOther, QFile::ReadOther,
                                             QFile::ExeGroup, QFile::WriteGroup, QFile::ReadGroup,
                                             QFile::ExeOwner, QFile::WriteOwner, QFile::ReadOwner};

} // namespace

OrdinaryUser::OrdinaryUser()
{
#if defined(Q_OS_WIN)
    m_whyNot = QStringLiteral("another user's permissions are Linux's here");
#else
    QTemporaryFile probe;
    if (!probe.open() || QFileInfo(probe.fileName()).ownerId() != 0) {
        m_whyNot = QStringLiteral("needs root, to run a helper as the user nobody");
        return;
    }
    const QStringList sbin = {"/usr/sbin", "/sbin", "/usr/bin", "/bin"};
    if (const QString setpriv = QStandardPaths::findExecutable("setpriv", sbin); !setpriv.isEmpty())
        m_switch = {setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
    else if (const QString runuser = QStandardPaths::findExecutable("runuser", sbin);
             !runuser.isEmpty())
        m_switch = {runuser, "-u", "nobody", "--"};
    else
        m_whyNot = QStringLiteral("neither setpriv nor runuser is installed");
#endif
}

void OrdinaryUser::run(QProcess &process, const QString &program,
                       const QStringList &arguments) const
{
    process.start(m_switch.first(), m_switch.mid(1) + QStringList{program} + arguments);
    process.waitForFinished(30000);
}

QString reachableCopy(const QString &program, const QString &folder)
{
    const QString copy = QDir(folder).filePath(QFileInfo(program).fileName());
    const bool copied = QFile::setPermissions(folder, permissionsOf(0755)) &&
                        QFile::copy(program, copy) &&
                        QFile::setPermissions(copy, permissionsOf(0755));
    return copied ? copy : QString();
}

QFileDevice::Permissions permissionsOf(int mode)
{
    QFileDevice::Permissions permissions;
    for (int i = 0; i < 9; ++i) {
        if (mode & (1 << i))
            permissions |= kBits[i];
    }
    return permissions;
}

int modeOf(const QString &path)
{
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    int mode = 0;
    for (int i = 0; i < 9; ++i) {
        if (permissions & kBits[i])
            mode |= 1 << i;
    }
    return mode;
}
