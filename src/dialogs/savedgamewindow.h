#pragma once

#include "dialogs/startupdialog.h"

#include <memory>

namespace Ui {
class SavedGameWindow;
}

namespace Puckdex {

// Asks which saved game to edit (frmSeasonToEdit) when the index lists more
// than one. The list is sorted by description; each entry keeps its game's
// number.
class SavedGameWindow : public StartupDialog
{
    Q_OBJECT

public:
    explicit SavedGameWindow(QWidget *parent = nullptr);
    ~SavedGameWindow() override;

    void addGame(const QString &description, int gameNumber);
    // The number of the game chosen with OK.
    int chosenGame() const { return m_game; }

protected:
    void focusAfterNo() override;
    void showEvent(QShowEvent *event) override;

private:
    void choose();

    std::unique_ptr<Ui::SavedGameWindow> m_ui;
    int m_game = -1;
};

} // namespace Puckdex
