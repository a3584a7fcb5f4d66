#include "render.h"

#include "controls.h"

#include "dialogs/aboutwindow.h"
#include "dialogs/gamefolderwindow.h"
#include "widgets/messagebox.h"
#include "dialogs/savedgamewindow.h"
#include "editor/mainwindow.h"
#include "dialogs/pictureprompt.h"
#include "files/fileset.h"
#include "files/gamefiles.h"
#include "puckdexversion.h"
#include "sampleroster.h"
#include "settings/profilefile.h"
#include "editor/programstate.h"
#include "startup/startup.h"
#include "table/tablewindow.h"
#include "templates/templatewindow.h"
#include "widgets/frozentableview.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QListWidget>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace Puckdex::Render {

namespace {

const QString kVersionText = versionText();

// How long a window gets to draw after it is shown, and at most to become
// visible or to list its folders.
constexpr int kSettleMs = 100;
constexpr int kPatienceMs = 5000;

// Stands in for the program's message boxes while a picture is made. A
// picture is only wanted of a window that had nothing to complain about, so
// the first message is kept as the failure; questions are answered No.
class MessageCatcher
{
public:
    MessageCatcher()
    {
        MessageBox::setHandler([this](const MessageRequest &request) {
            if (m_first.isEmpty())
                m_first = request.text.simplified();
            const bool question = request.style.asksYesNo();
            return question ? MessageAnswer::No : MessageAnswer::Ok;
        });
    }
    ~MessageCatcher() { MessageBox::setHandler({}); }
    MessageCatcher(const MessageCatcher &) = delete;
    MessageCatcher &operator=(const MessageCatcher &) = delete;

    bool quiet() const { return m_first.isEmpty(); }
    FileError failure(const QString &file) const
    {
        return FileError{file, QStringLiteral("the window reported \"%1\"").arg(m_first)};
    }

private:
    QString m_first;
};

// Lets the window take its size and style and draw, until shown on the
// screen and at least kSettleMs, or until ready() says so as well.
void settle(QWidget *window, const std::function<bool()> &ready = {})
{
    const auto exposed = [window] {
        const QWindow *handle = window->windowHandle();
        return handle && handle->isExposed();
    };
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kPatienceMs &&
           (clock.elapsed() < kSettleMs || !exposed() || (ready && !ready()))) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();
}

// The window's client area as it is drawn now; the frame belongs to the
// desktop, not to us.
QImage picture(QWidget *window)
{
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

Status setBaseRosters(ProgramState &state, const QString &gameFolder)
{
    Result<FileSet> files = findFileSet(gameFolder);
    if (!files)
        return files.error();
    state.GamePath = QDir::toNativeSeparators(gameFolder);
    state.files = std::move(files).value();
    state.VersionText = kVersionText;
    return {};
}

// Picks the first player of the list who is (or is not) a goalie, as a user
// clicks him; false when there is none.
Result<bool> choosePlayer(MainWindow &window, const ProgramState &state, Shown shown)
{
    QListWidget *list = control<QListWidget>(&window, "lstPlayers");
    for (int row = 0; row < list->count(); ++row) {
        const qint64 offset = list->item(row)->data(Qt::UserRole).toLongLong();
        const Result<PlayerRecord> player = GameFiles::readPlayer(state.keyFilePath(), offset);
        if (!player)
            return player.error();
        if (player->isGoalie() != (shown == Shown::Goalie))
            continue;
        list->setFocus();
        list->setCurrentRow(row);
        list->scrollToItem(list->item(row));
        return window.draft() && window.draft()->offset() == offset;
    }
    return false;
}

} // namespace

QStringList fileNames()
{
    return {
        MainWindowFile, MainWindowGoalieFile, GameFolderFile,    SavedGameFile,
        AboutFile,      TemplateWindowFile,   PicturePromptFile, RosterTableFile,
    };
}

Status writeSample(const QString &folder)
{
    if (Status written = Sample::writeBaseRosters(folder); !written)
        return written;
    return Sample::writeSavedGames(folder);
}

Result<QImage> mainWindow(const QString &gameFolder, Shown shown)
{
    const MessageCatcher messages;
    ProgramState state;
    if (const Status found = setBaseRosters(state, gameFolder); !found)
        return found.error();

    QImage image;
    {
        MainWindow window(state, QDir(gameFolder).filePath(QStringLiteral("PUCKDEX.INI")));
        if (!LoadTeamList(state, window))
            return messages.failure(state.teamFilePath());
        window.show();
        settle(&window);

        QComboBox *teams = control<QComboBox>(&window, "cboTeams");
        if (teams->count() == 0)
            return FileError{state.teamFilePath(), QStringLiteral("the team list is empty")};
        teams->setCurrentIndex(0);
        emit teams->activated(0);

        const Result<bool> chosen = choosePlayer(window, state, shown);
        if (!chosen)
            return chosen.error();
        if (!messages.quiet())
            return messages.failure(state.keyFilePath());
        if (!*chosen) {
            return FileError{state.keyFilePath(),
                             QStringLiteral("the team \"%1\" has no %2 to show")
                                 .arg(teams->currentText(), shown == Shown::Goalie
                                                                ? QStringLiteral("goalie")
                                                                : QStringLiteral("skater"))};
        }
        settle(&window);
        image = picture(&window);
        // Closing writes the shown player back, into the sample's copy.
        window.close();
    }
    if (!messages.quiet())
        return messages.failure(state.keyFilePath());
    return image;
}

Result<QImage> gameFolderWindow(const QString &gameFolder)
{
    const MessageCatcher messages;
    GameFolderWindow window(QDir::toNativeSeparators(gameFolder), std::nullopt);

    // The folder list fills in the background; wait for the folders on the
    // way down to the game folder so that it shows them all.
    QSet<QString> wanted;
    for (QDir folder(gameFolder);;) {
        wanted.insert(folder.absolutePath());
        if (!folder.cdUp())
            break;
    }
    if (auto *model = qobject_cast<QFileSystemModel *>(
            control<QTreeView>(&window, "dirFileLocationDirectory")->model())) {
        QObject::connect(
            model, &QFileSystemModel::directoryLoaded, &window,
            [&wanted](const QString &path) { wanted.remove(QDir(path).absolutePath()); });
    } else {
        wanted.clear();
    }
    window.show();
    settle(&window, [&wanted] { return wanted.isEmpty(); });
    // Folders that came in late may have pushed it out of the middle.
    window.setFolder(gameFolder);
    settle(&window);
    if (QDir(window.currentFolder()) != QDir(gameFolder)) {
        return FileError{gameFolder, QStringLiteral("the folder list shows %1 instead")
                                         .arg(QDir::toNativeSeparators(window.currentFolder()))};
    }
    if (!messages.quiet())
        return messages.failure(gameFolder);
    return picture(&window);
}

Result<QImage> savedGameWindow(const QString &gameFolder)
{
    const MessageCatcher messages;
    const Result<SavedGameIndex> index = GameFolder::savedGames(gameFolder);
    if (!index)
        return index.error();
    const QString &indexPath = index->file;
    if (index->games.isEmpty())
        return FileError{indexPath, QStringLiteral("the index lists no saved game")};

    SavedGameWindow window;
    for (const SeasonIndexEntry &game : index->games)
        window.addGame(game.description(), game.gameNumber());
    control<QListWidget>(&window, "lstSeasonToEdit")->setCurrentRow(0);
    window.show();
    settle(&window);
    if (!messages.quiet())
        return messages.failure(indexPath);
    return picture(&window);
}

Result<QImage> aboutWindow()
{
    const MessageCatcher messages;
    ProgramState state;
    state.VersionText = kVersionText;
    // The About window names the program by the main window's caption.
    MainWindow main(state, QString());
    AboutWindow about(main.windowTitle(), state.VersionText, &main);
    about.show();
    settle(&about);
    if (!messages.quiet())
        return messages.failure(QString());
    return picture(&about);
}

// The first team as the roster table shows it, sorted by Speed, the cursor
// on a rating cell.
Result<QImage> rosterTable(const QString &gameFolder)
{
    const MessageCatcher messages;
    ProgramState state;
    if (const Status found = setBaseRosters(state, gameFolder); !found)
        return found.error();
    PlayerWrites writes(gameFolder, state.files);
    TableWindow table(state.files, state.pictures, writes, 0);
    table.resize(820, 420);
    table.show();
    table.view()->sortByColumn(RosterTable::FirstRating, Qt::DescendingOrder);
    table.view()->setCurrentIndex(table.view()->model()->index(2, RosterTable::FirstRating));
    settle(&table);
    if (!messages.quiet())
        return messages.failure(state.keyFilePath());
    return picture(&table);
}

Result<QImage> templateWindow(const QString &folder)
{
    const MessageCatcher messages;
    // A skater template as a user might keep one: a tall, heavy checker whose
    // speed is left as each player has it. The goalie template keeps its
    // defaults but for his size.
    static const QList<std::pair<QString, int>> kSettings = {
        {QStringLiteral("StandardForward0"), 6},   {QStringLiteral("StandardForward1"), 2},
        {QStringLiteral("StandardForward2"), 215}, {QStringLiteral("StandardForward3"), 999},
        {QStringLiteral("StandardForward4"), 72},  {QStringLiteral("StandardForward5"), 68},
        {QStringLiteral("StandardForward6"), 76},  {QStringLiteral("StandardForward7"), 64},
        {QStringLiteral("StandardForward8"), 88},  {QStringLiteral("StandardForward9"), 33},
        {QStringLiteral("StandardForward10"), 80}, {QStringLiteral("StandardForward11"), 84},
        {QStringLiteral("StandardForward12"), 92}, {QStringLiteral("StandardForward13"), 64},
        {QStringLiteral("StandardForward14"), 60}, {QStringLiteral("StandardForward15"), 56},
        {QStringLiteral("StandardForward16"), 66}, {QStringLiteral("StandardGoalie0"), 6},
        {QStringLiteral("StandardGoalie1"), 0},    {QStringLiteral("StandardGoalie2"), 190},
    };
    ProfileFile settings(QDir(folder).filePath(QStringLiteral("PUCKDEX.INI")));
    for (const auto &[key, value] : kSettings) {
        if (!settings.writeString(u"Puckdex", key, QString::number(value)))
            return FileError{settings.path(), settings.errorString()};
    }
    TemplateWindow window(settings.path());
    window.show();
    settle(&window);
    if (!messages.quiet())
        return messages.failure(settings.path());
    return picture(&window);
}

Result<QImage> picturePrompt()
{
    const MessageCatcher messages;
    const Sample::RosterImage roster = Sample::buildRoster();
    const auto skater = std::find_if(
        roster.players.cbegin(), roster.players.cend(), [](const Sample::SamplePlayer &player) {
            return !player.record.isGoalie() && player.record.teamNumber() < Sample::kTeamCount;
        });
    if (skater == roster.players.cend())
        return FileError{QString(), QStringLiteral("the sample roster has no skater")};
    const QString oldName = skater->firstName + QLatin1Char(' ') + skater->lastName;
    const QString newName = skater->firstName + QStringLiteral(" Lindqvist");
    PicturePrompt prompt(picturePromptText(oldName, newName));
    prompt.show();
    settle(&prompt);
    if (!messages.quiet())
        return messages.failure(QString());
    return picture(&prompt);
}

Status renderAll(const QString &outDir, const std::function<void(const QString &)> &written)
{
    if (!QDir().mkpath(outDir))
        return FileError{outDir, QStringLiteral("the folder could not be made")};
    QTemporaryDir temp(QDir(QDir::tempPath()).filePath(QStringLiteral("puckdex-render-XXXXXX")));
    if (!temp.isValid())
        return FileError{temp.path(), temp.errorString()};
    const QString gameFolder = temp.filePath(GameFolderName);
    if (Status sample = writeSample(gameFolder); !sample)
        return sample;

    struct Step
    {
        QString file;
        std::function<Result<QImage>()> draw;
    };
    const QList<Step> steps = {
        {MainWindowFile, [&] { return mainWindow(gameFolder, Shown::Skater); }},
        {MainWindowGoalieFile, [&] { return mainWindow(gameFolder, Shown::Goalie); }},
        {GameFolderFile, [&] { return gameFolderWindow(gameFolder); }},
        {SavedGameFile, [&] { return savedGameWindow(gameFolder); }},
        {AboutFile, [] { return aboutWindow(); }},
        {TemplateWindowFile, [&] { return templateWindow(temp.path()); }},
        {PicturePromptFile, [] { return picturePrompt(); }},
        {RosterTableFile, [&] { return rosterTable(gameFolder); }},
    };
    for (const Step &step : steps) {
        const QString path = QDir(outDir).filePath(step.file);
        const Result<QImage> image = step.draw();
        if (!image)
            return image.error();
        if (image->isNull())
            return FileError{path, QStringLiteral("the window drew nothing")};
        if (!image->save(path, "PNG"))
            return FileError{path, QStringLiteral("could not be written as PNG")};
        if (written)
            written(path);
    }
    return {};
}

} // namespace Puckdex::Render
