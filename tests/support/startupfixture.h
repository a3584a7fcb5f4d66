#pragma once

#include "controls.h"
#include "editor/mainwindow.h"
#include "editor/programstate.h"
#include "messagescript.h"
#include "modalhelper.h"
#include "sampleroster.h"
#include "startup/startup.h"

#include <QApplication>
#include <QDir>
#include <QKeySequence>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// What the start-up suites share: a user's clicks and keys in the start-up
// windows, and the fixture of the sample rosters with a fresh settings file
// for each test.

inline void click(QWidget *window, const char *button)
{
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// Enter in a start-up window. Should the window stay open (the test has
// failed), it is left through its exit button, so the run ends at once
// rather than wait on it.
inline void enterOrLeave(QWidget *w, MessageScript &messages, const char *exitButton)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    if (w->isVisible()) {
        messages.answer(Puckdex::MessageAnswer::Yes);
        click(w, exitButton);
    }
}

// Keys to the widget that has the focus, as the user presses them.
inline void pressKeys(const QList<QKeySequence> &keys)
{
    for (const QKeySequence &key : keys)
        QTest::keySequence(QApplication::focusWidget(), key);
}

// The sample base rosters and saved games in a temporary folder, written
// once (writeRosters, from initTestCase), a settings file of its own for each
// test (nextSettingsFile, from init), and start-up run on them.
class StartupFixture
{
protected:
    QTemporaryDir m_dir;
    QString m_ini;
    QString m_base;  // base rosters
    QString m_saved; // saved games 3, 7, 12
    int m_runs = 0;

    QString instanceKey() const
    {
        return QStringLiteral("puckdex-test-%1").arg(QCoreApplication::applicationPid());
    }

    std::unique_ptr<Puckdex::MainWindow> runStartup(Puckdex::ProgramState &state)
    {
        Puckdex::Startup startup(state, m_ini, instanceKey());
        return startup.run();
    }

    QString freshFolder(const QString &name)
    {
        const QString path = m_dir.filePath(QStringLiteral("%1-%2").arg(name).arg(++m_runs));
        QDir().mkpath(path);
        return path;
    }

    void writeRosters()
    {
        QVERIFY(m_dir.isValid());
        m_base = m_dir.filePath(QStringLiteral("base"));
        m_saved = m_dir.filePath(QStringLiteral("saved"));
        QVERIFY(Puckdex::Sample::writeBaseRosters(m_base).ok());
        QVERIFY(Puckdex::Sample::writeSavedGames(m_saved).ok());
    }

    void nextSettingsFile()
    {
        m_ini = m_dir.filePath(QStringLiteral("PUCKDEX-%1.INI").arg(++m_runs));
    }

    // No window of a test is left open for the next one.
    static void closeWindows()
    {
        QCOMPARE(dropPendingModalActions(), 0);
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible())
                w->close();
        }
    }
};
