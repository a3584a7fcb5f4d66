#include "playertable.h"

#include "files/codepage.h"
#include "player/playeredit.h"
#include "player/scales.h"
#include "roster.h"

#include <QHash>

namespace Puckdex::Cli {

namespace {

Column identity(const char *name, CellKind kind, const char *caption = "")
{
    return {QLatin1String(name), kind, Applies::Everyone, RatingGroup::AllPlayers, -1, caption};
}

Column identity(FieldId id)
{
    return {playerField(id).column, CellKind::Number, Applies::Everyone};
}

// A column's name or label as compared: lower case, without the marks
// people put between words or after a label.
QString folded(QStringView name)
{
    QString key;
    for (const QChar c : name) {
        if (!c.isSpace() && !QStringView(u"-/_.:").contains(c))
            key += c.toCaseFolded();
    }
    return key;
}

// Every name a column answers to, folded: its own and its label in the
// main window (the numbers' from the field table; the template window's
// labels fold to the same words).
QList<QString> namesOf(const Column &column)
{
    QList<QString> names{folded(QString(column.name)),
                         folded(QString::fromLatin1(column.caption))};
    for (const PlayerField &field : kPlayerFields) {
        if (field.column == column.name)
            names.append(folded(QString::fromLatin1(field.caption)));
    }
    names.removeAll(QString());
    return names;
}

Column rating(const PlayerField &field)
{
    const Applies applies = !field.goalie.rule ? Applies::Skaters
                            : !field.skater.rule ? Applies::Goalies
                                                 : Applies::Everyone;
    return {field.column, CellKind::Number, applies, field.group, field.box};
}

QByteArray csvCell(const QString &text, QChar separator)
{
    const bool quote = text.contains(separator) || text.contains(QLatin1Char('"'))
                       || text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))
                       || text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '));
    if (!quote)
        return text.toUtf8();
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

QByteArray jsonString(const QString &text)
{
    QByteArray out = "\"";
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += "\\\"";
            break;
        case u'\\':
            out += "\\\\";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toLatin1();
            else
                out += QString(c).toUtf8();
        }
    }
    return out + '"';
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
            identity(FieldId::HeightFeet),
            identity(FieldId::HeightInches),
            identity(FieldId::Weight),
            identity("rookie", CellKind::Text, "Rookie:"),
            identity("hand", CellKind::Text),
        };
        // The ratings in the field table's order.
        int c = FirstRatingColumn;
        for (const PlayerField &field : kPlayerFields) {
            if (field.isRating())
                table.at(c++) = rating(field);
        }
        Q_ASSERT(c == kColumnCount);
        return table;
    }();
    return all;
}

int columnNamed(QStringView name)
{
    static const QHash<QString, int> byName = [] {
        QHash<QString, int> names;
        for (int i = 0; i < kColumnCount; ++i) {
            for (const QString &key : namesOf(columns()[i]))
                names.insert(key, i);
        }
        return names;
    }();
    return byName.value(folded(name), -1);
}

Row shownRow(int teamNumber, const QString &city, qint64 offset, bool goalie,
             const PlayerFields &fields, bool withRatings)
{
    Row row;
    row[TeamColumn] = QString::number(teamNumber);
    row[CityColumn] = city;
    row[OffsetColumn] = QString::number(offset);
    row[FirstNameColumn] = fields.firstName;
    row[LastNameColumn] = fields.lastName;
    if (fields.jerseyNumber)
        row[JerseyColumn] = QString::number(*fields.jerseyNumber);
    if (fields.position)
        row[PositionColumn] = CodePage::decode(QByteArray(1, *fields.position));
    row[HeightFeetColumn] = QString::number(heightFeet(fields.heightInches));
    row[HeightInchesColumn] = QString::number(heightRestInches(fields.heightInches));
    row[WeightColumn] = QString::number(fields.weightPounds);
    row[RookieColumn] = shownRookieFlag(fields.rookieFlag);
    if (!withRatings)
        return row;
    row[HandColumn] = fields.hand == Hand::Left ? QStringLiteral("L") : QStringLiteral("R");
    for (int c = FirstRatingColumn; c < kColumnCount; ++c) {
        const Column &column = columns()[c];
        if (column.applies == (goalie ? Applies::Skaters : Applies::Goalies))
            continue;
        const PlayerField &field = *ratingField(column.group, column.box);
        row[c] = QString::number(PlayerEdit::shownRating(fields, field, goalie));
    }
    return row;
}

QByteArray toCsv(const QList<Row> &rows, QChar separator)
{
    const char between = char(separator.toLatin1());
    QByteArray out;
    QList<QByteArray> cells;
    for (const Column &column : columns())
        cells.append(QByteArray(column.name.data(), column.name.size()));
    out += cells.join(between) + "\r\n";
    for (const Row &row : rows) {
        cells.clear();
        for (const QString &cell : row)
            cells.append(csvCell(cell, separator));
        out += cells.join(between) + "\r\n";
    }
    return out;
}

QByteArray toJson(const QList<Row> &rows)
{
    if (rows.isEmpty())
        return "[]\n";
    QByteArray out = "[\n";
    for (qsizetype r = 0; r < rows.size(); ++r) {
        QList<QByteArray> members;
        for (int c = 0; c < kColumnCount; ++c) {
            const QString &cell = rows[r][c];
            if (cell.isEmpty())
                continue;
            const Column &column = columns()[c];
            const QByteArray value =
                column.kind == CellKind::Number ? cell.toUtf8() : jsonString(cell);
            members.append('"' + QByteArray(column.name.data(), column.name.size())
                           + "\": " + value);
        }
        out += "  {" + members.join(", ") + (r + 1 < rows.size() ? "},\n" : "}\n");
    }
    return out + "]\n";
}

} // namespace Puckdex::Cli
