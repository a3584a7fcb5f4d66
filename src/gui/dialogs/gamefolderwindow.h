#pragma once

#include "dialogs/startupdialog.h"

#include <QStandardItemModel>

class QKeyEvent;

#include <memory>

namespace Ui {
class GameFolderWindow;
}

namespace Puckdex {

struct ProgramState;

// "One or more files are missing from the" and " directory", as two lines.
inline const QString MissingFilesMessage =
    QStringLiteral("One or more files are missing from the\n\r directory");

// The first window of every run (frmGetFileLocation): the user picks the
// game's data folder and whether backups are made. OK accepts a folder that
// holds the base rosters or a saved game and records the file set it found.
class GameFolderWindow : public StartupDialog
{
    Q_OBJECT

public:
    explicit GameFolderWindow(ProgramState &state, QWidget *parent = nullptr);
    ~GameFolderWindow() override;

    // The folder the folder list shows as current, and moving it elsewhere.
    QString currentFolder() const;
    void setFolder(const QString &folder);
    // The folder whose folders the list shows.
    QString openFolder() const { return m_openFolder; }

    void done(int result) override;

protected:
    void focusAfterNo() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void checkFolder();
    void fillDriveList();
    void selectDriveOf(const QString &folder);
    void driveChosen(int index);
    void keepOpenFolderInView();
    // The folder list's keys that open folders; true when the key was used.
    bool folderKey(const QKeyEvent *key);
    void openByKey(const QString &folder);

    ProgramState &m_state;
    std::unique_ptr<Ui::GameFolderWindow> m_ui;
    QStandardItemModel m_folders;
    // The folder the list has open: the last of the folders on the way down.
    QString m_openFolder;
    int m_driveIndex = -1;
};

} // namespace Puckdex
