#pragma once

#include "files/fileerror.h"
#include "player/playerfields.h"
#include "player/ratings.h"

#include <QByteArray>
#include <QLatin1String>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// The roster as a table of players, one row each with every value as the
// editor shows it, and that table as CSV (RFC 4180) or JSON.
namespace Puckdex::Cli {

enum class CellKind { Text, Number };

// Which players a column has a value for.
enum class Applies { Everyone, Skaters, Goalies };

struct Column
{
    QLatin1String name;
    CellKind kind;
    Applies applies;
    // Rating columns: the editor's box; box -1 for the identity columns.
    RatingGroup group = RatingGroup::AllPlayers;
    int box = -1;
    // The main window's label of the value ("" for none), which a header
    // may use instead of the name; the numbers' labels are the field table's.
    const char *caption = "";

    bool isRating() const { return box >= 0; }
};

// The identity columns by position; the ratings follow from FirstRating on.
enum ColumnId {
    TeamColumn,
    CityColumn,
    OffsetColumn,
    FirstNameColumn,
    LastNameColumn,
    JerseyColumn,
    PositionColumn,
    HeightFeetColumn,
    HeightInchesColumn,
    WeightColumn,
    RookieColumn,
    HandColumn,
    FirstRatingColumn,
};
inline constexpr int kColumnCount = 31;

const std::array<Column, kColumnCount> &columns();
// The column of that name, or -1. Names are compared as a person may type
// them: case, blanks, hyphens, slashes, underscores, points and colons do
// not count, and the main window's labels ("Shoot / Pass Bias:", "First
// Name:") name their columns too.
int columnNamed(QStringView name);

// One player as the editor shows him; an empty text is an empty cell.
using Row = std::array<QString, kColumnCount>;

// The row of a player of team teamNumber whose key record lies at offset.
// Without ratings (his attribute record could not be read) the hand and
// rating cells stay empty.
Row shownRow(int teamNumber, const QString &city, qint64 offset, bool goalie,
             const PlayerFields &fields, bool withRatings = true);

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
};

struct ReadOptions
{
    // Columns (and JSON keys) that name no column are left out rather than
    // refused.
    bool ignoreUnknownColumns = false;
};

struct InputTable
{
    QList<InputRow> rows;
    QStringList warnings; // said once each, before the rows are judged
};

// Reads a CSV or JSON file written by toCsv() or toJson(), or by hand or a
// spreadsheet: JSON when the name ends in .json or the text starts with
// [ or {, CSV otherwise (its encoding and separator as Csv::decode() and
// Csv::findSeparator() find them). Columns may be a subset, but offset must
// be there; unnamed columns with nothing below them and rows of empty cells
// are skipped. Anything malformed fails the whole file, with the line or
// item and the reason: a broken quote, a missing or unknown header, a cell
// under an unnamed column, text in a number cell, JSON that is not an array
// of objects.
Result<InputTable> readTable(const QString &path, const ReadOptions &options = {});

} // namespace Puckdex::Cli
