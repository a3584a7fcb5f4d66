#pragma once

#include "files/fileerror.h"
#include "files/records.h"
#include "player/playerdraft.h"

#include <QDialog>
#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class MainWindow;
}

namespace Puckdex {

struct JournalEntry;
class FindPlayer;
class IdentityLists;
class PlayerForm;
class PlayerList;
struct ProgramState;
class SaveHistory;
class TemplateWindow;

// The editor itself: the team list, the chosen team's players and the
// shown player's edit, with the buttons. The shown player is a draft in
// the core; his boxes are the PlayerForm's, his jersey and position the
// IdentityLists', the list of players the PlayerList's, and the saves and
// their undo the SaveHistory's. Choosing a team or a player writes the
// shown player back first; so do Exit and closing the window.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // settingsPath names the settings file that holds the rating templates.
    MainWindow(ProgramState &state, const QString &settingsPath, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Fills the team list, sorted by city, with no team chosen.
    void setTeams(const QList<TeamRecord> &teams);

    // Whether a player is shown, and so is written back before the next
    // team, player or the end.
    bool isPlayerShown() const { return m_draft.has_value(); }
    // The shown player's edit: his fields as loaded and as changed since,
    // and where his key record lies. None while no player is shown.
    const PlayerDraft *draft() const { return m_draft ? &*m_draft : nullptr; }

    // Writes the shown player's fields into his key and attribute records on
    // disk; reports what failed, having told the user.
    bool WritePlayerData(bool mayRebase = true);

    // Puts a line of news in the status line, such as what the start-up did
    // with the backups.
    void showNotice(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The team and the player chosen.
    void teamChosen(int index);
    void LoadTeamPlayers(int teamNumber);
    void playerChosen();
    void loadPlayer(qint64 offset);
    void showPlayer(qint64 offset, const PlayerRecord &player,
                    const PlayerEdit::AttribRecords &records);
    void showNoPlayer();
    void reportFailure(const QString &what, const FileError &error);
    // His records were changed by another program since he was shown: he
    // is shown as they are now, with the user's entries that do not touch
    // what the other program changed. True when nothing of the user's is
    // left to write (or it has been written).
    bool takeOtherProgramsChange(bool writeAgain);

    // The last name: a pick in the player list waits for its rename.
    void lastNameEntered();
    void lastNameLeftBy(Qt::FocusReason reason);
    void lastNameLeft();
    void askAboutPicture();

    // The buttons and the end.
    void exitClicked();
    void aboutClicked();
    void templatesClicked();
    void applyTemplateClicked();
    TemplateWindow &templates();
    // After a write that failed as the program ends: true to end all the same.
    bool endWithoutSaving();

    // Esc and the first Ctrl+Z: the shown player's fields back as he was
    // loaded; false when nothing had changed.
    bool restoreLoadedFields();
    // A save undone or redone: the list, the numbers worn and the shown
    // player follow the files.
    void refreshAfterUndo(const JournalEntry &entry);

    // The roster table (Ctrl+T, and the player list's menu), on the chosen
    // team; the shown player is written first and shown afresh after.
    void showTable();
    // Find (Ctrl+F): the next player whose name holds a text, on any team,
    // chosen as the user would choose him.
    void showFind();
    void findNext(const QString &text);
    void goToPlayer(int team, qint64 offset);
    // The team's list and the shown player as the files hold them now.
    void reloadFromFiles();

    ProgramState &m_state;
    QString m_settingsPath;
    std::unique_ptr<Ui::MainWindow> m_ui;
    PlayerForm *m_form = nullptr;
    PlayerList *m_players = nullptr;
    IdentityLists *m_identity = nullptr;
    SaveHistory *m_saves = nullptr;
    // Loaded when first needed (shown, or read by the apply step) and
    // unloaded when the user closes it, so it reads the settings afresh.
    std::unique_ptr<TemplateWindow> m_templates;

    std::unique_ptr<QDialog> m_find;
    std::unique_ptr<FindPlayer> m_finder;

    std::optional<PlayerDraft> m_draft;
    // The last-name box has the focus: a pick in the player list waits
    // until the rename is done.
    bool m_renaming = false;
    // The selected player entry when the last-name box gained the focus.
    int LastNameEntryIndex = -1;
    int m_teamIndex = -1;
    bool m_ending = false;
};

} // namespace Puckdex
