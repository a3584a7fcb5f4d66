// The main window's handlers against the floor of the toolkit, side by side
// in one run, on the offscreen platform: choosing a team against reading the
// key file and filling a bare list and combo box with the same entries,
// leaving a player for the next one in the window, and the roster table on
// the whole league, opened and sorted, against a bare table over the same
// cells.

#include "benchsupport.h"
#include "controls.h"

#include "widgets/messagebox.h"
#include "widgets/programlook.h"
#include "editor/mainwindow.h"
#include "player/valuerules.h"
#include "files/gamefiles.h"
#include "sampleroster.h"
#include "editor/programstate.h"
#include "startup/startup.h"
#include "table/tablewindow.h"
#include "widgets/frozentableview.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QListWidget>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace Puckdex;

namespace {

// Two teams, chosen in turn so each choice really changes the lists.
constexpr int kTeams[2] = {0, 1};

int messagesShown = 0;

bool noMessages(benchmark::State &state)
{
    if (messagesShown == 0)
        return true;
    state.SkipWithError("the window showed a message box");
    return false;
}

// The events a user's choice leaves behind (the repaint of the filled lists)
// run between two choices, outside the measured time, for the window and
// the floor alike.
void settle(benchmark::State &state)
{
    state.PauseTiming();
    QCoreApplication::processEvents();
    state.ResumeTiming();
}

struct Editor
{
    ProgramState state;
    std::unique_ptr<MainWindow> window;
};

void openEditor(Editor &editor, const QString &folder)
{
    Result<FileSet> files = findFileSet(folder);
    requireOk(files ? Status() : Status(files.error()), "finding the roster");
    editor.state.GamePath = QDir::toNativeSeparators(folder);
    editor.state.files = std::move(files).value();
    editor.window = std::make_unique<MainWindow>(
        editor.state, QDir(folder).filePath(QStringLiteral("PUCKDEX.INI")));
    requireOk(LoadTeamList(editor.state, *editor.window), "filling the team list");
    editor.window->show();
    requireOk(QTest::qWaitForWindowExposed(editor.window.get()), "showing the main window");
}

// Chooses a team as the team list does when the user picks an entry.
void chooseTeam(MainWindow &window, int teamNumber)
{
    QComboBox *teams = control<QComboBox>(&window, "cboTeams");
    const int index = teams->findData(teamNumber);
    teams->setCurrentIndex(index);
    emit teams->activated(index);
}

void chooseTeamInWindow(benchmark::State &state, MainWindow *window)
{
    int turn = 0;
    for (auto _ : state) {
        chooseTeam(*window, kTeams[turn]);
        turn = 1 - turn;
        settle(state);
    }
    if (noMessages(state))
        state.counters["players"] = control<QListWidget>(window, "lstPlayers")->count();
}

// The floor: the key file read whole, and the same entries put into a bare
// list and combo box: every player's last name with his record's offset,
// sorted, and the 100 jersey numbers with the taken ones marked.
struct BareLists
{
    QWidget window;
    QListWidget *players = new QListWidget(&window);
    QComboBox *jerseys = new QComboBox(&window);
};

Status fillBareLists(BareLists &lists, const QString &keyFile, int teamNumber)
{
    QFile file(keyFile);
    if (!file.open(QIODevice::ReadOnly))
        return FileError{keyFile, file.errorString()};
    const QByteArray bytes = file.readAll();
    lists.players->clear();
    lists.jerseys->clear();
    for (int number = 0; number <= 99; ++number)
        lists.jerseys->addItem(jerseyEntryText(number), number);
    const auto visit = [&](qint64 offset) {
        PlayerRecord player;
        player.assign(QByteArrayView(bytes).sliced(offset, PlayerRecord::Size));
        if (player.teamNumber() != teamNumber)
            return;
        auto *item = new QListWidgetItem(player.lastName(), lists.players);
        item->setData(Qt::UserRole, offset);
        if (player.jerseyNumber() < lists.jerseys->count())
            lists.jerseys->setItemText(player.jerseyNumber(), TakenJerseyText);
    };
    const qint64 size = bytes.size();
    for (qint64 at = 0; at + PlayerRecord::Size <= std::min(size, GameFiles::KeyRegionOneEnd);
         at += PlayerRecord::Size)
        visit(at);
    for (qint64 at = GameFiles::KeyRegionTwoStart; at + PlayerRecord::Size <= size;
         at += PlayerRecord::Size)
        visit(at);
    lists.players->sortItems();
    return {};
}

void chooseTeamFloor(benchmark::State &state, const QString &keyFile)
{
    BareLists lists;
    // Where the main window has them.
    lists.window.resize(565, 425);
    lists.players->setGeometry(8, 48, 97, 234);
    lists.jerseys->setGeometry(360, 48, 41, 21);
    lists.window.show();
    requireOk(QTest::qWaitForWindowExposed(&lists.window), "showing the floor window");

    int turn = 0;
    for (auto _ : state) {
        const Status filled = fillBareLists(lists, keyFile, kTeams[turn]);
        if (!filled && !skipOnError(state, filled.error()))
            break;
        turn = 1 - turn;
        settle(state);
    }
    state.counters["players"] = lists.players->count();
}

// Leaving the shown player for the next one of his team: he is written back
// durably and read back, then the next one is read and shown.
void leavePlayerInWindow(benchmark::State &state, MainWindow *window)
{
    chooseTeam(*window, kTeams[0]);
    QListWidget *list = control<QListWidget>(window, "lstPlayers");
    // A skater and a goalie, in turn, so both layouts are filled each time.
    int rows[2] = {-1, -1};
    for (int row = 0; row < list->count() && (rows[0] < 0 || rows[1] < 0); ++row) {
        list->setCurrentRow(row);
        const int kind = window->draft()->isGoalie() ? 1 : 0;
        if (rows[kind] < 0)
            rows[kind] = row;
    }
    requireOk(rows[0] >= 0 && rows[1] >= 0, "finding a skater and a goalie");

    int turn = 0;
    for (auto _ : state) {
        list->setCurrentRow(rows[turn]);
        turn = 1 - turn;
        settle(state);
    }
    noMessages(state);
}

// The roster table on every team's players, opened and sorted by Speed,
// as Ctrl+T and a click on the caption make it.
void tableWindow(benchmark::State &state, Editor *editor, const QString &journalFolder)
{
    PlayerWrites writes(journalFolder, editor->state.files);
    int rows = 0;
    for (auto _ : state) {
        TableWindow table(editor->state.files, editor->state.pictures, writes, std::nullopt);
        table.show();
        table.view()->sortByColumn(RosterTable::FirstRating, Qt::DescendingOrder);
        rows = table.table().rowCount();
        settle(state);
    }
    if (noMessages(state))
        state.counters["rows"] = rows;
}

// The floor: the same cells, read once beforehand, in a bare model under a
// bare table, sized to its contents and sorted by the same column.
class Cells : public QAbstractTableModel
{
public:
    explicit Cells(QList<QStringList> cells) : m_cells(std::move(cells)) {}
    int rowCount(const QModelIndex & = {}) const override { return int(m_cells.size()); }
    int columnCount(const QModelIndex & = {}) const override
    {
        return m_cells.isEmpty() ? 0 : int(m_cells.first().size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        return m_cells[index.row()][index.column()];
    }

private:
    QList<QStringList> m_cells;
};

void tableFloor(benchmark::State &state, const FileSet *files)
{
    RosterTable read;
    requireOk(read.load(*files, std::nullopt), "reading the roster");
    QList<QStringList> cells;
    for (int row = 0; row < read.rowCount(); ++row) {
        QStringList line;
        for (int column = 0; column < read.columnCount(); ++column)
            line.append(read.index(row, column).data().toString());
        cells.append(line);
    }
    int rows = 0;
    for (auto _ : state) {
        QWidget window;
        window.resize(960, 600);
        Cells model(cells);
        QSortFilterProxyModel sorted;
        sorted.setSourceModel(&model);
        QTableView view(&window);
        view.resize(940, 540);
        view.setModel(&sorted);
        view.setSortingEnabled(true);
        view.resizeColumnsToContents();
        window.show();
        view.sortByColumn(RosterTable::FirstRating, Qt::DescendingOrder);
        rows = sorted.rowCount();
        settle(state);
    }
    state.counters["rows"] = rows;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyProgramLook(app);
    MessageBox::setHandler([](const MessageRequest &) {
        ++messagesShown;
        return MessageAnswer::No;
    });

    QTemporaryDir dir;
    requireOk(dir.isValid(), "making a temporary folder");
    const QString teamFolder = dir.filePath(QStringLiteral("teams"));
    const QString leaveFolder = dir.filePath(QStringLiteral("leave"));
    requireOk(Sample::writeBaseRosters(teamFolder), "writing the sample roster");
    requireOk(Sample::writeBaseRosters(leaveFolder), "writing the sample roster");

    Editor teams;
    openEditor(teams, teamFolder);
    benchmark::RegisterBenchmark("choose_team", chooseTeamInWindow, teams.window.get())
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("choose_team_floor", chooseTeamFloor, teams.state.keyFilePath())
        ->Unit(benchmark::kMicrosecond);

    // Leaving players rewrites their files: a roster and window of its own.
    Editor leave;
    openEditor(leave, leaveFolder);
    benchmark::RegisterBenchmark("leave_player_window", leavePlayerInWindow, leave.window.get())
        ->Unit(benchmark::kMicrosecond);

    // The table only reads here: the roster of the team choices serves.
    benchmark::RegisterBenchmark("table_window", tableWindow, &teams,
                                 dir.filePath(QStringLiteral("table-journal")))
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("table_floor", tableFloor, &teams.state.files)
        ->Unit(benchmark::kMicrosecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
