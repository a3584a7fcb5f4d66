#include "dialogs/savedgamewindow.h"

#include "ui_savedgamewindow.h"

#include "dialogs/messagebox.h"
#include "dialogs/windowsetup.h"

namespace Puckdex {

SavedGameWindow::SavedGameWindow(QWidget *parent)
    : StartupDialog(parent), m_ui(std::make_unique<Ui::SavedGameWindow>())
{
    m_ui->setupUi(this);
    setFixedDialogFrame(this);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &SavedGameWindow::choose);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &SavedGameWindow::askExit);
    centreOnScreen(this);
}

SavedGameWindow::~SavedGameWindow() = default;

void SavedGameWindow::addGame(const QString &description, int gameNumber)
{
    insertSorted(m_ui->lstSeasonToEdit, description, gameNumber);
}

void SavedGameWindow::focusAfterNo()
{
    m_ui->lstSeasonToEdit->setFocus();
}

void SavedGameWindow::showEvent(QShowEvent *event)
{
    StartupDialog::showEvent(event);
    m_ui->lstSeasonToEdit->setFocus();
}

void SavedGameWindow::choose()
{
    const QList<QListWidgetItem *> selected = m_ui->lstSeasonToEdit->selectedItems();
    if (selected.isEmpty()) {
        MessageBox::show(this, QStringLiteral("Please select a game to edit."),
                         MessageStyle::Plain);
        m_ui->lstSeasonToEdit->setFocus();
        return;
    }
    m_game = selected.first()->data(Qt::UserRole).toInt();
    accept();
}

} // namespace Puckdex
