#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// A whole file's bytes, or none when it cannot be read.
QByteArray readFile(const QString &path);

// Replaces a file's bytes; false when that failed. Use it inside QVERIFY.
[[nodiscard]] bool writeFile(const QString &path, const QByteArray &bytes);

// Bytes that look like nothing in particular, the same for the same seed.
QByteArray randomBytes(quint32 seed, int size);

// Every entry below folder by its relative path with its bytes, hidden ones
// too (a temporary copy left behind shows); folders as "<folder>", links as
// "<link to TARGET>". What an operation must leave alone.
QMap<QString, QByteArray> snapshotOf(const QString &folder);
