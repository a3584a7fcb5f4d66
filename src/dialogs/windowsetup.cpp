#include "dialogs/windowsetup.h"

#include <QCollator>
#include <QComboBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QWidget>

namespace Puckdex {

namespace {

const QCollator &listCollator()
{
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

// The first index whose text sorts after text.
template <typename TextAt>
int sortedPosition(int count, const QString &text, TextAt textAt)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (listCollator().compare(textAt(mid), text) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

} // namespace

void setFixedDialogFrame(QWidget *window)
{
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(window->size());
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size().expandedTo(window->size());
    window->move(area.left() + (area.width() - size.width()) / 2,
                 area.top() + (area.height() - size.height()) / 2);
}

int insertSorted(QComboBox *combo, const QString &text, const QVariant &data)
{
    const int index = sortedPosition(combo->count(), text,
                                     [combo](int i) { return combo->itemText(i); });
    combo->insertItem(index, text, data);
    return index;
}

int insertSorted(QListWidget *list, const QString &text, const QVariant &data)
{
    const int index = sortedPosition(list->count(), text,
                                     [list](int i) { return list->item(i)->text(); });
    auto *item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, data);
    list->insertItem(index, item);
    return index;
}

} // namespace Puckdex
