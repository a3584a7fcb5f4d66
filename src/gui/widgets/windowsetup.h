#pragma once

#include <QString>
#include <QVariant>

class QComboBox;
class QListWidget;
class QWidget;

namespace Puckdex {

// Window sizes and places are designed in twips, 15 to a pixel at 96 dots
// per inch; Qt scales pixels for high-density screens.
constexpr int twips(int t)
{
    return (t + 7) / 15;
}

// A fixed dialog frame at the window's designed size, without minimize and
// maximize buttons.
void setFixedDialogFrame(QWidget *window);

// Left = (screen width - window width) / 2, and likewise the top.
void centreOnScreen(QWidget *window);

// The lists that keep their entries sorted: alphabetical in the user's
// language without regard to case, a new entry after the entries equal to
// it. Each returns the index the entry received and stores data beside it.
int insertSorted(QComboBox *combo, const QString &text, const QVariant &data);
int insertSorted(QListWidget *list, const QString &text, const QVariant &data);
// Whether a sorted list puts a before b.
bool sortsBefore(const QString &a, const QString &b);

} // namespace Puckdex
