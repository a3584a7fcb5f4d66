#include "table/cellblock.h"

#include <optional>

namespace Puckdex::CellBlock {

namespace {

bool endsCell(const QString &text, qsizetype at)
{
    return at >= text.size() || text[at] == u'\t' || text[at] == u'\n' || text[at] == u'\r';
}

// The cell in quotes that starts at text[at], and where it ends; none when
// the quote is never closed or something other than the cell's end follows
// the closing quote.
std::optional<std::pair<QString, qsizetype>> quotedCell(const QString &text, qsizetype at)
{
    QString cell;
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        if (text[i] != u'"') {
            cell += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == u'"') {
            cell += u'"';
            ++i;
        } else {
            if (!endsCell(text, i + 1))
                return std::nullopt;
            return std::make_pair(cell, i + 1);
        }
    }
    return std::nullopt;
}

QString quotedIfNeeded(const QString &cell)
{
    const bool needsQuotes = cell.contains(u'"') || cell.contains(u'\t') ||
                             cell.contains(u'\n') || cell.contains(u'\r');
    if (!needsQuotes)
        return cell;
    QString quoted = cell;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace

QString text(const QList<QStringList> &block)
{
    QStringList lines;
    for (const QStringList &row : block) {
        QStringList cells;
        for (const QString &cell : row)
            cells.append(quotedIfNeeded(cell));
        lines.append(cells.join(u'\t'));
    }
    return lines.join(u'\n') + u'\n';
}

QList<QStringList> parse(const QString &text)
{
    QList<QStringList> block;
    QStringList row;
    qsizetype i = 0;
    while (i < text.size()) {
        const auto quoted = text[i] == u'"' ? quotedCell(text, i) : std::nullopt;
        if (quoted) {
            row.append(quoted->first);
            i = quoted->second;
        } else {
            const qsizetype start = i;
            while (!endsCell(text, i))
                ++i;
            row.append(text.mid(start, i - start));
        }
        if (i < text.size() && text[i] == u'\t') {
            ++i;
            // A tab at the very end still opens an empty last cell.
            if (i == text.size())
                row.append(QString());
            continue;
        }
        if (i < text.size() && text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        ++i;
        block.append(row);
        row.clear();
    }
    if (!row.isEmpty())
        block.append(row);
    return block;
}

} // namespace Puckdex::CellBlock
