#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

#include <QAbstractButton>
#include <QLineEdit>
class QWidget;

namespace Puckdex {

// The entry and leave steps of a window's text boxes, run once per visit
// whatever way the focus comes and goes.
//
// A message box shown by one box's leave step takes the focus out of the
// window before the next box has it; when the window gets it back, that box
// is entered for the first time all the same (its text selected, the last
// name's list guard set). Focus that leaves with the window and comes back
// to the same box is no new visit.
//
// A mouse press on a button moves the focus there first, so the box being
// edited is checked, and then the button acts; when the check showed a
// message, the press was spent on it, and the click is made here instead.
class FieldFocus : public QObject
{
public:
    using Step = std::function<void(QLineEdit *box, Qt::FocusReason reason)>;

    FieldFocus(QWidget *window, Step enter, Step leave);

    void watch(QLineEdit *box);

    // The box whose entry step ran and whose leave step is still to come.
    QLineEdit *current() const { return m_current; }

    // Runs the leave step of the box being edited without moving the focus
    // (the window closes through its frame).
    void leaveCurrent();
    // Runs the entry step of box, which has the focus, again.
    void reenter(QLineEdit *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void clickAfterMessage(QAbstractButton *button);
    void enterWhereTheFocusWent(Qt::FocusReason reason);

    QWidget *m_window;
    Step m_enter;
    Step m_leave;
    QList<QLineEdit *> m_watched;
    QPointer<QLineEdit> m_current;
    QPointer<QAbstractButton> m_swallowing;
};

// Makes a window's push buttons answer the keys as they do on Windows: Enter
// or Return presses the button that has the focus, and a button's access key
// moves the focus to the button before it acts, so the box being edited is
// left (and checked) first, as a click does.
void actLikeClicks(QWidget *window);

} // namespace Puckdex
