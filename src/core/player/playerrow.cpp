#include "player/playerrow.h"

#include "files/codepage.h"
#include "player/playeredit.h"
#include "player/valuerules.h"

namespace Puckdex::PlayerRow {

namespace {

Column identity(const char *name, CellKind kind, const char *caption = "")
{
    return {QLatin1String(name), kind, nullptr, caption};
}

Column number(const PlayerField &field)
{
    return {field.column, CellKind::Number, &field};
}

// A number as a cell shows it. The small ones, which are most cells, are
// made once and shared by every row rather than made again for each.
QString numberText(qint64 n)
{
    static const std::array<QString, 256> small = [] {
        std::array<QString, 256> texts;
        for (int i = 0; i < int(texts.size()); ++i)
            texts[std::size_t(i)] = QString::number(i);
        return texts;
    }();
    return n >= 0 && n < qint64(small.size()) ? small[std::size_t(n)] : QString::number(n);
}

} // namespace

const std::array<Column, kColumnCount> &columns()
{
    static const std::array<Column, kColumnCount> all = [] {
        std::array<Column, kColumnCount> table = {
            identity("team", CellKind::Number),
            identity("city", CellKind::Text, "City:"),
            identity("offset", CellKind::Number),
            identity("first_name", CellKind::Text, "First Name:"),
            identity("last_name", CellKind::Text, "Last Name:"),
            identity("jersey", CellKind::Number, "Jersey Number:"),
            identity("position", CellKind::Text, "Position:"),
            number(playerField(FieldId::HeightFeet)),
            number(playerField(FieldId::HeightInches)),
            number(playerField(FieldId::Weight)),
            identity("rookie", CellKind::Text, "Rookie:"),
            identity("hand", CellKind::Text),
        };
        int c = FirstRatingColumn;
        for (const PlayerField &field : kPlayerFields) {
            if (field.isRating())
                table.at(c++) = number(field);
        }
        Q_ASSERT(c == kColumnCount);
        return table;
    }();
    return all;
}

Row shownRow(const Place &place, bool goalie, const PlayerFields &fields, bool withRatings)
{
    Row row;
    row[TeamColumn] = numberText(place.team);
    row[CityColumn] = place.city;
    row[OffsetColumn] = numberText(place.offset);
    row[FirstNameColumn] = fields.firstName;
    row[LastNameColumn] = fields.lastName;
    if (fields.jerseyNumber)
        row[JerseyColumn] = numberText(*fields.jerseyNumber);
    if (fields.position)
        row[PositionColumn] = CodePage::decode(QByteArray(1, *fields.position));
    row[RookieColumn] = shownRookieFlag(fields.rookieFlag);
    row[HandColumn] = handLetter(fields.hand);
    const PlayerEdit::ShownNumbers shown = PlayerEdit::shownNumbers(fields, goalie);
    for (int c = 0; c < kColumnCount; ++c) {
        if (const PlayerField *field = columns()[c].field; field && shown[std::size_t(field->id)])
            row[c] = numberText(qint64(*shown[std::size_t(field->id)]));
    }
    if (!withRatings)
        clearRatings(row);
    return row;
}

Row unreadableRow(const Place &place, const PlayerRecord &player)
{
    return shownRow(place, player.isGoalie(), PlayerEdit::keyRecordFields(player), false);
}

void clearRatings(Row &row)
{
    row[HandColumn].clear();
    for (int c = 0; c < kColumnCount; ++c) {
        if (columns()[c].isRating())
            row[c].clear();
    }
}

ReadRow readRow(const QString &attFile, const PlayerEntry &player, const QString &city)
{
    const Place place{player.record.teamNumber(), city, player.offset};
    const PlayerEdit::ShownFields read = PlayerEdit::readForShowing(attFile, player.record);
    return {shownRow(place, player.record.isGoalie(), read.fields, !read.ratingsError),
            read.ratingsError};
}

QStringList cellChanges(const Row &before, const Row &after)
{
    QStringList changes;
    for (int c = 0; c < kColumnCount; ++c) {
        if (before[c] == after[c])
            continue;
        const Column &column = columns()[c];
        if (column.kind == CellKind::Text)
            changes.append(
                QStringLiteral("%1 \"%2\" -> \"%3\"").arg(column.name, before[c], after[c]));
        else
            changes.append(QStringLiteral("%1 %2 -> %3").arg(column.name, before[c], after[c]));
    }
    return changes;
}

} // namespace Puckdex::PlayerRow
