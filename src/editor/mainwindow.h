#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class MainWindow;
}

namespace Puckdex {

struct ProgramState;

// The editor itself (frmPuckdex): the team list, the chosen team's players,
// the shown player's identity and ratings, and the buttons.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(ProgramState &state, QWidget *parent = nullptr);
    ~MainWindow() override;

    Ui::MainWindow &ui() { return *m_ui; }

private:
    ProgramState &m_state;
    std::unique_ptr<Ui::MainWindow> m_ui;
};

} // namespace Puckdex
