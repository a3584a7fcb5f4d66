#pragma once

#include <QFileDevice>
#include <QProcess>
#include <QString>
#include <QStringList>

// What the tests of real file permissions share: a helper run as an ordinary
// user, and the octal modes they set and check.

// Runs a program as the user nobody, for the tests that meet the system's
// own permission checks: root writes through them.
class OrdinaryUser
{
public:
    OrdinaryUser();

    // Why programs cannot be run as nobody here (Windows, not root, no tool
    // to switch users); empty when they can.
    const QString &whyNot() const { return m_whyNot; }

    // Runs program with arguments as nobody and waits for it to end. The
    // program must lie where nobody can reach it (see reachableCopy).
    void run(QProcess &process, const QString &program, const QStringList &arguments) const;

private:
    QStringList m_switch;
    QString m_whyNot;
};

// Opens folder to every user (to read and enter, not to write) and copies
// program into it for everyone to run: the copy's path, or empty when that
// failed.
QString reachableCopy(const QString &program, const QString &folder);

// Qt's permissions for an octal mode such as 0640.
QFileDevice::Permissions permissionsOf(int mode);

// The octal mode of the file at path (its owner's, group's and others' bits).
int modeOf(const QString &path);
