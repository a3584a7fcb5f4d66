#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A block of cells as text, the way spreadsheets copy and paste it: rows on
// lines, cells between tabs.
namespace Puckdex::CellBlock {

// The block as a spreadsheet pastes it.
QString text(const QList<QStringList> &block);

// The block a spreadsheet copied: CR LF or LF between rows; the quotes a
// spreadsheet puts around a cell holding a tab, a line break or a quote are
// taken off.
QList<QStringList> parse(const QString &text);

} // namespace Puckdex::CellBlock
