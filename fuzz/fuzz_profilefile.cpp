// The settings file over any content: reading never fails, and a setting
// that was written reads back as written while every line of the file that
// does not hold it stays byte for byte where it was. A refused write leaves
// the file as it was.

#include "fuzzinput.h"
#include "inputs.h"

#include "files/codepage.h"
#include "settings/profilefile.h"

#include <QDir>

using namespace Puckdex;
using namespace Puckdex::Fuzz;
using namespace Puckdex::Fuzz::ProfileInput;

namespace {

QString decodeText(const QByteArray &bytes, quint8 mode)
{
    switch (TextEncoding(mode & 3)) {
    case Utf16:
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                                  bytes.size() / 2);
    case Utf8:
        return QString::fromUtf8(bytes);
    case Latin1:
        return QString::fromLatin1(bytes);
    case CodePage1252:
        break;
    }
    return CodePage::decode(bytes);
}

// The new file is the old one with the inside of one line rewritten, or with
// one to three line breaks' worth put in at one place (a new key line, or a
// section and its key, after a last line that may gain its line ending).
bool onlyTheSettingChanged(const QByteArray &before, const QByteArray &after)
{
    const qsizetype shorter = qMin(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const QByteArray removed = before.mid(prefix, before.size() - prefix - suffix);
    const QByteArray added = after.mid(prefix, after.size() - prefix - suffix);
    if (removed.contains('\n'))
        return false;
    const qsizetype breaks = added.count('\n');
    return breaks == 0 || (removed.isEmpty() && breaks <= 3);
}

// The lines of a file, without their endings.
QList<QByteArray> linesOf(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

struct Setting
{
    QString section;
    QString key;
};

// Names written in the file, found the simple way: enough to ask for them.
QList<Setting> settingsIn(const QByteArray &bytes)
{
    QList<Setting> found;
    QString section;
    for (const QByteArray &line : linesOf(bytes)) {
        const QByteArray text = line.trimmed();
        if (text.startsWith('[') && text.contains(']')) {
            section = CodePage::decode(text.mid(1, text.indexOf(']') - 1));
        } else if (const qsizetype equals = text.indexOf('='); equals > 0) {
            found.append({section, CodePage::decode(text.left(equals))});
            if (found.size() == 6)
                break;
        }
    }
    return found;
}

// Profile names compare without regard to ASCII case and to blanks around them.
QString nameKey(const QString &name)
{
    QString folded = name;
    for (QChar &c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(char16_t(c.unicode() + 32));
    }
    while (!folded.isEmpty() && QStringView(u" \t\r\v\f").contains(folded.front()))
        folded.remove(0, 1);
    while (!folded.isEmpty() && QStringView(u" \t\r\v\f").contains(folded.back()))
        folded.chop(1);
    return folded;
}

bool sameSetting(const Setting &a, const Setting &b)
{
    return nameKey(a.section) == nameKey(b.section) && nameKey(a.key) == nameKey(b.key);
}

// Names no reader could mistake, and a value without line breaks that the code
// page holds: such a setting must be stored.
bool plainName(const QString &name)
{
    if (name.trimmed().isEmpty() || name.trimmed() != name)
        return false;
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u' ')
            return false;
    }
    return true;
}

bool storable(const Setting &setting, const QString &value)
{
    return plainName(setting.section) && plainName(setting.key) && !value.contains(u'\n') &&
           !value.contains(u'\r') && CodePage::encode(value).has_value();
}

bool plainInteger(const QString &value)
{
    static const QString digits = QStringLiteral("0123456789");
    const QStringView number = value.startsWith(u'-') ? QStringView(value).mid(1) : value;
    if (number.isEmpty() || number.size() > 9)
        return false;
    for (const QChar c : number) {
        if (!digits.contains(c))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    InputReader in(data, size);
    const quint8 mode = in.byte();
    const Setting setting{decodeText(in.chunk8(), mode), decodeText(in.chunk8(), mode)};
    const QString value = decodeText(in.chunk8(), mode);
    const QByteArray content = in.rest();

    const QString folder = scratchPath(QStringLiteral("settings"));
    const QString path = (mode & MissingFolder) ? folder + QStringLiteral("/PUCKDEX.INI")
                                                : scratchPath(QStringLiteral("PUCKDEX.INI"));
    QDir(folder).removeRecursively();
    QFile::remove(path);
    const bool existed = !(mode & (NoFile | MissingFolder));
    if (existed)
        writeWholeFile(path, content);
    const QByteArray before = existed ? content : QByteArray();

    ProfileFile profile(path);
    QList<Setting> others = settingsIn(before);
    others.append({QStringLiteral("Puckdex"), QStringLiteral("NHL96Path")});
    QStringList valuesBefore;
    for (const Setting &other : std::as_const(others))
        valuesBefore.append(profile.readString(other.section, other.key));
    const QString marker = QStringLiteral("\x01missing");
    const QString valueBefore = profile.readString(setting.section, setting.key, marker);
    profile.readInt(setting.section, setting.key, 0);
    FUZZ_CHECK(profile.readString(setting.section, setting.key, QString(), 127).size() <= 127);

    const bool written = profile.writeString(setting.section, setting.key, value);
    const QByteArray after = readWholeFile(path);
    FUZZ_CHECK(written == profile.errorString().isEmpty());
    if (storable(setting, value))
        FUZZ_CHECK(written);
    if (!written) {
        FUZZ_CHECK(after == before);
        FUZZ_CHECK(QFile::exists(path) == existed);
        return 0;
    }

    FUZZ_CHECK(profile.readString(setting.section, setting.key, marker) == value);
    if (plainInteger(value))
        FUZZ_CHECK(profile.readInt(setting.section, setting.key, -1) == value.toInt());
    if (valueBefore == value && existed)
        FUZZ_CHECK(onlyTheSettingChanged(before, after) || after == before);
    else
        FUZZ_CHECK(onlyTheSettingChanged(before, after));
    for (qsizetype i = 0; i < others.size(); ++i) {
        if (!sameSetting(others[i], setting))
            FUZZ_CHECK(profile.readString(others[i].section, others[i].key) == valuesBefore[i]);
    }
    return 0;
}
