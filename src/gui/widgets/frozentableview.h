#pragma once

#include <QTableView>

namespace Puckdex {

// A table that keeps its first columns in view while it scrolls sideways,
// and that edits as a spreadsheet does: typing replaces a cell, F2 or Enter
// edits it, Esc takes the entry back, Enter puts it in and moves down, Tab
// puts it in and moves right. The kept columns are a second view laid over
// the left edge, sharing the model and the selection; their cells are
// edited there.
class FrozenTableView : public QTableView
{
    Q_OBJECT

public:
    explicit FrozenTableView(int frozenColumns, QWidget *parent = nullptr);
    ~FrozenTableView() override;

    void setModel(QAbstractItemModel *model) override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    // The view over the kept columns.
    QTableView *frozenView() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    class FrozenPart;
    friend class FrozenPart;
    // After an entry: Enter moves down, Tab right, Shift+Tab left.
    void moveAfterEntry(QAbstractItemDelegate::EndEditHint hint);
    void placeFrozenPart();
    void showFrozenColumns();
    int frozenWidth() const;

    int m_frozenColumns;
    FrozenPart *m_frozen;
};

} // namespace Puckdex
