#include "dialogs/gamefolderwindow.h"

#include "ui_gamefolderwindow.h"

#include "dialogs/messagebox.h"
#include "dialogs/windowsetup.h"
#include "gamedb/fileset.h"
#include "gamedb/gamefiles.h"
#include "startup/programstate.h"

#include <QAbstractFileIconProvider>
#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTimer>

namespace Puckdex {

namespace {

// A saved game is only worth opening when its index lists one.
bool listsASavedGame(const QString &folder)
{
    const QString index = GameFolder::findFirstMatch(folder, FileNames::IndexPattern);
    if (index.isEmpty())
        return false;
    const Result<QList<SeasonIndexEntry>> games =
        GameFiles::listSavedGames(QDir(folder).filePath(index));
    return games.ok() && !games->isEmpty();
}

// The icons of the theme for folders and drives, as the stock provider gives
// them, but without its MIME database: the stock provider looks up the MIME
// type of every folder it lists, and loading that database cost more than the
// rest of the start-up together. The list holds folders and drives only.
class FolderIcons : public QAbstractFileIconProvider
{
public:
    QIcon icon(IconType type) const override
    {
        switch (type) {
        case Computer:
            return QIcon::fromTheme(QStringLiteral("computer"));
        case Drive:
            return m_drive;
        case Network:
            return QIcon::fromTheme(QStringLiteral("network-workgroup"));
        default:
            return m_folder;
        }
    }
    QIcon icon(const QFileInfo &info) const override { return info.isRoot() ? m_drive : m_folder; }
    QString type(const QFileInfo &info) const override
    {
        return info.isRoot() ? QStringLiteral("Drive") : QStringLiteral("Folder");
    }

private:
    const QIcon m_folder = QIcon::fromTheme(QStringLiteral("folder"));
    const QIcon m_drive = QIcon::fromTheme(QStringLiteral("drive-harddisk"));
};

} // namespace

GameFolderWindow::GameFolderWindow(ProgramState &state, QWidget *parent)
    : StartupDialog(parent), m_state(state), m_ui(std::make_unique<Ui::GameFolderWindow>())
{
    m_ui->setupUi(this);
    setFixedDialogFrame(this);

    m_icons = std::make_unique<FolderIcons>();
    m_folders.setIconProvider(m_icons.get());
    // The list shows the folders as they were when it read them, as a folder
    // list of the game's day did; watching them would cost each start the
    // setting up and the (slow) closing of a file-system watch.
    m_folders.setOption(QFileSystemModel::DontWatchForChanges);
    m_folders.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_folders.setRootPath(QString());
    QTreeView *tree = m_ui->dirFileLocationDirectory;
    tree->setModel(&m_folders);
    for (int column = 1; column < m_folders.columnCount(); ++column)
        tree->hideColumn(column);
    fillDriveList();
    // The model lists folders as it reads them, which moves the current one
    // down; keep it in view until the user takes over the list.
    m_keepInView.setSingleShot(true);
    m_keepInView.setInterval(0);
    connect(&m_keepInView, &QTimer::timeout, this, [this, tree] {
        if (m_followCurrent && tree->currentIndex().isValid())
            tree->scrollTo(tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
    const auto keepInView = [this] {
        if (m_followCurrent)
            m_keepInView.start();
    };
    connect(&m_folders, &QFileSystemModel::rowsInserted, this, keepInView);
    connect(&m_folders, &QFileSystemModel::layoutChanged, this, keepInView);
    connect(&m_folders, &QFileSystemModel::directoryLoaded, this, keepInView);
    tree->viewport()->installEventFilter(this);
    tree->installEventFilter(this);

    connect(m_ui->cmdOK, &QPushButton::clicked, this, &GameFolderWindow::checkFolder);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &GameFolderWindow::askExit);
    connect(m_ui->drvFileLocationDrive, &QComboBox::currentIndexChanged, this,
            &GameFolderWindow::driveChosen);

    centreOnScreen(this);
    // A first start, or a folder that is gone: open on the user's home.
    const QString stored = QDir::fromNativeSeparators(m_state.GamePath);
    setFolder(!stored.isEmpty() && QDir(stored).exists() ? stored : QDir::homePath());
    tree->setFocus();
}

GameFolderWindow::~GameFolderWindow() = default;

QString GameFolderWindow::currentFolder() const
{
    const QModelIndex current = m_ui->dirFileLocationDirectory->currentIndex();
    return current.isValid() ? m_folders.filePath(current) : QString();
}

bool GameFolderWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        m_followCurrent = false;
        break;
    default:
        break;
    }
    return StartupDialog::eventFilter(watched, event);
}

void GameFolderWindow::setFolder(const QString &folder)
{
    m_followCurrent = true;
    m_keepInView.start();
    QTreeView *tree = m_ui->dirFileLocationDirectory;
    const QModelIndex index = m_folders.index(QDir(folder).absolutePath());
    tree->setCurrentIndex(index);
    tree->expand(index);
    tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    selectDriveOf(folder);
}

void GameFolderWindow::done(int result)
{
    m_state.BackupsWanted = m_ui->chkBackupsRequired->isChecked();
    StartupDialog::done(result);
}

void GameFolderWindow::focusAfterNo()
{
    m_ui->dirFileLocationDirectory->setFocus();
}

void GameFolderWindow::checkFolder()
{
    const QString folder = currentFolder();
    m_state.GamePath = QDir::toNativeSeparators(folder);

    const FileSetKind kind = folder.isEmpty() ? FileSetKind::None : GameFolder::detect(folder);
    if (kind == FileSetKind::BaseRosters) {
        m_state.TeamFileName = FileNames::BaseTeams;
        m_state.KeyFileName = FileNames::Key;
        m_state.AttFileName = FileNames::Att;
        m_state.IndexFileName = QStringLiteral("NONE");
        accept();
        return;
    }
    if (kind == FileSetKind::SavedGame && listsASavedGame(folder)) {
        m_state.TeamFileName = FileNames::SavedTeams;
        m_state.KeyFileName = FileNames::Key;
        m_state.AttFileName = FileNames::Att;
        m_state.IndexFileName.clear(); // the saved-game choice names it
        accept();
        return;
    }
    MessageBox::show(this, MissingFilesMessage, MessageStyle::Exclamation);
    m_ui->dirFileLocationDirectory->setFocus();
}

void GameFolderWindow::fillDriveList()
{
    QStringList roots;
    for (const QFileInfo &drive : QDir::drives())
        roots.append(drive.absoluteFilePath());
    roots.append(QDir::homePath());
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && QFileInfo(volume.rootPath()).isDir())
            roots.append(volume.rootPath());
    }
    roots.removeDuplicates();
    QComboBox *drives = m_ui->drvFileLocationDrive;
    const QSignalBlocker blocker(drives);
    for (const QString &root : std::as_const(roots))
        drives->addItem(QDir::toNativeSeparators(root), root);
}

void GameFolderWindow::selectDriveOf(const QString &folder)
{
    // The drive whose root is the longest start of the folder's path.
    QComboBox *drives = m_ui->drvFileLocationDrive;
    const QString path = QDir(folder).absolutePath() + QLatin1Char('/');
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < drives->count(); ++i) {
        QString root = drives->itemData(i).toString();
        if (!root.endsWith(QLatin1Char('/')))
            root += QLatin1Char('/');
        if (path.startsWith(root, Qt::CaseInsensitive) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker blocker(drives);
    drives->setCurrentIndex(best);
    m_driveIndex = best;
}

void GameFolderWindow::driveChosen(int index)
{
    QComboBox *drives = m_ui->drvFileLocationDrive;
    const QString root = drives->itemData(index).toString();
    const QStorageInfo volume(root);
    if (!QDir(root).exists() || !volume.isReady()) {
        MessageBox::show(this,
                         QStringLiteral("The drive %1 is not ready.")
                             .arg(QDir::toNativeSeparators(root)),
                         MessageStyle::Exclamation);
        const QSignalBlocker blocker(drives);
        drives->setCurrentIndex(m_driveIndex);
        return;
    }
    m_driveIndex = index;
    m_followCurrent = true;
    m_keepInView.start();
    QTreeView *tree = m_ui->dirFileLocationDirectory;
    const QModelIndex rootIndex = m_folders.index(root);
    tree->setCurrentIndex(rootIndex);
    tree->expand(rootIndex);
    tree->scrollTo(rootIndex);
}

} // namespace Puckdex
