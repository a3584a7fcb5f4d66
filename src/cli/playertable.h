#pragma once

#include "gamedb/fileerror.h"
#include "gamedb/playerfields.h"
#include "gamedb/ratings.h"

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
// The column of that name, or -1.
int columnNamed(QStringView name);

// One player as the editor shows him; an empty text is an empty cell.
using Row = std::array<QString, kColumnCount>;

// The row of a player of team teamNumber whose key record lies at offset.
// Without ratings (his attribute record could not be read) the hand and
// rating cells stay empty.
Row shownRow(int teamNumber, const QString &city, qint64 offset, bool goalie,
             const PlayerFields &fields, bool withRatings = true);

// A header line and one line per row, CRLF line ends, UTF-8 without a BOM.
QByteArray toCsv(const QList<Row> &rows);
// An array with one object per row, keys in column order, numbers as
// numbers, empty cells left out.
QByteArray toJson(const QList<Row> &rows);

// A row read back: the cells its file gives, each as text (a JSON number in
// its shortest decimal form). A cell not given, or empty, changes nothing.
struct InputRow
{
    QString where; // "line 5" or "item 5", for messages
    std::array<std::optional<QString>, kColumnCount> cells;
};

// Reads a CSV or JSON file written by toCsv() or toJson(), or by hand or a
// spreadsheet: JSON when the name ends in .json or the text starts with
// [ or {, CSV otherwise. Columns may be a subset, but offset must be there.
// Anything malformed fails the whole file, with the line or item and the
// reason: a broken quote, a missing or unknown header, text in a number
// cell, JSON that is not an array of objects.
Result<QList<InputRow>> readTable(const QString &path);

// Whether text is a number as a cell may hold it: an optional sign, digits
// with an optional fraction, an optional exponent, blanks around it.
bool isNumberText(QStringView text);

} // namespace Puckdex::Cli
