#pragma once

#include "editorfixture.h"
#include "messagescript.h"
#include "modalhelper.h"
#include "players.h"

#include "files/gamefiles.h"

#include <QApplication>
#include <QDir>
#include <QList>
#include <QTest>

#include <optional>

// What the fault suites share: the teams a case goes through, the player it
// edits and the one it goes to next, and the check of a fault's message.

constexpr int kTeam = 2;      // the team whose player is edited
constexpr int kOtherTeam = 3; // where the user goes next
constexpr int kThirdTeam = 4;

// After each case: no fault left planted, no modal answer left unused, no
// window left open.
inline void cleanUpAfterFault()
{
    Puckdex::GameFiles::setWriteFaultHook({});
    QCOMPARE(dropPendingModalActions(), 0);
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            w->close();
    }
}

// The one message a fault gave: titled "Puckdex", the exclamation icon,
// naming the file with its folder and saying why.
inline void checkFaultMessage(const Puckdex::MessageRequest &message, const QString &file,
                              const QString &reason)
{
    QCOMPARE(message.title, QStringLiteral("Puckdex"));
    QCOMPARE(message.style, Puckdex::MessageStyle::Warning);
    QVERIFY2(message.text.contains(QDir::toNativeSeparators(file)), qPrintable(message.text));
    QVERIFY2(message.text.contains(reason), qPrintable(message.text));
}

// The player edited in a case, and another one of his team to go to.
struct Targets
{
    qint64 shown = -1;
    qint64 next = -1;
};

inline Targets targetsOf(const QList<Puckdex::PlayerEntry> &players, qint64 shown)
{
    Targets t{shown, -1};
    for (const Puckdex::PlayerEntry &p : players) {
        if (p.offset != shown) {
            t.next = p.offset;
            break;
        }
    }
    return t;
}

inline Targets targetsOf(const EditorFixture &f, bool goalie)
{
    const QList<Puckdex::PlayerEntry> players = f.players(kTeam);
    const std::optional<Puckdex::PlayerEntry> shown = firstOf(players, goalie);
    return shown ? targetsOf(players, shown->offset) : Targets{};
}
