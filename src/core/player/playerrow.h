#pragma once

#include "files/fileerror.h"
#include "files/gamefiles.h"
#include "player/fieldtable.h"
#include "player/playerfields.h"

#include <QLatin1String>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// A player as one row of values, each as the editor shows it: the columns,
// the row of a player, the row of one whose ratings cannot be read, and the
// cells that differ between two rows. An exported roster, a comparison and
// an import all see a player through this row.
namespace Puckdex::PlayerRow {

enum class CellKind { Text, Number };

struct Column
{
    QLatin1String name;
    CellKind kind;
    // The field of a number column (height, weight, the ratings); none for
    // the identity columns.
    const PlayerField *field = nullptr;
    // The main window's label of an identity value ("" for none); a
    // number's label is its field's.
    const char *caption = "";

    bool isRating() const { return field && field->isRating(); }
};

// The identity columns by position; the ratings follow from FirstRating on,
// in the field table's order.
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

// One player as the editor shows him; an empty text is an empty cell.
using Row = std::array<QString, kColumnCount>;

// Where a row's player stands: his team's number and city, and the offset
// of his key record.
struct Place
{
    int team;
    QString city;
    qint64 offset;
};

// The row of a player of that kind with those fields: his numbers as
// PlayerEdit::shownNumbers() gives them, the other kind's ratings empty.
// Without ratings the hand and rating cells stay empty.
Row shownRow(const Place &place, bool goalie, const PlayerFields &fields, bool withRatings = true);

// The row of a player whose attribute record cannot be read: what his key
// record holds, hand and ratings empty.
Row unreadableRow(const Place &place, const PlayerRecord &player);

// The hand and rating cells emptied, as an unreadable row has them.
void clearRatings(Row &row);

// A player's row read from the attribute file: shown, or, when his
// attribute record cannot be read, unreadable, with why.
struct ReadRow
{
    Row row;
    std::optional<FileError> ratingsError;
};
ReadRow readRow(const QString &attFile, const PlayerEntry &player, const QString &city);

// The changed cells, in column order: "speed 44 -> 64", a text in quotes
// ("last_name \"Osanick\" -> \"Osanik\"").
QStringList cellChanges(const Row &before, const Row &after);

} // namespace Puckdex::PlayerRow
