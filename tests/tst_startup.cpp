// Start-up: the settings file and the game folder it remembers, a second
// instance, the choice of a saved game and the backups. The game-folder
// window itself is in tst_folderwindow.

#include "testfiles.h"
#include "dialogs/gamefolderwindow.h"
#include "dialogs/savedgamewindow.h"
#include "editor/mainwindow.h"
#include "history/backuphistory.h"
#include "files/fileset.h"
#include "files/gamefiles.h"
#include "sampleroster.h"
#include "editor/programstate.h"
#include "startup/startup.h"

#include "controls.h"
#include "messagescript.h"
#include "modalhelper.h"
#include "startupfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>

using namespace Puckdex;

namespace {

// In the folder window: go to folder, then press OK.
void chooseFolder(const QString &folder)
{
    whenModalShown(QStringLiteral("frmGetFileLocation"), [folder](QWidget *w) {
        static_cast<GameFolderWindow *>(w)->setFolder(folder);
        click(w, "cmdOK");
    });
}

// A saved-game index listing the games, by number and description, in order.
QByteArray savedGameIndex(const QList<std::pair<int, QString>> &games)
{
    QByteArray bytes(GameFiles::IndexHeaderSize, 'h');
    for (const auto &[number, description] : games) {
        SeasonIndexEntry entry;
        entry.setGameNumberText(QString::number(number));
        entry.setDescription(description);
        bytes.append(reinterpret_cast<const char *>(entry.bytes().data()), SeasonIndexEntry::Size);
    }
    return bytes;
}

QStringList teamsShown(MainWindow &window)
{
    QStringList cities;
    for (int i = 0; i < control<QComboBox>(&window, "cboTeams")->count(); ++i)
        cities.append(control<QComboBox>(&window, "cboTeams")->itemText(i));
    return cities;
}

// "tst_startup --hold-instance KEY": a Puckdex already running in a process
// of its own (as a user's second start meets it; on Windows a pipe reaches
// no server in the asking process's own thread). It says "listening", and
// ends with status 0 when asked to come to the front, 1 after ten seconds.
int holdInstance(const QString &key)
{
    SingleInstance running(key);
    if (running.anotherIsRunning())
        return 2;
    QObject::connect(&running, &SingleInstance::activationRequested, qApp,
                     [] { QCoreApplication::exit(0); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
    QTextStream(stdout) << "listening" << Qt::endl;
    return QCoreApplication::exec();
}

struct RunningInstance
{
    QProcess process;
    explicit RunningInstance(const QString &key, const QProcessEnvironment &environment =
                                                     QProcessEnvironment::systemEnvironment())
    {
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--hold-instance"), key});
    }
    bool listening()
    {
        return process.waitForReadyRead(20000) && process.readAll().contains("listening");
    }
    bool askedToComeToTheFront()
    {
        return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit
               && process.exitCode() == 0;
    }
};

} // namespace

class TstStartup : public QObject, public StartupFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { writeRosters(); }
    void init() { nextSettingsFile(); }
    void cleanup() { closeWindows(); }

    void firstStartWithoutSettings()
    {
        MessageScript messages;
        QString openedOn;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            openedOn = static_cast<GameFolderWindow *>(w)->currentFolder();
            static_cast<GameFolderWindow *>(w)->setFolder(m_base);
            click(w, "cmdOK");
        });
        ProgramState state;
        const std::unique_ptr<MainWindow> window = runStartup(state);
        QVERIFY(window);
        QCOMPARE(openedOn, QDir::homePath());
        // The build's own width: " 64-bit" from a 64-bit build.
        QCOMPARE(state.VersionText, QStringLiteral(" v1.0 %1-bit").arg(QSysInfo::WordSize));
        QCOMPARE(window->windowTitle(), QStringLiteral("Puckdex"));
        QCOMPARE(state.files.kind, FileSetKind::BaseRosters);
        QCOMPARE(state.files.prefix, QString());
        QCOMPARE(state.teamFilePath(), m_base + "/teams.db");
        QCOMPARE(readFile(m_ini),
                 "[Puckdex]\r\nNHL96Path=" + QDir::toNativeSeparators(m_base).toUtf8() + "\r\n");
        QCOMPARE(messages.shown.size(), 0);

        // The team list: every team's city, alphabetical, each with its number.
        const Result<QList<TeamRecord>> teams = GameFiles::listTeams(m_base + "/teams.db");
        QVERIFY(teams.ok());
        QStringList cities;
        for (const TeamRecord &team : *teams)
            cities.append(team.city());
        QStringList sorted = cities;
        std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        QVERIFY(sorted != cities);
        QCOMPARE(teamsShown(*window), sorted);
        QComboBox *list = control<QComboBox>(window.get(), "cboTeams");
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(cities.at(list->itemData(i).toInt()), list->itemText(i));
    }

    void storedFolderIsOpenedAndWrittenAgain()
    {
        QVERIFY(writeFile(m_ini, "; hand-written\r\n[Other]\r\nkey=a,b\r\n[puckdex]\r\nnhl96path = "
                             + QDir::toNativeSeparators(m_base).toUtf8() + "\r\n"));
        MessageScript messages;
        QString openedOn;
        bool inView = false;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            openedOn = static_cast<GameFolderWindow *>(w)->currentFolder();
            // The folders above it are read in the background; it stays in view.
            auto *tree = control<QTreeView>(w, "dirFileLocationDirectory");
            for (int i = 0; i < 100 && !inView; ++i) {
                QTest::qWait(20);
                inView = tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()).center());
            }
            click(w, "cmdOK");
        });
        ProgramState state;
        QVERIFY(runStartup(state));
        QCOMPARE(openedOn, m_base);
        QVERIFY(inView);
        QCOMPARE(state.GamePath, QDir::toNativeSeparators(m_base));
        // Rewritten in place, even though it did not change; the rest is kept.
        QCOMPARE(readFile(m_ini), "; hand-written\r\n[Other]\r\nkey=a,b\r\n[puckdex]\r\nnhl96path="
                                      + QDir::toNativeSeparators(m_base).toUtf8() + "\r\n");
    }

    // A folder name with letters the old code page lacks is remembered (in
    // UTF-8) and opened at the next start.
    void aFolderOutsideTheCodePageIsRemembered()
    {
        const QString folder = m_dir.filePath(QStringLiteral("Игры Łódź"));
        QVERIFY(Sample::writeBaseRosters(folder).ok());
        MessageScript messages;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            static_cast<GameFolderWindow *>(w)->setFolder(folder);
            click(w, "cmdOK");
        });
        ProgramState first;
        QVERIFY(runStartup(first));
        QCOMPARE(messages.shown.size(), 0);
        QCOMPARE(readFile(m_ini),
                 "[Puckdex]\r\nNHL96Path=" + QDir::toNativeSeparators(folder).toUtf8() + "\r\n");

        QString openedOn;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            openedOn = static_cast<GameFolderWindow *>(w)->currentFolder();
            click(w, "cmdOK");
        });
        ProgramState second;
        QVERIFY(runStartup(second));
        QCOMPARE(openedOn, folder);
        QCOMPARE(messages.shown.size(), 0);
    }

    void aVanishedStoredFolderOpensOnHome()
    {
        QVERIFY(writeFile(m_ini, "[Puckdex]\r\nNHL96Path=" + m_dir.filePath("gone").toUtf8() + "\r\n"));
        MessageScript messages;
        QString openedOn;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            openedOn = static_cast<GameFolderWindow *>(w)->currentFolder();
            static_cast<GameFolderWindow *>(w)->setFolder(m_base);
            click(w, "cmdOK");
        });
        ProgramState state;
        QVERIFY(runStartup(state));
        QCOMPARE(openedOn, QDir::homePath());
    }

    void aSecondInstanceEndsAndLeavesTheSettingsAlone()
    {
        QVERIFY(writeFile(m_ini, "[Puckdex]\r\nNHL96Path=C:\\Games\\NHL96\r\n"));
        const QByteArray before = readFile(m_ini);
        RunningInstance running(instanceKey());
        QVERIFY(running.listening());

        MessageScript messages;
        ProgramState state;
        QVERIFY(!runStartup(state));
        QVERIFY(running.askedToComeToTheFront());
        QCOMPARE(readFile(m_ini), before);
        QCOMPARE(messages.shown.size(), 0);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void aLockLeftByACrashedInstanceIsTakenOver()
    {
        const QString key = instanceKey() + QStringLiteral("-stale");
        const QString lockPath = QDir(SingleInstance::folder()).filePath(key + QStringLiteral(".lock"));
        // What a crashed instance leaves: its lock, naming a process that is
        // gone, and (on Linux) its socket file.
        RunningInstance crashed(key);
        QVERIFY(crashed.listening());
        QVERIFY(QFileInfo::exists(lockPath));
        crashed.process.kill();
        QVERIFY(crashed.process.waitForFinished());
        {
            SingleInstance first(key);
            QVERIFY(!first.anotherIsRunning());
        }
        SingleInstance again(key);
        QVERIFY(!again.anotherIsRunning());
        SingleInstance second(key);
        QVERIFY(second.anotherIsRunning());
    }

    // A start from a terminal and one from the desktop's menu differ in
    // their temporary folder; they are still one user in one session.
    void aSecondInstanceIsFoundWhateverItsTemporaryFolder()
    {
        const QByteArray tmpdir = qgetenv("TMPDIR");
        const QString key = instanceKey() + QStringLiteral("-tmpdir");
        QTemporaryDir first;
        QTemporaryDir second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), first.path());
        RunningInstance running(key, environment);
        QVERIFY(running.listening());
        qputenv("TMPDIR", second.path().toLocal8Bit());
        SingleInstance later(key);
        const bool found = later.anotherIsRunning();
        qputenv("TMPDIR", tmpdir);
        if (tmpdir.isNull())
            qunsetenv("TMPDIR");
        QVERIFY(found);
        QVERIFY(running.askedToComeToTheFront());
    }

    void savedGameIndexWithoutEntries_data()
    {
        QTest::addColumn<QByteArray>("index");
        QTest::newRow("cut-short entry") << QByteArray(110 + 53, 'h');
    }
    void savedGameIndexWithoutEntries()
    {
        QFETCH(QByteArray, index);
        const QString folder = freshFolder(QStringLiteral("noindex"));
        for (const char *name : {"03tem.db", "03key.db", "03att.db"})
            QVERIFY(QFile::copy(m_saved + "/" + name, folder + "/" + name));
        QVERIFY(writeFile(folder + "/games.ndx", index));

        MessageScript messages;
        bool stayedOpen = false;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            static_cast<GameFolderWindow *>(w)->setFolder(folder);
            click(w, "cmdOK");
            stayedOpen = w->isVisible();
            messages.answer(MessageAnswer::Yes);
            click(w, "cmdExit");
        });
        ProgramState state;
        QVERIFY(!runStartup(state));
        QVERIFY(stayedOpen);
        QCOMPARE(messages.texts().first(), MissingFilesMessage);
    }

    void savedGameChosenFromSeveral()
    {
        MessageScript messages;
        chooseFolder(m_saved);
        QStringList listed;
        QList<int> numbers;
        int messagesWithoutSelection = 0;
        whenModalShown(QStringLiteral("frmSeasonToEdit"), [&](QWidget *w) {
            auto *list = control<QListWidget>(w, "lstSeasonToEdit");
            for (int i = 0; i < list->count(); ++i) {
                listed.append(list->item(i)->text());
                numbers.append(list->item(i)->data(Qt::UserRole).toInt());
            }
            QVERIFY(list->selectedItems().isEmpty());
            // OK without a selection: the message, every time.
            click(w, "cmdOK");
            click(w, "cmdOK");
            messagesWithoutSelection = messages.shown.size();
            for (int i = 0; i < list->count(); ++i) {
                if (list->item(i)->data(Qt::UserRole).toInt() == 12)
                    list->item(i)->setSelected(true);
            }
            click(w, "cmdOK");
        });
        ProgramState state;
        const std::unique_ptr<MainWindow> window = runStartup(state);
        QVERIFY(window);
        QCOMPARE(messagesWithoutSelection, 2);
        QCOMPARE(messages.texts(), QStringList(2, QStringLiteral("Please select a game to edit.")));
        QCOMPARE(messages.shown.first().style, MessageStyle::Plain);

        const Result<QList<SeasonIndexEntry>> games = GameFiles::listSavedGames(m_saved + "/games.ndx");
        QVERIFY(games.ok());
        // Each game named with its number, sorted.
        QStringList inFileOrder;
        for (const SeasonIndexEntry &game : *games) {
            inFileOrder.append(savedGameName(game.description(), game.gameNumber()));
            QCOMPARE(numbers.at(listed.indexOf(inFileOrder.last())), game.gameNumber());
        }
        QStringList sorted = inFileOrder;
        sorted.sort(Qt::CaseInsensitive);
        QCOMPARE(listed, sorted);
        QVERIFY(listed != inFileOrder);
        QCOMPARE(window->windowTitle(), QStringLiteral("Puckdex - ") + listed.at(numbers.indexOf(12)));

        QCOMPARE(state.files.prefix, QStringLiteral("012"));
        QCOMPARE(state.files.indexFile, m_saved + "/" + Sample::IndexFileName);
        QCOMPARE(state.teamFilePath(), m_saved + "/012tem.db");
        QCOMPARE(control<QComboBox>(window.get(), "cboTeams")->count(), 26);
    }

    void cancellingTheSavedGameChoice()
    {
        MessageScript messages;
        messages.answer(MessageAnswer::No);
        messages.answer(MessageAnswer::Yes);
        chooseFolder(m_saved);
        QString focusAfterNo;
        whenModalShown(QStringLiteral("frmSeasonToEdit"), [&](QWidget *w) {
            click(w, "cmdCancel");
            focusAfterNo = QApplication::focusWidget()->objectName();
            QTest::keyClick(control<QListWidget>(w, "lstSeasonToEdit"), Qt::Key_Escape);
            click(w, "cmdCancel");
        });
        ProgramState state;
        QVERIFY(!runStartup(state));
        QCOMPARE(focusAfterNo, QStringLiteral("lstSeasonToEdit"));
        QCOMPARE(messages.texts(), QStringList(2, QStringLiteral("Do you want to exit ?")));
    }

    // A folder with the base rosters (or without them) and an index of
    // saved games: the games listed (descriptions by number), the keys
    // pressed in the Game to Edit window before Enter, what it lists (none:
    // it is not shown), the prefix edited and the main window's caption.
    void savedGamesBesideTheBaseRosters_data()
    {
        QTest::addColumn<bool>("base");
        QTest::addColumn<QList<int>>("games");
        QTest::addColumn<QStringList>("descriptions");
        QTest::addColumn<QList<QKeySequence>>("keys");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("title");
        using K = QKeySequence;
        const QList<int> games{3, 7, 12};
        // Games 3 and 12 alike: listed in the index's order, 3 first.
        const QStringList descriptions{"Season 95   ", "Exhibition", "Season 95   "};
        const QStringList entries{"Base rosters", "Exhibition (game 7)", "Season 95 (game 3)",
                                  "Season 95 (game 12)"};
        QTest::newRow("Enter at once edits the base rosters")
            << true << games << descriptions << QList<K>{} << entries << "" << "Puckdex";
        QTest::newRow("the last game")
            << true << games << descriptions << QList<K>{K(Qt::Key_End)} << entries << "012"
            << "Puckdex - Season 95 (game 12)";
        QTest::newRow("asked even for a single saved game")
            << true << QList<int>{7} << QStringList{"Exhibition"} << QList<K>{K(Qt::Key_Down)}
            << QStringList{"Base rosters", "Exhibition (game 7)"} << "07"
            << "Puckdex - Exhibition (game 7)";
        QTest::newRow("a single saved game alone, taken without asking")
            << false << QList<int>{3} << QStringList{"Season 95   "} << QList<K>{}
            << QStringList{} << "03" << "Puckdex - Season 95 (game 3)";
        QTest::newRow("a game without a description")
            << false << QList<int>{12} << QStringList{"    "} << QList<K>{} << QStringList{}
            << "012" << "Puckdex - Game 12";
    }
    void savedGamesBesideTheBaseRosters()
    {
        QFETCH(bool, base);
        QFETCH(QList<int>, games);
        QFETCH(QStringList, descriptions);
        QFETCH(QList<QKeySequence>, keys);
        QFETCH(QStringList, entries);
        QFETCH(QString, prefix);
        QFETCH(QString, title);
        const QString folder = freshFolder(QStringLiteral("beside"));
        QStringList names;
        if (base)
            names = QStringList{"teams.db", "key.db", "att.db"};
        QList<std::pair<int, QString>> listing;
        for (int i = 0; i < games.size(); ++i) {
            listing.append({games[i], descriptions[i]});
            for (const char *file : {"tem.db", "key.db", "att.db"})
                names.append(savedGamePrefix(games[i]) + file);
        }
        for (const QString &name : names)
            QVERIFY(QFile::copy((name.startsWith('0') ? m_saved : m_base) + "/" + name,
                                folder + "/" + name));
        QVERIFY(writeFile(folder + "/games.ndx", savedGameIndex(listing)));

        MessageScript messages;
        chooseFolder(folder);
        QStringList shown;
        QStringList selectedFirst;
        QString focus;
        if (!entries.isEmpty()) {
            whenModalShown(QStringLiteral("frmSeasonToEdit"), [&](QWidget *w) {
                auto *list = control<QListWidget>(w, "lstSeasonToEdit");
                for (int i = 0; i < list->count(); ++i)
                    shown.append(list->item(i)->text());
                for (const QListWidgetItem *item : list->selectedItems())
                    selectedFirst.append(item->text());
                focus = QApplication::focusWidget()->objectName();
                pressKeys(keys);
                enterOrLeave(w, messages, "cmdCancel");
            });
        }
        ProgramState state;
        const std::unique_ptr<MainWindow> window = runStartup(state);
        QVERIFY(window);
        QCOMPARE(shown, entries);
        if (!entries.isEmpty()) {
            QCOMPARE(selectedFirst, QStringList{QStringLiteral("Base rosters")});
            QCOMPARE(focus, QStringLiteral("lstSeasonToEdit"));
        }
        QCOMPARE(state.files.prefix, prefix);
        QCOMPARE(state.files.kind, prefix.isEmpty() ? FileSetKind::BaseRosters : FileSetKind::SavedGame);
        QCOMPARE(state.files.indexFile.isEmpty(), prefix.isEmpty());
        QCOMPARE(window->windowTitle(), title);
        QCOMPARE(messages.shown.size(), 0);

        // The About window names the program, not the game edited.
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QString aboutName;
        whenModalShown(QStringLiteral("frmAbout"), [&](QWidget *w) {
            aboutName = control<QLabel>(w, "lblAppName")->text();
            click(w, "cmdOK");
        });
        click(window.get(), "cmdAbout");
        QCOMPARE(aboutName, QStringLiteral("Puckdex") + state.VersionText);
    }

    // The caption shows whole on a window manager's title bar, beside its
    // buttons, and so does every game's name, whatever the font's size; the
    // window stays centred.
    void theSavedGameWindowFitsItsCaptionAndGames_data()
    {
        QTest::addColumn<int>("pixels"); // the font's size; 0: as it is
        QTest::addColumn<QStringList>("descriptions");
        const QStringList longOnes{"Regular season 1995-96, after week twelve", "Season 95"};
        QTest::newRow("no games, a large font") << 24 << QStringList{};
        QTest::newRow("long descriptions") << 0 << longOnes;
        QTest::newRow("long descriptions, a large font") << 20 << longOnes;
    }
    void theSavedGameWindowFitsItsCaptionAndGames()
    {
        QFETCH(int, pixels);
        QFETCH(QStringList, descriptions);
        const QFont before = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(before); });
        if (pixels > 0) {
            QFont large = before;
            large.setPixelSize(pixels);
            QApplication::setFont(large);
        }
        SavedGameWindow window;
        window.offerBaseRosters();
        for (int i = 0; i < descriptions.size(); ++i)
            window.addGame(descriptions[i], 10 + i);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // Room beside the caption for an icon and three buttons, each at
        // least as wide as the caption's text is high.
        QFont bold = window.font();
        bold.setBold(true);
        const QFontMetrics caption(bold);
        QVERIFY(window.width()
                >= caption.horizontalAdvance(window.windowTitle()) + 4 * caption.height());
        QVERIFY(window.width() >= 177); // as designed
        auto *list = control<QListWidget>(&window, "lstSeasonToEdit");
        for (int i = 0; i < list->count(); ++i) {
            const QString text = list->item(i)->text();
            QVERIFY2(list->viewport()->width() > list->fontMetrics().horizontalAdvance(text),
                     qPrintable(text));
        }
        QCOMPARE(control<QPushButton>(&window, "cmdCancel")->width(), list->width());
        const QPoint middle = window.screen()->geometry().center();
        QVERIFY(qAbs(window.geometry().center().x() - middle.x()) <= 2);
    }

    // A listed game whose files are not all there is shown with what it
    // lacks and cannot be chosen, by keys or OK; a double-click opens a
    // whole one.
    void aSavedGameWithoutItsFilesIsShownButNotChosen()
    {
        const QString folder = freshFolder(QStringLiteral("partial"));
        for (const QString &name : QDir(m_saved).entryList(QDir::Files)) {
            if (name != "07att.db")
                QVERIFY(QFile::copy(m_saved + "/" + name, folder + "/" + name));
        }
        MessageScript messages;
        chooseFolder(folder);
        QString lacking;
        bool stayedAfterOk = false;
        whenModalShown(QStringLiteral("frmSeasonToEdit"), [&](QWidget *w) {
            auto *list = control<QListWidget>(w, "lstSeasonToEdit");
            QListWidgetItem *whole = nullptr;
            for (int i = 0; i < list->count(); ++i) {
                QListWidgetItem *item = list->item(i);
                if (item->data(Qt::UserRole).toInt() == 7) {
                    lacking = item->text();
                    QVERIFY(!(item->flags() & Qt::ItemIsSelectable));
                    item->setSelected(true); // as a program might; OK still refuses it
                } else if (item->data(Qt::UserRole).toInt() == 3) {
                    whole = item;
                }
            }
            click(w, "cmdOK");
            stayedAfterOk = w->isVisible();
            const QRect place = list->visualItemRect(whole);
            // A double-click comes after the press of its first click.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place.center());
            if (w->isVisible()) { // not opened: end here rather than wait
                messages.answer(MessageAnswer::Yes);
                click(w, "cmdCancel");
            }
        });
        ProgramState state;
        const std::unique_ptr<MainWindow> window = runStartup(state);
        QVERIFY(window);
        QVERIFY2(lacking.endsWith(QStringLiteral(" (game 7): 07att.db missing")), qPrintable(lacking));
        QVERIFY(stayedAfterOk);
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Please select a game to edit.")});
        QCOMPARE(state.files.prefix, QStringLiteral("03"));
    }

    void backups_data()
    {
        QTest::addColumn<bool>("wanted");
        QTest::newRow("made when checked") << true;
        QTest::newRow("skipped when cleared") << false;
    }
    void backups()
    {
        QFETCH(bool, wanted);
        const QString folder = freshFolder(QStringLiteral("backups"));
        for (const char *name : {"TEAMS.DB", "KEY.DB", "ATT.DB"})
            QVERIFY(QFile::copy(m_base + "/" + QString::fromLatin1(name).toLower(), folder + "/" + name));
        // An older backup is overwritten.
        QVERIFY(writeFile(folder + "/KEY.BAK", "old backup"));

        MessageScript messages;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            static_cast<GameFolderWindow *>(w)->setFolder(folder);
            QVERIFY(control<QCheckBox>(w, "chkBackupsRequired")->isChecked());
            control<QCheckBox>(w, "chkBackupsRequired")->setChecked(wanted);
            click(w, "cmdOK");
        });
        ProgramState state;
        QVERIFY(runStartup(state));
        QCOMPARE(state.BackupsWanted, wanted);
        QCOMPARE(messages.shown.size(), 0);
        for (const char *name : {"TEAMS", "KEY", "ATT"}) {
            const QString source = folder + "/" + name + ".DB";
            const QString backup = folder + "/" + name + ".BAK";
            if (wanted)
                QCOMPARE(readFile(backup), readFile(source));
            else
                QCOMPARE(QFile::exists(backup), QByteArray(name) == "KEY");
        }
        if (!wanted)
            QCOMPARE(readFile(folder + "/KEY.BAK"), QByteArray("old backup"));
    }

    // Backups that differ from the game files are kept before they are
    // replaced, and the status line says so; while they cannot be kept (a
    // file where the history's folder goes) one message says so, they stay
    // as they are and the roster is still edited.
    void olderBackupsAreKept_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("kept") << false;
        QTest::newRow("history blocked") << true;
    }
    void olderBackupsAreKept()
    {
        QFETCH(bool, blocked);
        const QString folder = freshFolder(QStringLiteral("older"));
        for (const char *name : {"teams", "key", "att"}) {
            const QByteArray bytes = readFile(m_base + "/" + name + ".db");
            QVERIFY(QFile::copy(m_base + "/" + name + ".db", folder + "/" + name + ".db"));
            QVERIFY(writeFile(folder + "/" + name + ".bak",
                              qstrcmp(name, "key") ? bytes : bytes.left(100) + "x"));
        }
        const FileSet files = *findFileSet(folder);
        BackupHistory history(m_dir.path(), files);
        if (blocked)
            QVERIFY(writeFile(history.path(), "in the way"));
        const auto before = snapshotOf(folder);

        MessageScript messages;
        chooseFolder(folder);
        ProgramState state;
        const std::unique_ptr<MainWindow> window = runStartup(state);
        QVERIFY(window);
        const QString status = control<QLabel>(window.get(), "lblStatus")->text();
        if (blocked) {
            QCOMPARE(messages.shown.size(), 1);
            QVERIFY2(messages.shown.first().text.startsWith(
                         "The older backups could not be kept:\n" +
                         QDir::toNativeSeparators(history.path())),
                     qPrintable(messages.shown.first().text));
            QVERIFY(messages.shown.first().text.endsWith(
                "They were left as they are, and no new backups were made."));
            QCOMPARE(snapshotOf(folder), before);
            QCOMPARE(status, QString());
        } else {
            QCOMPARE(messages.shown.size(), 0);
            QCOMPARE(history.filesOf(*history.find("first"))->at(1), before.value("key.bak"));
            QCOMPARE(readFile(folder + "/key.bak"), before.value("key.db"));
            QCOMPARE(status, "The older backups were kept as generation 1; \"puckdex-cli "
                             "backups\" lists them.");
        }
    }

    void aFailingBackupAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("go on") << int(MessageAnswer::Yes);
        QTest::newRow("end") << int(MessageAnswer::No);
    }
    void aFailingBackupAsks()
    {
        QFETCH(int, answer);
        const QString folder = freshFolder(QStringLiteral("badbackup"));
        for (const char *name : {"teams.db", "key.db", "att.db"})
            QVERIFY(QFile::copy(m_base + "/" + name, folder + "/" + name));
        // A folder where the key file's backup should go: the copy cannot land.
        QVERIFY(QDir(folder).mkdir("key.bak"));

        MessageScript messages;
        messages.answer(MessageAnswer(answer));
        chooseFolder(folder);
        ProgramState state;
        const std::unique_ptr<MainWindow> window = runStartup(state);
        QCOMPARE(bool(window), MessageAnswer(answer) == MessageAnswer::Yes);
        QCOMPARE(messages.shown.size(), 1);
        const MessageRequest &asked = messages.shown.first();
        QVERIFY2(asked.text.startsWith("The backup copy of key.db could not be made:\n"),
                 qPrintable(asked.text));
        QVERIFY2(asked.text.contains(QDir::toNativeSeparators(folder + "/key.bak")),
                 qPrintable(asked.text));
        QVERIFY(asked.text.endsWith("Do you want to go on without backups ?"));
        QCOMPARE(asked.style, MessageStyle::QuestionNoDefault);
        // The team file was copied before; no backup is made after the failure.
        QCOMPARE(readFile(folder + "/teams.bak"), readFile(folder + "/teams.db"));
        QVERIFY(!QFile::exists(folder + "/att.bak"));
        QVERIFY(QFileInfo(folder + "/key.bak").isDir());
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-instance") == 0) {
        QApplication app(argc, argv);
        return holdInstance(QString::fromLocal8Bit(argv[2]));
    }
    QTEST_MAIN_SETUP()
    TstStartup test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startup.moc"
