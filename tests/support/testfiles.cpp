#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray randomBytes(quint32 seed, int size)
{
    QRandomGenerator rng(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(rng.bounded(256));
    return bytes;
}

QMap<QString, QByteArray> snapshotOf(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray entry = info.isDir() ? QByteArray("<folder>") : readFile(path);
        if (info.isSymbolicLink())
            entry = "<link to " + info.symLinkTarget().toUtf8() + '>';
        entries.insert(QDir(folder).relativeFilePath(path), entry);
    }
    return entries;
}
