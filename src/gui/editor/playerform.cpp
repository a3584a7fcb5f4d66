#include "editor/playerform.h"

#include "ui_mainwindow.h"

#include "widgets/adjust.h"
#include "widgets/fieldfocus.h"
#include "widgets/messagebox.h"
#include "widgets/codepagevalidator.h"
#include "player/valuerules.h"
#include "player/playeredit.h"
#include "player/playerdraft.h"

#include <QApplication>
#include <QGroupBox>
#include <QHash>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTimer>

namespace Puckdex {

namespace {

// Clearing an empty box still runs the whole of its text handling; a team
// choice clears some twenty boxes, most of them empty already. A box is
// emptied as setText() empties it, which is half the work of clear(): no
// selection of the old text, nothing kept to take back. Only a box shown
// again (setText() again) is typed into, so nothing could be taken back.
void clearBox(QLineEdit *box)
{
    if (!box->text().isEmpty())
        box->setText(QString());
}

// Setting a box's text lays the text out anew even when it is the same. A
// box that holds the text already and is as setText() would leave it (no
// typing to take back, nothing selected, the cursor at the end) is left
// alone: the same player's height, or a rating his predecessor had too.
void showText(QLineEdit *box, const QString &text)
{
    if (box->text() == text && !box->isModified() && !box->isUndoAvailable()
        && !box->isRedoAvailable() && !box->hasSelectedText()
        && box->cursorPosition() == text.size())
        return;
    box->setText(text);
}

void setRadioChecked(QRadioButton *left, QRadioButton *right, int which)
{
    // Auto-exclusive buttons cannot be cleared both; switch that off a moment.
    const QSignalBlocker blockLeft(left);
    const QSignalBlocker blockRight(right);
    left->setAutoExclusive(false);
    right->setAutoExclusive(false);
    left->setChecked(which == 0);
    right->setChecked(which == 1);
    left->setAutoExclusive(true);
    right->setAutoExclusive(true);
}

QString boxName(const PlayerField &field)
{
    switch (field.id) {
    case FieldId::HeightFeet:
        return QStringLiteral("txtHeightFeet");
    case FieldId::HeightInches:
        return QStringLiteral("txtHeightInches");
    case FieldId::Weight:
        return QStringLiteral("txtWeight");
    default:
        break;
    }
    const char *group = field.group == RatingGroup::AllPlayers ? "txtAllPlayers"
                        : field.group == RatingGroup::FwdDef   ? "txtFwdDef"
                                                               : "txtGoalies";
    return QStringLiteral("%1_%2").arg(QLatin1String(group)).arg(field.box);
}

QPoint eventPosition(const QEvent *event)
{
    return event->type() == QEvent::Enter
               ? static_cast<const QEnterEvent *>(event)->position().toPoint()
               : static_cast<const QMouseEvent *>(event)->position().toPoint();
}

} // namespace

PlayerForm::PlayerForm(QWidget *window, Ui::MainWindow &ui)
    : QObject(window), m_window(window), m_ui(ui)
{
    // Every box by its name, from one walk over the window.
    const QList<QLineEdit *> boxes = window->findChildren<QLineEdit *>();
    QHash<QString, QLineEdit *> byName;
    for (QLineEdit *box : boxes)
        byName.insert(box->objectName(), box);
    for (const PlayerField &field : kPlayerFields) {
        m_boxes[std::size_t(field.id)] = byName.value(boxName(field));
        Q_ASSERT(m_boxes[std::size_t(field.id)]);
    }
    m_editable = {m_ui.txtFirstName, m_ui.txtLastName};
    for (const PlayerField &field : kPlayerFields) {
        if (!field.isRating())
            m_editable.append(box(field));
    }
    m_editable.append(m_ui.txtRookie);
    for (const RatingGroup group : {RatingGroup::AllPlayers, RatingGroup::FwdDef, RatingGroup::Goalies}) {
        for (int i = 0; i < boxCount(group); ++i)
            m_editable.append(ratingBox(group, i));
    }

    // Fields are checked as the user leaves them; the status line follows
    // the mouse over the fields, the frames and the window itself.
    m_focus = new FieldFocus(
        window, [this](QLineEdit *box, Qt::FocusReason) { fieldEntered(box); },
        [this](QLineEdit *box, Qt::FocusReason reason) { fieldLeft(box, reason); });
    for (QLineEdit *box : m_editable) {
        box->installEventFilter(this);
        m_focus->watch(box);
    }
    for (QWidget *w : boxes)
        w->setMouseTracking(true);
    for (QGroupBox *frame : {m_ui.fraAllPlayers, m_ui.fraFwdDef, m_ui.fraGoalies, m_ui.fraHanded}) {
        frame->setMouseTracking(true);
        frame->installEventFilter(this);
    }
    window->setMouseTracking(true);
    window->installEventFilter(this);
    // A character the game cannot store is left out of a name, and said.
    const auto leftOut = [this](const QString &characters) {
        m_ui.lblStatus->setText(
            QStringLiteral("\"%1\" was left out: the game cannot store it.").arg(characters));
    };
    m_ui.txtFirstName->setValidator(new CodePageValidator(m_ui.txtFirstName, leftOut));
    m_ui.txtLastName->setValidator(new CodePageValidator(m_ui.txtLastName, leftOut));
    // The program sets the hand with the buttons' signals blocked
    // (setRadioChecked()): a toggle is the user's.
    connect(m_ui.optShootsLeft, &QRadioButton::toggled, this, &PlayerForm::handChosen);
}

QLineEdit *PlayerForm::box(const PlayerField &field) const
{
    return m_boxes[std::size_t(field.id)];
}

QLineEdit *PlayerForm::ratingBox(RatingGroup group, int box) const
{
    const PlayerField *field = ratingField(group, box);
    return field ? this->box(*field) : nullptr;
}

void PlayerForm::show(PlayerDraft &draft)
{
    m_draft = &draft;
    const PlayerFields &fields = draft.fields();
    for (QWidget *w : {static_cast<QWidget *>(m_ui.txtFirstName),
                       static_cast<QWidget *>(m_ui.txtLastName),
                       static_cast<QWidget *>(m_ui.txtWeight),
                       static_cast<QWidget *>(m_ui.txtHeightFeet),
                       static_cast<QWidget *>(m_ui.txtHeightInches),
                       static_cast<QWidget *>(m_ui.txtRookie),
                       static_cast<QWidget *>(m_ui.fraAllPlayers),
                       static_cast<QWidget *>(m_ui.fraHanded)}) {
        if (!w->isEnabled())
            w->setEnabled(true);
    }
    showText(m_ui.txtFirstName, fields.firstName);
    showText(m_ui.txtLastName, fields.lastName);
    showText(m_ui.txtRookie, shownRookieFlag(fields.rookieFlag));
    showKind(draft.isGoalie());
    setRadioChecked(m_ui.optShootsLeft, m_ui.optShootsRight, fields.hand == Hand::Left ? 0 : 1);
    for (const PlayerField &field : kPlayerFields) {
        if (const std::optional<double> number = draft.number(field))
            showText(box(field), QString::number(*number));
    }
}

void PlayerForm::showKind(bool goalie)
{
    m_goalie = goalie;
    QGroupBox *own = goalie ? m_ui.fraGoalies : m_ui.fraFwdDef;
    if (own->isEnabled())
        return;
    QGroupBox *other = goalie ? m_ui.fraFwdDef : m_ui.fraGoalies;
    const RatingGroup otherGroup = goalie ? RatingGroup::FwdDef : RatingGroup::Goalies;
    for (int i = 0; i < boxCount(otherGroup); ++i)
        clearBox(ratingBox(otherGroup, i));
    other->setEnabled(false);
    own->setEnabled(true);
    m_ui.fraHanded->setTitle(goalie ? QStringLiteral("Glove Hand:") : QStringLiteral("Shoots:"));
}

void PlayerForm::clear()
{
    for (QLineEdit *box : m_editable)
        clearBox(box);
    setRadioChecked(m_ui.optShootsLeft, m_ui.optShootsRight, -1);
    m_ui.fraHanded->setTitle(QString());
}

void PlayerForm::disable()
{
    m_draft = nullptr;
    for (QWidget *w :
         {static_cast<QWidget *>(m_ui.txtFirstName), static_cast<QWidget *>(m_ui.txtLastName),
          static_cast<QWidget *>(m_ui.txtWeight), static_cast<QWidget *>(m_ui.txtHeightFeet),
          static_cast<QWidget *>(m_ui.txtHeightInches), static_cast<QWidget *>(m_ui.txtRookie),
          static_cast<QWidget *>(m_ui.fraHanded), static_cast<QWidget *>(m_ui.fraAllPlayers),
          static_cast<QWidget *>(m_ui.fraFwdDef), static_cast<QWidget *>(m_ui.fraGoalies)})
        w->setEnabled(false);
}

QString PlayerForm::shownName() const
{
    return m_ui.txtFirstName->text() + QLatin1Char(' ') + m_ui.txtLastName->text();
}

const PlayerField *PlayerForm::fieldOf(const QObject *box) const
{
    for (const PlayerField &field : kPlayerFields) {
        if (this->box(field) == box)
            return &field;
    }
    return nullptr;
}

const FieldRule *PlayerForm::ruleOf(const QObject *box) const
{
    const PlayerField *field = fieldOf(box);
    return field ? &ruleFor(*field, m_goalie) : nullptr;
}

bool PlayerForm::countsLeaving(const QWidget *field) const
{
    return field->isEnabled() && m_draft;
}

void PlayerForm::fieldEntered(QLineEdit *box)
{
    if (box == m_ui.txtLastName)
        emit lastNameEntered();
    // The box's range on the status line, for the keyboard as for the mouse.
    showFocusHelp(box);
    // The whole text is selected on entry, also after a click into it.
    QTimer::singleShot(0, box, &QLineEdit::selectAll);
}

void PlayerForm::fieldLeft(QLineEdit *box, Qt::FocusReason reason)
{
    if (box == m_ui.txtLastName) {
        emit lastNameLeft(reason);
        return;
    }
    if (!countsLeaving(box))
        return;
    if (box == m_ui.txtFirstName)
        firstNameLeft();
    else if (box == m_ui.txtRookie)
        rookieLeft();
    else if (ruleOf(box))
        checkNumber(box);
}

void PlayerForm::leaveFocusedField()
{
    QLineEdit *box = m_focus->current();
    if (!box || !box->hasFocus())
        return;
    m_focus->leaveCurrent();
    // The box keeps the focus: should the window stay after all, its next
    // leave step is still to come.
    if (box->hasFocus())
        m_focus->reenter(box);
}

void PlayerForm::firstNameLeft()
{
    const PlayerEdit::StoredName name = m_draft->setFirstName(m_ui.txtFirstName->text());
    if (!name.refusal.isEmpty())
        MessageBox::show(m_window, name.refusal, MessageStyle::Warning);
    m_ui.txtFirstName->setText(m_draft->fields().firstName);
}

void PlayerForm::checkNumber(QLineEdit *box)
{
    const PlayerField &field = *fieldOf(box);
    const PlayerEdit::CheckedNumber checked = m_draft->enterNumber(field, box->text());
    showAdjustment(m_window, checked);
    box->setText(QString::number(checked.value));
}

void PlayerForm::rookieLeft()
{
    QLineEdit *box = m_ui.txtRookie;
    box->setText(rookieText(box->text()));
    if (m_draft->setRookie(box->text()))
        return;
    const MessageAnswer answer = MessageBox::show(m_window, QStringLiteral(" Is this player a Rookie ?"),
                                        MessageStyle::Question);
    // The window may have let the player go meanwhile.
    if (!m_draft)
        return;
    m_draft->setRookieAnswer(answer == MessageAnswer::Yes);
    box->setText(shownRookieFlag(m_draft->fields().rookieFlag));
}

void PlayerForm::handChosen()
{
    if (m_draft)
        m_draft->setHand(m_ui.optShootsLeft->isChecked() ? Hand::Left : Hand::Right);
}

bool PlayerForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        showStatusHelp(watched, event);
        break;
    case QEvent::Leave:
        // Off a box, the help goes back to the box being edited.
        if (ruleOf(watched))
            showFocusHelp(QApplication::focusWidget());
        break;
    case QEvent::MouseButtonPress:
        // A click on a rating frame's own surface goes to its first box.
        if (auto *frame = qobject_cast<QGroupBox *>(watched);
            frame && frame != m_ui.fraHanded && !frame->childAt(eventPosition(event))) {
            const RatingGroup group = frame == m_ui.fraAllPlayers ? RatingGroup::AllPlayers
                                      : frame == m_ui.fraFwdDef   ? RatingGroup::FwdDef
                                                                  : RatingGroup::Goalies;
            ratingBox(group, 0)->setFocus(Qt::MouseFocusReason);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void PlayerForm::showFocusHelp(const QWidget *focused)
{
    if (const FieldRule *rule = ruleOf(focused))
        m_ui.lblStatus->setText(rule->help.toString());
    else
        m_ui.lblStatus->clear();
}

void PlayerForm::showStatusHelp(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::MouseMove && !m_window->childAt(eventPosition(event)))
            m_ui.lblStatus->clear();
    } else if (const FieldRule *rule = ruleOf(watched)) {
        m_ui.lblStatus->setText(rule->help.toString());
    } else if (auto *frame = qobject_cast<QGroupBox *>(watched)) {
        if (!frame->childAt(eventPosition(event)))
            m_ui.lblStatus->clear();
    }
}

} // namespace Puckdex
