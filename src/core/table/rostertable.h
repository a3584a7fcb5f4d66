#pragma once

#include "files/fileerror.h"
#include "files/fileset.h"
#include "history/playerwrites.h"
#include "player/playerdraft.h"
#include "player/playerrow.h"
#include "player/teamjerseys.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace Puckdex {

// The players of one team, or of the whole league, as one table: a row a
// player, a column for each value the editor shows. Every entry goes
// through the player's draft, so the table keeps the editor's rules: a
// number is moved onto its limits and grid (text that is no number, read
// as the import reads it, is refused and the cell keeps its value); a name is stored
// as the editor stores it; a worn number and a position that would make a
// goalie a skater are refused. What each entry did is said (said()), never
// asked. A player whose ratings cannot be read is shown and cannot be
// changed. Rows are written through the roster's PlayerWrites: one row as
// the user leaves it, a paste as one write.
class RosterTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        LastName,
        FirstName,
        Team,
        Jersey,
        Position,
        HeightFeet,
        HeightInches,
        Weight,
        Rookie,
        Hand,
        FirstRating,
    };
    // The value a column sorts by: a number by its value (an empty cell
    // below every number), a text as it is shown.
    static constexpr int SortRole = Qt::UserRole;
    // How many of the first columns name the player.
    static constexpr int kNameColumns = 2;

    explicit RosterTable(QObject *parent = nullptr);
    ~RosterTable() override;

    // Reads the players of a team (every team's with none) from the files;
    // the table stays empty when they cannot be read.
    Status load(const FileSet &files, std::optional<int> team);
    std::optional<int> team() const { return m_team; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // An edit as the view makes it: said(), and true when the cell changed.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // What one entry did.
    struct Entry
    {
        enum Kind { Unchanged, Changed, Adjusted, Refused, NotEditable };
        Kind kind = Unchanged;
        // Why it was refused or adjusted; empty otherwise.
        QString message;
        // A new last name: the game shows his picture unless it is let go.
        bool renamed = false;
    };
    // A typed or pasted text into a cell, through the rules of his draft.
    Entry enter(const QModelIndex &index, QStringView text);
    // What the last entry through setData() did.
    const Entry &lastEntry() const { return m_lastEntry; }
    // A cell as a message names it: "Karl Moose, Speed".
    QString cellName(const QModelIndex &index) const;

    // A block of cells, rows of texts, entered from a cell on: each through
    // enter(), row after row of the table's order given (the view's).
    struct Paste
    {
        int changed = 0;  // entries that changed a value, adjusted ones among them
        int adjusted = 0; // of those, moved onto the limits or grid
        int refused = 0;
        int skipped = 0;  // cells not editable or beyond the table's edge
        // Each refused cell by its player and column, and why.
        QStringList refusals;
        QList<int> renamedRows;
        QList<int> changedRows;
        // The status line's words.
        QString summary() const;
    };
    Paste paste(const QList<QList<QModelIndex>> &cells, const QList<QStringList> &block);


    // A player's row: his key record's offset, and whether it holds entries
    // not yet written.
    int rowOf(qint64 offset) const;
    qint64 offsetAt(int row) const;
    // His team's number, and "First Last" as the row shows him now and as
    // he was loaded (or last written).
    int teamAt(int row) const;
    QString nameAt(int row) const;
    QString loadedNameAt(int row) const;
    bool isRowChanged(int row) const;
    // His entries set back to what was loaded; false when there were none.
    bool revertRow(int row);
    // His picture let go, after a rename (the question is the window's).
    void unlinkPicture(int row);

    // Writes a row whose entries changed it; nothing for one that holds
    // none.
    std::optional<Result<PlayerWrites::Done, PlayerWriteError>> saveRow(int row,
                                                                       PlayerWrites &writes);
    // Writes the rows as one write, labelled in the journal; each row read
    // again from the files after.
    std::optional<Result<PlayerWrites::Saved, PlayerWriteError>>
    saveRows(const QList<int> &rows, PlayerWrites &writes, const QString &label);
    // The players at the offsets read again from the files (after an undo).
    void reload(const QList<qint64> &offsets);
    // After a failed write: rows whose records another program changed
    // since they were read start again from the records as they are (the
    // error then says what that did); a torn write of ours is not taken for
    // another's. onlyUnshown tells when the other program changed only
    // bytes the table does not show: the rows may be written again at once.
    PlayerWriteError writeFailed(PlayerWriteError error, const QList<qint64> &written,
                                 bool &onlyUnshown);

signals:
    // What an entry through setData() did, for the status line.
    void said(const QString &text);
    // An entry through setData() gave the player of a row a new last name:
    // the picture question is the window's to ask.
    void renamed(int row);

private:
    struct TableRow;
    // A row by its number; none out of range.
    const TableRow *rowAt(int row) const;
    // His cells: from his draft, or from his key record when his ratings
    // cannot be read.
    void readRow(TableRow &row, const PlayerRecord &key);
    void refresh(int row);
    Entry enterIdentity(TableRow &row, int column, QStringView text);
    Entry enterNumber(TableRow &row, int column, QStringView text);
    TeamJerseys &jerseys(int team);

    FileSet m_files;
    std::optional<int> m_team;
    QList<TeamRecord> m_teamRecords;
    // Each team's numbers as the table's rows wear them; the drafts hold on
    // to them, so a team's stays where it is.
    std::map<int, std::unique_ptr<TeamJerseys>> m_jerseys;
    std::vector<std::unique_ptr<TableRow>> m_rows;
    Entry m_lastEntry;
};

} // namespace Puckdex
