#include "startup/startup.h"

#include "dialogs/gamefolderwindow.h"
#include "widgets/messagebox.h"
#include "dialogs/savedgamewindow.h"
#include "widgets/windowsetup.h"
#include "editor/mainwindow.h"
#include "history/playerwrites.h"
#include "history/filelocks.h"
#include "history/takeover.h"
#include "files/fileset.h"
#include "files/gamefiles.h"
#include "player/playeredit.h"
#include "editor/programstate.h"
#include "puckdexversion.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace Puckdex {

namespace {

// The longest game folder the settings file holds (see ProfileFile).
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
    m_state.pictures = PictureChoice::AlwaysAsk;
    ReadSettings();

    if (m_instance.anotherIsRunning())
        return nullptr;

    // Back to the folder window for as long as the chosen folder turns out
    // not to hold a usable file set.
    for (;;) {
        {
            GameFolderWindow folderWindow(m_state.GamePath,
                                          m_state.backupsChosen
                                              ? std::optional<bool>(m_state.BackupsWanted)
                                              : std::nullopt);
            m_front = &folderWindow;
            folderWindow.exec();
            if (folderWindow.programEnded())
                return nullptr;
            m_state.BackupsWanted = folderWindow.backupsWanted();
            m_state.backupsChosen = true;
            if (const std::optional<QString> tried = folderWindow.triedFolder())
                m_state.GamePath = *tried;
            if (folderWindow.result() != QDialog::Accepted)
                continue;
            m_state.files = folderWindow.chosenFiles();
        }
        WriteSetting(GamePathKey, m_state.GamePath);

        switch (ChooseFileSet(nullptr)) {
        case FileSetChoice::Ended:
            return nullptr;
        case FileSetChoice::Missing:
            // What the files lack, then which ones.
            MessageBox::show(nullptr,
                             m_missing.isEmpty() ? MissingFilesMessage
                                                 : MissingFilesMessage + QStringLiteral("\n\n")
                                                       + m_missing,
                             MessageStyle::Warning);
            m_missing.clear();
            continue;
        case FileSetChoice::Chosen:
            break;
        }

        // A restore by puckdex-cli waits while the window has the folder
        // open. Without the lock (its folder cannot be made) the roster is
        // still edited.
        const auto claim = claimFolder(QFileInfo(m_settings.path()).absolutePath(),
                                       m_state.files.folder);
        m_folderClaim = claim ? *claim : nullptr;
        setBackInterrupted();
        // What older runs kept of this roster under another spelling of the
        // folder becomes its own; when it cannot be now, nothing is lost.
        const Status taken =
            takeOverOlderHistories(QFileInfo(m_settings.path()).absolutePath(), m_state.files);
        if (m_state.BackupsWanted && !makeBackupCopies(nullptr))
            return nullptr;
        if (!taken) {
            m_backupNotice = QStringLiteral("The undo history and backups kept under another "
                                            "spelling of this folder were not taken over this "
                                            "time: %1")
                                 .arg(taken.error().fullMessage());
        }

        auto window = std::make_unique<MainWindow>(m_state, m_settings.path());
        if (!LoadTeamList(m_state, *window))
            continue;
        // The caption names a saved game being edited; the base rosters
        // keep the program's name alone.
        if (!m_savedGameName.isEmpty())
            window->setWindowTitle(window->windowTitle() + QStringLiteral(" - ") + m_savedGameName);
        if (!m_backupNotice.isEmpty())
            window->showNotice(m_backupNotice);
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
    m_savedGameName.clear();
    const FileSet &offered = m_state.files;
    const bool baseOffered = offered.kind == FileSetKind::BaseRosters;
    // The folder window found the base rosters whole, and no saved game
    // beside them.
    if (baseOffered && offered.indexFile.isEmpty())
        return FileSetChoice::Chosen;

    const QString folder = offered.folder;
    const Result<SavedGameIndex> index = GameFolder::savedGames(folder);
    const QList<SeasonIndexEntry> games = index ? index->games : QList<SeasonIndexEntry>();
    std::optional<int> game;
    if (!games.isEmpty())
        game = games.first().gameNumber();
    else if (!baseOffered)
        return FileSetChoice::Missing;

    // Without the base rosters, an index none of whose games is whole has
    // nothing to offer: what each lacks is said instead.
    QStringList gaps;
    for (const SeasonIndexEntry &entry : games)
        gaps.append(GameFolder::savedGameGaps(folder, entry.gameNumber()));
    if (!baseOffered && !gaps.isEmpty()
        && std::none_of(gaps.cbegin(), gaps.cend(), [](const QString &g) { return g.isEmpty(); })) {
        QStringList said;
        for (qsizetype i = 0; i < games.size(); ++i)
            said.append(QStringLiteral("saved game %1: %2").arg(games[i].gameNumber()).arg(gaps[i]));
        m_missing = said.join(QLatin1Char('\n'));
        return FileSetChoice::Missing;
    }

    // A single saved game is taken without asking, unless the base rosters
    // lie beside it.
    if (baseOffered ? !games.isEmpty() : games.size() > 1) {
        SavedGameWindow savedGames(parent);
        if (baseOffered)
            savedGames.offerBaseRosters();
        for (qsizetype i = 0; i < games.size(); ++i)
            savedGames.addGame(games[i].description(), games[i].gameNumber(), gaps[i]);
        m_front = &savedGames;
        savedGames.exec();
        if (savedGames.programEnded() || savedGames.result() != QDialog::Accepted)
            return FileSetChoice::Ended;
        game = savedGames.chosenGame();
    }

    // The index may list a game whose files are not (or no longer) there.
    Result<FileSet> files = findFileSet(folder, game);
    if (!files) {
        m_missing = files.error().reason;
        return FileSetChoice::Missing;
    }
    m_state.files = std::move(files).value();
    if (game) {
        const auto entry = std::find_if(games.begin(), games.end(), [&](const SeasonIndexEntry &e) {
            return e.gameNumber() == *game;
        });
        if (entry != games.end())
            m_savedGameName = savedGameName(entry->description(), *game);
    }
    return FileSetChoice::Chosen;
}

void Startup::setBackInterrupted()
{
    const auto recovered =
        PlayerWrites(QFileInfo(m_settings.path()).absolutePath(), m_state.files).recover();
    if (!recovered) {
        MessageBox::show(nullptr,
                         QStringLiteral("An action that was interrupted could not be set back:\n"
                                        "%1\n\nCheck the roster with \"puckdex-cli check\" "
                                        "before you edit it.")
                             .arg(recovered.error().fullMessage()),
                         MessageStyle::Warning);
    } else if (*recovered) {
        MessageBox::show(nullptr, (*recovered)->text(), MessageStyle::Warning);
    }
}

bool Startup::makeBackupCopies(QWidget *parent)
{
    m_backupNotice.clear();
    const Result<BackupOutcome, BackupFailure> made =
        PlayerWrites(QFileInfo(m_settings.path()).absolutePath(), m_state.files).makeBackups();
    if (made) {
        if (made->keptGeneration) {
            m_backupNotice = QStringLiteral("The older backups were kept as generation %1; "
                                            "\"puckdex-cli backups\" lists them.")
                                 .arg(*made->keptGeneration);
        }
        if (made->firstNotKept) {
            m_backupNotice = QStringLiteral("The backups were made, but could not be kept in "
                                            "the backup history: %1")
                                 .arg(made->firstNotKept->fullMessage());
        }
        return true;
    }
    const BackupFailure &failure = made.error();
    // The backups there are the only copy of the roster as it was: they
    // stay, and the run goes on with them.
    if (failure.historyFailed) {
        MessageBox::show(parent,
                         QStringLiteral("The older backups could not be kept:\n%1\n\nThey "
                                        "were left as they are, and no new backups were made.")
                             .arg(failure.error.fullMessage()),
                         MessageStyle::Warning);
        return true;
    }
    const QString question = QStringLiteral("The backup copy of %1 could not be made:\n%2\n\n"
                                            "Do you want to go on without backups ?")
                                 .arg(failure.name, failure.error.fullMessage());
    return MessageBox::show(parent, question, MessageStyle::QuestionNoDefault) ==
           MessageAnswer::Yes;
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
    // A cut-short attribute file is said once, as the roster opens, rather
    // than only player by player.
    const Result<int> without = PlayerEdit::playersWithoutRatings(
        state.keyFilePath(), state.attFilePath(), int(teams->size()));
    if (without && *without > 0) {
        MessageBox::show(nullptr,
                         QStringLiteral("%1 ends before the ratings of %2 %3: they are listed, "
                                        "but cannot be shown or changed. Every other player "
                                        "can be edited; \"puckdex-cli check\" lists them.")
                             .arg(QDir::toNativeSeparators(state.attFilePath()))
                             .arg(*without)
                             .arg(*without == 1 ? QStringLiteral("player")
                                                : QStringLiteral("players")),
                         MessageStyle::Warning);
    }
    return true;
}

} // namespace Puckdex
