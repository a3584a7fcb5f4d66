#pragma once

#include <QString>
#include <QStringList>
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

// A dialog frame without minimize and maximize buttons that the user may
// make larger than designed, never smaller: the grower (a list) takes the
// extra room, the controls below it move down, and every control of the
// window widens with it.
void setGrowingDialogFrame(QWidget *window, QWidget *grower);

// Left = (screen width - window width) / 2, and likewise the top.
void centreOnScreen(QWidget *window);

// A drop-down list opens at least wide enough for the widest of texts and
// its scroll bar, whatever the style: some styles open it as narrow as its
// box, which a scroll bar then half fills.
void fitDropDownTo(QComboBox *combo, const QStringList &texts);

// The lists that keep their entries sorted: alphabetical in the user's
// language without regard to case, a new entry after the entries equal to
// it. Each returns the index the entry received and stores data beside it.
int insertSorted(QComboBox *combo, const QString &text, const QVariant &data);
int insertSorted(QListWidget *list, const QString &text, const QVariant &data);
// Whether a sorted list puts a before b.
bool sortsBefore(const QString &a, const QString &b);

} // namespace Puckdex
