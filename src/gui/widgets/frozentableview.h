#pragma once

#include <QTableView>

namespace Puckdex {

// A table that keeps its first columns in view while it scrolls sideways,
// and that edits as a spreadsheet does: typing replaces a cell, F2 or Enter
// edits it, Esc takes the entry back, Enter puts it in and moves down, Tab
// puts it in and moves right. The kept columns are a second view, sharing
// the model and the selection, that stands in the margin left of the
// table's own cells (where a row header would be), so nothing scrolls
// under it; the table hides its own sections of those columns. Their cells
// are edited there.
class FrozenTableView : public QTableView
{
    Q_OBJECT

public:
    explicit FrozenTableView(int frozenColumns, QWidget *parent = nullptr);
    ~FrozenTableView() override;

    void setModel(QAbstractItemModel *model) override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    // A cell of a kept column where the kept part shows it, in the
    // coordinates of the table's viewport (left of its edge).
    QRect visualRect(const QModelIndex &index) const override;
    // The view over the kept columns.
    QTableView *frozenView() const;
    // The model's columns in the order the user sees them, left to right:
    // the kept ones, then the others; hidden ones left out. Copy, paste and
    // the cursor's moves follow it.
    QList<int> shownColumns() const;
    // Every column as wide as its contents, the kept ones too.
    void fitColumnsToContents();

    // The cell whose entry is open, in either part, and its box; none when
    // no entry is.
    QModelIndex openEntry() const;
    QWidget *openEditor() const;
    // The open entry put in as Enter puts it, its box left open; and the
    // box closed without putting its text in.
    void putInOpenEntry();
    void closeOpenEntry();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    void updateGeometries() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    class FrozenPart;
    friend class FrozenPart;
    // After an entry: Enter moves down, Tab right, Shift+Tab left.
    void moveAfterEntry(QAbstractItemDelegate::EndEditHint hint);
    // The column left or right of a shown one (steps of -1 or 1), none past
    // the edge; and the shown column at x of the viewport (left of it: the
    // kept part's).
    int shownColumnBeside(int column, int step) const;
    int shownColumnAt(int x) const;
    void placeFrozenPart();
    void showFrozenColumns();
    int frozenWidth() const;

    int m_frozenColumns;
    FrozenPart *m_frozen;
};

} // namespace Puckdex
