#include "table/tablewindow.h"

#include "dialogs/pictureprompt.h"
#include "table/cellblock.h"
#include "widgets/frozentableview.h"
#include "widgets/messagebox.h"
#include "widgets/windowsetup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Puckdex {

namespace {

// Numbers by value, names and letters as the lists sort them.
class RosterSort : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override
    {
        const QVariant a = left.data(RosterTable::SortRole);
        const QVariant b = right.data(RosterTable::SortRole);
        if (a.typeId() == QMetaType::Double && b.typeId() == QMetaType::Double)
            return a.toDouble() < b.toDouble();
        return sortsBefore(a.toString(), b.toString());
    }
};

// A command of the window: its keys, and an entry of the table's menu.
QAction *addKey(QWidget *window, QWidget *menu, const QKeySequence &key, const char *name,
                const QString &text)
{
    auto *action = new QAction(text, window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    menu->addAction(action);
    return action;
}

// The cells a paste refused, each by its player and column, at most ten.
QString refusedCellsText(const RosterTable::Paste &done)
{
    constexpr qsizetype kListed = 10;
    QString text = done.refused == 1
                       ? QStringLiteral("1 pasted cell was refused and keeps its value:\n")
                       : QStringLiteral("%1 pasted cells were refused and keep their values:\n")
                             .arg(done.refused);
    for (const QString &refusal : done.refusals.first(std::min(kListed, done.refusals.size())))
        text += u'\n' + refusal;
    if (done.refusals.size() > kListed)
        text += QStringLiteral("\n... and %1 more.").arg(done.refusals.size() - kListed);
    return text;
}

// A write as an undo or redo names it: "the save of NAME", "the paste into
// the table: 3 players".
QString stepName(const JournalEntry &entry)
{
    return (entry.label.isEmpty() ? QStringLiteral("the save of ") : QStringLiteral("the ")) +
           entry.playerName();
}

} // namespace

TableWindow::TableWindow(const FileSet &files, PictureChoice &pictures, PlayerWrites &writes,
                         std::optional<int> team, QWidget *parent)
    : QDialog(parent), m_files(files), m_pictures(pictures), m_writes(writes),
      m_sorted(new RosterSort(this)), m_find(files)
{
    setObjectName(QStringLiteral("frmRosterTable"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    makeControls();

    m_sorted->setSourceModel(&m_table);
    m_sorted->setSortRole(RosterTable::SortRole);
    // Rows stay where they are while they are edited; a click on a caption
    // sorts again.
    m_sorted->setDynamicSortFilter(false);
    m_view->setModel(m_sorted);
    m_view->setSortingEnabled(true);
    m_view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_view->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);

    connect(&m_table, &RosterTable::said, this, [this](const QString &text) {
        say(text);
        m_entrySaid = text;
    });
    connect(&m_table, &RosterTable::renamed, this, [this](int row) { askAboutPictures({row}); });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TableWindow::rowLeft);
    connect(m_allTeams, &QCheckBox::toggled, this, &TableWindow::allTeamsToggled);
    connect(m_findText, &QLineEdit::returnPressed, this, &TableWindow::findNext);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connectKeys();
    m_view->installEventFilter(this);

    if (team)
        m_lastTeam = *team;
    load(team);
    resize(960, 600);
    m_view->setFocus();
}

void TableWindow::makeControls()
{
    m_allTeams = new QCheckBox(QStringLiteral("&All teams"), this);
    m_allTeams->setObjectName(QStringLiteral("chkAllTeams"));
    auto *findLabel = new QLabel(QStringLiteral("&Find:"), this);
    m_findText = new QLineEdit(this);
    m_findText->setObjectName(QStringLiteral("txtFind"));
    m_findText->setPlaceholderText(QStringLiteral("part of a name, then Enter"));
    m_findText->setClearButtonEnabled(true);
    findLabel->setBuddy(m_findText);
    m_view = new FrozenTableView(RosterTable::kNameColumns, this);
    m_view->setObjectName(QStringLiteral("tblRoster"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblTableStatus"));
    m_status->setFrameShape(QFrame::Panel);
    m_status->setFrameShadow(QFrame::Sunken);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_close = new QPushButton(QStringLiteral("&Close"), this);
    m_close->setObjectName(QStringLiteral("cmdClose"));
    m_close->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->addWidget(m_allTeams);
    top->addStretch();
    top->addWidget(findLabel);
    top->addWidget(m_findText);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);
    setTabOrder(m_view, m_close);
    setTabOrder(m_close, m_allTeams);
    setTabOrder(m_allTeams, m_findText);
}

void TableWindow::connectKeys()
{
    m_view->setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto command = [this](const QKeySequence &key, const char *name, const char *text,
                                void (TableWindow::*slot)()) {
        connect(addKey(this, m_view, key, name, QString::fromLatin1(text)), &QAction::triggered,
                this, slot);
    };
    command(QKeySequence::Copy, "copyCells", "&Copy", &TableWindow::copy);
    command(QKeySequence::Paste, "pasteCells", "&Paste", &TableWindow::paste);
    command(QKeySequence::Undo, "undoTable", "&Undo", &TableWindow::undo);
    command(QKeySequence(Qt::CTRL | Qt::Key_Y), "redoTable", "&Redo", &TableWindow::redo);
    command(QKeySequence(Qt::ALT | Qt::Key_S), "sortByColumn", "&Sort by This Column",
            &TableWindow::sortByCurrentColumn);
    command(QKeySequence::Find, "findPlayer", "&Find Player...", &TableWindow::focusFind);
}

void TableWindow::focusFind()
{
    m_findText->setFocus(Qt::ShortcutFocusReason);
    m_findText->selectAll();
}

void TableWindow::sortByCurrentColumn()
{
    // As a click on the column's caption: again the other way round.
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid() || !enterOpenCell())
        return;
    const QHeaderView *header = m_view->horizontalHeader();
    const Qt::SortOrder order = header->sortIndicatorSection() == current.column() &&
                                        header->sortIndicatorOrder() == Qt::AscendingOrder
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    const qint64 offset = m_table.offsetAt(currentRow());
    m_view->sortByColumn(current.column(), order);
    goTo(offset);
    m_view->setCurrentIndex(cellOf(offset, current.column()));
    const bool numbers = m_table.rowCount() > 0 &&
                         m_table.index(0, current.column()).data(RosterTable::SortRole).typeId() ==
                             QMetaType::Double;
    const bool up = order == Qt::AscendingOrder;
    say(QStringLiteral("Sorted by %1, %2.")
            .arg(m_table.headerData(current.column(), Qt::Horizontal).toString(),
                 QLatin1String(numbers ? (up ? "lowest first" : "highest first")
                                       : (up ? "A to Z" : "Z to A"))));
}

TableWindow::~TableWindow() = default;

void TableWindow::load(std::optional<int> team)
{
    {
        const QSignalBlocker blocker(m_view->selectionModel());
        const Status loaded = m_table.load(m_files, team);
        if (!loaded) {
            MessageBox::show(this,
                             QStringLiteral("The players could not be read.\n\n%1")
                                 .arg(loaded.error().fullMessage()),
                             MessageStyle::Warning);
        }
    }
    const QSignalBlocker blocker(m_allTeams);
    m_allTeams->setChecked(!team);
    QString caption = QStringLiteral("Roster Table - ");
    if (team) {
        const Result<TeamRecord> record = GameFiles::readTeam(m_files.teamFile, *team);
        caption += record ? record->city() : QStringLiteral("team %1").arg(*team);
    } else {
        caption += QStringLiteral("All teams");
    }
    setWindowTitle(caption);
    m_view->fitColumnsToContents();
    const int sorted = m_view->horizontalHeader()->sortIndicatorSection();
    if (sorted >= 0)
        m_sorted->sort(sorted, m_view->horizontalHeader()->sortIndicatorOrder());
    if (m_sorted->rowCount() > 0)
        m_view->setCurrentIndex(m_sorted->index(0, RosterTable::LastName));
}

QModelIndex TableWindow::cellOf(qint64 offset, int column) const
{
    const int row = m_table.rowOf(offset);
    return row < 0 ? QModelIndex() : m_sorted->mapFromSource(m_table.index(row, column));
}

int TableWindow::currentRow() const
{
    return m_sorted->mapToSource(m_view->currentIndex()).row();
}

void TableWindow::allTeamsToggled(bool all)
{
    // Other players are read in place of these: none may hold entries.
    if (!enterOpenCell() || saveChangedRows() > 0) {
        const QSignalBlocker blocker(m_allTeams);
        m_allTeams->setChecked(!all);
        return;
    }
    const qint64 offset = m_table.offsetAt(currentRow());
    // Back to the team of the player the cursor is on.
    if (!all && offset >= 0)
        m_lastTeam = m_table.teamAt(currentRow());
    load(all ? std::nullopt : std::optional<int>(m_lastTeam));
    if (offset >= 0)
        goTo(offset);
}

void TableWindow::rowLeft(const QModelIndex &current, const QModelIndex &previous)
{
    Q_UNUSED(current);
    if (previous.isValid())
        saveRow(m_sorted->mapToSource(previous).row());
}

bool TableWindow::saveRow(int row)
{
    const std::optional<Result<PlayerWrites::Done, PlayerWriteError>> saved =
        m_table.saveRow(row, m_writes);
    if (!saved)
        return true;
    if (!*saved) {
        MessageBox::show(this,
                         QStringLiteral("%1 could not be saved; his row keeps what was entered "
                                        "(Esc sets it back).\n\n%2")
                             .arg(m_table.nameAt(row), saved->error().fullMessage()),
                         MessageStyle::Warning);
        return false;
    }
    // What the last entry did stays in view beside the save it led to.
    if ((*saved)->entry.changesAnything()) {
        const QString done = QStringLiteral("Saved %1.").arg((*saved)->entry.playerName());
        say(m_entrySaid.isEmpty() ? done : m_entrySaid + QLatin1Char(' ') + done);
    }
    return true;
}

bool TableWindow::askAboutPictures(const QList<int> &rows, bool pasting)
{
    for (const int row : rows) {
        const QString before = m_table.loadedNameAt(row);
        const std::optional<bool> unlink =
            pasting ? unlinkPastedPicture(m_pictures, before, m_table.nameAt(row), this)
                    : unlinkRenamedPicture(m_pictures, before, m_table.nameAt(row), this);
        if (!unlink)
            return false;
        if (*unlink)
            m_table.unlinkPicture(row);
    }
    return true;
}

bool TableWindow::enterOpenCell()
{
    const QModelIndex open = m_view->openEntry();
    if (!open.isValid())
        return true;
    m_view->putInOpenEntry();
    const RosterTable::Entry &entry = m_table.lastEntry();
    if (entry.kind == RosterTable::Entry::Refused &&
        MessageBox::show(this,
                         QStringLiteral("%1: %2\n\nDo you want to go on without this entry ?")
                             .arg(m_table.cellName(m_sorted->mapToSource(open)), entry.message),
                         MessageStyle::QuestionNoDefault) != MessageAnswer::Yes) {
        // Back in the entry, to mend it.
        if (QWidget *editor = m_view->openEditor())
            editor->setFocus(Qt::OtherFocusReason);
        return false;
    }
    m_view->closeOpenEntry();
    return true;
}

bool TableWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        // Esc outside an entry (an open entry's box takes its own) sets the
        // row back as it was loaded, as Esc in the editor's player list does.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            if (m_table.revertRow(currentRow()))
                say(QStringLiteral("The row is as it was loaded."));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TableWindow::copy()
{
    // The block as it is shown: its columns in their shown order, the
    // hidden ones left out.
    const QList<int> columns = m_view->shownColumns();
    int top = -1, bottom = -1;
    qsizetype left = -1, right = -1;
    for (const QModelIndex &cell : m_view->selectionModel()->selectedIndexes()) {
        const qsizetype at = columns.indexOf(cell.column());
        if (at < 0)
            continue;
        top = top < 0 ? cell.row() : std::min(top, cell.row());
        bottom = std::max(bottom, cell.row());
        left = left < 0 ? at : std::min(left, at);
        right = std::max(right, at);
    }
    if (top < 0)
        return;
    QList<QStringList> block;
    for (int r = top; r <= bottom; ++r) {
        QStringList line;
        for (qsizetype c = left; c <= right; ++c)
            line.append(m_sorted->index(r, columns[c]).data().toString());
        block.append(line);
    }
    QApplication::clipboard()->setText(CellBlock::text(block));
    say(QStringLiteral("Copied %1 x %2 cells.").arg(bottom - top + 1).arg(right - left + 1));
}

QList<QList<QModelIndex>> TableWindow::pasteCells(const QModelIndex &start,
                                                  const QList<QStringList> &block) const
{
    const QList<int> columns = m_view->shownColumns();
    const qsizetype first = columns.indexOf(start.column());
    QList<QList<QModelIndex>> cells;
    for (qsizetype r = 0; r < block.size(); ++r) {
        QList<QModelIndex> line;
        for (qsizetype c = 0; c < block[r].size(); ++c) {
            const qsizetype at = first < 0 ? -1 : first + c;
            const QModelIndex shown = at >= 0 && at < columns.size()
                                          ? m_sorted->index(start.row() + int(r), columns[at])
                                          : QModelIndex();
            line.append(m_sorted->mapToSource(shown));
        }
        cells.append(line);
    }
    return cells;
}

void TableWindow::paste()
{
    if (!enterOpenCell())
        return;
    const QList<QStringList> block = CellBlock::parse(QApplication::clipboard()->text());
    const QModelIndex start = m_view->currentIndex();
    if (block.isEmpty() || !start.isValid()) {
        say(QStringLiteral("There is nothing to paste."));
        return;
    }
    // Rows still holding entries (the one being edited, one whose write
    // failed) are written first, each on its own: the paste is one write
    // of its own, taken back whole.
    if (saveChangedRows() > 0) {
        say(QStringLiteral("Nothing was pasted."));
        return;
    }
    const RosterTable::Paste done = m_table.paste(pasteCells(start, block), block);
    if (!askAboutPictures(done.renamedRows, true)) {
        for (const int row : done.changedRows)
            m_table.revertRow(row);
        say(QStringLiteral("The paste was cancelled: nothing was written."));
        return;
    }
    const auto saved =
        m_table.saveRows(done.changedRows, m_writes, QStringLiteral("paste into the table"));
    if (saved && !*saved) {
        MessageBox::show(this,
                         QStringLiteral("The pasted values could not be saved; the rows keep "
                                        "them (Esc sets a row back).\n\n%1")
                             .arg(saved->error().fullMessage()),
                         MessageStyle::Warning);
        return;
    }
    say(done.summary());
    if (done.refused > 0)
        MessageBox::show(this, refusedCellsText(done), MessageStyle::Warning);
}

void TableWindow::undo()
{
    if (!enterOpenCell())
        return;
    if (m_table.revertRow(currentRow())) {
        say(QStringLiteral("The row is as it was loaded."));
        return;
    }
    finishStep(m_writes.undoLastSave(),
               {QStringLiteral("There is nothing to undo."),
                QStringLiteral("The last save could not be undone."), QStringLiteral("Undid")});
}

void TableWindow::redo()
{
    if (!enterOpenCell() || !saveRow(currentRow()))
        return;
    finishStep(m_writes.redoLastUndo(),
               {QStringLiteral("There is nothing to redo."),
                QStringLiteral("The undone save could not be made again."),
                QStringLiteral("Redid")});
}

void TableWindow::finishStep(const std::optional<Result<PlayerWrites::Step, PlayerWriteError>> &step,
                             const StepTexts &texts)
{
    if (!step) {
        say(texts.nothing);
        return;
    }
    if (!*step) {
        MessageBox::show(this, texts.failed + QStringLiteral("\n\n") + step->error().fullMessage(),
                         MessageStyle::Warning);
        return;
    }
    // The players it wrote back, as the files now hold them.
    QList<qint64> offsets;
    for (const PlayerChange &change : (*step)->entry.players)
        offsets.append(change.offset);
    m_table.reload(offsets);
    say(QStringLiteral("%1 %2.").arg(texts.done, stepName((*step)->entry)));
}

void TableWindow::findNext()
{
    if (!enterOpenCell())
        return;
    const QString text = m_findText->text();
    std::optional<NameMatch> from;
    if (const int row = currentRow(); row >= 0) {
        from = NameMatch{m_table.teamAt(row), m_table.offsetAt(row),
                         m_table.index(row, RosterTable::FirstName).data().toString(),
                         m_table.index(row, RosterTable::LastName).data().toString()};
    }
    const std::optional<NameMatch> found = m_find.next(text, from, this);
    if (!found) {
        say(FindPlayer::nothingFound(text));
        return;
    }
    const bool otherTeam = m_table.team() && *m_table.team() != found->team;
    if (otherTeam ? saveChangedRows() > 0 : !saveRow(currentRow()))
        return;
    if (otherTeam) {
        m_lastTeam = found->team;
        load(found->team);
    }
    goTo(found->offset);
    say(QStringLiteral("Found %1 %2.").arg(found->firstName, found->lastName));
}

void TableWindow::goTo(qint64 offset)
{
    const QModelIndex cell = cellOf(offset, RosterTable::LastName);
    if (!cell.isValid())
        return;
    m_view->setCurrentIndex(cell);
    m_view->scrollTo(cell);
}

int TableWindow::saveChangedRows()
{
    int unsaved = 0;
    for (int row = 0; row < m_table.rowCount(); ++row)
        unsaved += m_table.isRowChanged(row) && !saveRow(row);
    return unsaved;
}

void TableWindow::done(int result)
{
    if (!enterOpenCell())
        return;
    // Every row still holding entries: the one being edited, and any whose
    // write failed when it was left.
    const int unsaved = saveChangedRows();
    if (unsaved > 0 &&
        MessageBox::show(this,
                         unsaved == 1 ? QStringLiteral("Do you want to close the table without "
                                                       "saving this player ?")
                                      : QStringLiteral("Do you want to close the table without "
                                                       "saving these %1 players ?")
                                            .arg(unsaved),
                         MessageStyle::QuestionNoDefault) != MessageAnswer::Yes) {
        return;
    }
    QDialog::done(result);
}

void TableWindow::say(const QString &text)
{
    m_status->setText(text);
    m_entrySaid.clear();
}

} // namespace Puckdex
