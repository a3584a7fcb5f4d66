#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>

// Finds a window's controls by their object names, the names the window
// definitions give them, so that tests need nothing of a window's insides.
// A test cannot go on without the control it names: a missing one (or one of
// another kind) stops the run with a line naming the control and the window.

inline QObject *findControl(const QObject *window, const QString &objectName)
{
    return window->findChild<QObject *>(objectName);
}

template <class T> T *control(const QObject *window, const char *objectName)
{
    const QString name = QString::fromLatin1(objectName);
    T *found = window->findChild<T *>(name);
    if (!found) {
        const QObject *other = findControl(window, name);
        qFatal("%s has no %s named \"%s\"%s", qPrintable(window->objectName()),
               T::staticMetaObject.className(), objectName,
               other ? qPrintable(QStringLiteral(" (one is a %1)")
                                      .arg(QString::fromLatin1(other->metaObject()->className())))
                     : "");
    }
    return found;
}

// One of a control array, whose members are named with their index:
// control<QLineEdit>(window, "txtAllPlayers", 3) is txtAllPlayers_3.
template <class T> T *control(const QObject *window, const char *arrayName, int index)
{
    return control<T>(window,
                      (QByteArray(arrayName) + '_' + QByteArray::number(index)).constData());
}
