#include "history/writejournal.h"

#include "history/filelocks.h"
#include "files/gamefiles.h"
#include "files/safefile.h"
#include "settings/profilefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

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

QByteArray writeLine(const JournalEntry &entry)
{
    return lineOf({{QStringLiteral("seq"), entry.seq},
                   {QStringLiteral("time"), entry.time.toUTC().toString(Qt::ISODate)},
                   {QStringLiteral("offset"), entry.offset},
                   {QStringLiteral("att_offset"), entry.attribOffset},
                   {QStringLiteral("goalie"), entry.goalie},
                   {QStringLiteral("key_before"), hex(entry.keyBefore)},
                   {QStringLiteral("att_before"), hex(entry.attBefore)},
                   {QStringLiteral("key_after"), hex(entry.keyAfter)},
                   {QStringLiteral("att_after"), hex(entry.attAfter)}});
}

QByteArray undoneLine(int seq)
{
    return lineOf(
        {{QStringLiteral("undone"), seq},
         {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)}});
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
    if (auto problem = readWhole(object, "offset", entry.offset))
        return problem;
    if (!GameFiles::isPlayerOffset(entry.offset))
        return QStringLiteral("no player record starts at offset %1").arg(entry.offset);
    if (auto problem = readWhole(object, "att_offset", entry.attribOffset))
        return problem;
    const QJsonValue goalie = object.value(QStringLiteral("goalie"));
    if (!goalie.isBool())
        return QStringLiteral("goalie is neither true nor false");
    entry.goalie = goalie.toBool();
    const int attSize = entry.goalie ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
    for (const auto &[name, size, bytes] :
         {std::tuple{"key_before", PlayerRecord::Size, &entry.keyBefore},
          std::tuple{"key_after", PlayerRecord::Size, &entry.keyAfter},
          std::tuple{"att_before", attSize, &entry.attBefore},
          std::tuple{"att_after", attSize, &entry.attAfter}}) {
        if (auto problem = readRecord(object, name, size, *bytes))
            return problem;
    }
    for (const QByteArray *key : {&entry.keyBefore, &entry.keyAfter}) {
        PlayerRecord record;
        record.assign(*key);
        if (record.attribOffset() != entry.attribOffset)
            return QStringLiteral("the key records point at another attribute record");
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

QString JournalEntry::playerName() const
{
    PlayerRecord record;
    record.assign(keyAfter);
    return QStringLiteral("%1 %2").arg(record.firstName(), record.lastName()).trimmed();
}

JournalEntry JournalEntry::of(qint64 offset, bool goalie, const WrittenPlayer &written)
{
    JournalEntry entry;
    entry.time = QDateTime::currentDateTimeUtc();
    entry.offset = offset;
    entry.attribOffset = written.attribOffset;
    entry.goalie = goalie;
    entry.keyBefore = written.keyBefore;
    entry.attBefore = written.attBefore;
    entry.keyAfter = written.key.toByteArray();
    entry.attAfter = written.attBytes(goalie);
    return entry;
}

Result<WrittenPlayer, PlayerWriteError> JournalEntry::undo(const QString &keyFile,
                                                           const QString &attFile) const
{
    return writePlayerBytesBack(keyFile, attFile, offset, goalie, keyAfter, attAfter, keyBefore,
                                attBefore);
}

Result<WrittenPlayer, PlayerWriteError> JournalEntry::redo(const QString &keyFile,
                                                           const QString &attFile) const
{
    return writePlayerBytesBack(keyFile, attFile, offset, goalie, keyBefore, attBefore, keyAfter,
                                attAfter);
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
    // An empty file is a journal whose first write did not get through.
    if (!file.exists() || file.size() == 0)
        return contents;
    if (!file.open(QIODevice::ReadOnly))
        return SafeFile::failure(m_path, file, false);
    const QList<QByteArray> lines = file.readAll().split('\n');
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
        if (lines[i].isEmpty()) {
            if (i == lines.size() - 1)
                break;
            return damaged(i, QStringLiteral("it is empty"));
        }
        if (i == lines.size() - 1)
            return damaged(i, QStringLiteral("it ends without a line end"));
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

Status WriteJournal::appendLine(const QByteArray &line)
{
    QFile file(m_path);
    const bool fresh = !file.exists() || file.size() == 0;
    if (fresh && !QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return FileError{m_path, QStringLiteral("its folder could not be made")};
    // Unbuffered, so that what did get written is on the file when it is cut
    // back, and nothing is left in a buffer to be written when it closes.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return SafeFile::failure(m_path, file, true);
    const qint64 before = file.size();
    const QByteArray bytes = fresh ? headerLine() + line : line;
    if (file.write(bytes) != bytes.size()) {
        const FileError error = SafeFile::failure(m_path, file, true);
        // Half a line (a full disk) would make the whole journal unreadable:
        // it goes back to the lines it had.
        file.resize(before);
        return error;
    }
    return {};
}

Status WriteJournal::rewrite(const Contents &contents)
{
    QByteArray bytes = headerLine();
    for (const JournalEntry &entry : contents.writes) {
        bytes += writeLine(entry);
        if (contents.undone.contains(entry.seq))
            bytes += undoneLine(entry.seq);
    }
    return SafeFile::replace(m_path, bytes);
}

Status WriteJournal::append(JournalEntry &entry)
{
    const auto lock = lockForWriting(m_path);
    if (!lock)
        return lock.error();
    return appendLocked(entry);
}

Status WriteJournal::appendLocked(JournalEntry &entry)
{
    // While this process holds the lock the file grows only by its own
    // appends: what another wrote before shows as another size or time.
    const QFileInfo info(m_path);
    if (!info.exists() || info.size() != m_knownSize || info.lastModified() != m_knownTime) {
        const Result<Contents> contents = read();
        if (!contents)
            return contents.error();
        m_knownLastSeq = contents->lastSeq;
        m_knownWrites = contents->writes.size();
    }
    entry.seq = m_knownLastSeq + 1;
    m_knownSize = -1;
    if (const Status added = appendLine(writeLine(entry)); !added)
        return added;
    m_knownLastSeq = entry.seq;
    ++m_knownWrites;
    if (m_knownWrites > Capacity + Capacity / 10) {
        Result<Contents> kept = read();
        if (!kept)
            return kept.error();
        kept->writes = kept->writes.mid(kept->writes.size() - Capacity);
        if (const Status rewritten = rewrite(*kept); !rewritten)
            return rewritten;
        m_knownWrites = Capacity;
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
    const auto lock = lockForWriting(m_path);
    if (!lock)
        return lock.error();
    const Result<Contents> contents = read();
    if (!contents)
        return contents.error();
    if (contents->undone.contains(seq))
        return {};
    m_knownSize = -1;
    return appendLine(undoneLine(seq));
}

} // namespace Puckdex
