#pragma once

#include "table/findplayer.h"
#include "table/rostertable.h"

#include <QDialog>
#include <QSortFilterProxyModel>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Puckdex {

class FrozenTableView;
enum class PictureChoice;

// The roster as a table: the chosen team's players, or every team's, one
// row a player, sorted by any column, edited as in a spreadsheet with the
// editor's rules (the RosterTable's). A row is written when the user leaves
// it, a paste as one write, through the editor's PlayerWrites, so its undo
// takes either back; what each entry did is said on the window's status
// line. Find goes to the next player whose name holds a text, on any team.
class TableWindow : public QDialog
{
    Q_OBJECT

public:
    // Opens on a team (its number; every team's with none) of the roster
    // files, writing through writes; a rename's picture follows pictures
    // (the run's standing choice, which an answer may change).
    TableWindow(const FileSet &files, PictureChoice &pictures, PlayerWrites &writes,
                std::optional<int> team, QWidget *parent = nullptr);
    ~TableWindow() override;

    const RosterTable &table() const { return m_table; }
    // The table's view and the cell of a player's column in it.
    FrozenTableView *view() const { return m_view; }
    QModelIndex cellOf(qint64 offset, int column) const;
    // The team shown; none for every team.
    std::optional<int> team() const { return m_table.team(); }
    // The cursor on a player's row, scrolled into view.
    void goTo(qint64 offset);

    // Closing writes the row being edited first; done() refuses to close
    // while it cannot be written and the user chooses to stay.
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void makeControls();
    void connectKeys();
    void load(std::optional<int> team);
    void allTeamsToggled(bool all);
    void rowLeft(const QModelIndex &current, const QModelIndex &previous);
    // Writes a row the user leaves; false when it could not be written
    // (said).
    bool saveRow(int row);
    // Writes every row still holding entries (the one being edited, and any
    // whose write failed); how many could not be written.
    int saveChangedRows();
    // The cell being typed into, put in as Enter puts it before the table
    // is closed, shows other players or writes; false when its entry was
    // refused and the user chose to stay in it.
    bool enterOpenCell();
    // The picture question for each renamed row; during a paste it can
    // cancel the paste (false).
    bool askAboutPictures(const QList<int> &rows, bool pasting = false);
    void copy();
    void paste();
    // The table's cells a block pasted from the cursor on lands in, row by
    // row, along the columns as they are shown.
    QList<QList<QModelIndex>> pasteCells(const QModelIndex &start,
                                         const QList<QStringList> &block) const;
    void undo();
    void redo();
    // How an undo or redo ended: nothing to take, a failure, or done (the
    // verb that names it).
    struct StepTexts
    {
        QString nothing;
        QString failed;
        QString done;
    };
    void finishStep(const std::optional<Result<PlayerWrites::Step, PlayerWriteError>> &step,
                    const StepTexts &texts);
    void findNext();
    void focusFind();
    // Sorts by the cursor's column, as a click on its caption does.
    void sortByCurrentColumn();
    void say(const QString &text);
    int currentRow() const;

    FileSet m_files;
    PictureChoice &m_pictures;
    PlayerWrites &m_writes;
    RosterTable m_table;
    // The table in the order of the column sorted by.
    QSortFilterProxyModel *m_sorted;
    FindPlayer m_find;
    // The team shown while one is, to go back to from every team's.
    int m_lastTeam = 0;
    // What the last entry said, until the status line says something else.
    QString m_entrySaid;

    QCheckBox *m_allTeams;
    QLineEdit *m_findText;
    FrozenTableView *m_view;
    QLabel *m_status;
    QPushButton *m_close;
};

} // namespace Puckdex
