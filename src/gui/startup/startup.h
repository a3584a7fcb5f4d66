#pragma once

#include "settings/profilefile.h"
#include "startup/singleinstance.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QWidget;

namespace Puckdex {

class FileLock;
class MainWindow;
struct ProgramState;

// The program's start: settings, the single-instance check, the game-folder
// window, the choice of file set, the backup copies and the team list, up to
// the main window that the caller shows.
class Startup : public QObject
{
    Q_OBJECT

public:
    Startup(ProgramState &state, const QString &settingsPath, const QString &instanceKey,
            QObject *parent = nullptr);
    ~Startup() override;

    // The filled main window, not yet shown; null when the program is to end
    // (the user chose to exit, or another instance runs).
    std::unique_ptr<MainWindow> run();

    // The game folder from the settings file into GamePath.
    void ReadSettings();
    // Stores a value in the program's section of the settings file. A failed
    // write is not reported; the settings file is never left half written.
    void WriteSetting(const QString &key, const QString &value);

    enum class FileSetChoice { Chosen, Missing, Ended };
    // Completes the file set the folder window found: the base rosters as
    // they are, otherwise the saved game the index lists (the only one, or
    // the one the user picks), when its files are there. Base rosters with
    // saved games beside them: the user picks one of them, the base rosters
    // offered first.
    FileSetChoice ChooseFileSet(QWidget *parent);

    // Copies the three game files to their backup names, the backups they
    // replace kept in the history when they differ. False when a copy
    // failed and the user chose to end rather than go on without backups.
    // Sets back an action a killed writer left unfinished, and says so.
    void setBackInterrupted();
    bool makeBackupCopies(QWidget *parent);

    static inline const QString GamePathKey = QStringLiteral("NHL96Path");

private:
    ProgramState &m_state;
    ProfileFile m_settings;
    SingleInstance m_instance;
    QPointer<QWidget> m_front; // the window a later start brings to the front
    // The saved game chosen, as the main window's caption names it; empty
    // for the base rosters.
    QString m_savedGameName;
    // What ChooseFileSet found missing, for the message that says so.
    QString m_missing;
    QString m_backupNotice; // for the main window's status line
    std::shared_ptr<FileLock> m_folderClaim; // while the window has the folder open
};

// Fills the main window's team list from the team file, sorted by city, each
// entry holding its team's number; false, after telling the user, when the
// file cannot be read.
bool LoadTeamList(const ProgramState &state, MainWindow &window);

} // namespace Puckdex
