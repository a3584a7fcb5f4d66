#pragma once

#include "files/fileerror.h"
#include "files/records.h"
#include "history/playerwrites.h"
#include "player/playerdraft.h"
#include "player/playeredit.h"
#include "player/ratings.h"
#include "player/teamjerseys.h"

#include <QWidget>

#include <optional>
#include <memory>

class QLineEdit;

namespace Ui {
class MainWindow;
}

namespace Puckdex {

struct JournalEntry;
class PlayerForm;
struct ProgramState;
struct WrittenPlayer;
class TemplateWindow;

// The editor itself: the team list, the chosen team's players,
// the jersey and position lists, and the buttons; the shown player's boxes
// are its PlayerForm's. Choosing a team or a player writes the shown player
// back first; so do Exit and closing the window.
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
    bool isPlayerShown() const;
    // The shown player's edit: his fields as loaded and as changed since,
    // and where his key record lies. None while no player is shown.
    const PlayerDraft *draft() const { return m_draft ? &*m_draft : nullptr; }

    // Writes the shown player's fields into his key and attribute records on
    // disk; reports what failed, having told the user.
    bool WritePlayerData();

    // Puts a line of news in the status line, such as what the start-up did
    // with the backups.
    void showNotice(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Team and player choice (mainwindow.cpp).
    void teamChosen(int index);
    void LoadTeamPlayers(int teamNumber);
    // The player list's entries hold each player's offset and names; their
    // texts and order follow from the names.
    static constexpr int kOffsetRole = Qt::UserRole;
    static constexpr int kFirstNameRole = Qt::UserRole + 1;
    static constexpr int kLastNameRole = Qt::UserRole + 2;
    void renameListEntry(qint64 offset, const QString &firstName, const QString &lastName);
    void relistPlayers();
    // The 100 jersey entries, the numbers in taken marked as worn.
    void FillJerseyList(const QList<int> &taken = {});
    void MarkJerseyTaken(int jerseyNumber);
    void playerChosen();
    void loadPlayer(qint64 offset);
    void showPlayer(qint64 offset, const PlayerRecord &player,
                    const PlayerEdit::AttribRecords &records);
    void showIdentity();
    void SetPositionCombo();
    qint64 shownOffset() const { return m_draft ? m_draft->offset() : -1; }
    void showNoPlayer();
    void selectPlayerRow(qint64 offset);
    int selectedRow() const;
    void setIdentityEnabled(bool enabled);
    void clearIdentityLists();
    void clearPosition();
    void reportFailure(const QString &what, const FileError &error);

    // Identity rules beyond the form's boxes (mainwindowedit.cpp).
    void lastNameEntered();
    void lastNameLeftBy(Qt::FocusReason reason);
    void lastNameLeft();
    void askAboutPicture();
    void jerseyChanged(int index);
    // "Number 12 is worn by First Last." for a teammate's number; empty
    // when the team cannot be read or no teammate wears it.
    QString jerseyWearerText(int number) const;
    void jerseyTypedWorn(int number);
    void positionChanged(int index);

    // The buttons, write-back and the end (mainwindowedit.cpp).
    void exitClicked();
    void aboutClicked();
    void templatesClicked();
    void applyTemplateClicked();
    TemplateWindow &templates();
    // After a write that failed as the program ends: true to end all the same.
    bool endWithoutSaving();

    ProgramState &m_state;
    QString m_settingsPath;
    std::unique_ptr<Ui::MainWindow> m_ui;
    PlayerForm *m_form = nullptr;
    // Loaded when first needed (shown, or read by the apply step) and
    // unloaded when the user closes it, so it reads the settings afresh.
    std::unique_ptr<TemplateWindow> m_templates;

    // The numbers the chosen team wears, and the shown player's edit, which
    // checks his jersey against them.
    TeamJerseys m_team;
    std::optional<PlayerDraft> m_draft;
    // The last-name box has the focus: a pick in the player list waits
    // until the rename is done.
    bool m_renaming = false;
    // The selected player entry when the last-name box gained the focus.
    int LastNameEntryIndex = -1;
    int m_teamIndex = -1;
    bool m_ending = false;

    // Taking back what the user did (mainwindowundo.cpp): Ctrl+Z first sets
    // the shown player's fields back to the values he was loaded with (so
    // does Esc in the player list), then undoes this run's saves, newest
    // first, through the write journal; Ctrl+Y redoes them.
    void setUpUndo();
    void undoPressed();
    void redoPressed();
    bool restoreLoadedFields();
    void undoLastSave();
    void redoLastUndo();
    PlayerWrites &writes();
    void recordSave(const PlayerWrites::Done &done);
    void refreshAfterUndo(const JournalEntry &entry);
    void updateUndoActions();
    void reportJournalFailure(const QString &name, const FileError &error);
    struct UndoState;
    std::shared_ptr<UndoState> m_undo;
};

} // namespace Puckdex
