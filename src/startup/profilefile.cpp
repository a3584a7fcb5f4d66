#include "startup/profilefile.h"

#include "gamedb/codepage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace Puckdex {

namespace {

// One line of the file with its own ending ("\r\n", "\n", or nothing on a last line without
// one), so that lines we do not own go back byte for byte.
struct Line
{
    QByteArray text;
    QByteArray eol;
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
    const QString name = CodePage::decode(fileName);
    if (name.size() != wanted.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (asciiLower(name.at(i)) != asciiLower(wanted.at(i)))
            return false;
    }
    return true;
}

QList<Line> splitLines(const QByteArray &bytes)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        if (newline < 0) {
            lines.append({bytes.mid(start), {}});
            break;
        }
        qsizetype end = newline;
        if (end > start && bytes.at(end - 1) == '\r')
            --end;
        lines.append({bytes.mid(start, end - start), bytes.mid(end, newline + 1 - end)});
        start = newline + 1;
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
    return CodePage::decode(keyEntry(lines.at(at.key).text)->value);
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
    m_error.clear();
    const auto fail = [this](const QString &reason) {
        m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_path), reason);
        return false;
    };

    section = trimmed(section);
    key = trimmed(key);
    if (section.isEmpty() || key.isEmpty())
        return fail(QStringLiteral("a setting needs a section and a key name"));
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value))
        return fail(QStringLiteral("a setting cannot hold a line break"));
    // Names the reader would take for something else could never be found again.
    if (section.contains(u']'))
        return fail(QStringLiteral("a section name cannot hold ']'"));
    if (key.contains(u'=') || key.startsWith(u';') || key.startsWith(u'['))
        return fail(QStringLiteral("the key name \"%1\" cannot be stored").arg(key));

    const auto sectionBytes = CodePage::encode(section.toString());
    const auto keyBytes = CodePage::encode(key.toString());
    const auto valueBytes = CodePage::encode(storedForm(value));
    if (!sectionBytes || !keyBytes || !valueBytes)
        return fail(QStringLiteral("the text has characters that Windows-1252 cannot hold"));

    // A file we cannot read is not rewritten: starting it afresh would lose the rest of it.
    QList<Line> lines;
    QByteArray stored;
    const QFileInfo info(m_path);
    if (info.exists()) {
        QFile file(m_path);
        if (info.isDir() || !file.open(QIODevice::ReadOnly))
            return fail(info.isDir() ? QStringLiteral("is a folder") : file.errorString());
        stored = file.readAll();
        lines = splitLines(stored);
    }
    const QByteArray eol = lineEnding(lines);

    const Location at = locate(lines, section, key);
    const auto insertAfter = [&](qsizetype index, QList<Line> added) {
        if (index >= 0 && lines[index].eol.isEmpty())
            lines[index].eol = eol;
        for (Line &line : added)
            lines.insert(++index, std::move(line));
    };
    if (at.key >= 0) {
        Line &line = lines[at.key];
        line.text = keyEntry(line.text)->name.toByteArray() + '=' + *valueBytes;
    } else if (at.section >= 0) {
        insertAfter(at.lastKey >= 0 ? at.lastKey : at.section,
                    {{*keyBytes + '=' + *valueBytes, eol}});
    } else {
        insertAfter(lines.size() - 1,
                    {{'[' + *sectionBytes + ']', eol}, {*keyBytes + '=' + *valueBytes, eol}});
    }

    QByteArray content;
    for (const Line &line : std::as_const(lines))
        content += line.text + line.eol;
    // The value it holds already (every start writes the game folder back):
    // rewriting and syncing the same bytes would only cost time.
    if (info.exists() && content == stored)
        return true;

    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("cannot create the folder %1")
                        .arg(QDir::toNativeSeparators(info.absolutePath())));
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(content) != content.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

QString settingsFilePath()
{
    const QString fromEnvironment = qEnvironmentVariable("PUCKDEX_INI");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;

    QString folder;
    if (!QCoreApplication::applicationName().isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/Puckdex");
    }
    return folder + QStringLiteral("/PUCKDEX.INI");
}

} // namespace Puckdex
