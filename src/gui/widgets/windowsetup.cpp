#include "widgets/windowsetup.h"

#include <QCollator>
#include <QComboBox>
#include <QGuiApplication>
#include <QAbstractItemView>
#include <QEvent>
#include <QListWidget>
#include <QPointer>
#include <QStyle>

#include <algorithm>
#include <QScreen>
#include <QWidget>

namespace Puckdex {

namespace {

const QCollator &listCollator()
{
    static const QCollator collator = [] {
        // A sorted list follows the user's language, as on Windows (Ö with O
        // in English, after Z in Swedish). A machine with no language set
        // (the C locale) would sort by character code: it sorts as English.
        const QLocale user;
        QCollator c(user.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates)
                                                  : user);
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

// Keeps a window's controls where they were designed as the window grows:
// the grower takes the extra width and height, the controls below it move
// down by the extra height and all of them widen by the extra width.
class GrowWithWindow : public QObject
{
public:
    GrowWithWindow(QWidget *window, QWidget *grower) : QObject(window), m_window(window)
    {
        m_designed = window->size();
        const int growerBottom = grower->geometry().bottom();
        for (QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const QRect place = child->geometry();
            m_places.append({child, place,
                             child == grower ? Grows
                                             : (place.top() > growerBottom ? MovesDown : Widens)});
        }
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Resize)
            arrange();
        return false;
    }

private:
    enum Way { Grows, MovesDown, Widens };
    struct Place
    {
        QPointer<QWidget> control;
        QRect designed;
        Way way;
    };

    void arrange()
    {
        const QSize extra = (m_window->size() - m_designed).expandedTo(QSize(0, 0));
        for (const Place &place : std::as_const(m_places)) {
            if (!place.control)
                continue;
            QRect now = place.designed.adjusted(0, 0, extra.width(), 0);
            if (place.way == Grows)
                now.setHeight(now.height() + extra.height());
            else if (place.way == MovesDown)
                now.translate(0, extra.height());
            place.control->setGeometry(now);
        }
    }

    QWidget *m_window;
    QSize m_designed;
    QList<Place> m_places;
};

} // namespace

void setGrowingDialogFrame(QWidget *window, QWidget *grower)
{
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowCloseButtonHint);
    window->setMinimumSize(window->size());
    new GrowWithWindow(window, grower);
}

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

void fitDropDownTo(QComboBox *combo, const QStringList &texts)
{
    QAbstractItemView *view = combo->view();
    const QFontMetrics metrics(view->font());
    int widest = 0;
    for (const QString &text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    const QStyle *style = view->style();
    // The entry's own margins (as the list draws an entry), the scroll bar
    // and the popup's frame on both sides.
    const int margins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1)
                        + 2 * metrics.averageCharWidth();
    const int frame = 2 * (view->frameWidth() + 2);
    view->setMinimumWidth(widest + margins + frame
                          + style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view));
}

bool sortsBefore(const QString &a, const QString &b)
{
    return listCollator().compare(a, b) < 0;
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
