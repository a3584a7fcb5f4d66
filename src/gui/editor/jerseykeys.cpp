#include "editor/jerseykeys.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QWheelEvent>

namespace Puckdex {

JerseyKeys::JerseyKeys(QComboBox *jerseys, QString wornText, std::function<void(int)> refused)
    : QObject(jerseys), m_jerseys(jerseys), m_wornText(std::move(wornText)),
      m_refused(std::move(refused))
{
    // The open list's keys are watched from the list's first opening on:
    // asking the box for its list would build the list and its popup at
    // start-up.
    jerseys->installEventFilter(this);
}

void JerseyKeys::watchOpenList(QEvent::Type reason)
{
    QAbstractItemView *view = nullptr;
    if (reason == QEvent::ChildPolished) {
        // The popup, about to be shown, whatever opened it: it is built
        // already, with the list in it.
        view = m_jerseys->findChild<QAbstractItemView *>();
    } else if (reason == QEvent::KeyPress || reason == QEvent::MouseButtonPress) {
        // Before the box answers a key or a click that may open the list.
        view = m_jerseys->view();
    }
    if (!view)
        return;
    m_view = view;
    m_view->installEventFilter(this);
}

bool JerseyKeys::isWorn(int index) const
{
    return m_jerseys->itemText(index) == m_wornText;
}

int JerseyKeys::nextFree(int index, int step) const
{
    for (; index >= 0 && index < m_jerseys->count(); index += step) {
        if (!isWorn(index))
            return index;
    }
    return -1;
}

void JerseyKeys::step(int from, int direction)
{
    const int next = nextFree(from, direction);
    if (next >= 0)
        m_jerseys->setCurrentIndex(next);
}

bool JerseyKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_view && watched == m_jerseys)
        watchOpenList(event->type());
    const bool popupOpen = watched == m_view;
    if (event->type() == QEvent::Wheel && !popupOpen) {
        const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
        if (delta != 0 && m_jerseys->isEnabled())
            step(m_jerseys->currentIndex() + (delta > 0 ? -1 : 1), delta > 0 ? -1 : 1);
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false; // Alt+Down opens the list, Tab moves on
    const QString text = key->text();
    if (text.size() == 1 && text.at(0).isDigit() && text.at(0).unicode() < 0x80) {
        typed(text.at(0), popupOpen);
        return true;
    }
    if (popupOpen)
        return false; // the open list moves over every entry; picking a worn one is refused
    const int current = m_jerseys->currentIndex();
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        step(current < 0 ? m_jerseys->count() - 1 : current - 1, -1);
        return true;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        step(current + 1, 1);
        return true;
    case Qt::Key_Home:
        step(0, 1);
        return true;
    case Qt::Key_End:
        step(m_jerseys->count() - 1, -1);
        return true;
    default:
        return false;
    }
}

void JerseyKeys::typed(QChar digit, bool popupOpen)
{
    // Digits typed in quick succession make one number, of two digits at
    // most; a pause starts a new one.
    if (!m_sinceTyped.isValid() || m_sinceTyped.elapsed() > QApplication::keyboardInputInterval()
        || m_typed.size() >= 2) {
        m_typed.clear();
        m_beforeTyping = m_jerseys->currentIndex();
    }
    m_sinceTyped.start();
    m_typed.append(digit);
    const int number = m_typed.toInt();
    if (number >= m_jerseys->count())
        return;
    if (popupOpen) {
        m_view->setCurrentIndex(m_view->model()->index(number, m_jerseys->modelColumn()));
        return;
    }
    if (isWorn(number)) {
        // "15" worn: not 1 either, which its first digit picked on the way.
        if (m_jerseys->currentIndex() != m_beforeTyping)
            m_jerseys->setCurrentIndex(m_beforeTyping);
        m_refused(number);
        return;
    }
    m_jerseys->setCurrentIndex(number);
}

} // namespace Puckdex
