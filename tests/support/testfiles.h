#pragma once

#include <QByteArray>
#include <QString>

// A whole file's bytes, or none when it cannot be read.
QByteArray readFile(const QString &path);

// Replaces a file's bytes; false when that failed. Use it inside QVERIFY.
[[nodiscard]] bool writeFile(const QString &path, const QByteArray &bytes);

// Bytes that look like nothing in particular, the same for the same seed.
QByteArray randomBytes(quint32 seed, int size);
