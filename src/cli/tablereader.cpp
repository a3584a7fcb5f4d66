#include "csvreader.h"
#include "playertable.h"
#include "roster.h"

#include "player/valuerules.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

// Reading an imported table: the header's words, the rows' cells, JSON's
// items; the CSV file itself is read by the rules of csvreader.h.
namespace Puckdex::Cli {

namespace {

QString columnList()
{
    QStringList names;
    for (const Column &column : columns())
        names.append(column.name);
    return names.join(QLatin1Char(','));
}

// "a", "b" and "c"
QString quotedList(const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted.append(QLatin1Char('"') + name + QLatin1Char('"'));
    const QString last = quoted.takeLast();
    if (quoted.isEmpty())
        return last;
    return quoted.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// "FILE: line 1: left out the columns "a" and "b", which name no column"
QString leftOutWarning(const QString &path, const QString &what, const QStringList &names)
{
    return QStringLiteral("%1: %2 %3, which name no column")
        .arg(QDir::toNativeSeparators(path), what, quotedList(names));
}

// A header cell's place: a column, or one of these.
constexpr int kUnnamed = -1; // an empty header cell: nothing may stand below it
constexpr int kLeftOut = -2; // an unknown name, left out as the user asked
constexpr int kFullName = -3; // both names in one cell, for matching by name

// The header words of one cell holding both names.
bool namesFullName(QStringView cell)
{
    QString folded;
    for (const QChar c : cell) {
        if (c.isLetter())
            folded += c.toCaseFolded();
    }
    return folded == u"name" || folded == u"player" || folded == u"playername" ||
           folded == u"fullname";
}

// The column of each header cell.
Result<QList<int>> headerColumns(const QString &path, const Csv::Record &header,
                                 const ReadOptions &options, QStringList &warnings)
{
    QList<int> order;
    QStringList unknown;
    for (const QString &cell : header.cells) {
        if (cell.trimmed().isEmpty()) {
            order.append(kUnnamed);
            continue;
        }
        if (options.match != MatchBy::Offset && namesFullName(cell) && !order.contains(kFullName)) {
            order.append(kFullName);
            continue;
        }
        const int column = columnNamed(cell);
        if (order.contains(column) && column >= 0) {
            return FileError{path, QStringLiteral("line %1: the column %2 appears twice")
                                       .arg(header.line)
                                       .arg(columns()[column].name)};
        }
        if (column < 0)
            unknown.append(cell.trimmed());
        order.append(column < 0 ? kLeftOut : column);
    }
    if (std::none_of(order.begin(), order.end(), [](int c) { return c >= 0; })) {
        return FileError{path, QStringLiteral("line %1 is not a header: \"%2\" is no column "
                                              "name; the first line must name the columns "
                                              "(%3), between commas, semicolons or tabs")
                                   .arg(header.line)
                                   .arg(unknown.value(0), columnList())};
    }
    if (!unknown.isEmpty() && !options.ignoreUnknownColumns) {
        return FileError{path, QStringLiteral("line %1: %2 %3 (the columns are %4, and the "
                                              "main window's labels name them too); "
                                              "--ignore-unknown-columns leaves %5 out")
                                   .arg(header.line)
                                   .arg(quotedList(unknown),
                                        unknown.size() == 1 ? QStringLiteral("is no column name")
                                                            : QStringLiteral("are no column names"),
                                        columnList(),
                                        unknown.size() == 1 ? QStringLiteral("it")
                                                            : QStringLiteral("them"))};
    }
    if (!unknown.isEmpty())
        warnings.append(leftOutWarning(
            path, QStringLiteral("line %1: left out the columns").arg(header.line), unknown));
    if (!order.contains(OffsetColumn) && options.match == MatchBy::Offset) {
        return FileError{path, QStringLiteral("the header has no offset column; the offset "
                                              "tells which player a line is about")};
    }
    const bool byName = options.match == MatchBy::Name || !order.contains(OffsetColumn);
    if (byName && !order.contains(LastNameColumn) && !order.contains(kFullName)) {
        return FileError{path, QStringLiteral("line %1: the header has neither an offset column "
                                              "nor the players' names (a last name or a name "
                                              "column) to tell which player a line is about")
                                   .arg(header.line)};
    }
    return order;
}

// Matching by name: the team as typed is the row's, not a cell, and so is
// a city where no team is given; an offset is not read.
void nameTheTeam(InputRow &row)
{
    row.team = row.cells[TeamColumn] ? row.cells[TeamColumn] : row.cells[CityColumn];
    row.cells[TeamColumn].reset();
    row.cells[CityColumn].reset();
    row.cells[OffsetColumn].reset();
}

// A record's cells, as many as the header has: cells past the header's
// last may only be empty, and cells left off only those of columns that
// take nothing.
std::optional<FileError> checkWidth(const QString &path, const Csv::Record &record,
                                    const QList<int> &order)
{
    const qsizetype given = record.cells.size();
    const bool fits = given >= order.size()
                          ? Csv::isBlank(record.cells.mid(order.size()))
                          : std::all_of(order.begin() + given, order.end(),
                                        [](int c) { return c < 0; });
    if (fits)
        return std::nullopt;
    return FileError{path, QStringLiteral("line %1 has %2, but the header names %3")
                               .arg(record.line)
                               .arg(plural(given, "cell", "cells"),
                                    plural(order.size(), "column", "columns"))};
}

Result<InputRow> rowFromRecord(const QString &path, const Csv::Record &record,
                               const QList<int> &order, QChar separator, bool byName)
{
    InputRow row;
    row.where = QStringLiteral("line %1").arg(record.line);
    for (qsizetype c = 0; c < order.size() && c < record.cells.size(); ++c) {
        const QString &cell = record.cells[c];
        if (order[c] == kLeftOut)
            continue;
        if (order[c] == kFullName) {
            if (!cell.trimmed().isEmpty())
                row.fullName = cell;
            continue;
        }
        if (byName && (order[c] == TeamColumn || order[c] == OffsetColumn)) {
            if (!cell.trimmed().isEmpty())
                row.cells[order[c]] = cell;
            continue;
        }
        if (order[c] == kUnnamed) {
            if (cell.trimmed().isEmpty())
                continue;
            return FileError{path, QStringLiteral("%1: cell %2 holds \"%3\", but the header "
                                                  "names no column there")
                                       .arg(row.where)
                                       .arg(c + 1)
                                       .arg(cell)};
        }
        const Column &column = columns()[order[c]];
        if (column.kind == CellKind::Text) {
            if (!cell.isEmpty())
                row.cells[order[c]] = cell;
            continue;
        }
        if (cell.trimmed().isEmpty())
            continue;
        const std::optional<QString> number = plainNumber(cell, separator != u',');
        if (!number) {
            return FileError{path, QStringLiteral("%1, column %2: \"%3\" is not a number")
                                       .arg(row.where, column.name, cell)};
        }
        row.cells[order[c]] = *number;
    }
    if (byName)
        nameTheTeam(row);
    return row;
}

Result<QList<InputRow>> rowsFromCsv(const QString &path, QStringView text,
                                    const ReadOptions &options, QStringList &warnings,
                                    bool &byName)
{
    const QChar separator =
        Csv::findSeparator(text, [](QStringView name) { return columnNamed(name) >= 0; });
    Result<QList<Csv::Record>> records = Csv::parse(path, text, separator);
    if (!records)
        return records.error();
    while (!records->isEmpty() && Csv::isBlank(records->first().cells))
        records->removeFirst(); // rows of empty cells above the header
    if (records->isEmpty())
        return FileError{path, QStringLiteral("the file is empty; its first line must name the "
                                              "columns (%1)")
                                   .arg(columnList())};
    const Result<QList<int>> order = headerColumns(path, records->first(), options, warnings);
    if (!order)
        return order.error();
    byName = options.match == MatchBy::Name || !order->contains(OffsetColumn);

    QList<InputRow> rows;
    for (qsizetype r = 1; r < records->size(); ++r) {
        const Csv::Record &record = records->at(r);
        if (Csv::isBlank(record.cells))
            continue;
        if (const std::optional<FileError> wrong = checkWidth(path, record, *order))
            return *wrong;
        Result<InputRow> row = rowFromRecord(path, record, *order, separator, byName);
        if (!row)
            return row.error();
        rows.append(*row);
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

// One JSON item's cells; the keys that name no column are left out (into
// leftOut) or refused, as the user asked.
Result<InputRow> rowFromItem(const QString &path, const QJsonObject &object, InputRow row,
                             const ReadOptions &options, bool byName, QStringList &leftOut)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue value = it.value();
        if (byName && namesFullName(it.key()) && value.isString()) {
            if (!value.toString().trimmed().isEmpty())
                row.fullName = value.toString();
            continue;
        }
        const int column = columnNamed(it.key());
        if (byName && (column == TeamColumn || column == OffsetColumn)) {
            if (value.isString() || value.isDouble())
                row.cells[column] =
                    value.isString() ? value.toString() : QString::number(value.toDouble());
            continue;
        }
        if (column < 0 && options.ignoreUnknownColumns) {
            if (!leftOut.contains(it.key()))
                leftOut.append(it.key());
            continue;
        }
        if (column < 0) {
            return FileError{path, QStringLiteral("%1: \"%2\" is no column name (%3)")
                                       .arg(row.where, it.key(), columnList())};
        }
        const Column &info = columns()[column];
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
    if (byName) {
        nameTheTeam(row);
    } else if (!object.contains(columns()[OffsetColumn].name)) {
        return FileError{path, QStringLiteral("%1 has no offset; the offset tells which player "
                                              "an item is about")
                                   .arg(row.where)};
    }
    return row;
}

Result<QList<InputRow>> rowsFromJson(const QString &path, const QByteArray &bytes,
                                     const ReadOptions &options, QStringList &warnings,
                                     bool &byName)
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
    // By name when told, or when no item gives an offset.
    byName = options.match == MatchBy::Name ||
             (options.match == MatchBy::Auto &&
              std::none_of(array.begin(), array.end(), [](const QJsonValue &item) {
                  return item.toObject().contains(columns()[OffsetColumn].name);
              }));
    QList<InputRow> rows;
    QStringList leftOut;
    for (qsizetype i = 0; i < array.size(); ++i) {
        InputRow row;
        row.where = QStringLiteral("item %1").arg(i + 1);
        if (!array[i].isObject()) {
            return FileError{path, QStringLiteral("%1 is %2, not an object of a player")
                                       .arg(row.where, jsonTypeName(array[i]))};
        }
        Result<InputRow> read =
            rowFromItem(path, array[i].toObject(), row, options, byName, leftOut);
        if (!read)
            return read.error();
        rows.append(*read);
    }
    if (!leftOut.isEmpty())
        warnings.append(leftOutWarning(path, QStringLiteral("left out the keys"), leftOut));
    return rows;
}

} // namespace

Result<InputTable> readTable(const QString &path, const ReadOptions &options)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileError{path, file.errorString()};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileError{path, file.errorString()};
    const Result<Csv::Text> text = Csv::decode(path, bytes);
    if (!text)
        return text.error();

    InputTable table;
    if (text->encoding == Csv::Encoding::Windows1252) {
        table.warnings.append(QStringLiteral("%1: the file is not UTF-8 text, so it was read as "
                                             "Windows-1252 (as Excel saves CSV on Windows)")
                                  .arg(QDir::toNativeSeparators(path)));
    }
    const QStringView start = QStringView(text->text).trimmed().left(1);
    const bool json =
        QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0
        || start == u"[" || start == u"{";
    Result<QList<InputRow>> rows =
        json ? rowsFromJson(path, text->text.toUtf8(), options, table.warnings, table.byName)
             : rowsFromCsv(path, text->text, options, table.warnings, table.byName);
    if (!rows)
        return rows.error();
    table.rows = std::move(*rows);
    return table;
}

} // namespace Puckdex::Cli
