#include "history/writejournal.h"

#include "history/filelocks.h"
#include "files/gamefiles.h"
#include "files/platformsync.h"
#include "files/safefile.h"
#include "settings/profilefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

namespace Puckdex {

namespace {

const QString kMagic = QStringLiteral("puckdex write journal");
constexpr int kVersion = 1;

QByteArray lineOf(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

QJsonObject playerObject(const PlayerChange &change)
{
    return {{QStringLiteral("offset"), change.offset},
            {QStringLiteral("att_offset"), change.attribOffset},
            {QStringLiteral("goalie"), change.goalie},
            {QStringLiteral("key_before"), hex(change.keyBefore)},
            {QStringLiteral("att_before"), hex(change.attBefore)},
            {QStringLiteral("key_after"), hex(change.keyAfter)},
            {QStringLiteral("att_after"), hex(change.attAfter)}};
}

// A save of one player is a line of his records; a write of several names
// what made it and lists each player's.
QByteArray writeLine(const JournalEntry &entry)
{
    QJsonObject object;
    if (entry.label.isEmpty() && entry.players.size() == 1) {
        object = playerObject(entry.players.first());
    } else {
        QJsonArray players;
        for (const PlayerChange &change : entry.players)
            players.append(playerObject(change));
        object.insert(QStringLiteral("label"), entry.label);
        object.insert(QStringLiteral("players"), players);
    }
    object.insert(QStringLiteral("seq"), entry.seq);
    object.insert(QStringLiteral("time"), entry.time.toUTC().toString(Qt::ISODate));
    return lineOf(object);
}

QByteArray undoneLine(int seq, const QDateTime &time)
{
    return lineOf({{QStringLiteral("undone"), seq},
                   {QStringLiteral("time"), time.toUTC().toString(Qt::ISODate)}});
}

// The bytes of a hex field of the given size, or why not.
std::optional<QString> readRecord(const QJsonObject &object, const char *name, int size,
                                  QByteArray &bytes)
{
    const QString key = QLatin1String(name);
    const QJsonValue value = object.value(key);
    const QByteArray text = value.toString().toLatin1();
    bytes = QByteArray::fromHex(text);
    if (!value.isString() || text.size() != 2 * size || bytes.toHex() != text.toLower())
        return QStringLiteral("%1 is not a record of %2 bytes in hex").arg(key).arg(size);
    return std::nullopt;
}

std::optional<QString> readWhole(const QJsonObject &object, const char *name, qint64 &number)
{
    const QJsonValue value = object.value(QLatin1String(name));
    const double d = value.toDouble(-1);
    if (!value.isDouble() || d < 0 || d != double(qint64(d)))
        return QStringLiteral("%1 is not a whole number").arg(QLatin1String(name));
    number = qint64(d);
    return std::nullopt;
}

// One player's change, from a write's line or from its list of players.
std::optional<QString> readPlayer(const QJsonObject &object, PlayerChange &change)
{
    if (auto problem = readWhole(object, "offset", change.offset))
        return problem;
    if (!GameFiles::isPlayerOffset(change.offset))
        return QStringLiteral("no player record starts at offset %1").arg(change.offset);
    if (auto problem = readWhole(object, "att_offset", change.attribOffset))
        return problem;
    const QJsonValue goalie = object.value(QStringLiteral("goalie"));
    if (!goalie.isBool())
        return QStringLiteral("goalie is neither true nor false");
    change.goalie = goalie.toBool();
    const int attSize = change.goalie ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
    for (const auto &[name, size, bytes] :
         {std::tuple{"key_before", PlayerRecord::Size, &change.keyBefore},
          std::tuple{"key_after", PlayerRecord::Size, &change.keyAfter},
          std::tuple{"att_before", attSize, &change.attBefore},
          std::tuple{"att_after", attSize, &change.attAfter}}) {
        if (auto problem = readRecord(object, name, size, *bytes))
            return problem;
    }
    for (const QByteArray *key : {&change.keyBefore, &change.keyAfter}) {
        PlayerRecord record;
        record.assign(*key);
        if (record.attribOffset() != change.attribOffset)
            return QStringLiteral("the key records point at another attribute record");
    }
    return std::nullopt;
}

std::optional<QString> readWrite(const QJsonObject &object, JournalEntry &entry)
{
    qint64 seq = 0;
    if (auto problem = readWhole(object, "seq", seq))
        return problem;
    entry.seq = int(seq);
    entry.time =
        QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODate);
    if (!entry.time.isValid())
        return QStringLiteral("time is not a date and time");
    if (!object.contains(QStringLiteral("players"))) {
        PlayerChange change;
        if (auto problem = readPlayer(object, change))
            return problem;
        entry.players.append(change);
        return std::nullopt;
    }
    const QJsonValue label = object.value(QStringLiteral("label"));
    const QJsonArray players = object.value(QStringLiteral("players")).toArray();
    if (!label.isString() || players.isEmpty())
        return QStringLiteral("a write of several players needs a label and its players");
    entry.label = label.toString();
    QSet<qint64> offsets;
    for (const QJsonValue &player : players) {
        PlayerChange change;
        if (auto problem = readPlayer(player.toObject(), change))
            return QStringLiteral("player %1: %2").arg(entry.players.size() + 1).arg(*problem);
        if (offsets.contains(change.offset))
            return QStringLiteral("offset %1 is listed twice").arg(change.offset);
        offsets.insert(change.offset);
        entry.players.append(change);
    }
    return std::nullopt;
}

} // namespace

QString canonicalGameFolder(const QString &folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

QString fileSetId(const QString &gameFolder, const QString &keyFile, const QString &attFile)
{
    const QByteArray id = QCryptographicHash::hash(
        QStringLiteral("%1\n%2\n%3")
            .arg(canonicalGameFolder(gameFolder), QFileInfo(keyFile).fileName().toLower(),
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
    : m_path(QDir(folder).filePath(QStringLiteral("puckdex-journal-%1.jsonl")
                                       .arg(fileSetId(gameFolder, keyFile, attFile)))),
      m_gameFolder(canonicalGameFolder(gameFolder)),
      m_keyName(QFileInfo(keyFile).fileName().toLower()),
      m_attName(QFileInfo(attFile).fileName().toLower())
{
}

QString WriteJournal::defaultFolder()
{
    return QFileInfo(settingsFilePath()).absolutePath();
}

QByteArray WriteJournal::headerLine() const
{
    return lineOf({{QStringLiteral("journal"), kMagic},
                   {QStringLiteral("version"), kVersion},
                   {QStringLiteral("folder"), QDir::toNativeSeparators(m_gameFolder)},
                   {QStringLiteral("key"), m_keyName},
                   {QStringLiteral("att"), m_attName}});
}

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
        return FileError{m_path, QStringLiteral("line %1 is damaged: %2; the journal was not "
                                                "used")
                                     .arg(line + 1)
                                     .arg(why)};
    };

    const QJsonObject header = QJsonDocument::fromJson(lines.first()).object();
    if (header.value(QStringLiteral("journal")).toString() != kMagic ||
        header.value(QStringLiteral("version")).toInt() != kVersion)
        return damaged(0, QStringLiteral("it is not the first line of a Puckdex write journal"));
    const QString folder =
        QDir::fromNativeSeparators(header.value(QStringLiteral("folder")).toString());
    const QString key = header.value(QStringLiteral("key")).toString();
    const QString att = header.value(QStringLiteral("att")).toString();
    if (folder != m_gameFolder || key != m_keyName || att != m_attName) {
        return FileError{m_path,
                         QStringLiteral("the journal belongs to %1 in %2, not to %3 in %4; it "
                                        "was not used")
                             .arg(key, QDir::toNativeSeparators(folder), m_keyName,
                                  QDir::toNativeSeparators(m_gameFolder))};
    }

    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            return damaged(i, QStringLiteral("it is empty"));
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(lines[i], &error);
        if (!document.isObject())
            return damaged(i, QStringLiteral("it is not a JSON object"));
        const QJsonObject object = document.object();
        if (object.contains(QStringLiteral("undone"))) {
            qint64 seq = 0;
            if (auto problem = readWhole(object, "undone", seq))
                return damaged(i, *problem);
            if (seq < 1 || seq > contents.lastSeq || contents.undone.contains(int(seq)))
                return damaged(i, QStringLiteral("it undoes write %1, which is not there to "
                                                 "undo")
                                      .arg(seq));
            contents.undone.append(int(seq));
            continue;
        }
        JournalEntry entry;
        if (auto problem = readWrite(object, entry))
            return damaged(i, *problem);
        if (entry.seq <= contents.lastSeq)
            return damaged(i, QStringLiteral("its number %1 does not follow %2")
                                  .arg(entry.seq)
                                  .arg(contents.lastSeq));
        contents.lastSeq = entry.seq;
        contents.writes.append(entry);
    }
    return contents;
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

Status WriteJournal::appendLines(const QByteArray &lines, qint64 complete)
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
    if (!syncToDisk(file) || (fresh && !syncFolder(folder)))
        return FileError{m_path, QStringLiteral("the journal could not be put on the disk")};
    return {};
}

Status WriteJournal::rewrite(const Contents &contents)
{
    QByteArray bytes = headerLine();
    for (const JournalEntry &entry : contents.writes) {
        bytes += writeLine(entry);
        if (contents.undone.contains(entry.seq))
            bytes += undoneLine(entry.seq, QDateTime::currentDateTimeUtc());
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

// The newest writes that fit the capacity, and always the newest.
QList<JournalEntry> newestOf(const QList<JournalEntry> &writes)
{
    qsizetype first = writes.size() - 1;
    qsizetype players = writes.last().players.size();
    while (first > 0 && writes.size() - first < WriteJournal::Capacity
           && players + writes[first - 1].players.size() <= WriteJournal::PlayerCapacity)
        players += writes[--first].players.size();
    return writes.mid(first);
}

} // namespace

Status WriteJournal::append(JournalEntry &entry, const FileLock &)
{
    // While this process holds the lock the file grows only by its own
    // appends: what another wrote before shows as another size or time.
    const QFileInfo info(m_path);
    qint64 complete = m_knownSize;
    if (!info.exists() || info.size() != m_knownSize || info.lastModified() != m_knownTime) {
        const Result<Contents> contents = read();
        if (!contents)
            return contents.error();
        m_knownLastSeq = contents->lastSeq;
        m_knownWrites = contents->writes.size();
        m_knownPlayers = playersOf(contents->writes);
        complete = contents->complete;
    }
    entry.seq = m_knownLastSeq + 1;
    m_knownSize = -1;
    if (const Status added = appendLines(writeLine(entry), complete); !added)
        return added;
    m_knownLastSeq = entry.seq;
    ++m_knownWrites;
    m_knownPlayers += entry.players.size();
    if (m_knownWrites > Capacity + Capacity / 10
        || m_knownPlayers > PlayerCapacity + PlayerCapacity / 10) {
        Result<Contents> kept = read();
        if (!kept)
            return kept.error();
        kept->writes = newestOf(kept->writes);
        if (const Status rewritten = rewrite(*kept); !rewritten)
            return rewritten;
        m_knownWrites = kept->writes.size();
        m_knownPlayers = playersOf(kept->writes);
    }
    const QFileInfo written(m_path);
    m_knownSize = written.size();
    m_knownTime = written.lastModified();
    return {};
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
    return appendLines(lines, contents->complete);
}

} // namespace Puckdex
