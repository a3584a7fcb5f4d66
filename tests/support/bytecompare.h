#pragma once

#include <QByteArray>
#include <QString>
#include <QTest>

// Where two files' bytes part, for a test's failure message; empty when
// they are equal.
QString firstDifference(const QByteArray &actual, const QByteArray &expected);

// Two byte images compared whole, with a report that names the first byte
// where they part.
#define COMPARE_BYTES(actual, expected)                                                            \
    do {                                                                                           \
        const QByteArray actualBytes_ = (actual);                                                  \
        const QByteArray expectedBytes_ = (expected);                                              \
        QVERIFY2(actualBytes_ == expectedBytes_,                                                   \
                 qPrintable(#actual ": " + firstDifference(actualBytes_, expectedBytes_)));        \
    } while (false)
