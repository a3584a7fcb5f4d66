#include "editor/playerlist.h"

#include "widgets/windowsetup.h"
#include "player/valuerules.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <numeric>

namespace Puckdex {

namespace {

// What each entry holds: the player's offset and his names.
constexpr int kOffsetRole = Qt::UserRole;
constexpr int kFirstNameRole = Qt::UserRole + 1;
constexpr int kLastNameRole = Qt::UserRole + 2;

} // namespace

PlayerList::PlayerList(QListWidget *list) : QObject(list), m_list(list)
{
    // Every entry is one line of the same font: the list takes the first
    // entry's height for all, instead of asking each entry for its size
    // whenever it works out where an entry is (a pick repaints two).
    m_list->setUniformItemSizes(true);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
}

bool PlayerList::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // The right button opens the list's menu, which acts on the saves;
        // it does not pick the row under it (and so save the shown player).
        return watched == m_list->viewport()
               && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
    case QEvent::ToolTip: {
        // A name the list's width cuts shows whole as a tooltip; measured
        // when the pointer rests on it, not for every entry of every team.
        if (watched != m_list->viewport())
            return false;
        const auto *help = static_cast<QHelpEvent *>(event);
        const QListWidgetItem *entry = m_list->itemAt(help->pos());
        const QString whole = entry ? cutName(*entry) : QString();
        if (whole.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), whole, m_list->viewport(),
                               m_list->visualItemRect(entry));
        return true;
    }
    case QEvent::KeyPress: {
        // With no player picked yet, the first Up or Down picks the entry
        // that has the focus frame, instead of the one after it.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched != m_list || key->modifiers() != Qt::NoModifier
            || (key->key() != Qt::Key_Down && key->key() != Qt::Key_Up)
            || !m_list->selectedItems().isEmpty() || m_list->count() == 0)
            return false;
        m_list->setCurrentRow(std::max(m_list->currentRow(), 0),
                              QItemSelectionModel::ClearAndSelect);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

QString PlayerList::cutName(const QListWidgetItem &entry) const
{
    const int margin =
        m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1;
    const int room = m_list->viewport()->width() - 2 * margin;
    return m_list->fontMetrics().horizontalAdvance(entry.text()) > room ? entry.text() : QString();
}

void PlayerList::fill(const QList<PlayerEntry> &players)
{
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const PlayerEntry &player : players) {
        auto *entry = new QListWidgetItem(m_list);
        entry->setData(kOffsetRole, player.offset);
        entry->setData(kFirstNameRole, player.record.firstName());
        entry->setData(kLastNameRole, player.record.lastName());
    }
    relist();
}

void PlayerList::clear()
{
    const QSignalBlocker blocker(m_list);
    m_list->clear();
}

void PlayerList::rename(qint64 offset, const QString &firstName, const QString &lastName)
{
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem *entry = m_list->item(row);
        if (entry->data(kOffsetRole).toLongLong() == offset) {
            // Listed under these names already (every save of a player not
            // renamed): his entry and his namesakes' stay as they are.
            if (entry->data(kFirstNameRole).toString() == firstName
                && entry->data(kLastNameRole).toString() == lastName)
                return;
            entry->setData(kFirstNameRole, firstName);
            entry->setData(kLastNameRole, lastName);
            relist();
            return;
        }
    }
}

void PlayerList::relist()
{
    // Each entry's text from the names it holds, namesakes told apart; then
    // the entries in order, the selected and the current one kept.
    const QSignalBlocker blocker(m_list);
    QList<ListedName> names;
    for (int row = 0; row < m_list->count(); ++row) {
        const QListWidgetItem *entry = m_list->item(row);
        names.append({entry->data(kFirstNameRole).toString(),
                      entry->data(kLastNameRole).toString()});
    }
    const QStringList texts = listedNames(names);
    QList<int> order(m_list->count());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&texts](int a, int b) { return sortsBefore(texts[a], texts[b]); });

    QListWidgetItem *current = m_list->currentItem();
    QListWidgetItem *selected =
        m_list->selectedItems().isEmpty() ? nullptr : m_list->selectedItems().first();
    QList<QListWidgetItem *> entries;
    for (const int row : std::as_const(order)) {
        QListWidgetItem *entry = m_list->item(row);
        entry->setText(texts[row]);
        entries.append(entry);
    }
    bool moved = false;
    for (int row = 0; row < entries.size(); ++row)
        moved = moved || m_list->item(row) != entries[row];
    if (!moved)
        return;
    while (m_list->count() > 0)
        m_list->takeItem(0);
    for (QListWidgetItem *entry : std::as_const(entries))
        m_list->addItem(entry);
    if (selected)
        m_list->setCurrentItem(selected);
    else if (current)
        m_list->setCurrentItem(current, QItemSelectionModel::NoUpdate);
}

void PlayerList::select(qint64 offset)
{
    const QSignalBlocker blocker(m_list);
    for (int row = 0; row < m_list->count(); ++row) {
        if (offsetAt(row) == offset) {
            m_list->setCurrentRow(row);
            return;
        }
    }
}

void PlayerList::clearSelection()
{
    const QSignalBlocker blocker(m_list);
    m_list->clearSelection();
}

int PlayerList::selectedRow() const
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

qint64 PlayerList::offsetAt(int row) const
{
    const QListWidgetItem *entry = row >= 0 ? m_list->item(row) : nullptr;
    return entry ? entry->data(kOffsetRole).toLongLong() : -1;
}

} // namespace Puckdex
