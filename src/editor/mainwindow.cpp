#include "editor/mainwindow.h"

#include "ui_mainwindow.h"

#include "dialogs/windowsetup.h"
#include "startup/programstate.h"

namespace Puckdex {

MainWindow::MainWindow(ProgramState &state, QWidget *parent)
    : QWidget(parent), m_state(state), m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(this);
    setFixedDialogFrame(this);
    centreOnScreen(this);
}

MainWindow::~MainWindow() = default;

} // namespace Puckdex
