#include "settings/profilefile.h"

#include "files/codepage.h"
#include "files/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace Puckdex {

namespace {

// One line of the file with its own ending ("\r\n", "\n", a lone "\r", or nothing on a last
// line without one), so that lines we do not own go back byte for byte.
struct Line
{
    QByteArray text;
    QByteArray eol;
    // A byte-order mark that an editor put at the start of the file: it
    // belongs to no name, and is written back as it was.
    QByteArray mark = {};
};

struct KeyEntry
{
    QByteArrayView name;  // as spelled in the file, blanks stripped
    QByteArrayView value; // blanks and one pair of quotes stripped
};

// Where a key stands, or would stand, in the file. Indexes are -1 when absent.
struct Location
{
    qsizetype section = -1; // the header of the first matching section
    qsizetype key = -1;     // the first matching key line inside it
    qsizetype lastKey = -1; // the section's last key line
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool isBlank(QChar c)
{
    return c.unicode() < 0x80 && isBlank(static_cast<char>(c.unicode()));
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

bool isUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// The file's text is Windows-1252, as the Windows profile functions store it, for every text
// that code page holds, and UTF-8 for any other (a folder name on Linux or macOS may hold any
// character). Bytes that are valid UTF-8 read as UTF-8, all others as Windows-1252; a text is
// stored in Windows-1252 only when its bytes could not be taken for UTF-8, so that every text
// reads back as it was written.
QString decodeText(QByteArrayView bytes)
{
    if (!isAscii(bytes) && isUtf8(bytes))
        return QString::fromUtf8(bytes);
    return CodePage::decode(bytes);
}

std::optional<QByteArray> encodeText(const QString &text)
{
    if (const std::optional<QByteArray> bytes = CodePage::encode(text);
        bytes && (isAscii(*bytes) || !isUtf8(*bytes)))
        return bytes;
    const QByteArray utf8 = text.toUtf8();
    if (decodeText(utf8) != text)
        return std::nullopt; // broken UTF-16 that no encoding brings back
    return utf8;
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QStringView trimmed(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

char16_t asciiLower(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') ? char16_t(u + (u'a' - u'A')) : u;
}

// Windows compares profile names without regard to case, but only the ASCII letters are
// folded here: the file's other characters are code-page bytes whose case rules vary.
bool sameName(QByteArrayView fileName, QStringView wanted)
{
    const QString name = decodeText(fileName);
    if (name.size() != wanted.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (asciiLower(name.at(i)) != asciiLower(wanted.at(i)))
            return false;
    }
    return true;
}

// Lines end in CRLF, LF or a lone CR, as Windows reads them.
QList<Line> splitLines(const QByteArray &bytes)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes.at(end) != '\n' && bytes.at(end) != '\r')
            ++end;
        qsizetype next = end;
        if (next < bytes.size() && bytes.at(next) == '\r')
            ++next;
        if (next < bytes.size() && bytes.at(next) == '\n')
            ++next;
        lines.append({bytes.mid(start, end - start), bytes.mid(end, next - end)});
        start = next;
    }
    if (!lines.isEmpty() && lines.front().text.startsWith("\xEF\xBB\xBF")) {
        lines.front().mark = lines.front().text.first(3);
        lines.front().text.remove(0, 3);
    }
    return lines;
}

QByteArray lineEnding(const QList<Line> &lines)
{
    for (const Line &line : lines) {
        if (!line.eol.isEmpty())
            return line.eol;
    }
    return QByteArrayLiteral("\r\n");
}

std::optional<QByteArrayView> sectionHeader(QByteArrayView line)
{
    line = trimmed(line);
    if (!line.startsWith('['))
        return std::nullopt;
    const qsizetype close = line.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return trimmed(line.sliced(1, close - 1));
}

std::optional<KeyEntry> keyEntry(QByteArrayView line)
{
    line = trimmed(line);
    if (line.startsWith(';'))
        return std::nullopt;
    const qsizetype equals = line.indexOf('=');
    if (equals <= 0)
        return std::nullopt;
    QByteArrayView value = trimmed(line.sliced(equals + 1));
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return KeyEntry{trimmed(line.first(equals)), value};
}

Location locate(const QList<Line> &lines, QStringView section, QStringView key)
{
    Location found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto header = sectionHeader(lines.at(i).text)) {
            if (found.section >= 0)
                break; // only the first occurrence of a section counts
            if (sameName(*header, section))
                found.section = i;
            continue;
        }
        if (found.section < 0)
            continue;
        if (const auto entry = keyEntry(lines.at(i).text)) {
            found.lastKey = i;
            if (found.key < 0 && sameName(entry->name, key))
                found.key = i;
        }
    }
    return found;
}

// A name as asked for and as it is stored.
struct StoredName
{
    QStringView name;
    QByteArray bytes;
};

// Sets key=value in the lines: on the key's own line when the section has it
// (keeping the name as it is spelled there), else after the section's last
// key, else in a new section at the end.
void setEntry(QList<Line> &lines, const StoredName &section, const StoredName &key,
              const QByteArray &value, const QByteArray &eol)
{
    const Location at = locate(lines, section.name, key.name);
    const auto insertAfter = [&](qsizetype index, QList<Line> added) {
        if (index >= 0 && lines[index].eol.isEmpty())
            lines[index].eol = eol;
        for (Line &line : added)
            lines.insert(++index, std::move(line));
    };
    if (at.key >= 0) {
        Line &line = lines[at.key];
        line.text = keyEntry(line.text)->name.toByteArray() + '=' + value;
    } else if (at.section >= 0) {
        insertAfter(at.lastKey >= 0 ? at.lastKey : at.section, {{key.bytes + '=' + value, eol}});
    } else {
        insertAfter(lines.size() - 1,
                    {{'[' + section.bytes + ']', eol}, {key.bytes + '=' + value, eol}});
    }
}

QList<Line> readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return splitLines(file.readAll());
}

std::optional<QString> lookUp(const QString &path, QStringView section, QStringView key)
{
    const QList<Line> lines = readLines(path);
    const Location at = locate(lines, trimmed(section), trimmed(key));
    if (at.key < 0)
        return std::nullopt;
    return decodeText(keyEntry(lines.at(at.key).text)->value);
}

bool hasLineBreak(QStringView text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

// The value as it has to stand in the file to read back unchanged.
QString storedForm(const QString &value)
{
    const bool blankEnds = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    const bool ownQuotes = value.size() >= 2 && value.front() == value.back() &&
                           (value.front() == u'"' || value.front() == u'\'');
    if (blankEnds || ownQuotes)
        return u'"' + value + u'"';
    return value;
}

} // namespace

ProfileFile::ProfileFile(QString path) : m_path(std::move(path)) {}

QString ProfileFile::readString(QStringView section, QStringView key, const QString &defaultValue,
                                qsizetype maxLength) const
{
    QString value = lookUp(m_path, section, key).value_or(defaultValue);
    if (maxLength >= 0 && value.size() > maxLength)
        value.truncate(maxLength);
    return value;
}

int ProfileFile::readInt(QStringView section, QStringView key, int defaultValue) const
{
    const std::optional<QString> value = lookUp(m_path, section, key);
    if (!value)
        return defaultValue;

    QStringView text = trimmed(QStringView(*value));
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    // Collected as a wider number that stops growing just past int's range, so any count of
    // digits clamps instead of overflowing.
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 number = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        number = std::min(number * 10 + (c.unicode() - u'0'), limit);
    }
    if (negative)
        number = -number;
    return int(std::clamp<qint64>(number, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

bool ProfileFile::writeString(QStringView section, QStringView key, const QString &value)
{
    return writeStrings(section, {{key.toString(), value}});
}

bool ProfileFile::writeStrings(QStringView section, const QList<std::pair<QString, QString>> &entries)
{
    m_error.clear();
    const auto fail = [this](const QString &reason) {
        m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_path), reason);
        return false;
    };

    section = trimmed(section);
    if (section.isEmpty())
        return fail(QStringLiteral("a setting needs a section and a key name"));
    if (hasLineBreak(section))
        return fail(QStringLiteral("a setting cannot hold a line break"));
    // Names the reader would take for something else could never be found again.
    if (section.contains(u']'))
        return fail(QStringLiteral("a section name cannot hold ']'"));
    const std::optional<QByteArray> sectionBytes = encodeText(section.toString());
    if (!sectionBytes)
        return fail(QStringLiteral("the text cannot be stored"));

    // A file we cannot read is not rewritten: starting it afresh would lose the rest of it.
    QList<Line> lines;
    QByteArray stored;
    const QFileInfo info(m_path);
    if (info.exists()) {
        QFile file(m_path);
        if (info.isDir() || !file.open(QIODevice::ReadOnly))
            return fail(SafeFile::failure(m_path, file, false).reason);
        stored = file.readAll();
        lines = splitLines(stored);
    }
    const QByteArray eol = lineEnding(lines);

    for (const auto &[name, value] : entries) {
        const QStringView key = trimmed(QStringView(name));
        if (key.isEmpty())
            return fail(QStringLiteral("a setting needs a section and a key name"));
        if (hasLineBreak(key) || hasLineBreak(value))
            return fail(QStringLiteral("a setting cannot hold a line break"));
        if (key.contains(u'=') || key.startsWith(u';') || key.startsWith(u'['))
            return fail(QStringLiteral("the key name \"%1\" cannot be stored").arg(key));
        const std::optional<QByteArray> keyBytes = encodeText(key.toString());
        const std::optional<QByteArray> valueBytes = encodeText(storedForm(value));
        if (!keyBytes || !valueBytes)
            return fail(QStringLiteral("the text cannot be stored"));

        setEntry(lines, {section, *sectionBytes}, {key, *keyBytes}, *valueBytes, eol);
    }

    QByteArray content;
    for (const Line &line : std::as_const(lines))
        content += line.mark + line.text + line.eol;
    // The values it holds already (every start writes the game folder back):
    // rewriting and syncing the same bytes would only cost time.
    if (info.exists() && content == stored)
        return true;

    if (!QDir().mkpath(info.absolutePath())) {
        return fail(QStringLiteral("cannot create the folder %1")
                        .arg(QDir::toNativeSeparators(info.absolutePath())));
    }
    if (const Status replaced = SafeFile::replace(m_path, content); !replaced)
        return fail(replaced.error().reason);
    return true;
}

QString settingsFilePath()
{
    const QString fromEnvironment = qEnvironmentVariable("PUCKDEX_INI");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;

    // The window's configuration folder, whichever program asks: the
    // command-line tool, named otherwise, finds the journal beside it too.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Puckdex/PUCKDEX.INI");
}

} // namespace Puckdex
