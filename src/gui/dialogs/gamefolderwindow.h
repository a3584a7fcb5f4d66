#pragma once

#include "dialogs/startupdialog.h"
#include "files/fileset.h"

#include <QStandardItemModel>

class QKeyEvent;

#include <memory>
#include <optional>

namespace Ui {
class GameFolderWindow;
}

namespace Puckdex {

// "One or more files are missing from the" and " directory", as two lines.
inline const QString MissingFilesMessage =
    QStringLiteral("One or more files are missing from the\n\r directory");

// The first window of every run: the user picks the
// game's data folder and whether backups are made. OK accepts a folder that
// holds the base rosters or a saved game; the window then tells the file set
// it found.
class GameFolderWindow : public StartupDialog
{
    Q_OBJECT

public:
    // Opens on storedFolder (native separators; the home folder when it is
    // empty or gone). backupsChoice is the user's choice from earlier in the
    // run, if any.
    GameFolderWindow(const QString &storedFolder, std::optional<bool> backupsChoice,
                     QWidget *parent = nullptr);
    ~GameFolderWindow() override;

    // The folder last tried with OK (native separators), whether it was
    // accepted or not; none before the first OK.
    std::optional<QString> triedFolder() const { return m_triedFolder; }
    // The file set of the accepted folder.
    const FileSet &chosenFiles() const { return m_chosenFiles; }
    bool backupsWanted() const;

    // The folder the folder list shows as current, and moving it elsewhere.
    QString currentFolder() const;
    void setFolder(const QString &folder);
    // The folder whose folders the list shows.
    QString openFolder() const { return m_openFolder; }

protected:
    void focusAfterNo() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void checkFolder();
    void browse();
    void fillDriveList();
    void selectDriveOf(const QString &folder);
    void driveChosen(int index);
    void keepOpenFolderInView();
    // The folder list's keys that open folders; true when the key was used.
    bool folderKey(const QKeyEvent *key);
    void openByKey(const QString &folder);

    std::unique_ptr<Ui::GameFolderWindow> m_ui;
    std::optional<QString> m_triedFolder;
    FileSet m_chosenFiles;
    QStandardItemModel m_folders;
    // The folder the list has open: the last of the folders on the way down.
    QString m_openFolder;
    int m_driveIndex = -1;
};

} // namespace Puckdex
