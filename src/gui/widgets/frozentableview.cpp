#include "widgets/frozentableview.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

namespace Puckdex {

// The kept columns: never takes the focus from the keyboard (the table
// does), edits its own cells, and hands the move after an entry back.
class FrozenTableView::FrozenPart : public QTableView
{
public:
    explicit FrozenPart(FrozenTableView *table) : QTableView(table), m_table(table) {}

    bool editHere(const QModelIndex &index, EditTrigger trigger, QEvent *event)
    {
        return QTableView::edit(index, trigger, event);
    }

protected:
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        m_table->setFocus(Qt::OtherFocusReason);
        m_table->moveAfterEntry(hint);
    }

private:
    FrozenTableView *m_table;
};

FrozenTableView::FrozenTableView(int frozenColumns, QWidget *parent)
    : QTableView(parent), m_frozenColumns(frozenColumns), m_frozen(new FrozenPart(this))
{
    setEditTriggers(AnyKeyPressed | EditKeyPressed | DoubleClicked);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    setTabKeyNavigation(true);

    m_frozen->setObjectName(QStringLiteral("frozenColumns"));
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->verticalHeader()->hide();
    m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollMode(ScrollPerPixel);
    // Its cells open as the table's do: the table hands it the keys.
    m_frozen->setEditTriggers(editTriggers());
    m_frozen->setStyleSheet(QStringLiteral("QTableView { border: none; }"));
    viewport()->stackUnder(m_frozen);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) {
                if (column < m_frozenColumns) {
                    m_frozen->setColumnWidth(column, width);
                    placeFrozenPart();
                }
            });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int row, int, int height) { m_frozen->setRowHeight(row, height); });
    connect(m_frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(),
            &QAbstractSlider::setValue);
}

FrozenTableView::~FrozenTableView() = default;

QTableView *FrozenTableView::frozenView() const
{
    return m_frozen;
}

void FrozenTableView::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    m_frozen->setModel(model);
    m_frozen->setSelectionModel(selectionModel());
    m_frozen->setSortingEnabled(false);
    m_frozen->horizontalHeader()->setSortIndicatorShown(false);
    // A click on a kept column's caption sorts the table by it.
    connect(m_frozen->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) {
                if (!isSortingEnabled())
                    return;
                const QHeaderView *header = horizontalHeader();
                const Qt::SortOrder order = header->sortIndicatorSection() == column &&
                                                    header->sortIndicatorOrder() ==
                                                        Qt::AscendingOrder
                                                ? Qt::DescendingOrder
                                                : Qt::AscendingOrder;
                sortByColumn(column, order);
            });
    if (model) {
        connect(model, &QAbstractItemModel::modelReset, this,
                &FrozenTableView::showFrozenColumns);
        connect(model, &QAbstractItemModel::columnsInserted, this,
                &FrozenTableView::showFrozenColumns);
    }
    showFrozenColumns();
}

void FrozenTableView::showFrozenColumns()
{
    if (!model())
        return;
    for (int column = 0; column < model()->columnCount(); ++column) {
        m_frozen->setColumnHidden(column, column >= m_frozenColumns);
        if (column < m_frozenColumns)
            m_frozen->setColumnWidth(column, columnWidth(column));
    }
    placeFrozenPart();
}

int FrozenTableView::frozenWidth() const
{
    int width = 0;
    for (int column = 0; column < m_frozenColumns; ++column)
        width += columnWidth(column);
    return width;
}

void FrozenTableView::placeFrozenPart()
{
    // Row for row level with the table.
    QHeaderView *rows = m_frozen->verticalHeader();
    rows->setMinimumSectionSize(verticalHeader()->minimumSectionSize());
    rows->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_frozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    const int left = verticalHeader()->isVisible() ? verticalHeader()->width() : 0;
    m_frozen->setGeometry(left + frameWidth(), frameWidth(), frozenWidth(),
                          viewport()->height() + horizontalHeader()->height());
    m_frozen->show();
}

void FrozenTableView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    placeFrozenPart();
}

void FrozenTableView::keyPressEvent(QKeyEvent *event)
{
    // Enter edits the cell, as F2 does, when no entry is open.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != EditingState && currentIndex().isValid()) {
        edit(currentIndex(), EditKeyPressed, event);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

QModelIndex FrozenTableView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
    // A cell right of the kept columns but hidden under them scrolls out.
    if (cursorAction == MoveLeft && current.column() >= m_frozenColumns &&
        visualRect(current).left() < frozenWidth()) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + visualRect(current).left() -
                                        frozenWidth());
    }
    return current;
}

void FrozenTableView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (index.column() >= m_frozenColumns)
        QTableView::scrollTo(index, hint);
    else
        QTableView::scrollTo(index.siblingAtColumn(m_frozenColumns), hint);
}

bool FrozenTableView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // A kept column's cell lies under the kept part: it is edited there.
    if (index.isValid() && index.column() < m_frozenColumns)
        return m_frozen->editHere(index, trigger, event);
    return QTableView::edit(index, trigger, event);
}

void FrozenTableView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    moveAfterEntry(hint);
}

void FrozenTableView::moveAfterEntry(QAbstractItemDelegate::EndEditHint hint)
{
    CursorAction action;
    switch (hint) {
    case QAbstractItemDelegate::EditNextItem:
        action = MoveNext;
        break;
    case QAbstractItemDelegate::EditPreviousItem:
        action = MovePrevious;
        break;
    case QAbstractItemDelegate::SubmitModelCache:
        action = MoveDown;
        break;
    default:
        return;
    }
    const QModelIndex next = moveCursor(action, Qt::NoModifier);
    if (next.isValid())
        selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
}

} // namespace Puckdex
