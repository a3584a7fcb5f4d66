#include "history/writejournal.h"

#include "history/journallines.h"

#include "history/filelocks.h"
#include "files/gamefiles.h"
#include "files/platformsync.h"
#include "files/safefile.h"
#include "settings/profilefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <functional>
#include <utility>

namespace Puckdex {

namespace {

const QString kMagic = QStringLiteral("puckdex write journal");
constexpr int kVersion = 1;

} // namespace

using namespace JournalLines;

QString fileSetId(const FolderIdentity &gameFolder, const QString &keyFile, const QString &attFile)
{
    const QByteArray id = QCryptographicHash::hash(
        QStringLiteral("%1\n%2\n%3")
            .arg(gameFolder.key, QFileInfo(keyFile).fileName().toLower(),
                 QFileInfo(attFile).fileName().toLower())
            .toUtf8(),
        QCryptographicHash::Sha1);
    return QString::fromLatin1(id.toHex().left(12));
}

bool JournalEntry::changesAnything() const
{
    return std::any_of(players.cbegin(), players.cend(),
                       [](const PlayerChange &change) { return change.changesAnything(); });
}

QString JournalEntry::playerName() const
{
    if (label.isEmpty() && players.size() == 1)
        return players.first().playerName();
    return QStringLiteral("%1: %2 %3")
        .arg(label)
        .arg(players.size())
        .arg(QLatin1String(players.size() == 1 ? "player" : "players"));
}

JournalEntry JournalEntry::of(const QString &label, const QList<PlayerChange> &players)
{
    JournalEntry entry;
    entry.time = QDateTime::currentDateTimeUtc();
    entry.label = label;
    entry.players = players;
    return entry;
}

JournalEntry JournalEntry::of(qint64 offset, bool goalie, const WrittenPlayer &written)
{
    return of(QString(), {{offset, written.attribOffset, goalie, written.keyBefore,
                           written.attBefore, written.key.toByteArray(),
                           written.attBytes(goalie)}});
}

Result<QList<PlayerChange>, PlayerWriteError> JournalEntry::undo(const QString &keyFile,
                                                                 const QString &attFile) const
{
    QList<PlayerChange> back;
    for (const PlayerChange &change : players)
        back.append(change.reversed());
    return writeChangesOver(keyFile, attFile, back);
}

Result<QList<PlayerChange>, PlayerWriteError> JournalEntry::redo(const QString &keyFile,
                                                                 const QString &attFile) const
{
    return writeChangesOver(keyFile, attFile, players);
}

WriteJournal::WriteJournal(const QString &folder, const QString &gameFolder, const QString &keyFile,
                           const QString &attFile)
    : m_gameFolder(folderIdentity(gameFolder)),
      m_keyName(QFileInfo(keyFile).fileName().toLower()),
      m_attName(QFileInfo(attFile).fileName().toLower())
{
    m_path = QDir(folder).filePath(QStringLiteral("puckdex-journal-%1.jsonl")
                                       .arg(fileSetId(m_gameFolder, keyFile, attFile)));
}

QString WriteJournal::defaultFolder()
{
    return QFileInfo(settingsFilePath()).absolutePath();
}

QByteArray WriteJournal::headerLine() const
{
    return lineOf({{QStringLiteral("journal"), kMagic},
                   {QStringLiteral("version"), kVersion},
                   {QStringLiteral("folder"), QDir::toNativeSeparators(m_gameFolder.path)},
                   {QStringLiteral("key"), m_keyName},
                   {QStringLiteral("att"), m_attName}});
}

namespace {

// What an unfinished action was to change: the records its writes were to
// leave, and for the undoing of earlier writes, the records as those writes
// left them (newest first) and as the oldest found them.
QList<PlayerChange> actionChanges(const QList<JournalEntry> &done,
                                  const QList<JournalEntry> &writes, QList<int> undone)
{
    QList<PlayerChange> changes;
    for (const JournalEntry &entry : writes)
        changes += entry.players;
    std::sort(undone.begin(), undone.end(), std::greater<>());
    QHash<qint64, qsizetype> at;
    for (const int seq : undone) {
        const auto entry = std::find_if(done.cbegin(), done.cend(),
                                        [seq](const JournalEntry &e) { return e.seq == seq; });
        if (entry == done.cend())
            continue;
        for (const PlayerChange &change : entry->players) {
            if (!at.contains(change.offset)) {
                at.insert(change.offset, changes.size());
                changes.append(change.reversed());
            }
            PlayerChange &back = changes[at.value(change.offset)];
            back.keyAfter = change.keyBefore;
            back.attAfter = change.attBefore;
        }
    }
    return changes;
}

} // namespace

Result<WriteJournal::Contents> WriteJournal::read() const
{
    Contents contents;
    QFile file(m_path);
    if (!file.exists())
        return contents;
    if (!file.open(QIODevice::ReadOnly))
        return SafeFile::failure(m_path, file, false);
    const QByteArray bytes = file.readAll();
    // A line without its end is an addition whose writer was stopped in the
    // middle of it (a kill, a power cut): no write. A journal without a whole
    // line is one whose first addition did not get through.
    contents.complete = bytes.lastIndexOf('\n') + 1;
    if (contents.complete == 0)
        return contents;
    const QList<QByteArray> lines = bytes.left(contents.complete - 1).split('\n');
    const auto damaged = [this](qsizetype line, const QString &why) {
        return damagedLine(line, why);
    };

    const QJsonObject header = QJsonDocument::fromJson(lines.first()).object();
    if (header.value(QStringLiteral("journal")).toString() != kMagic ||
        header.value(QStringLiteral("version")).toInt() != kVersion)
        return damaged(0, QStringLiteral("it is not the first line of a Puckdex write journal"));
    const QString folder =
        QDir::fromNativeSeparators(header.value(QStringLiteral("folder")).toString());
    const QString key = header.value(QStringLiteral("key")).toString();
    const QString att = header.value(QStringLiteral("att")).toString();
    if (key != m_keyName || att != m_attName || !isSameFolder(folder, m_gameFolder)) {
        return FileError{m_path,
                         QStringLiteral("the journal belongs to %1 in %2, not to %3 in %4; it "
                                        "was not used")
                             .arg(key, QDir::toNativeSeparators(folder), m_keyName,
                                  QDir::toNativeSeparators(m_gameFolder.path))};
    }

    if (const Status body = readLines(lines, contents); !body)
        return body.error();
    return contents;
}

FileError WriteJournal::damagedLine(qsizetype line, const QString &why) const
{
    return FileError{m_path, QStringLiteral("line %1 is damaged: %2; the journal was not used")
                                 .arg(line + 1)
                                 .arg(why)};
}

Status WriteJournal::readLines(const QList<QByteArray> &lines, Contents &contents) const
{
    // The lines of an action begun and not (yet) done count only once its
    // done mark follows.
    Contents open;
    qint64 at = lines.first().size() + 1;
    const auto damaged = [this](qsizetype line, const QString &why) {
        return damagedLine(line, why);
    };
    for (qsizetype i = 1; i < lines.size(); at += lines[i].size() + 1, ++i) {
        if (lines[i].isEmpty())
            return damaged(i, QStringLiteral("it is empty"));
        QByteArray rest = lines[i];
        const QByteArray packed = takePackedPlayers(rest);
        const QJsonDocument document = QJsonDocument::fromJson(rest);
        if (!document.isObject())
            return damaged(i, QStringLiteral("it is not a JSON object"));
        const QJsonObject object = document.object();
        if (object.contains(QStringLiteral("begun"))) {
            if (contents.unfinished)
                return damaged(i, QStringLiteral("it begins an action inside another"));
            contents.unfinished = UnfinishedAction{
                object.value(QStringLiteral("begun")).toString(),
                QDateTime::fromString(object.value(QStringLiteral("time")).toString(),
                                      Qt::ISODate),
                {}, std::nullopt, at};
            if (object.contains(QStringLiteral("restore")))
                contents.unfinished->restoreKept = object.value(QStringLiteral("restore")).toInt();
            continue;
        }
        if (object.contains(QStringLiteral("done"))) {
            if (!contents.unfinished)
                return damaged(i, QStringLiteral("it ends an action that was not begun"));
            contents.writes += std::exchange(open.writes, {});
            contents.lines += std::exchange(open.lines, {});
            contents.undone += std::exchange(open.undone, {});
            contents.unfinished.reset();
            continue;
        }
        Contents &into = contents.unfinished ? open : contents;
        if (object.contains(QStringLiteral("undone"))) {
            qint64 seq = 0;
            if (auto problem = readWhole(object, "undone", seq))
                return damaged(i, *problem);
            if (seq < 1 || seq > contents.lastSeq || contents.undone.contains(int(seq))
                || open.undone.contains(int(seq)))
                return damaged(i, QStringLiteral("it undoes write %1, which is not there to "
                                                 "undo")
                                      .arg(seq));
            into.undone.append(int(seq));
            continue;
        }
        JournalEntry entry;
        if (auto problem = readWrite(object, packed, entry))
            return damaged(i, *problem);
        if (entry.seq <= contents.lastSeq)
            return damaged(i, QStringLiteral("its number %1 does not follow %2")
                                  .arg(entry.seq)
                                  .arg(contents.lastSeq));
        contents.lastSeq = entry.seq;
        into.writes.append(entry);
        into.lines.append(lines[i]);
    }
    if (contents.unfinished)
        contents.unfinished->changes = actionChanges(contents.writes, open.writes, open.undone);
    return {};
}


Result<QList<JournalEntry>> WriteJournal::pending() const
{
    const Result<Contents> contents = read();
    if (!contents)
        return contents.error();
    QList<JournalEntry> entries;
    for (const JournalEntry &entry : contents->writes) {
        if (!contents->undone.contains(entry.seq))
            entries.append(entry);
    }
    return entries;
}

Result<std::shared_ptr<FileLock>> WriteJournal::lock() const
{
    return lockForWriting(m_path);
}

Status WriteJournal::appendLines(const QByteArray &lines, qint64 complete, bool durable)
{
    const bool fresh = complete == 0;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (fresh && !QDir().mkpath(folder))
        return FileError{m_path, QStringLiteral("its folder could not be made")};
    QFile file(m_path);
    // Unbuffered, so that what did get written is on the file when it is cut
    // back, and nothing is left in a buffer to be written when it closes.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return SafeFile::failure(m_path, file, true);
    // What a writer stopped in the middle of a line left goes first.
    if (file.size() != complete && !file.resize(complete))
        return SafeFile::failure(m_path, file, true);
    const QByteArray bytes = fresh ? headerLine() + lines : lines;
    if (!file.seek(complete) || file.write(bytes) != bytes.size()) {
        const FileError error = SafeFile::failure(m_path, file, true);
        // Half a line (a full disk) would make the whole journal unreadable:
        // it goes back to the lines it had.
        file.resize(complete);
        return error;
    }
    if (durable && (!syncToDisk(file) || (fresh && !syncFolder(folder))))
        return FileError{m_path, QStringLiteral("the journal could not be put on the disk")};
    return {};
}

Status WriteJournal::rewrite(const Contents &contents)
{
    // Each write's line as it was read, its undo mark after it.
    QByteArray bytes = headerLine();
    for (qsizetype i = 0; i < contents.writes.size(); ++i) {
        bytes += contents.lines[i] + '\n';
        if (contents.undone.contains(contents.writes[i].seq))
            bytes += undoneLine(contents.writes[i].seq, QDateTime::currentDateTimeUtc());
    }
    return SafeFile::replace(m_path, bytes);
}

Status WriteJournal::append(JournalEntry &entry)
{
    const auto held = lock();
    if (!held)
        return held.error();
    return append(entry, **held);
}

namespace {

qsizetype playersOf(const QList<JournalEntry> &writes)
{
    qsizetype players = 0;
    for (const JournalEntry &entry : writes)
        players += entry.players.size();
    return players;
}

// Where the newest writes that fit the capacity start; the newest always
// fits.
qsizetype newestFitting(const QList<JournalEntry> &writes)
{
    qsizetype first = writes.size() - 1;
    qsizetype players = writes.last().players.size();
    while (first > 0 && writes.size() - first < WriteJournal::Capacity
           && players + writes[first - 1].players.size() <= WriteJournal::PlayerCapacity)
        players += writes[--first].players.size();
    return first;
}

} // namespace

Result<qint64> WriteJournal::knownEnd(std::optional<Contents> &known)
{
    // While this process holds the lock the file grows only by its own
    // appends: what another wrote before shows as another size or time.
    const QFileInfo info(m_path);
    if (info.exists() && info.size() == m_knownSize && info.lastModified() == m_knownTime)
        return m_knownSize;
    Result<Contents> contents = read();
    if (!contents)
        return contents.error();
    m_knownLastSeq = contents->lastSeq;
    m_knownWrites = contents->writes.size();
    m_knownPlayers = playersOf(contents->writes);
    const qint64 complete = contents->complete;
    known = std::move(*contents);
    return complete;
}

void WriteJournal::noteWritten(const JournalEntry &entry)
{
    m_knownLastSeq = entry.seq;
    ++m_knownWrites;
    m_knownPlayers += entry.players.size();
}

void WriteJournal::noteFileState()
{
    const QFileInfo written(m_path);
    m_knownSize = written.size();
    m_knownTime = written.lastModified();
}

Status WriteJournal::cutBack(std::optional<Contents> &known, const QByteArray &line,
                             const JournalEntry &entry)
{
    if (m_knownWrites <= Capacity + Capacity / 10
        && m_knownPlayers <= PlayerCapacity + PlayerCapacity / 10)
        return {};
    if (known) {
        known->writes.append(entry);
        known->lines.append(line.chopped(1));
    } else {
        Result<Contents> contents = read();
        if (!contents)
            return contents.error();
        known = std::move(*contents);
    }
    const qsizetype first = newestFitting(known->writes);
    known->writes = known->writes.mid(first);
    known->lines = known->lines.mid(first);
    if (const Status rewritten = rewrite(*known); !rewritten)
        return rewritten;
    m_knownWrites = known->writes.size();
    m_knownPlayers = playersOf(known->writes);
    return {};
}

Status WriteJournal::append(JournalEntry &entry, const FileLock &)
{
    std::optional<Contents> known; // what was read, when it was
    const Result<qint64> complete = knownEnd(known);
    if (!complete)
        return complete.error();
    entry.seq = m_knownLastSeq + 1;
    m_knownSize = -1;
    const QByteArray line = writeLine(entry);
    // A save of one player in the window goes to the disk with the system's
    // next flush: his records were synced before it, the window keeps the
    // run's saves for undo itself, and a sync more would double the cost of
    // leaving a player. A power cut in between loses at most that line (its
    // undo from the command line), never a record. Every other write (an
    // import, whose journal entry is its only way back) is put on the disk.
    const bool durable = entry.players.size() > 1 || !entry.label.isEmpty();
    if (const Status added = appendLines(line, *complete, durable); !added)
        return added;
    noteWritten(entry);
    if (const Status cut = cutBack(known, line, entry); !cut)
        return cut;
    noteFileState();
    return {};
}

Status WriteJournal::begin(const QString &what, JournalEntry *write, const QList<int> &undone,
                           const FileLock &, std::optional<int> restoreKept)
{
    m_begun.reset();
    // Undo marks are checked against the journal as it is.
    if (!undone.isEmpty())
        m_knownSize = -1;
    Begun begun;
    const Result<qint64> end = knownEnd(begun.known);
    if (!end)
        return end.error();
    if (begun.known && begun.known->unfinished)
        return FileError{m_path, QStringLiteral("it holds an action that was interrupted and has "
                                                "not been set back")};
    begun.at = *end;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QByteArray bytes = begunLine(what, now, restoreKept);
    if (write) {
        write->seq = m_knownLastSeq + 1;
        begun.line = writeLine(*write);
        begun.write = *write;
        bytes += begun.line;
    }
    for (const int seq : undone) {
        if (seq >= 1 && seq <= m_knownLastSeq && !(begun.known && begun.known->undone.contains(seq)))
            bytes += undoneLine(seq, now);
    }
    m_knownSize = -1;
    if (const Status added = appendLines(bytes, begun.at, true); !added)
        return added;
    if (write)
        m_knownLastSeq = write->seq;
    noteFileState();
    m_begun = std::move(begun);
    return {};
}

Status WriteJournal::finish(const FileLock &)
{
    if (!m_begun)
        return {};
    const qint64 end = m_knownSize;
    m_knownSize = -1;
    // Not done, the action stays begun for abandon().
    if (const Status added = appendLines(doneLine(), end, true); !added)
        return added;
    Begun begun = std::move(*m_begun);
    m_begun.reset();
    if (begun.write) {
        noteWritten(*begun.write);
        if (const Status cut = cutBack(begun.known, begun.line, *begun.write); !cut)
            return cut;
    }
    noteFileState();
    return {};
}

Status WriteJournal::truncateTo(qint64 at)
{
    m_knownSize = -1;
    // A journal that held nothing before the action goes as a whole.
    if (at == 0)
        return QFile::remove(m_path) || !QFileInfo::exists(m_path)
                   ? Status()
                   : Status(FileError{m_path, QStringLiteral("it could not be removed")});
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) || !file.resize(at)
        || !syncToDisk(file))
        return SafeFile::failure(m_path, file, true);
    return {};
}

Status WriteJournal::abandon(const FileLock &)
{
    if (!m_begun)
        return {};
    const qint64 at = m_begun->at;
    m_begun.reset();
    return truncateTo(at);
}

Result<std::optional<UnfinishedAction>> WriteJournal::unfinished()
{
    // A journal as this run left it holds no action of another's.
    std::optional<Contents> known;
    const Result<qint64> end = knownEnd(known);
    if (!end)
        return end.error();
    if (!known)
        return std::optional<UnfinishedAction>();
    if (QFileInfo::exists(m_path))
        noteFileState();
    return known->unfinished;
}

Status WriteJournal::dropUnfinished(const UnfinishedAction &action, const FileLock &)
{
    return truncateTo(action.begunAt);
}

Status WriteJournal::markUndone(int seq)
{
    if (seq < 1 || !QFileInfo::exists(m_path))
        return {};
    const auto held = lock();
    if (!held)
        return held.error();
    return markUndone({seq}, **held);
}

Status WriteJournal::markUndone(const QList<int> &seqs, const FileLock &)
{
    if (!QFileInfo::exists(m_path))
        return {};
    const Result<Contents> contents = read();
    if (!contents)
        return contents.error();
    QByteArray lines;
    QList<int> marked = contents->undone;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const int seq : seqs) {
        if (seq < 1 || seq > contents->lastSeq || marked.contains(seq))
            continue;
        marked.append(seq);
        lines += undoneLine(seq, now);
    }
    m_knownSize = -1;
    if (lines.isEmpty())
        return {};
    return appendLines(lines, contents->complete, true);
}

} // namespace Puckdex
