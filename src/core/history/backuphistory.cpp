#include "history/backuphistory.h"

#include "history/filelocks.h"
#include "files/gamefiles.h"
#include "files/safefile.h"
#include "history/writejournal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace Puckdex {

namespace {

const QString kMagic = QStringLiteral("puckdex backup history");
constexpr int kVersion = 1;

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool isHash(const QByteArray &text)
{
    return text.size() == 64 && QByteArray::fromHex(text).toHex() == text;
}

QJsonObject objectOf(const BackupGeneration &generation)
{
    QJsonArray files;
    for (qsizetype i = 0; i < generation.sizes.size(); ++i)
        files.append(
            QJsonObject{{QStringLiteral("size"), generation.sizes[i]},
                        {QStringLiteral("sha256"), QString::fromLatin1(generation.hashes[i])}});
    return {{QStringLiteral("number"), generation.number},
            {QStringLiteral("time"), generation.time.toUTC().toString(Qt::ISODate)},
            {QStringLiteral("files"), files}};
}

// The generation an entry of the list describes, or why not.
std::optional<QString> readGeneration(const QJsonValue &value, qsizetype fileCount,
                                      BackupGeneration &generation)
{
    const QJsonObject object = value.toObject();
    const double number = object.value(QStringLiteral("number")).toDouble(0);
    if (number < 1 || number != double(int(number)))
        return QStringLiteral("a generation has no number");
    generation.number = int(number);
    generation.time =
        QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODate);
    if (!generation.time.isValid())
        return QStringLiteral("generation %1 has no time").arg(generation.number);
    const QJsonArray files = object.value(QStringLiteral("files")).toArray();
    if (files.size() != fileCount)
        return QStringLiteral("generation %1 does not hold %2 files")
            .arg(generation.number)
            .arg(fileCount);
    for (const QJsonValue &file : files) {
        const double size = file.toObject().value(QStringLiteral("size")).toDouble(-1);
        const QByteArray hash =
            file.toObject().value(QStringLiteral("sha256")).toString().toLatin1();
        if (size < 0 || size != double(qint64(size)) || !isHash(hash))
            return QStringLiteral("generation %1 names a file badly").arg(generation.number);
        generation.sizes.append(qint64(size));
        generation.hashes.append(hash);
    }
    return std::nullopt;
}


} // namespace

BackupHistory::BackupHistory(const QString &folder, const FileSet &files)
    : m_gameFolder(folderIdentity(files.folder)), m_names(files.names())
{
    m_path = QDir(folder).filePath(QStringLiteral("puckdex-backups-%1")
                                       .arg(fileSetId(m_gameFolder, files.keyFile, files.attFile)));
}

QString BackupHistory::listPath() const
{
    return QDir(m_path).filePath(QStringLiteral("generations.json"));
}

QString BackupHistory::blobPath(const QByteArray &hash) const
{
    return QDir(m_path).filePath(QString::fromLatin1(hash) + QStringLiteral(".bin"));
}

Result<QList<BackupGeneration>> BackupHistory::generations() const
{
    return readList();
}

Result<QList<BackupGeneration>> BackupHistory::readList() const
{
    const QString path = listPath();
    if (!QFileInfo::exists(path))
        return QList<BackupGeneration>();
    const Result<QByteArray> bytes = GameFiles::readWholeFile(path);
    if (!bytes)
        return bytes.error();
    const auto damaged = [&path](const QString &why) {
        return FileError{path, QStringLiteral("the backup history is damaged: %1; it was not "
                                              "used")
                                   .arg(why)};
    };
    const QJsonObject list = QJsonDocument::fromJson(*bytes).object();
    if (list.value(QStringLiteral("history")).toString() != kMagic ||
        list.value(QStringLiteral("version")).toInt() != kVersion)
        return damaged(QStringLiteral("it is not a Puckdex backup history"));
    const QString folder =
        QDir::fromNativeSeparators(list.value(QStringLiteral("folder")).toString());
    QStringList names;
    for (const QJsonValue &name : list.value(QStringLiteral("files")).toArray())
        names.append(name.toString());
    if (names != m_names || !isSameFolder(folder, m_gameFolder)) {
        return FileError{path, QStringLiteral("the backup history belongs to %1 in %2, not to %3 "
                                              "in %4; it was not used")
                                   .arg(names.join(QStringLiteral(", ")),
                                        QDir::toNativeSeparators(folder),
                                        m_names.join(QStringLiteral(", ")),
                                        QDir::toNativeSeparators(m_gameFolder.path))};
    }
    QList<BackupGeneration> generations;
    for (const QJsonValue &value : list.value(QStringLiteral("generations")).toArray()) {
        BackupGeneration generation;
        if (auto problem = readGeneration(value, m_names.size(), generation))
            return damaged(*problem);
        if (!generations.isEmpty() && generation.number <= generations.last().number)
            return damaged(QStringLiteral("generation %1 is out of order").arg(generation.number));
        generations.append(generation);
    }
    return generations;
}

Status BackupHistory::writeList(const QList<BackupGeneration> &generations)
{
    QJsonArray list;
    for (const BackupGeneration &generation : generations)
        list.append(objectOf(generation));
    const QJsonObject document{{QStringLiteral("history"), kMagic},
                               {QStringLiteral("version"), kVersion},
                               {QStringLiteral("folder"), QDir::toNativeSeparators(m_gameFolder.path)},
                               {QStringLiteral("files"), QJsonArray::fromStringList(m_names)},
                               {QStringLiteral("generations"), list}};
    return SafeFile::replace(listPath(), QJsonDocument(document).toJson());
}

Result<BackupGeneration> BackupHistory::keep(const QList<QByteArray> &files, const QDateTime &time)
{
    if (!QDir().mkpath(m_path))
        return FileError{m_path, QStringLiteral("the folder could not be made")};
    const auto lock = lockForWriting(listPath());
    if (!lock)
        return lock.error();
    Result<QList<BackupGeneration>> generations = readList();
    if (!generations)
        return generations.error();

    BackupGeneration added;
    added.number = generations->isEmpty() ? 1 : generations->last().number + 1;
    added.time = time.toUTC();
    for (const QByteArray &bytes : files) {
        added.sizes.append(bytes.size());
        added.hashes.append(sha256(bytes));
    }
    if (!generations->isEmpty() && generations->last().hashes == added.hashes)
        return generations->last();

    // The files first: a list that names a file always finds it whole.
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString blob = blobPath(added.hashes[i]);
        const Result<QByteArray> there = GameFiles::readWholeFile(blob);
        if (there && sha256(*there) == added.hashes[i])
            continue;
        if (const Status stored = SafeFile::replace(blob, files[i]); !stored)
            return stored.error();
    }
    generations->append(added);
    while (generations->size() > KeptNewest + 1)
        generations->removeAt(1);
    if (const Status listed = writeList(*generations); !listed)
        return listed.error();

    // Files no generation names any more go; one that stays is harmless.
    QSet<QByteArray> named;
    for (const BackupGeneration &generation : std::as_const(*generations))
        named.unite(QSet<QByteArray>(generation.hashes.cbegin(), generation.hashes.cend()));
    const QStringList blobs = QDir(m_path).entryList({QStringLiteral("*.bin")}, QDir::Files);
    for (const QString &blob : blobs) {
        if (!named.contains(QFileInfo(blob).completeBaseName().toLatin1()))
            QFile::remove(QDir(m_path).filePath(blob));
    }
    return added;
}

Result<BackupGeneration> BackupHistory::find(const QString &which) const
{
    const Result<QList<BackupGeneration>> generations = readList();
    if (!generations)
        return generations.error();
    if (generations->isEmpty()) {
        return FileError{m_path, QStringLiteral("no backups of %1 were kept yet")
                                     .arg(m_names.join(QStringLiteral(", ")))};
    }
    if (which.compare(QStringLiteral("first"), Qt::CaseInsensitive) == 0)
        return generations->first();
    bool ok = false;
    const int number = which.toInt(&ok);
    for (const BackupGeneration &generation : *generations) {
        if (ok && generation.number == number)
            return generation;
    }
    QStringList numbers;
    for (const BackupGeneration &generation : *generations)
        numbers.append(QString::number(generation.number));
    return FileError{m_path, QStringLiteral("there is no generation \"%1\"; there are %2 and "
                                            "\"first\"")
                                 .arg(which, numbers.join(QStringLiteral(", ")))};
}

Result<QList<QByteArray>> BackupHistory::filesOf(const BackupGeneration &generation) const
{
    QList<QByteArray> files;
    for (qsizetype i = 0; i < generation.hashes.size(); ++i) {
        const QString blob = blobPath(generation.hashes[i]);
        const Result<QByteArray> bytes = GameFiles::readWholeFile(blob);
        const QString damaged = QStringLiteral("generation %1 is damaged: its copy of %2 ")
                                    .arg(generation.number)
                                    .arg(m_names.value(i));
        if (!bytes)
            return FileError{
                blob, damaged + QStringLiteral("cannot be read (%1)").arg(bytes.error().reason)};
        if (bytes->size() != generation.sizes[i] || sha256(*bytes) != generation.hashes[i])
            return FileError{blob, damaged + QStringLiteral("is not what was kept")};
        files.append(*bytes);
    }
    return files;
}

QDateTime lastWritten(const QStringList &paths)
{
    QDateTime newest;
    for (const QString &path : paths) {
        const QDateTime time = QFileInfo(path).lastModified().toUTC();
        if (!newest.isValid() || time > newest)
            newest = time;
    }
    return newest;
}

Result<BackupOutcome, BackupFailure> makeBackups(const FileSet &files, BackupHistory &history)
{
    BackupOutcome outcome;
    const QStringList names = files.names();
    const QStringList games = files.gameFiles();
    QList<QByteArray> gameBytes, backupBytes;
    QStringList backups;
    bool differ = false;
    for (qsizetype i = 0; i < games.size(); ++i) {
        const Result<QByteArray> game = GameFiles::readWholeFile(games[i]);
        if (!game)
            return BackupFailure{false, names[i], game.error()};
        gameBytes.append(*game);
        // A set of backups with one missing is no state of the roster.
        const QString backup = GameFolder::findFile(files.folder, backupName(names[i]));
        if (backup.isEmpty())
            continue;
        backups.append(QDir(files.folder).filePath(backup));
        const Result<QByteArray> bytes = GameFiles::readWholeFile(backups.last());
        if (!bytes)
            return BackupFailure{true, names[i], bytes.error()};
        backupBytes.append(*bytes);
        differ = differ || *bytes != *game;
    }
    const bool wholeSet = backupBytes.size() == games.size();
    if (differ && wholeSet) {
        const Result<BackupGeneration> kept = history.keep(backupBytes, lastWritten(backups));
        if (!kept)
            return BackupFailure{true, QString(), kept.error()};
        outcome.keptGeneration = kept->number;
    }
    // The first backups of a roster are kept at once, as the first
    // generation: the roster as Puckdex first found it is there to go back
    // to from the first run on. The copies do not depend on it.
    const Result<QList<BackupGeneration>> generations = history.generations();
    if (generations && generations->isEmpty()) {
        const Result<BackupGeneration> first = history.keep(gameBytes, lastWritten(games));
        if (!first)
            outcome.firstNotKept = first.error();
    }
    for (qsizetype i = 0; i < games.size(); ++i) {
        // A backup that holds the game file's bytes already is one.
        if (wholeSet && backupBytes[i] == gameBytes[i])
            continue;
        if (const Status copied = GameFiles::copyToBackup(games[i], gameBytes[i]); !copied)
            return BackupFailure{false, names[i], copied.error()};
    }
    return outcome;
}

} // namespace Puckdex
