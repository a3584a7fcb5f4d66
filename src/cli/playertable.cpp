#include "playertable.h"

#include "gamedb/codepage.h"
#include "gamedb/playeredit.h"
#include "gamedb/scales.h"
#include "roster.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringDecoder>

namespace Puckdex::Cli {

namespace {

Column identity(const char *name, CellKind kind)
{
    return {QLatin1String(name), kind, Applies::Everyone};
}

Column identity(FieldId id)
{
    return {playerField(id).column, CellKind::Number, Applies::Everyone};
}

Column rating(const PlayerField &field)
{
    const Applies applies = !field.goalie.rule ? Applies::Skaters
                            : !field.skater.rule ? Applies::Goalies
                                                 : Applies::Everyone;
    return {field.column, CellKind::Number, applies, field.group, field.box};
}

const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

QByteArray csvCell(const QString &text)
{
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
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

struct CsvRecord
{
    int line;
    QStringList cells;
};

// RFC 4180, strictly: a cell holding a quote, comma or line break is quoted
// whole with its quotes doubled. Lines may end in CRLF, LF or CR; empty
// lines are skipped.
Result<QList<CsvRecord>> parseCsv(const QString &path, QStringView text)
{
    QList<CsvRecord> records;
    int line = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto atLineEnd = [&](qsizetype at) {
        return at >= n || text[at] == u'\n' || text[at] == u'\r';
    };
    const auto skipLineEnd = [&] {
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        ++i;
        ++line;
    };
    while (i < n) {
        if (text[i] == u'\n' || text[i] == u'\r') { // an empty line
            skipLineEnd();
            continue;
        }
        CsvRecord record{line, {}};
        for (;;) {
            QString cell;
            if (i < n && text[i] == u'"') {
                const int startLine = line;
                ++i;
                for (;;) {
                    if (i >= n) {
                        return FileError{path, QStringLiteral("the quoted cell that starts on line "
                                                              "%1 is never closed")
                                                   .arg(startLine)};
                    }
                    const QChar c = text[i];
                    if (c == u'"') {
                        if (i + 1 < n && text[i + 1] == u'"') {
                            cell += u'"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (c == u'\n' || (c == u'\r' && !(i + 1 < n && text[i + 1] == u'\n')))
                        ++line;
                    cell += c;
                    ++i;
                }
                if (!atLineEnd(i) && text[i] != u',') {
                    return FileError{path, QStringLiteral("line %1: text after the closing quote "
                                                          "of a cell (a quote inside a cell is "
                                                          "written twice)")
                                               .arg(line)};
                }
            } else {
                while (!atLineEnd(i) && text[i] != u',') {
                    if (text[i] == u'"') {
                        return FileError{path, QStringLiteral("line %1: a quote inside a cell that "
                                                              "is not quoted (quote the whole "
                                                              "cell and write the quote twice)")
                                                   .arg(line)};
                    }
                    cell += text[i];
                    ++i;
                }
            }
            record.cells.append(cell);
            if (i < n && text[i] == u',') {
                ++i;
                continue;
            }
            break;
        }
        records.append(record);
        if (i < n)
            skipLineEnd();
    }
    return records;
}

QString columnList()
{
    QStringList names;
    for (const Column &column : columns())
        names.append(column.name);
    return names.join(QLatin1Char(','));
}

Result<QList<InputRow>> rowsFromCsv(const QString &path, QStringView text)
{
    const Result<QList<CsvRecord>> records = parseCsv(path, text);
    if (!records)
        return records.error();
    if (records->isEmpty())
        return FileError{path, QStringLiteral("the file is empty; its first line must name the "
                                              "columns (%1)")
                                   .arg(columnList())};

    const CsvRecord &header = records->first();
    QList<int> order;
    for (const QString &cell : header.cells) {
        const int column = columnNamed(cell.trimmed());
        if (column < 0) {
            return FileError{path, QStringLiteral("line %1 is not a header: \"%2\" is no column "
                                                  "name; the first line must name the columns "
                                                  "(%3)")
                                       .arg(header.line)
                                       .arg(cell, columnList())};
        }
        if (order.contains(column)) {
            return FileError{path, QStringLiteral("line %1: the column %2 appears twice")
                                       .arg(header.line)
                                       .arg(columns()[column].name)};
        }
        order.append(column);
    }
    if (!order.contains(OffsetColumn)) {
        return FileError{path, QStringLiteral("the header has no offset column; the offset "
                                              "tells which player a line is about")};
    }

    QList<InputRow> rows;
    for (qsizetype r = 1; r < records->size(); ++r) {
        const CsvRecord &record = records->at(r);
        if (record.cells.size() != order.size()) {
            return FileError{path, QStringLiteral("line %1 has %2, but the header names %3")
                                       .arg(record.line)
                                       .arg(plural(record.cells.size(), "cell", "cells"),
                                            plural(order.size(), "column", "columns"))};
        }
        InputRow row;
        row.where = QStringLiteral("line %1").arg(record.line);
        for (qsizetype c = 0; c < order.size(); ++c) {
            const Column &column = columns()[order[c]];
            const QString &cell = record.cells[c];
            const bool empty =
                column.kind == CellKind::Number ? cell.trimmed().isEmpty() : cell.isEmpty();
            if (empty)
                continue;
            if (column.kind == CellKind::Number && !isNumberText(cell)) {
                return FileError{path, QStringLiteral("%1, column %2: \"%3\" is not a number")
                                           .arg(row.where, column.name, cell)};
            }
            row.cells[order[c]] = cell;
        }
        rows.append(row);
    }
    return rows;
}

QString jsonTypeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return QStringLiteral("true or false");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("text");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    default:
        return QStringLiteral("nothing");
    }
}

Result<QList<InputRow>> rowsFromJson(const QString &path, const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        return FileError{path, QStringLiteral("not valid JSON at byte %1: %2")
                                   .arg(error.offset)
                                   .arg(error.errorString())};
    }
    if (!document.isArray()) {
        return FileError{path, QStringLiteral("the JSON is not an array of players but %1")
                                   .arg(document.isObject() ? QStringLiteral("an object")
                                                            : QStringLiteral("a single value"))};
    }
    const QJsonArray array = document.array();
    QList<InputRow> rows;
    for (qsizetype i = 0; i < array.size(); ++i) {
        InputRow row;
        row.where = QStringLiteral("item %1").arg(i + 1);
        if (!array[i].isObject()) {
            return FileError{path, QStringLiteral("%1 is %2, not an object of a player")
                                       .arg(row.where, jsonTypeName(array[i]))};
        }
        const QJsonObject object = array[i].toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            const int column = columnNamed(it.key());
            if (column < 0) {
                return FileError{path, QStringLiteral("%1: \"%2\" is no column name (%3)")
                                           .arg(row.where, it.key(), columnList())};
            }
            const Column &info = columns()[column];
            const QJsonValue value = it.value();
            if (value.isNull())
                continue;
            if (info.kind == CellKind::Number) {
                if (!value.isDouble()) {
                    return FileError{path, QStringLiteral("%1, %2: %3 is not a number")
                                               .arg(row.where, info.name, jsonTypeName(value))};
                }
                row.cells[column] = QString::number(value.toDouble(), 'g', 17);
            } else {
                if (!value.isString()) {
                    return FileError{path, QStringLiteral("%1, %2: %3 is not text")
                                               .arg(row.where, info.name, jsonTypeName(value))};
                }
                if (!value.toString().isEmpty())
                    row.cells[column] = value.toString();
            }
        }
        if (!object.contains(columns()[OffsetColumn].name)) {
            return FileError{path, QStringLiteral("%1 has no offset; the offset tells which "
                                                  "player an item is about")
                                       .arg(row.where)};
        }
        rows.append(row);
    }
    return rows;
}

} // namespace

const std::array<Column, kColumnCount> &columns()
{
    static const std::array<Column, kColumnCount> all = [] {
        std::array<Column, kColumnCount> table = {
            identity("team", CellKind::Number),
            identity("city", CellKind::Text),
            identity("offset", CellKind::Number),
            identity("first_name", CellKind::Text),
            identity("last_name", CellKind::Text),
            identity("jersey", CellKind::Number),
            identity("position", CellKind::Text),
            identity(FieldId::HeightFeet),
            identity(FieldId::HeightInches),
            identity(FieldId::Weight),
            identity("rookie", CellKind::Text),
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
    for (int i = 0; i < kColumnCount; ++i) {
        if (columns()[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
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

QByteArray toCsv(const QList<Row> &rows)
{
    QByteArray out;
    QList<QByteArray> cells;
    for (const Column &column : columns())
        cells.append(QByteArray(column.name.data(), column.name.size()));
    out += cells.join(',') + "\r\n";
    for (const Row &row : rows) {
        cells.clear();
        for (const QString &cell : row)
            cells.append(csvCell(cell));
        out += cells.join(',') + "\r\n";
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

bool isNumberText(QStringView text)
{
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    const auto digits = [&] {
        const qsizetype start = i;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
            ++i;
        return i - start;
    };
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    qsizetype mantissa = digits();
    if (i < t.size() && t[i] == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == t.size();
}

Result<QList<InputRow>> readTable(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileError{path, file.errorString()};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileError{path, file.errorString()};
    if (bytes.startsWith(kUtf8Bom))
        bytes.remove(0, kUtf8Bom.size());

    const QByteArray start = bytes.trimmed().left(1);
    const bool json =
        QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0
        || start == "[" || start == "{";
    if (json)
        return rowsFromJson(path, bytes);

    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return FileError{path, QStringLiteral("the file is not UTF-8 text")};
    return rowsFromCsv(path, text);
}

} // namespace Puckdex::Cli
