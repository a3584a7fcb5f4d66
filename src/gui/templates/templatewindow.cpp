#include "templates/templatewindow.h"

#include "ui_templatewindow.h"

#include "widgets/adjust.h"
#include "widgets/fieldfocus.h"
#include "widgets/messagebox.h"
#include "widgets/windowsetup.h"
#include "player/ratingtemplates.h"
#include "player/valuerules.h"
#include "settings/profilefile.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>


namespace Puckdex {

TemplateWindow::TemplateWindow(const QString &settingsPath, QWidget *parent)
    : QDialog(parent), m_settingsPath(settingsPath), m_ui(std::make_unique<Ui::TemplateWindow>())
{
    m_ui->setupUi(this);
    setFixedDialogFrame(this);

    // Each box is checked when left and has its text selected when entered,
    // once per visit: focus that leaves with the window (a message box,
    // another program) and comes back is no new visit.
    auto *focus = new FieldFocus(
        this,
        [this](QLineEdit *box, Qt::FocusReason reason) {
            box->selectAll();
            // The press that gave the focus moves the caret after this.
            m_clickFocused = reason == Qt::MouseFocusReason ? box : nullptr;
        },
        [this](QLineEdit *box, Qt::FocusReason) {
            m_clickFocused = nullptr;
            if (const TemplateBox *field = boxOf(box))
                checkField(*field);
        });
    const auto addTemplate = [this, focus](bool goalie, const QString &boxName,
                                           const QString &keyName) {
        for (int i = 0; i < templateFieldCount(goalie); ++i) {
            auto *box = findChild<QLineEdit *>(boxName.arg(i));
            Q_ASSERT(box);
            box->installEventFilter(this);
            focus->watch(box);
            m_boxes.push_back({box, &templateField(goalie, i).of(goalie), keyName.arg(i)});
        }
    };
    addTemplate(false, QStringLiteral("txtStdFwd_%1"), QStringLiteral("StandardForward%1"));
    addTemplate(true, QStringLiteral("txtStdGoal_%1"), QStringLiteral("StandardGoalie%1"));
    Q_ASSERT(m_boxes.size() == SkaterFieldCount + GoalieFieldCount);

    m_ui->fraStdFwd->installEventFilter(this);
    m_ui->fraGoalies->installEventFilter(this);
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &TemplateWindow::save);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &TemplateWindow::reject);
    actLikeClicks(this);

    centreOnScreen(this);
    load();
    m_ui->cmdCancel->setFocus();
}

TemplateWindow::~TemplateWindow() = default;

QString TemplateWindow::fieldText(bool goalie, int index) const
{
    Q_ASSERT(index >= 0 && index < (goalie ? GoalieFieldCount : SkaterFieldCount));
    return m_boxes[std::size_t((goalie ? SkaterFieldCount : 0) + index)].box->text();
}

bool TemplateWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->fraStdFwd || watched == m_ui->fraGoalies) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto *frame = static_cast<QWidget *>(watched);
            const auto *press = static_cast<QMouseEvent *>(event);
            // A label passes its clicks on to the frame; only the frame's
            // own surface counts.
            if (!frame->childAt(press->position().toPoint())) {
                setFocus();
                return true;
            }
        }
        return QDialog::eventFilter(watched, event);
    }

    const TemplateBox *field = boxOf(watched);
    if (!field)
        return QDialog::eventFilter(watched, event);
    QLineEdit *box = field->box;
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
        // A drag that selected part of the text keeps that part.
        if (box == m_clickFocused && !box->hasSelectedText())
            box->selectAll();
        m_clickFocused = nullptr;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TemplateWindow::keyPressEvent(QKeyEvent *event)
{
    // Only Save and Cancel close the window: Escape stands for neither.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

const TemplateWindow::TemplateBox *TemplateWindow::boxOf(const QObject *object) const
{
    for (const TemplateBox &field : m_boxes) {
        if (field.box == object)
            return &field;
    }
    return nullptr;
}

void TemplateWindow::load()
{
    const ProfileFile settings(m_settingsPath);
    for (const TemplateBox &field : m_boxes) {
        const int stored =
            settings.readInt(SettingsSection, field.key, field.field->templateDefault);
        field.box->setText(RatingTemplates::shownText(stored, *field.field->rule));
    }
}

void TemplateWindow::save()
{
    // Every field is written on every save, changed or not, in one
    // replacement of the file. When it fails, the file stays as it was and
    // the window stays open with the user's values.
    QList<std::pair<QString, QString>> entries;
    for (const TemplateBox &field : m_boxes) {
        entries.append({field.key, RatingTemplates::storedText(field.box->text())});
    }
    ProfileFile settings(m_settingsPath);
    if (!settings.writeStrings(SettingsSection, entries)) {
        MessageBox::show(this,
                         QStringLiteral("The templates could not be saved:\n%1")
                             .arg(settings.errorString()),
                         MessageStyle::Warning);
        return;
    }
    accept();
}

void TemplateWindow::checkField(const TemplateBox &field)
{
    QLineEdit *box = field.box;
    if (RatingTemplates::leavesAlone(box->text())) {
        box->setText(RatingTemplates::kUnchanged.toString());
        return;
    }
    const FieldRule &rule = *field.field->rule;
    box->setText(QString::number(AdjustAttribute(this, rule.mode, readNumber(box->text()), rule)));
}

} // namespace Puckdex
