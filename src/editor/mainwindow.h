#pragma once

#include "gamedb/fileerror.h"
#include "gamedb/ratings.h"
#include "gamedb/records.h"

#include <QWidget>

#include <array>
#include <optional>
#include <memory>

class QLineEdit;

namespace Ui {
class MainWindow;
}

namespace Puckdex {

class FieldFocus;
struct FieldRule;
struct JournalEntry;
struct ProgramState;
struct WrittenPlayer;
class TemplateWindow;

// The editor itself (frmPuckdex): the team list, the chosen team's players,
// the shown player's identity and ratings, and the buttons. Choosing a team
// or a player writes the shown player back first; so do Exit and closing
// the window.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // settingsPath names the settings file that holds the rating templates.
    MainWindow(ProgramState &state, const QString &settingsPath, QWidget *parent = nullptr);
    ~MainWindow() override;

    Ui::MainWindow &ui() { return *m_ui; }

    // The rating box of a group ("txtFwdDef" 3 is ratingBox(FwdDef, 3)).
    QLineEdit *ratingBox(RatingGroup group, int box) const;

    // The shown player's records as read (and as changed meanwhile), and
    // where his key record lies.
    const PlayerRecord &currentPlayer() const { return CurrentPlayer; }
    const GoalieAttribRecord &currentGoalieAttribs() const { return CurrentGoalieAttribs; }
    const SkaterAttribRecord &currentSkaterAttribs() const { return CurrentSkaterAttribs; }
    qint64 currentPlayerPos() const { return CurrentPlayerPos; }
    const QString &currentPlayerName() const { return CurrentPlayerName; }

    // Writes the shown player's fields into his key and attribute records on
    // disk; reports what failed, having told the user.
    bool WritePlayerData();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // Field checks and identity rules, run when the user leaves a field.
    void fieldEntered(QLineEdit *box);
    void fieldLeft(QLineEdit *box, Qt::FocusReason reason);
    void leaveField(QWidget *field);
    void leaveFocusedField();
    const FieldRule *ruleOf(const QLineEdit *box) const;
    void checkNumericField(QLineEdit *box);
    void updateWeightClass(int pounds);
    void firstNameLeft();
    void lastNameEntered();
    void lastNameLeft();
    void askAboutPicture();
    void rookieLeft();
    void jerseyChanged(int index);
    void positionChanged(int index);
    int selectedRow() const;

    void teamChosen(int index);
    void LoadTeamPlayers(int teamNumber);
    // The 100 jersey entries, the numbers in taken marked as worn.
    void FillJerseyList(const QList<int> &taken = {});
    void MarkJerseyTaken(int jerseyNumber);
    void playerChosen();
    void SetPositionCombo();
    void exitClicked();
    void aboutClicked();
    void templatesClicked();
    void applyTemplateClicked();
    TemplateWindow &templates();

    void clearPlayerFields();
    void disablePlayerFields();
    void clearPosition();
    void showNoPlayer();
    void showGoalieLayout();
    void showSkaterLayout();
    void selectPlayerRow(qint64 offset);
    void reportFailure(const QString &what, const FileError &error);
    // After a write that failed as the program ends: true to end all the same.
    bool endWithoutSaving();

    ProgramState &m_state;
    QString m_settingsPath;
    std::unique_ptr<Ui::MainWindow> m_ui;
    // Loaded when first needed (shown, or read by the apply step) and
    // unloaded when the user closes it, so it reads the settings afresh.
    std::unique_ptr<TemplateWindow> m_templates;
    FieldFocus *m_focus = nullptr;
    std::array<QLineEdit *, 4> m_allPlayers{};
    std::array<QLineEdit *, 10> m_fwdDef{};
    std::array<QLineEdit *, 5> m_goalies{};

    PlayerRecord CurrentPlayer;
    GoalieAttribRecord CurrentGoalieAttribs;
    SkaterAttribRecord CurrentSkaterAttribs;
    qint64 CurrentPlayerPos = -1;
    QString CurrentPlayerName;
    // The kind of attribute record read for the shown player; the record
    // written back is always of the same kind.
    bool m_shownIsGoalie = false;
    // What the user changed beyond the boxes: the weight class that goes
    // with a new weight, and a renamed player's picture let go.
    std::optional<quint8> m_weightClass;
    bool m_pictureUnlinked = false;
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
    void rememberShownPlayer();
    void recordSave(const WrittenPlayer &written);
    void refreshAfterUndo(const JournalEntry &entry);
    void updateUndoActions();
    void reportJournalFailure(const QString &name, const FileError &error);
    struct UndoState;
    std::shared_ptr<UndoState> m_undo;
};

} // namespace Puckdex
