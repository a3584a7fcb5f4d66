#pragma once

#include "player/fieldtable.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>

class QLineEdit;
class QWidget;

namespace Ui {
class MainWindow;
}

namespace Puckdex {

class FieldFocus;
class PlayerDraft;

// The shown player's boxes in the editor window: names, height, weight,
// rookie flag, hand and the three groups of rating boxes, with their frames
// and the status line. It shows a player's draft and hands the draft each
// box the user leaves (each numeric box checked by its rule in the field
// table), and shows a box's rule on the status line while the mouse is over
// it. The jersey and position lists, the team and the player list belong to
// the window.
class PlayerForm : public QObject
{
    Q_OBJECT

public:
    PlayerForm(QWidget *window, Ui::MainWindow &ui);

    // The box of a numeric field of the field table.
    QLineEdit *box(const PlayerField &field) const;
    // The rating box of a group ("txtFwdDef" 3 is ratingBox(FwdDef, 3)).
    QLineEdit *ratingBox(RatingGroup group, int box) const;

    // Fills the boxes with the draft's fields, the frames of his kind enabled
    // and the other kind's boxes emptied; shown again after the draft was
    // changed other than through the boxes. From here on each box the user
    // leaves is checked and set into the draft, which must outlive the
    // showing (until clear()).
    void show(PlayerDraft &draft);
    // Empties every box and the hand; disable() turns the form off: no player
    // is shown, and no draft is held.
    void clear();
    void disable();

    // "First Last" as the name boxes hold them.
    QString shownName() const;

    // Runs the leave check of the box being edited, as if the user left it,
    // and keeps it in the box: used before a write that no focus change
    // starts (Exit, closing the window).
    void leaveFocusedField();
    // Whether leaving field counts: a box emptied and disabled by a team
    // change is not being left by the user.
    bool countsLeaving(const QWidget *field) const;

signals:
    // The last-name box is the window's: it moves the player's list entry.
    void lastNameEntered();
    void lastNameLeft(Qt::FocusReason reason);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const PlayerField *fieldOf(const QObject *box) const;
    const FieldRule *ruleOf(const QObject *box) const;
    void fieldEntered(QLineEdit *box);
    void fieldLeft(QLineEdit *box, Qt::FocusReason reason);
    void checkNumber(QLineEdit *box);
    void firstNameLeft();
    void rookieLeft();
    void handChosen();
    void showKind(bool goalie);
    void showStatusHelp(QObject *watched, QEvent *event);
    void showFocusHelp(const QWidget *focused);

    QWidget *m_window;
    Ui::MainWindow &m_ui;
    FieldFocus *m_focus = nullptr;
    // The box of each row of the field table.
    std::array<QLineEdit *, kPlayerFields.size()> m_boxes{};
    // Every box the user types into.
    QList<QLineEdit *> m_editable;
    PlayerDraft *m_draft = nullptr;
    bool m_goalie = false;
};

} // namespace Puckdex
