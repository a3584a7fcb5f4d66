#pragma once

#include <QString>

// The texts of the program's messages that several suites expect, spelled
// once.

// A number left a box's limits or grid: the first line, then the notice.
QString adjusted(const QString &firstLine);
QString greaterThan(int limit);
QString lessThan(int limit);
QString multipleOf(const QString &step);
QString multipleOf(int step);

// Exit with a player whose changes could not be saved.
inline const QString kExitWithoutSaving =
    QStringLiteral("Do you want to exit without saving this player ?");
// How the message starts when the templates' file could not be written.
inline const QString kTemplatesNotSaved = QStringLiteral("The templates could not be saved");
// Why a write to a file marked read-only failed.
inline const QString kReadOnly = QStringLiteral("the file is read-only");
