#include "bytecompare.h"

QString firstDifference(const QByteArray &actual, const QByteArray &expected)
{
    if (actual.size() != expected.size()) {
        return QStringLiteral("%1 bytes where %2 were expected")
            .arg(actual.size())
            .arg(expected.size());
    }
    for (qsizetype i = 0; i < actual.size(); ++i) {
        if (actual.at(i) != expected.at(i)) {
            return QStringLiteral("first difference at byte %1: %2 where %3 was expected")
                .arg(i)
                .arg(quint8(actual.at(i)))
                .arg(quint8(expected.at(i)));
        }
    }
    return {};
}
