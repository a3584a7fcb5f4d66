#pragma once

#include "files/fileerror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

// How a CSV file is read, whichever program wrote it: our own export, a
// spreadsheet in any locale, or an editor by hand. Its text encoding, the
// separator between its cells, its records and its number cells.
namespace Puckdex::Cli::Csv {

enum class Encoding { Utf8, Utf16, Windows1252 };

struct Text
{
    QString text;
    Encoding encoding = Encoding::Utf8;
};

// UTF-8, with or without a byte-order mark; UTF-16 with its mark (a
// spreadsheet's "Unicode text"); anything else is Windows-1252 (Excel's plain
// CSV on Windows, and the game's own code page). A file whose UTF-8 or UTF-16
// mark the text then breaks is refused, with the line where it breaks.
Result<Text> decode(const QString &path, QByteArray bytes);

// One line of the file as cells; line is where it starts, from 1.
struct Record
{
    int line;
    QStringList cells;
};

// RFC 4180 with the given separator: a cell holding a quote, the separator
// or a line break is quoted whole with its quotes doubled. Lines may end in
// CRLF, LF or CR; empty lines are skipped. At most limit records (-1: all).
Result<QList<Record>> parse(const QString &path, QStringView text, QChar separator,
                            qsizetype limit = -1);

// Of comma, semicolon and tab, the separator that splits the first record
// with a cell that is not blank into the most cells that isName accepts
// (blanks around a cell trimmed); a comma when none splits it into any.
QChar findSeparator(QStringView text, const std::function<bool(QStringView)> &isName);

// Whether every cell is empty or blanks only.
bool isBlank(const QStringList &cells);


} // namespace Puckdex::Cli::Csv
