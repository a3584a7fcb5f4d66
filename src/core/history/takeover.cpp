#include "history/takeover.h"

#include "files/folderidentity.h"
#include "files/gamefiles.h"
#include "files/safefile.h"
#include "history/backuphistory.h"
#include "history/journallines.h"
#include "history/writejournal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace Puckdex {

using namespace JournalLines;

namespace {

// A journal's first line (or a history's list) as JSON.
QJsonObject firstLineOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readLine(1024 * 1024)).object();
}

QString folderNamed(const QJsonObject &object)
{
    return QDir::fromNativeSeparators(object.value(QStringLiteral("folder")).toString());
}

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// A write with the undo mark it has in any journal that holds it.
struct MergedWrite
{
    JournalEntry entry;
    bool undone = false;
};

// A write as its line without its number: one write in two journals (a
// takeover stopped before it removed what it took over) reads the same.
QByteArray unnumbered(JournalEntry entry)
{
    entry.seq = 0;
    return writeLine(entry);
}

// The generations of several histories: each kept state once, the oldest of
// their first generations first, then the others by time, numbered afresh;
// the newest KeptNewest after the first. One history keeps its own.
QList<BackupGeneration> mergedGenerations(const QList<QList<BackupGeneration>> &parts)
{
    QList<BackupGeneration> all;
    qsizetype first = -1;
    int kept = 0;
    for (const QList<BackupGeneration> &part : parts) {
        kept += part.isEmpty() ? 0 : 1;
        for (qsizetype i = 0; i < part.size(); ++i) {
            const BackupGeneration &generation = part[i];
            const auto same = std::find_if(all.cbegin(), all.cend(), [&](const auto &known) {
                return known.time == generation.time && known.hashes == generation.hashes;
            });
            const qsizetype at = same == all.cend() ? all.size() : same - all.cbegin();
            if (same == all.cend())
                all.append(generation);
            if (i == 0 && (first < 0 || generation.time < all[first].time))
                first = at;
        }
    }
    if (kept <= 1)
        return all;
    const BackupGeneration oldest = all.takeAt(first);
    std::stable_sort(all.begin(), all.end(),
                     [](const auto &a, const auto &b) { return a.time < b.time; });
    all.prepend(oldest);
    while (all.size() > BackupHistory::KeptNewest + 1)
        all.removeAt(1);
    for (qsizetype i = 0; i < all.size(); ++i)
        all[i].number = int(i + 1);
    return all;
}

} // namespace

QStringList WriteJournal::othersOfThisRoster() const
{
    const QFileInfo own(m_path);
    const QDir folder = own.absoluteDir();
    QStringList others;
    const QStringList names =
        folder.entryList({QStringLiteral("puckdex-journal-*.jsonl")}, QDir::Files);
    for (const QString &name : names) {
        if (name == own.fileName())
            continue;
        const QJsonObject header = firstLineOf(folder.filePath(name));
        if (header.value(QStringLiteral("key")).toString() == m_keyName
            && header.value(QStringLiteral("att")).toString() == m_attName
            && isSameFolder(folderNamed(header), m_gameFolder))
            others.append(folder.filePath(name));
    }
    return others;
}

QByteArray WriteJournal::mergedLines(const QList<Contents> &parts) const
{
    QList<MergedWrite> writes;
    QHash<QByteArray, QList<qsizetype>> earlier; // the writes of the journals before, by line
    int withWrites = 0;
    for (const Contents &part : parts) {
        withWrites += part.writes.isEmpty() ? 0 : 1;
        QHash<QByteArray, QList<qsizetype>> unmatched = earlier;
        for (const JournalEntry &entry : part.writes) {
            const bool undone = part.undone.contains(entry.seq);
            const QByteArray line = unnumbered(entry);
            QList<qsizetype> &same = unmatched[line];
            if (!same.isEmpty()) {
                writes[same.takeFirst()].undone |= undone;
                continue;
            }
            earlier[line].append(writes.size());
            writes.append({entry, undone});
        }
    }
    if (withWrites > 1) {
        std::stable_sort(writes.begin(), writes.end(), [](const auto &a, const auto &b) {
            return a.entry.time < b.entry.time;
        });
        for (qsizetype i = 0; i < writes.size(); ++i)
            writes[i].entry.seq = int(i + 1);
    }
    QByteArray bytes = headerLine();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const MergedWrite &write : std::as_const(writes)) {
        bytes += writeLine(write.entry);
        if (write.undone)
            bytes += undoneLine(write.entry.seq, now);
    }
    return bytes;
}

Status WriteJournal::takeOverOthers(int waitMs)
{
    if (othersOfThisRoster().isEmpty())
        return {};
    const auto own = lockForWriting(m_path, waitMs);
    if (!own)
        return own.error();
    // Looked for again under the lock: another run may have taken them
    // over meanwhile.
    Result<Contents> mine = read();
    if (!mine)
        return mine.error();
    // An action a writer left unfinished is set back from this journal
    // first; its marks are no write to merge.
    const auto interrupted = [](const QString &path) {
        return FileError{path, QStringLiteral("it holds an action that was interrupted and is "
                                              "not set back yet")};
    };
    if (mine->unfinished)
        return interrupted(m_path);
    QList<std::shared_ptr<FileLock>> held;
    QStringList taken;
    QList<Contents> parts{std::move(*mine)};
    Status left;
    for (const QString &path : othersOfThisRoster()) {
        const auto lock = lockForWriting(path, waitMs);
        if (!lock)
            return lock.error();
        WriteJournal other = *this;
        other.m_path = path;
        Result<Contents> contents = other.read();
        // A damaged journal stays where it is, for the user to look at.
        if (!contents || !QFileInfo::exists(path))
            continue;
        if (contents->unfinished) {
            left = interrupted(path);
            continue;
        }
        held.append(*lock);
        taken.append(path);
        parts.append(std::move(*contents));
    }
    if (taken.isEmpty())
        return left;
    if (const Status written = SafeFile::replace(m_path, mergedLines(parts)); !written)
        return written;
    m_knownSize = -1;
    for (const QString &path : std::as_const(taken))
        QFile::remove(path);
    return left;
}

QStringList BackupHistory::othersOfThisRoster() const
{
    const QFileInfo own(m_path);
    const QDir folder = own.absoluteDir();
    QStringList others;
    const QStringList names = folder.entryList({QStringLiteral("puckdex-backups-*")},
                                               QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString path = folder.filePath(name);
        if (name == own.fileName())
            continue;
        QFile file(QDir(path).filePath(QStringLiteral("generations.json")));
        const QJsonObject list = file.open(QIODevice::ReadOnly)
                                     ? QJsonDocument::fromJson(file.readAll()).object()
                                     : QJsonObject();
        QStringList files;
        for (const QJsonValue &file : list.value(QStringLiteral("files")).toArray())
            files.append(file.toString());
        if (!list.isEmpty() && files == m_names && isSameFolder(folderNamed(list), m_gameFolder))
            others.append(path);
    }
    return others;
}

// The files of other's generations, copied into this history unless it
// holds them already; one missing or damaged there stays so here (its
// generation says so when it is read).
Status BackupHistory::copyFilesOf(const BackupHistory &other,
                                  const QList<BackupGeneration> &generations)
{
    for (const BackupGeneration &generation : generations) {
        for (const QByteArray &hash : generation.hashes) {
            const Result<QByteArray> here = GameFiles::readWholeFile(blobPath(hash));
            if (here && sha256(*here) == hash)
                continue;
            const Result<QByteArray> there = GameFiles::readWholeFile(other.blobPath(hash));
            if (!there || sha256(*there) != hash)
                continue;
            if (const Status copied = SafeFile::replace(blobPath(hash), *there); !copied)
                return copied;
        }
    }
    return {};
}

Status BackupHistory::takeOverOthers(int waitMs)
{
    if (othersOfThisRoster().isEmpty())
        return {};
    if (!QDir().mkpath(m_path))
        return FileError{m_path, QStringLiteral("the folder could not be made")};
    const auto own = lockForWriting(listPath(), waitMs);
    if (!own)
        return own.error();
    const Result<QList<BackupGeneration>> mine = readList();
    if (!mine)
        return mine.error();
    QList<QList<BackupGeneration>> parts{*mine};
    QList<std::shared_ptr<FileLock>> held;
    QStringList taken;
    for (const QString &path : othersOfThisRoster()) {
        BackupHistory other = *this;
        other.m_path = path;
        const auto lock = lockForWriting(other.listPath(), waitMs);
        if (!lock)
            return lock.error();
        const Result<QList<BackupGeneration>> generations = other.readList();
        if (!generations || !QFileInfo::exists(other.listPath()))
            continue;
        if (const Status copied = copyFilesOf(other, *generations); !copied)
            return copied;
        held.append(*lock);
        taken.append(path);
        parts.append(*generations);
    }
    if (taken.isEmpty())
        return {};
    if (const Status listed = writeList(mergedGenerations(parts)); !listed)
        return listed;
    // Let go first: a lock file is in the folder that goes.
    held.clear();
    for (const QString &path : std::as_const(taken))
        QDir(path).removeRecursively();
    return {};
}

Status takeOverOlderHistories(const QString &folder, const FileSet &files, int waitMs)
{
    if (!QFileInfo(folder).isDir())
        return {};
    const Status journal =
        WriteJournal(folder, files.folder, files.keyFile, files.attFile).takeOverOthers(waitMs);
    BackupHistory history(folder, files);
    const Status backups = history.takeOverOthers(waitMs);
    return journal ? backups : journal;
}

} // namespace Puckdex
