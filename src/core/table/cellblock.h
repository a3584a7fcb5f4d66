#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A block of cells as text, the way spreadsheets copy and paste it: rows on
// lines, cells between tabs.
namespace Puckdex::CellBlock {

// The block as a spreadsheet pastes it. A cell holding a quote, a tab or a
// line break is put in quotes, its own quotes doubled (as Excel and
// LibreOffice copy it), so that it comes back whole.
QString text(const QList<QStringList> &block);

// The block a spreadsheet copied: CR LF or LF between rows. A cell in
// quotes, its inner quotes doubled and nothing after the closing quote but
// a tab or a line break, is taken out of its quotes; any other cell is read
// as it stands, a quote it begins with included ("Moose, Karl).
QList<QStringList> parse(const QString &text);

} // namespace Puckdex::CellBlock
