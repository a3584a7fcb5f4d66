#include "playertable.h"

#include <QHash>

namespace Puckdex::Cli {

namespace {

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
    if (column.field)
        names.append(folded(QString::fromLatin1(column.field->caption)));
    names.removeAll(QString());
    return names;
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
