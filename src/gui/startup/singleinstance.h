#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <memory>

namespace Puckdex {

class FileLock;

// Lets one instance of the program run per user and session. The first to start holds a
// lock file and listens on a local socket; a later start finds the lock
// taken, asks the running one (through the socket) to come to the front and
// ends. The lock ends with the process that holds it, so a crashed instance
// leaves none.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // key names the instance; tests pass their own to stay apart.
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another instance runs (it has been asked to come to the
    // front); false when this one is now the running instance.
    bool anotherIsRunning();

    // The key of the program for the user running it.
    static QString defaultKey();

    // Where the lock file and the socket live: one place per user and
    // session, whatever the temporary folder of the process.
    static QString folder();

signals:
    // A later start asked this instance to come to the front.
    void activationRequested();

private:
    void listen();

    QString m_key;
    QString m_socketName;
    std::shared_ptr<FileLock> m_lock;
    QLocalServer m_server;
};

// Brings the window a user would expect to the front: the open modal window
// if there is one, otherwise window; restored if it was minimised.
void bringToFront(QWidget *window);

} // namespace Puckdex
