#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// The actions still waiting for their window.
inline QList<QPointer<QTimer>> &pendingModalActions()
{
    static QList<QPointer<QTimer>> pending;
    return pending;
}

// Drops the actions whose window never showed, so they cannot act on a later
// test's window; returns how many there were.
inline int dropPendingModalActions()
{
    int dropped = 0;
    for (const QPointer<QTimer> &timer : pendingModalActions()) {
        if (timer) {
            ++dropped;
            timer->deleteLater();
        }
    }
    pendingModalActions().clear();
    return dropped;
}

// Runs action on the modal window named objectName as soon as it is shown,
// from inside its exec() loop. Call it before the code that opens the window.
inline void whenModalShown(const QString &objectName, std::function<void(QWidget *)> action)
{
    auto *timer = new QTimer;
    pendingModalActions().append(timer);
    const QDeadlineTimer deadline(10000);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == objectName && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            pendingModalActions().removeAll(timer);
            // Focus moves only in the active window: its platform window
            // active, and the application told so (which may come later,
            // when the window opened from a key's shortcut).
            if (!QTest::qWaitForWindowActive(modal) ||
                !QTest::qWaitFor([modal] { return QApplication::activeWindow() == modal; }))
                qWarning("the window %s did not become active", qPrintable(objectName));
            action(modal);
        } else if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            qWarning("the window %s never showed", qPrintable(objectName));
        }
    });
    timer->start(5);
}
