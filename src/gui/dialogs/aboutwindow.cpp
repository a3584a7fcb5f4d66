#include "dialogs/aboutwindow.h"

#include "ui_aboutwindow.h"

#include "widgets/programlook.h"
#include "widgets/userguide.h"
#include "widgets/windowsetup.h"

namespace Puckdex {

AboutWindow::AboutWindow(const QString &mainCaption, const QString &versionText, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AboutWindow>())
{
    m_ui->setupUi(this);
    setFixedDialogFrame(this);

    // The name and the company line in bold at about 10 points: 13 pixels,
    // in pixels like the rest of the program's text.
    QFont heading = font();
    heading.setPixelSize(13);
    heading.setBold(true);
    m_ui->lblAppName->setFont(heading);
    m_ui->lblCompanyName->setFont(heading);

    m_ui->picAppIcon->setPixmap(programIcon().pixmap(32, 32));
    m_ui->lblAppName->setText(mainCaption + versionText);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->lblGuide, &QLabel::linkActivated, this, [this] { openUserGuide(this); });

    centreOnScreen(this);
}

AboutWindow::~AboutWindow() = default;

} // namespace Puckdex
