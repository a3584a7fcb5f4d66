#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <utility>

namespace Puckdex {

// The program's settings live in a Windows-style profile file (PUCKDEX.INI) that users may
// also edit by hand or carry over from Windows, so it is read and written by the rules of the
// Win32 profile functions rather than through QSettings, whose INI format would take the
// backslashes of "C:\Games\NHL96" as escapes and a value with commas as a list.
//
// Reading:
// - Section and key names match ASCII case-insensitively; blanks around names and values are
//   ignored. Comment lines (';'), lines without '=' and keys before the first section are
//   never matched. When a section or a key within it occurs twice, the first one counts.
// - A value is taken literally (backslashes, commas). One pair of matching double or single
//   quotes around it is removed.
// - Every read goes to the disk again: several windows may write the file during a run and
//   the program reads it rarely. A missing or unreadable file reads as empty.
//
// Writing:
// - An existing key keeps its line position and its spelling in the file; only its line
//   becomes "Key=value", so repeated saves never flip a hand-written name's case.
// - A new key goes right after the last key line of the section (ahead of the blank lines
//   and comments that lead into the next section); a new section goes at the end of the file.
// - Every other byte of the file is kept. New lines use the file's own line ending (CRLF or
//   LF, taken from its first line); a new file gets CRLF, as Windows writes it, so the file
//   is the same wherever it was written.
// - A value whose blanks at either end, or whose own surrounding quotes, would be lost on the
//   way back is written inside double quotes; any other value is written as it stands.
// - Lines may end in CRLF, LF or a lone CR, as Windows reads them; each line keeps its own
//   ending.
// - The text is Windows-1252, as Windows writes it, for every name and value that code page
//   holds and whose bytes could not be taken for UTF-8; any other text (a folder name with
//   Cyrillic or Polish letters, say) is written in UTF-8. A value reads as UTF-8 when its bytes
//   are valid UTF-8 and not plain ASCII, as Windows-1252 otherwise, so every value reads back
//   as written. A line break inside a name or value, or a name that could not be read back,
//   is refused instead of written altered.
// - The file is replaced as a whole and atomically, put on the disk and read back before it
//   takes the old one's place; its folder is created when missing. On failure the old file
//   stays as it was and the caller gets the reason.
class ProfileFile
{
public:
    // The longest value a setting keeps: a 128-byte buffer with one byte for
    // the terminating zero, as the files in the field were written.
    static constexpr qsizetype LegacyValueLimit = 127;

    explicit ProfileFile(QString path);

    const QString &path() const { return m_path; }

    // The value, or defaultValue when the file, section or key is missing. With maxLength >= 0
    // the result (the default as well) is cut to that many characters.
    QString readString(QStringView section, QStringView key, const QString &defaultValue = {},
                       qsizetype maxLength = -1) const;

    // The leading decimal number of the value, as GetPrivateProfileIntA reads it: leading
    // blanks and one sign are allowed and reading stops at the first non-digit, so "12abc" is
    // 12 and "abc" or an empty value is 0. The default is used only when the key is missing.
    // A number beyond the range of int is clamped to it.
    int readInt(QStringView section, QStringView key, int defaultValue) const;

    // Stores value under key in section. False, with errorString() set, when the file could
    // not be written or the text could not be stored; the file is then left untouched.
    bool writeString(QStringView section, QStringView key, const QString &value);

    // Stores several keys in one replacement of the file: all of them, or none.
    bool writeStrings(QStringView section, const QList<std::pair<QString, QString>> &entries);

    // Why the last failed write failed; empty after a successful one.
    QString errorString() const { return m_error; }

private:
    QString m_path;
    QString m_error;
};

// Where the program keeps its settings file: the path in the environment variable PUCKDEX_INI
// when it is set and not empty (tests and portable installs), otherwise PUCKDEX.INI in the
// window's configuration folder ("Puckdex" in the system's), whichever program asks.
QString settingsFilePath();

// The settings file's section that holds the program's keys: the game
// folder and the templates.
inline const QString SettingsSection = QStringLiteral("Puckdex");

} // namespace Puckdex
