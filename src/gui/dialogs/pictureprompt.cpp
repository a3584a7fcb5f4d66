#include "dialogs/pictureprompt.h"

#include "ui_pictureprompt.h"

#include "widgets/fieldfocus.h"
#include "widgets/windowsetup.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QRegularExpression>

namespace Puckdex {

PicturePrompt::PicturePrompt(const QString &question, QWidget *parent, bool cancellable)
    : QDialog(parent), m_cancellable(cancellable), m_ui(std::make_unique<Ui::PicturePrompt>())
{
    m_ui->setupUi(this);
    setFixedDialogFrame(this);
    m_ui->lblDelPic->setText(question);
    fitQuestion();
    if (cancellable)
        addCancel();
    connect(m_ui->cmdYes, &QPushButton::clicked, this, [this] {
        m_answer.unlinkPicture = false; // keep showing the picture
        accept();
    });
    connect(m_ui->cmdNo, &QPushButton::clicked, this, [this] {
        m_answer.unlinkPicture = true;
        accept();
    });
    actLikeClicks(this);
    centreOnScreen(this);
    m_ui->cmdYes->setFocus();
}

PicturePrompt::~PicturePrompt() = default;

void PicturePrompt::fitQuestion()
{
    // Long names need more lines than the label was drawn for, and a name
    // wider than the label cannot be broken at all: the label grows to show
    // the whole question, and the window with it.
    QLabel *label = m_ui->lblDelPic;
    const QFontMetrics metrics(label->font());
    int width = label->width();
    const QStringList words = label->text().split(QRegularExpression(QStringLiteral("\\s+")),
                                                  Qt::SkipEmptyParts);
    for (const QString &word : words)
        width = std::max(width, metrics.horizontalAdvance(word) + 2 * label->margin() + 2);
    const int grownBy = width - label->width();
    const int height = std::max(label->height(), label->heightForWidth(width));
    const int loweredBy = height - label->height();
    if (grownBy == 0 && loweredBy == 0)
        return;
    for (QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (w != label)
            w->move(w->x() + grownBy / 2, w->y() + loweredBy);
    }
    label->resize(width, height);
    setFixedSize(this->width() + grownBy, this->height() + loweredBy);
}

void PicturePrompt::addCancel()
{
    // A row of its own under the choices, so that the window is otherwise
    // as it always is; last in the Tab order.
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setAutoDefault(false);
    const QRect no = m_ui->cmdNo->geometry();
    const QRect choices = m_ui->fraNextTime->geometry();
    const int gap = choices.top() - no.bottom() - 1;
    cancel->setGeometry((width() - no.width()) / 2, choices.bottom() + 1 + gap, no.width(),
                        no.height());
    setFixedSize(width(), cancel->geometry().bottom() + 1 + (height() - choices.bottom() - 1));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PicturePrompt::done(int result)
{
    // Closed without Yes or No where Cancel is offered: cancelled.
    if (m_cancellable && result == QDialog::Rejected) {
        m_answer.cancelled = true;
        QDialog::done(result);
        return;
    }
    if (m_ui->optAllwaysDelete->isChecked())
        m_answer.from = PictureChoice::AlwaysDelete;
    else if (m_ui->optNeverDelete->isChecked())
        m_answer.from = PictureChoice::NeverDelete;
    else
        m_answer.from = PictureChoice::AlwaysAsk;
    QDialog::done(result);
}

QString picturePromptText(const QString &oldName, const QString &newName)
{
    return QStringLiteral("Do you want NHL 96 to show the picture of ") + oldName
           + QStringLiteral(" when ") + newName + QStringLiteral(" is selected ?");
}

namespace {

std::optional<bool> askAboutPicture(PictureChoice &choice, const QString &oldName,
                                    const QString &newName, QWidget *parent, bool cancellable)
{
    if (choice != PictureChoice::AlwaysAsk)
        return choice == PictureChoice::AlwaysDelete;
    QApplication::beep();
    PicturePrompt prompt(picturePromptText(oldName, newName), parent, cancellable);
    prompt.exec();
    if (parent)
        parent->activateWindow();
    if (prompt.answer().cancelled)
        return std::nullopt;
    choice = prompt.answer().from;
    return prompt.answer().unlinkPicture;
}

} // namespace

bool unlinkRenamedPicture(PictureChoice &choice, const QString &oldName, const QString &newName,
                          QWidget *parent)
{
    return *askAboutPicture(choice, oldName, newName, parent, false);
}

std::optional<bool> unlinkPastedPicture(PictureChoice &choice, const QString &oldName,
                                        const QString &newName, QWidget *parent)
{
    return askAboutPicture(choice, oldName, newName, parent, true);
}

} // namespace Puckdex
