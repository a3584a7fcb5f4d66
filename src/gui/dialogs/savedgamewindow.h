#pragma once

#include "dialogs/startupdialog.h"

#include <QList>

#include <memory>
#include <optional>

namespace Ui {
class SavedGameWindow;
}

namespace Puckdex {

// How a saved game is named to the user: its description without the
// trailing blanks of its field, and its number ("Season 95 (game 3)").
QString savedGameName(const QString &description, int gameNumber);

// Asks which saved game to edit: when the index lists more
// than one, or when the base rosters lie beside the saved games. The games
// are sorted by description, each named with its number; the base rosters,
// when offered, come first and are chosen unless the user picks a game. A
// game whose files are not all there is listed with what is missing and
// cannot be chosen. A double-click opens a game, as OK does.
class SavedGameWindow : public StartupDialog
{
    Q_OBJECT

public:
    explicit SavedGameWindow(QWidget *parent = nullptr);
    ~SavedGameWindow() override;

    void offerBaseRosters();
    // gaps: what keeps the game from being edited (GameFolder::savedGameGaps()).
    void addGame(const QString &description, int gameNumber, const QString &gaps = {});
    // The number of the game chosen with OK; none for the base rosters.
    std::optional<int> chosenGame() const { return m_game; }

protected:
    void focusAfterNo() override;
    void showEvent(QShowEvent *event) override;

private:
    struct Game
    {
        QString description;
        int number = 0;
        QString gaps;
    };

    void fillList();
    void fitWidth();
    void choose();

    std::unique_ptr<Ui::SavedGameWindow> m_ui;
    QList<Game> m_games;
    bool m_baseRosters = false;
    std::optional<int> m_game;
};

} // namespace Puckdex
