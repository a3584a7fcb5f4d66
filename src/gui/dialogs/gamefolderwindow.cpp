#include "dialogs/gamefolderwindow.h"

#include "ui_gamefolderwindow.h"

#include "widgets/fieldfocus.h"
#include "widgets/messagebox.h"
#include "widgets/systemshell.h"
#include "widgets/windowsetup.h"
#include "files/fileset.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStandardItem>
#include <QStyle>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTimer>

namespace Puckdex {

namespace {

constexpr int kPathRole = Qt::UserRole;

// What the list shows for a folder: its own name, or the whole root ("/",
// "C:\\").
QString shownName(const QString &path)
{
    const QFileInfo info(path);
    return info.isRoot() ? QDir::toNativeSeparators(path) : info.fileName();
}

QStandardItem *folderItem(const QIcon &icon, const QString &path)
{
    auto *item = new QStandardItem(icon, shownName(path));
    item->setData(path, kPathRole);
    item->setToolTip(QDir::toNativeSeparators(path));
    item->setEditable(false);
    return item;
}

} // namespace

GameFolderWindow::GameFolderWindow(const QString &storedFolder, std::optional<bool> backupsChoice,
                                   QWidget *parent)
    : StartupDialog(parent), m_ui(std::make_unique<Ui::GameFolderWindow>())
{
    m_ui->setupUi(this);
    // As designed at the least; larger, the folder list takes the room.
    setGrowingDialogFrame(this, m_ui->dirFileLocationDirectory);
    actLikeClicks(this);

    // A folder list of the classic kind: the folders on the way down to
    // the open one, each a little further in, then the open folder's own
    // folders (hidden ones too: a game under ~/.wine must be reachable).
    // A double-click opens a folder, and so do Enter and Right on a folder
    // other than the open one; Left and Backspace open the one above.
    QTreeView *tree = m_ui->dirFileLocationDirectory;
    tree->setModel(&m_folders);
    tree->setIndentation(6);
    tree->setRootIsDecorated(false);
    tree->setItemsExpandable(false);
    tree->setExpandsOnDoubleClick(false);
    tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(tree, &QTreeView::doubleClicked, this, [this](const QModelIndex &index) {
        // Once the view is done with the click: the list is built anew.
        const QString folder = index.data(kPathRole).toString();
        QTimer::singleShot(0, this, [this, folder] { setFolder(folder); });
    });
    fillDriveList();
    tree->installEventFilter(this);

    connect(m_ui->cmdOK, &QPushButton::clicked, this, &GameFolderWindow::checkFolder);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &GameFolderWindow::askExit);
    connect(m_ui->cmdBrowse, &QPushButton::clicked, this, &GameFolderWindow::browse);
    connect(m_ui->drvFileLocationDrive, &QComboBox::currentIndexChanged, this,
            &GameFolderWindow::driveChosen);

    // Back here in the same run (the chosen saved game had no files): the
    // user's backups choice stands.
    if (backupsChoice)
        m_ui->chkBackupsRequired->setChecked(*backupsChoice);

    centreOnScreen(this);
    // A first start, or a folder that is gone: open on the user's home.
    const QString stored = QDir::fromNativeSeparators(storedFolder);
    setFolder(!stored.isEmpty() && QDir(stored).exists() ? stored : QDir::homePath());
    tree->setFocus();
}

GameFolderWindow::~GameFolderWindow() = default;

QString GameFolderWindow::currentFolder() const
{
    const QModelIndex current = m_ui->dirFileLocationDirectory->currentIndex();
    return current.isValid() ? current.data(kPathRole).toString() : m_openFolder;
}

bool GameFolderWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_ui->dirFileLocationDirectory)
        return StartupDialog::eventFilter(watched, event);
    // The open folder's name stays in view as the list gets the focus or
    // changes size.
    if (event->type() == QEvent::Show || event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, &GameFolderWindow::keepOpenFolderInView);
    if (event->type() == QEvent::KeyPress && folderKey(static_cast<QKeyEvent *>(event)))
        return true;
    return StartupDialog::eventFilter(watched, event);
}

bool GameFolderWindow::folderKey(const QKeyEvent *key)
{
    // The keypad's Enter comes with the keypad modifier; any other modifier
    // leaves the key to the list.
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Right: {
        // Enter on the open folder itself goes on to the OK button; Right
        // there moves down into its folders, as in any folder tree.
        const QString highlighted = currentFolder();
        if (highlighted == m_openFolder)
            return false;
        openByKey(highlighted);
        return true;
    }
    case Qt::Key_Left:
    case Qt::Key_Backspace: {
        QDir up(m_openFolder);
        if (up.cdUp())
            openByKey(up.absolutePath());
        return true;
    }
    default:
        return false;
    }
}

void GameFolderWindow::openByKey(const QString &folder)
{
    // The name typed to find this folder is done with: typing on finds a
    // folder inside it from its first letter.
    m_ui->dirFileLocationDirectory->keyboardSearch(QString());
    setFolder(folder);
}

void GameFolderWindow::setFolder(const QString &folder)
{
    m_openFolder = QDir::cleanPath(QDir(folder).absolutePath());
    m_folders.clear();
    // The list's header is hidden and its one column as wide as the names:
    // a header size of nothing leaves the width to the names and the
    // header's least width, as before, without the header measuring its
    // caption in bold (a font of its own to load, for a header never shown).
    auto *header = new QStandardItem;
    header->setData(QSize(0, 0), Qt::SizeHintRole);
    m_folders.setHorizontalHeaderItem(0, header);

    QStringList chain;
    for (QDir up(m_openFolder);;) {
        chain.prepend(up.absolutePath());
        if (up.isRoot() || !up.cdUp())
            break;
    }
    const QIcon openIcon = QIcon::fromTheme(QStringLiteral("folder-open"),
                                            style()->standardIcon(QStyle::SP_DirOpenIcon));
    const QIcon closedIcon = QIcon::fromTheme(QStringLiteral("folder"),
                                              style()->standardIcon(QStyle::SP_DirClosedIcon));
    QStandardItem *parent = m_folders.invisibleRootItem();
    for (const QString &path : std::as_const(chain)) {
        QStandardItem *item = folderItem(openIcon, path);
        parent->appendRow(item);
        parent = item;
    }
    QStandardItem *open = parent;
    const QFileInfoList subfolders = QDir(m_openFolder).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &sub : subfolders)
        open->appendRow(folderItem(closedIcon, sub.absoluteFilePath()));

    QTreeView *tree = m_ui->dirFileLocationDirectory;
    tree->expandAll();
    tree->setCurrentIndex(open->index());
    keepOpenFolderInView();
    selectDriveOf(m_openFolder);
}

void GameFolderWindow::keepOpenFolderInView()
{
    QTreeView *tree = m_ui->dirFileLocationDirectory;
    const QModelIndex open = tree->currentIndex();
    if (!open.isValid())
        return;
    tree->scrollTo(open, QAbstractItemView::PositionAtCenter);
    // Deep down the names start far to the right: scroll so that the
    // current folder's icon and name start at the left edge.
    QScrollBar *across = tree->horizontalScrollBar();
    const QRect shown = tree->visualRect(open);
    across->setValue(across->value() + shown.left() - 2);
}

void GameFolderWindow::browse()
{
    // The system's own folder dialog, for those who know it better than the
    // list; the folder chosen there is opened in the list, where Enter then
    // runs OK.
    const QString chosen = SystemShell::chooseFolder(
        this, QStringLiteral("Choose the folder of NHL 96's data files"), currentFolder());
    if (!chosen.isEmpty())
        setFolder(chosen);
    m_ui->dirFileLocationDirectory->setFocus();
}

bool GameFolderWindow::backupsWanted() const
{
    return m_ui->chkBackupsRequired->isChecked();
}

void GameFolderWindow::focusAfterNo()
{
    m_ui->dirFileLocationDirectory->setFocus();
}

void GameFolderWindow::checkFolder()
{
    const QString folder = currentFolder();
    m_triedFolder = QDir::toNativeSeparators(folder);

    // A saved game's number is chosen afterwards (Startup::ChooseFileSet).
    const FileSet offered = folder.isEmpty() ? FileSet() : GameFolder::check(folder);
    if (offered.kind != FileSetKind::None) {
        m_chosenFiles = offered;
        accept();
        return;
    }
    MessageBox::show(this, MissingFilesMessage, MessageStyle::Warning);
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
                         MessageStyle::Warning);
        const QSignalBlocker blocker(drives);
        drives->setCurrentIndex(m_driveIndex);
        return;
    }
    m_driveIndex = index;
    setFolder(root);
}

} // namespace Puckdex
