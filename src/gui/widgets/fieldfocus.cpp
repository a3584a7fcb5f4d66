#include "widgets/fieldfocus.h"

#include "widgets/messagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace Puckdex {

namespace {

// The focus leaves with the window (a message box, another program) or for a
// context menu: the box is still being edited.
bool leavesWithTheWindow(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

class ButtonKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *button = qobject_cast<QPushButton *>(watched);
        if (!button || !button->isEnabled())
            return false;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
                static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
                button->click();
                return true;
            }
        } else if (event->type() == QEvent::Shortcut) {
            // The button handles its access key after this; the leave step
            // of the box being edited runs first.
            if (!button->hasFocus() && button->focusPolicy() != Qt::NoFocus)
                button->setFocus(Qt::ShortcutFocusReason);
        }
        return false;
    }
};

} // namespace

FieldFocus::FieldFocus(QWidget *window, Step enter, Step leave)
    : QObject(window), m_window(window), m_enter(std::move(enter)), m_leave(std::move(leave))
{}

void FieldFocus::watch(QLineEdit *box)
{
    m_watched.append(box);
    box->installEventFilter(this);
}

void FieldFocus::leaveCurrent()
{
    if (QLineEdit *box = m_current) {
        m_current = nullptr;
        m_leave(box, Qt::OtherFocusReason);
    }
}

void FieldFocus::reenter(QLineEdit *box)
{
    m_current = box;
    m_enter(box, Qt::OtherFocusReason);
}

bool FieldFocus::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_swallowing &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseButtonDblClick))
        return true;

    auto *box = qobject_cast<QLineEdit *>(watched);
    if (!box)
        return false;
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (box != m_current) {
            m_current = box;
            m_enter(box, reason);
        }
    } else if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (leavesWithTheWindow(reason) || box != m_current)
            return false;
        m_current = nullptr;
        // The focus has already moved: to the button being pressed, if any.
        QAbstractButton *pressed = nullptr;
        if (reason == Qt::MouseFocusReason) {
            pressed = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
            if (pressed && !m_window->isAncestorOf(pressed))
                pressed = nullptr;
        }
        const int messagesBefore = MessageBox::shownCount();
        m_leave(box, reason);
        if (MessageBox::shownCount() != messagesBefore) {
            if (pressed)
                clickAfterMessage(pressed);
            enterWhereTheFocusWent(reason);
        }
    }
    return false;
}

void FieldFocus::enterWhereTheFocusWent(Qt::FocusReason reason)
{
    // The message took the focus out of the window before the next box got
    // it; without a window manager the window may not even be told that it
    // has the focus back before the user types. The box the focus went to
    // is entered now.
    auto *next = qobject_cast<QLineEdit *>(m_window->focusWidget());
    if (!next || next == m_current || !next->isEnabled() || !m_watched.contains(next))
        return;
    m_current = next;
    m_enter(next, reason);
}

void FieldFocus::clickAfterMessage(QAbstractButton *button)
{
    // The press that is still on its way to the button (and its release, if
    // it comes) would act a second time, or leave the button held down.
    m_swallowing = button;
    button->installEventFilter(this);
    QTimer::singleShot(0, this, [this, button = QPointer<QAbstractButton>(button)] {
        m_swallowing = nullptr;
        if (!button)
            return;
        button->removeEventFilter(this);
        button->setDown(false);
        if (button->isEnabled() && button->isVisible())
            button->click();
    });
}

void actLikeClicks(QWidget *window)
{
    auto *keys = new ButtonKeys(window);
    for (QPushButton *button : window->findChildren<QPushButton *>())
        button->installEventFilter(keys);
}

} // namespace Puckdex
