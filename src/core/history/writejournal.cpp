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
#include <QtEndian>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <array>

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

// A write of several players keeps their records packed in one hex string,
// player after player: his key record's offset and his attribute record's
// (4 bytes each, little-endian), 1 for a goalie or 0, then his key record
// before, his attribute record before, his key record after and his
// attribute record after. One string is read and written far faster than an
// object for each player of a whole league.
QByteArray packPlayers(const QList<PlayerChange> &players)
{
    QByteArray packed;
    for (const PlayerChange &change : players) {
        char numbers[9];
        qToLittleEndian<quint32>(quint32(change.offset), numbers);
        qToLittleEndian<quint32>(quint32(change.attribOffset), numbers + 4);
        numbers[8] = change.goalie ? 1 : 0;
        packed.append(numbers, sizeof numbers);
        packed += change.keyBefore + change.attBefore + change.keyAfter + change.attAfter;
    }
    return packed.toHex();
}

// A save of one player is a line of his records; a write of several names
// what made it and packs its players' records.
QByteArray writeLine(const JournalEntry &entry)
{
    const QString time = entry.time.toUTC().toString(Qt::ISODate);
    if (entry.label.isEmpty() && entry.players.size() == 1) {
        QJsonObject object = playerObject(entry.players.first());
        object.insert(QStringLiteral("seq"), entry.seq);
        object.insert(QStringLiteral("time"), time);
        return lineOf(object);
    }
    // Put together as JSON would write it, the keys in order; the label is
    // the one text that may need escaping.
    const QByteArray label = QJsonDocument(QJsonArray{entry.label}).toJson(QJsonDocument::Compact);
    return "{\"label\":" + label.mid(1, label.size() - 2) + ",\"players\":\""
           + packPlayers(entry.players) + "\",\"seq\":" + QByteArray::number(entry.seq)
           + ",\"time\":\"" + time.toLatin1() + "\"}\n";
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

// What a write's change of one player must be: a player record's offset,
// his key records pointing at his attribute record.
std::optional<QString> checkChange(const PlayerChange &change)
{
    if (!GameFiles::isPlayerOffset(change.offset))
        return QStringLiteral("no player record starts at offset %1").arg(change.offset);
    for (const QByteArray *key : {&change.keyBefore, &change.keyAfter}) {
        PlayerRecord record;
        record.assign(*key);
        if (record.attribOffset() != change.attribOffset)
            return QStringLiteral("the key records point at another attribute record");
    }
    return std::nullopt;
}

// One player's change, from a save's line.
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
    return checkChange(change);
}

// The bytes of lower-case hex digits, in one pass; none when a character is
// not one (or one is missing).
std::optional<QByteArray> fromHexDigits(const QByteArray &text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    static const std::array<qint8, 256> digits = [] {
        std::array<qint8, 256> table;
        table.fill(-1);
        for (int d = 0; d < 16; ++d)
            table[uchar("0123456789abcdef"[d])] = qint8(d);
        return table;
    }();
    QByteArray bytes(text.size() / 2, Qt::Uninitialized);
    const auto *in = reinterpret_cast<const uchar *>(text.constData());
    char *out = bytes.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int high = digits[in[2 * i]], low = digits[in[2 * i + 1]];
        if ((high | low) < 0)
            return std::nullopt;
        out[i] = char(high << 4 | low);
    }
    return bytes;
}

// The players of a write of several, from their packed records.
std::optional<QString> unpackPlayers(const QByteArray &text, QList<PlayerChange> &players)
{
    const std::optional<QByteArray> bytes = fromHexDigits(text);
    if (text.isEmpty() || !bytes)
        return QStringLiteral("players is not the players' records in hex");
    const QByteArray &packed = *bytes;
    QSet<qint64> offsets;
    for (qsizetype at = 0; at < packed.size();) {
        PlayerChange change;
        if (packed.size() - at < 9)
            return QStringLiteral("player %1 is cut short").arg(players.size() + 1);
        change.offset = qFromLittleEndian<quint32>(packed.constData() + at);
        change.attribOffset = qFromLittleEndian<quint32>(packed.constData() + at + 4);
        change.goalie = packed.at(at + 8) != 0;
        const qsizetype attSize =
            change.goalie ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
        const qsizetype size = 2 * (PlayerRecord::Size + attSize);
        if (quint8(packed.at(at + 8)) > 1 || packed.size() - at - 9 < size)
            return QStringLiteral("player %1 is cut short").arg(players.size() + 1);
        at += 9;
        for (QByteArray *bytes : {&change.keyBefore, &change.attBefore, &change.keyAfter,
                                  &change.attAfter}) {
            const qsizetype n = bytes == &change.keyBefore || bytes == &change.keyAfter
                                    ? PlayerRecord::Size
                                    : attSize;
            *bytes = packed.mid(at, n);
            at += n;
        }
        if (auto problem = checkChange(change))
            return QStringLiteral("player %1: %2").arg(players.size() + 1).arg(*problem);
        if (offsets.contains(change.offset))
            return QStringLiteral("offset %1 is listed twice").arg(change.offset);
        offsets.insert(change.offset);
        players.append(std::move(change));
    }
    return std::nullopt;
}

// The packed records of a write of several players, taken out of its line
// before the rest is read as JSON (leaving "players":""): the one long value
// would cost most of the parse, and holds hex digits only. No quote can come
// before it unescaped but the keys' own, so the first "players":" is the key.
QByteArray takePackedPlayers(QByteArray &line)
{
    static const QByteArray key = QByteArrayLiteral("\"players\":\"");
    const qsizetype start = line.indexOf(key);
    const qsizetype from = start + key.size();
    const qsizetype end = start < 0 ? -1 : line.indexOf('"', from);
    if (end < 0)
        return {};
    QByteArray packed = line.mid(from, end - from);
    line.remove(from, end - from);
    return packed;
}

std::optional<QString> readWrite(const QJsonObject &object, const QByteArray &packed,
                                 JournalEntry &entry)
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
    const QJsonValue players = object.value(QStringLiteral("players"));
    if (!label.isString() || !players.isString() || !players.toString().isEmpty())
        return QStringLiteral("a write of several players needs a label and its players");
    entry.label = label.toString();
    return unpackPlayers(packed, entry.players);
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
        QByteArray rest = lines[i];
        const QByteArray packed = takePackedPlayers(rest);
        const QJsonDocument document = QJsonDocument::fromJson(rest);
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
        if (auto problem = readWrite(object, packed, entry))
            return damaged(i, *problem);
        if (entry.seq <= contents.lastSeq)
            return damaged(i, QStringLiteral("its number %1 does not follow %2")
                                  .arg(entry.seq)
                                  .arg(contents.lastSeq));
        contents.lastSeq = entry.seq;
        contents.writes.append(entry);
        contents.lines.append(lines[i]);
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

Status WriteJournal::append(JournalEntry &entry, const FileLock &)
{
    // While this process holds the lock the file grows only by its own
    // appends: what another wrote before shows as another size or time.
    const QFileInfo info(m_path);
    qint64 complete = m_knownSize;
    std::optional<Contents> known; // what was read, when it was
    if (!info.exists() || info.size() != m_knownSize || info.lastModified() != m_knownTime) {
        Result<Contents> contents = read();
        if (!contents)
            return contents.error();
        m_knownLastSeq = contents->lastSeq;
        m_knownWrites = contents->writes.size();
        m_knownPlayers = playersOf(contents->writes);
        complete = contents->complete;
        known = std::move(*contents);
    }
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
    if (const Status added = appendLines(line, complete, durable); !added)
        return added;
    m_knownLastSeq = entry.seq;
    ++m_knownWrites;
    m_knownPlayers += entry.players.size();
    if (m_knownWrites > Capacity + Capacity / 10
        || m_knownPlayers > PlayerCapacity + PlayerCapacity / 10) {
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
    return appendLines(lines, contents->complete, true);
}

} // namespace Puckdex
