#include "table/rostertable.h"

namespace Puckdex {

RosterTable::Paste RosterTable::paste(const QList<QList<QModelIndex>> &cells,
                                      const QList<QStringList> &block)
{
    Paste done;
    for (qsizetype r = 0; r < block.size(); ++r) {
        for (qsizetype c = 0; c < block[r].size(); ++c) {
            const QModelIndex index =
                r < cells.size() && c < cells[r].size() ? cells[r][c] : QModelIndex();
            if (!index.isValid()) {
                ++done.skipped;
                continue;
            }
            const Entry entry = enter(index, block[r][c]);
            switch (entry.kind) {
            case Entry::Adjusted:
                ++done.adjusted;
                [[fallthrough]];
            case Entry::Changed:
                ++done.changed;
                if (!done.changedRows.contains(index.row()))
                    done.changedRows.append(index.row());
                if (entry.renamed && !done.renamedRows.contains(index.row()))
                    done.renamedRows.append(index.row());
                break;
            case Entry::Refused:
                ++done.refused;
                done.refusals.append(cellName(index) + QStringLiteral(": ") + entry.message);
                break;
            case Entry::NotEditable:
                ++done.skipped;
                break;
            case Entry::Unchanged:
                break;
            }
        }
    }
    return done;
}

QString RosterTable::Paste::summary() const
{
    QString text = QStringLiteral("Pasted: %1 %2 changed")
                       .arg(changed)
                       .arg(QLatin1String(changed == 1 ? "value" : "values"));
    if (adjusted > 0)
        text += QStringLiteral(", %1 of them moved onto the game's limits and steps").arg(adjusted);
    if (refused > 0)
        text += QStringLiteral(", %1 refused (%2)").arg(refused).arg(refusals.first().chopped(1));
    if (skipped > 0)
        text += QStringLiteral(", %1 left out (not editable or past the table's edge)").arg(skipped);
    return text + u'.';
}

} // namespace Puckdex
