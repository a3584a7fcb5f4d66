#pragma once

#include "files/fileerror.h"
#include "player/playerrow.h"

#include <QByteArray>
#include <QLatin1String>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// The roster as a table of players, one row each as the core projects him
// (player/playerrow.h), and that table as CSV (RFC 4180) or JSON.
namespace Puckdex::Cli {

// The row's columns and cells, as the commands name them.
using namespace PlayerRow;

// The column of that name, or -1. Names are compared as a person may type
// them: case, blanks, hyphens, slashes, underscores, points and colons do
// not count, and the main window's labels ("Shoot / Pass Bias:", "First
// Name:") name their columns too.
int columnNamed(QStringView name);

// A header line and one line per row, CRLF line ends, UTF-8 without a BOM,
// cells between separators (a comma, semicolon or tab).
QByteArray toCsv(const QList<Row> &rows, QChar separator = u',');
// An array with one object per row, keys in column order, numbers as
// numbers, empty cells left out.
QByteArray toJson(const QList<Row> &rows);

// A row read back: the cells its file gives, each as text (a number with a
// decimal point; a JSON number in its shortest decimal form). A cell not
// given, or empty, changes nothing.
struct InputRow
{
    QString where; // "line 5" or "item 5", for messages
    std::array<std::optional<QString>, kColumnCount> cells;
    // A table read by name: the team as the row names it (number,
    // abbreviation, city or name), and one "Name" cell ("First Last" or
    // "Last, First").
    std::optional<QString> team;
    std::optional<QString> fullName;
};

// How a row tells its player: by the offset column export writes, or by
// team, names and jersey; by the offset when the table has one.
enum class MatchBy { Auto, Offset, Name };

struct ReadOptions
{
    // Columns (and JSON keys) that name no column are left out rather than
    // refused.
    bool ignoreUnknownColumns = false;
    MatchBy match = MatchBy::Auto;
};

struct InputTable
{
    QList<InputRow> rows;
    QStringList warnings; // said once each, before the rows are judged
    // The rows name their players (team, names, jersey) instead of giving
    // their offsets: the team is in InputRow::team, not a cell.
    bool byName = false;
};

// Reads a CSV or JSON file written by toCsv() or toJson(), or by hand or a
// spreadsheet: JSON when the name ends in .json or the text starts with
// [ or {, CSV otherwise (its encoding and separator as Csv::decode() and
// Csv::findSeparator() find them). Columns may be a subset; without an
// offset column (or matching by name) the rows name their players instead,
// and a "Name" column may hold both names; unnamed columns with nothing
// below them and rows of empty cells are skipped. Anything malformed fails the whole file, with the line or
// item and the reason: a broken quote, a missing or unknown header, a cell
// under an unnamed column, text in a number cell, JSON that is not an array
// of objects.
Result<InputTable> readTable(const QString &path, const ReadOptions &options = {});

} // namespace Puckdex::Cli
