#include "widgets/frozentableview.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace Puckdex {

namespace {

// An open entry stays open while the focus is out of the table: on another
// control of the window (Close, Find, All teams), whose command puts it in
// first and can ask when it is refused; on a message that asks about it; in
// another program. The focus going to another cell of the table puts it in
// at once, as usual.
class EntryDelegate : public QStyledItemDelegate
{
public:
    EntryDelegate(QWidget *table) : QStyledItemDelegate(table), m_table(table) {}

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        const QWidget *to = QApplication::focusWidget();
        if (event->type() == QEvent::FocusOut && to != m_table && !m_table->isAncestorOf(to))
            return false;
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    QWidget *m_table;
};

} // namespace

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
    QWidget *openEditor() const
    {
        return state() == EditingState ? indexWidget(currentIndex()) : nullptr;
    }
    void putIn(QWidget *editor) { commitData(editor); }
    void close(QWidget *editor) { closeEditor(editor, QAbstractItemDelegate::NoHint); }

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
    setItemDelegate(new EntryDelegate(this));
    // The row header's place is the kept part's: exactly as wide as its
    // columns, and covered by it.
    verticalHeader()->show();

    m_frozen->setObjectName(QStringLiteral("frozenColumns"));
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->setItemDelegate(new EntryDelegate(this));
    m_frozen->verticalHeader()->hide();
    m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollMode(ScrollPerPixel);
    // Its cells open as the table's do: the table hands it the keys.
    m_frozen->setEditTriggers(editTriggers());
    m_frozen->setStyleSheet(QStringLiteral("QTableView { border: none; }"));

    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                m_frozen->horizontalHeader()->setSortIndicator(
                    column < m_frozenColumns ? column : -1, order);
            });
    // A kept column made wider or narrower moves the table's cells with it.
    connect(m_frozen->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this] { updateGeometries(); });
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
    // Room for the sort arrow, as the table's captions have: it shows here
    // when the table is sorted by a kept column.
    m_frozen->horizontalHeader()->setSortIndicatorShown(true);
    m_frozen->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
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
    // Each part shows its own columns only: the table hides its sections of
    // the kept columns, which the kept part shows beside it.
    for (int column = 0; column < model()->columnCount(); ++column) {
        m_frozen->setColumnHidden(column, column >= m_frozenColumns);
        setColumnHidden(column, column < m_frozenColumns);
    }
    updateGeometries();
}

void FrozenTableView::fitColumnsToContents()
{
    resizeColumnsToContents();
    for (int column = 0; column < m_frozenColumns; ++column)
        m_frozen->resizeColumnToContents(column);
}

int FrozenTableView::frozenWidth() const
{
    int width = 0;
    for (int column = 0; column < m_frozenColumns; ++column) {
        if (!m_frozen->isColumnHidden(column))
            width += m_frozen->columnWidth(column);
    }
    return width;
}

void FrozenTableView::updateGeometries()
{
    // The table's cells start right of the row header's place, which is as
    // wide as the kept columns.
    if (verticalHeader()->width() != frozenWidth() ||
        verticalHeader()->minimumWidth() != frozenWidth())
        verticalHeader()->setFixedWidth(frozenWidth());
    QTableView::updateGeometries();
    placeFrozenPart();
}

void FrozenTableView::placeFrozenPart()
{
    // Row for row level with the table.
    QHeaderView *rows = m_frozen->verticalHeader();
    rows->setMinimumSectionSize(verticalHeader()->minimumSectionSize());
    rows->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_frozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    const QRect cells = viewport()->geometry();
    m_frozen->setGeometry(cells.left() - frozenWidth(), horizontalHeader()->geometry().top(),
                          frozenWidth(), cells.bottom() + 1 - horizontalHeader()->geometry().top());
    m_frozen->raise();
    m_frozen->show();
}

QList<int> FrozenTableView::shownColumns() const
{
    QList<int> columns;
    if (!model())
        return columns;
    for (const QTableView *part : {static_cast<const QTableView *>(m_frozen),
                                   static_cast<const QTableView *>(this)}) {
        const QHeaderView *header = part->horizontalHeader();
        for (int visual = 0; visual < header->count(); ++visual) {
            const int column = header->logicalIndex(visual);
            if (!header->isSectionHidden(column))
                columns.append(column);
        }
    }
    return columns;
}

int FrozenTableView::shownColumnBeside(int column, int step) const
{
    const QList<int> columns = shownColumns();
    const qsizetype at = columns.indexOf(column) + step;
    return columns.contains(column) && at >= 0 && at < columns.size() ? columns[at] : -1;
}

int FrozenTableView::shownColumnAt(int x) const
{
    const QList<int> columns = shownColumns();
    if (columns.isEmpty())
        return -1;
    // Beyond either edge: the column at that edge.
    if (x < 0) {
        const QPoint kept = m_frozen->viewport()->mapFromGlobal(
            viewport()->mapToGlobal(QPoint(x, 0)));
        const int column = m_frozen->columnAt(std::max(kept.x(), 0));
        return column >= 0 ? column : columns.first();
    }
    const int column = columnAt(x);
    return column >= 0 ? column : columns.last();
}

QRect FrozenTableView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.column() >= m_frozenColumns)
        return QTableView::visualRect(index);
    const QPoint kept =
        viewport()->mapFromGlobal(m_frozen->viewport()->mapToGlobal(QPoint(0, 0)));
    return m_frozen->visualRect(index).translated(kept);
}

void FrozenTableView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    // The block between two corners as the user sees it, the kept columns
    // and the others in their shown order.
    const QRect corners = rect.normalized();
    const int top = rowAt(corners.top());
    const int bottom = rowAt(corners.bottom());
    const QList<int> columns = shownColumns();
    const qsizetype left = columns.indexOf(shownColumnAt(corners.left()));
    const qsizetype right = columns.indexOf(shownColumnAt(corners.right()));
    if (!model() || !selectionModel() || top < 0 || bottom < 0 || left < 0 || right < 0)
        return;
    QItemSelection block;
    for (qsizetype c = std::min(left, right); c <= std::max(left, right); ++c) {
        block.select(model()->index(std::min(top, bottom), columns[c], rootIndex()),
                     model()->index(std::max(top, bottom), columns[c], rootIndex()));
    }
    selectionModel()->select(block, command);
}

void FrozenTableView::focusInEvent(QFocusEvent *event)
{
    // Back in the table while an entry is open (it stayed open when another
    // control took the focus): back in the entry.
    if (QWidget *editor = openEditor()) {
        editor->setFocus(event->reason());
        return;
    }
    QTableView::focusInEvent(event);
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
    // Over the columns as they are shown, across the two parts; the rows
    // are the model's, none hidden.
    const QModelIndex current = currentIndex();
    const QList<int> columns = shownColumns();
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    if (!current.isValid() || rows == 0 || !columns.contains(current.column()))
        return QTableView::moveCursor(cursorAction, modifiers);
    int row = current.row();
    int column = current.column();
    const bool control = modifiers & Qt::ControlModifier;
    switch (cursorAction) {
    case MoveUp:
        row = std::max(row - 1, 0);
        break;
    case MoveDown:
        row = std::min(row + 1, rows - 1);
        break;
    case MovePageUp:
        row = std::max(rowAt(rowViewportPosition(row) + rowHeight(row) - viewport()->height()), 0);
        break;
    case MovePageDown: {
        const int below = rowAt(rowViewportPosition(row) + viewport()->height());
        row = below < 0 ? rows - 1 : below;
        break;
    }
    case MoveLeft:
    case MoveRight: {
        const int beside = shownColumnBeside(column, cursorAction == MoveLeft ? -1 : 1);
        column = beside < 0 ? column : beside;
        break;
    }
    case MoveNext:
    case MovePrevious: {
        // Past a row's end onto the next row's start, and round.
        const bool next = cursorAction == MoveNext;
        const int beside = shownColumnBeside(column, next ? 1 : -1);
        column = beside >= 0 ? beside : next ? columns.first() : columns.last();
        if (beside < 0)
            row = (row + (next ? 1 : rows - 1)) % rows;
        break;
    }
    case MoveHome:
    case MoveEnd:
        column = cursorAction == MoveHome ? columns.first() : columns.last();
        if (control)
            row = cursorAction == MoveHome ? 0 : rows - 1;
        break;
    }
    return model()->index(row, column, rootIndex());
}

void FrozenTableView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    // A kept column's cell is always in view sideways: only the rows move.
    if (index.isValid() && index.column() < m_frozenColumns)
        m_frozen->scrollTo(index, hint);
    else
        QTableView::scrollTo(index, hint);
}

bool FrozenTableView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // A kept column's cell lies in the kept part: it is edited there.
    if (index.isValid() && index.column() < m_frozenColumns)
        return m_frozen->editHere(index, trigger, event);
    return QTableView::edit(index, trigger, event);
}

QModelIndex FrozenTableView::openEntry() const
{
    return openEditor() ? currentIndex() : QModelIndex();
}

QWidget *FrozenTableView::openEditor() const
{
    if (QWidget *editor = m_frozen->openEditor())
        return editor;
    return state() == EditingState ? indexWidget(currentIndex()) : nullptr;
}

void FrozenTableView::putInOpenEntry()
{
    QWidget *editor = openEditor();
    if (!editor)
        return;
    // The model's cell, read again after the entry, would replace the box's
    // text: the box keeps what was typed, to be mended if it was refused.
    const QMetaProperty typed = editor->metaObject()->userProperty();
    const QVariant text = typed.read(editor);
    const QPointer<QWidget> box = editor;
    if (editor == m_frozen->openEditor())
        m_frozen->putIn(editor);
    else
        commitData(editor);
    if (box)
        typed.write(box, text);
}

void FrozenTableView::closeOpenEntry()
{
    if (QWidget *editor = m_frozen->openEditor())
        m_frozen->close(editor);
    else if (QWidget *editor = openEditor())
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void FrozenTableView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // An entry left open while another control had the focus is put in
    // where it was typed when the cursor moves (a click on another cell),
    // with no move after it.
    QWidget *editor = previous.isValid() ? m_frozen->indexWidget(previous) : nullptr;
    if (editor) {
        m_frozen->putIn(editor);
        m_frozen->close(editor);
    } else if ((editor = previous.isValid() ? indexWidget(previous) : nullptr)) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    QTableView::currentChanged(current, previous);
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
