#include "startup/startup.h"

#include "dialogs/gamefolderwindow.h"
#include "dialogs/messagebox.h"
#include "dialogs/savedgamewindow.h"
#include "dialogs/windowsetup.h"
#include "editor/mainwindow.h"
#include "gamedb/fileset.h"
#include "gamedb/gamefiles.h"
#include "startup/programstate.h"
#include "puckdexversion.h"


#include <QDir>

namespace Puckdex {

namespace {

// The original read the folder into a 128-byte buffer.
constexpr qsizetype kGamePathLimit = ProfileFile::LegacyValueLimit;

} // namespace

Startup::Startup(ProgramState &state, const QString &settingsPath, const QString &instanceKey,
                 QObject *parent)
    : QObject(parent), m_state(state), m_settings(settingsPath), m_instance(instanceKey)
{
    connect(&m_instance, &SingleInstance::activationRequested, this,
            [this] { bringToFront(m_front); });
}

Startup::~Startup() = default;

std::unique_ptr<MainWindow> Startup::run()
{
    m_state.VersionText = versionText();
    m_state.AlwaysAsk = true;
    ReadSettings();

    if (m_instance.anotherIsRunning())
        return nullptr;

    // Back to the folder window for as long as the chosen folder turns out
    // not to hold a usable file set.
    for (;;) {
        {
            GameFolderWindow folderWindow(m_state);
            m_front = &folderWindow;
            folderWindow.exec();
            if (folderWindow.programEnded())
                return nullptr;
            if (folderWindow.result() != QDialog::Accepted)
                continue;
        }
        WriteSetting(GamePathKey, m_state.GamePath);

        switch (ChooseFileSet(nullptr)) {
        case FileSetChoice::Ended:
            return nullptr;
        case FileSetChoice::Missing:
            MessageBox::show(nullptr, MissingFilesMessage, MessageStyle::Warning);
            continue;
        case FileSetChoice::Chosen:
            break;
        }

        if (m_state.BackupsWanted && !MakeBackups(nullptr))
            return nullptr;

        auto window = std::make_unique<MainWindow>(m_state, m_settings.path());
        if (!LoadTeamList(m_state, *window))
            continue;
        m_front = window.get();
        return window;
    }
}

void Startup::ReadSettings()
{
    m_state.GamePath = m_settings.readString(SettingsSection, GamePathKey, QString(),
                                             kGamePathLimit);
}

void Startup::WriteSetting(const QString &key, const QString &value)
{
    // Not remembering the folder costs the user one choice at the next
    // start; he is told, and the run goes on.
    if (!m_settings.writeString(SettingsSection, key, value)) {
        MessageBox::show(nullptr,
                         QStringLiteral("The game folder could not be remembered for the next "
                                        "start:\n%1")
                             .arg(m_settings.errorString()),
                         MessageStyle::Warning);
    }
}

Startup::FileSetChoice Startup::ChooseFileSet(QWidget *parent)
{
    const QString folder = QDir::fromNativeSeparators(m_state.GamePath);
    if (m_state.IndexFileName == QLatin1String("NONE")) {
        m_state.FilePrefix.clear();
        return FileSetChoice::Chosen;
    }

    m_state.IndexFileName = GameFolder::findFirstMatch(folder, FileNames::IndexPattern);
    if (m_state.IndexFileName.isEmpty())
        return FileSetChoice::Missing;
    const Result<QList<SeasonIndexEntry>> games =
        GameFiles::listSavedGames(QDir(folder).filePath(m_state.IndexFileName));
    if (!games || games->isEmpty())
        return FileSetChoice::Missing;

    if (games->size() == 1) {
        m_state.FilePrefix = savedGamePrefix(games->first().gameNumber());
    } else {
        SavedGameWindow savedGames(parent);
        for (const SeasonIndexEntry &game : *games)
            savedGames.addGame(game.description(), game.gameNumber());
        m_front = &savedGames;
        savedGames.exec();
        if (savedGames.programEnded() || savedGames.result() != QDialog::Accepted)
            return FileSetChoice::Ended;
        m_state.FilePrefix = savedGames.chosenPrefix();
    }

    // The index may list a game whose files are not (or no longer) there.
    for (const QString &name : {m_state.TeamFileName, m_state.KeyFileName, m_state.AttFileName}) {
        if (GameFolder::findFile(folder, m_state.FilePrefix + name).isEmpty())
            return FileSetChoice::Missing;
    }
    return FileSetChoice::Chosen;
}

bool Startup::MakeBackups(QWidget *parent)
{
    for (const QString &name : {m_state.TeamFileName, m_state.KeyFileName, m_state.AttFileName}) {
        const Status copied = GameFiles::copyToBackup(m_state.gameFile(name));
        if (copied)
            continue;
        const QString question =
            QStringLiteral("The backup copy of %1 could not be made:\n%2\n\n"
                           "Do you want to go on without backups ?")
                .arg(m_state.FilePrefix + name, copied.error().fullMessage());
        const MessageAnswer answer = MessageBox::show(parent, question,
                                            MessageStyle::QuestionNoDefault);
        return answer == MessageAnswer::Yes;
    }
    return true;
}

bool LoadTeamList(const ProgramState &state, MainWindow &window)
{
    const Result<QList<TeamRecord>> teams = GameFiles::listTeams(state.teamFilePath());
    if (!teams) {
        MessageBox::show(nullptr,
                         QStringLiteral("The teams could not be read:\n%1")
                             .arg(teams.error().fullMessage()),
                         MessageStyle::Warning);
        return false;
    }
    window.setTeams(*teams);
    return true;
}

} // namespace Puckdex
