#include "history/journallines.h"

#include "files/gamefiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace Puckdex::JournalLines {

QByteArray lineOf(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

static QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

static QJsonObject playerObject(const PlayerChange &change)
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
static QByteArray packPlayers(const QList<PlayerChange> &players)
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

QByteArray begunLine(const QString &what, const QDateTime &time, std::optional<int> restoreKept)
{
    QJsonObject object{{QStringLiteral("begun"), what},
                       {QStringLiteral("time"), time.toUTC().toString(Qt::ISODate)}};
    if (restoreKept)
        object.insert(QStringLiteral("restore"), *restoreKept);
    return lineOf(object);
}

QByteArray doneLine()
{
    return lineOf({{QStringLiteral("done"), true}});
}

// The bytes of a hex field of the given size, or why not.
static std::optional<QString> readRecord(const QJsonObject &object, const char *name, int size,
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
static std::optional<QString> checkChange(const PlayerChange &change)
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
static std::optional<QString> readPlayer(const QJsonObject &object, PlayerChange &change)
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
static std::optional<QByteArray> fromHexDigits(const QByteArray &text)
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
static std::optional<QString> unpackPlayers(const QByteArray &text, QList<PlayerChange> &players)
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

} // namespace Puckdex::JournalLines
