#include "editor/pictureprompt.h"

#include "ui_pictureprompt.h"

#include "dialogs/windowsetup.h"
#include "startup/programstate.h"


namespace Puckdex {

PicturePrompt::PicturePrompt(ProgramState &state, const QString &question, QWidget *parent)
    : QDialog(parent), m_state(state), m_ui(std::make_unique<Ui::PicturePrompt>())
{
    m_ui->setupUi(this);
    setFixedDialogFrame(this);
    m_ui->lblDelPic->setText(question);
    connect(m_ui->cmdYes, &QPushButton::clicked, this, [this] {
        m_state.DeletePicture = false; // keep showing the picture
        accept();
    });
    connect(m_ui->cmdNo, &QPushButton::clicked, this, [this] {
        m_state.DeletePicture = true;
        accept();
    });
    centreOnScreen(this);
    m_ui->cmdYes->setFocus();
}

PicturePrompt::~PicturePrompt() = default;

void PicturePrompt::done(int result)
{
    m_state.AlwaysDelete = m_ui->optAllwaysDelete->isChecked();
    m_state.NeverDelete = m_ui->optNeverDelete->isChecked();
    m_state.AlwaysAsk = m_ui->optAllwaysAsk->isChecked();
    QDialog::done(result);
}

void PicturePrompt::reject()
{
    m_state.DeletePicture = false;
    QDialog::reject();
}

QString picturePromptText(const QString &oldName, const QString &newName)
{
    return QStringLiteral("Do you want NHL 96 to show the picture of ") + oldName
           + QStringLiteral(" when ") + newName + QStringLiteral(" is selected ?");
}

} // namespace Puckdex
