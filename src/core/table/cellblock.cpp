#include "table/cellblock.h"

namespace Puckdex::CellBlock {

QString text(const QList<QStringList> &block)
{
    QStringList lines;
    for (const QStringList &row : block)
        lines.append(row.join(u'\t'));
    return lines.join(u'\n') + u'\n';
}

QList<QStringList> parse(const QString &text)
{
    QList<QStringList> block;
    QStringList row;
    QString cell;
    bool quoted = false;
    bool cellStarted = false;
    const auto endCell = [&] {
        row.append(cell);
        cell.clear();
        cellStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"' && !cellStarted) {
            quoted = true;
            cellStarted = true;
        } else if (c == u'\t') {
            endCell();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            endCell();
            block.append(row);
            row.clear();
        } else {
            cell += c;
            cellStarted = true;
        }
    }
    if (cellStarted || !row.isEmpty()) {
        endCell();
        block.append(row);
    }
    return block;
}

} // namespace Puckdex::CellBlock
