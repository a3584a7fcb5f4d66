#include "startup/singleinstance.h"

#include "history/filelocks.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

namespace Puckdex {

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");

// Tries to tell the running instance to come to the front; it may still be
// starting up, so give it a moment to listen.
bool askRunningInstance(const QString &key)
{
    const QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(key);
        if (socket.waitForConnected(200)) {
            socket.write(kActivate);
            socket.waitForBytesWritten(500);
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

// The longest socket path the system takes (108 bytes with its NUL on
// Linux, 104 on the BSDs), with room to spare.
constexpr qsizetype kSocketPathLimit = 100;

} // namespace

QString SingleInstance::folder()
{
    // The user's runtime folder belongs to the user and the session alike;
    // without one, the user's configuration folder. Neither moves with
    // TMPDIR, which differs between a terminal and a desktop launcher.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (!config.isEmpty() && QDir().mkpath(config))
        return config;
    return QDir::tempPath();
}

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent), m_key(key)
{
    // The socket sits beside the lock; a folder too deep for a socket path
    // leaves it to the system's own place for sockets.
    const QString socketPath = QDir(folder()).filePath(key);
    m_socketName = socketPath.toLocal8Bit().size() <= kSocketPathLimit ? socketPath : key;
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kActivate.trimmed()))
                    emit activationRequested();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey()
{
    const QByteArray user = QDir::homePath().toUtf8();
    return QStringLiteral("puckdex-")
           + QString::fromLatin1(
               QCryptographicHash::hash(user, QCryptographicHash::Sha1).toHex().left(16));
}

bool SingleInstance::anotherIsRunning()
{
    const QString lockPath = QDir(folder()).filePath(m_key + QStringLiteral(".lock"));
    if (const auto lock = takeLock(lockPath, 0); lock || !lock.error().held) {
        // A lock file that cannot be made (a read-only folder) stops no
        // start: the editor runs without the check.
        if (lock)
            m_lock = *lock;
        listen();
        return false;
    }
    // Taken by a live process. If it cannot be reached it is not a running
    // Puckdex after all (or it is hung); starting a second editor on the same
    // files is the worse choice, so this start ends either way.
    askRunningInstance(m_socketName);
    return true;
}

void SingleInstance::listen()
{
    // A socket left by a crashed instance would block listen().
    QLocalServer::removeServer(m_socketName);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_socketName);
}

void bringToFront(QWidget *window)
{
    QWidget *target = QApplication::activeModalWidget();
    if (!target)
        target = window;
    if (!target)
        return;
    target->setWindowState(target->windowState() & ~Qt::WindowMinimized);
    target->show();
    target->raise();
    target->activateWindow();
}

} // namespace Puckdex
