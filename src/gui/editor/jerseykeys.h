#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QString>

#include <functional>

class QAbstractItemView;
class QComboBox;

namespace Puckdex {

// The keys of the jersey list as a drop-down list answers them on Windows,
// less the numbers teammates wear: Up, Down, Page Up, Page Down, Home, End
// and the wheel step over the worn entries ("**"), and typing digits ("1",
// "12") picks that number. A typed number that is worn is not picked;
// refused(number) tells the user who wears it.
class JerseyKeys : public QObject
{
public:
    JerseyKeys(QComboBox *jerseys, QString wornText, std::function<void(int number)> refused);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Starts watching the open list's keys once the box has built its list.
    void watchOpenList(QEvent::Type reason);
    bool isWorn(int index) const;
    // The next entry from index onwards in direction step (+1 or -1) that
    // is not worn, or -1.
    int nextFree(int index, int step) const;
    void step(int from, int direction);
    void typed(QChar digit, bool popupOpen);

    QComboBox *m_jerseys;
    QString m_wornText;
    std::function<void(int)> m_refused;
    QAbstractItemView *m_view = nullptr; // the open list's, once it is built
    QString m_typed;
    int m_beforeTyping = -1; // the entry chosen when the number was begun
    QElapsedTimer m_sinceTyped;
};

} // namespace Puckdex
