#include "messagetexts.h"

QString adjusted(const QString &firstLine)
{
    return firstLine + QStringLiteral("\r\nThe attribute will be adjusted");
}

QString greaterThan(int limit)
{
    return adjusted(QStringLiteral("Attribute may not be greater than %1").arg(limit));
}

QString lessThan(int limit)
{
    return adjusted(QStringLiteral("Attribute may not be less than %1").arg(limit));
}

QString multipleOf(const QString &step)
{
    return adjusted(QStringLiteral("Attribute must be a multiple of %1").arg(step));
}

QString multipleOf(int step)
{
    return multipleOf(QString::number(step));
}
