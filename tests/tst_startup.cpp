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
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>

using namespace Puckdex;

namespace {

void click(QWidget *window, const char *button)
{
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// Enter in a start-up window. Should the window stay open (the test has
// failed), it is left through its exit button, so the run ends at once
// rather than wait on it.
void enterOrLeave(QWidget *w, MessageScript &messages, const char *exitButton)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    if (w->isVisible()) {
        messages.answer(MessageAnswer::Yes);
        click(w, exitButton);
    }
}

// In the folder window: go to folder, then press OK.
void chooseFolder(const QString &folder)
{
    whenModalShown(QStringLiteral("frmGetFileLocation"), [folder](QWidget *w) {
        static_cast<GameFolderWindow *>(w)->setFolder(folder);
        click(w, "cmdOK");
    });
}

// Keys to the widget that has the focus, as the user presses them.
void pressKeys(const QList<QKeySequence> &keys)
{
    for (const QKeySequence &key : keys)
        QTest::keySequence(QApplication::focusWidget(), key);
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

class TstStartup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_ini;
    QString m_base;   // base rosters
    QString m_saved;  // saved games 3, 7, 12
    int m_runs = 0;

    QString instanceKey() const
    {
        return QStringLiteral("puckdex-test-%1").arg(QCoreApplication::applicationPid());
    }

    std::unique_ptr<MainWindow> runStartup(ProgramState &state)
    {
        Startup startup(state, m_ini, instanceKey());
        return startup.run();
    }

    QString freshFolder(const QString &name)
    {
        const QString path = m_dir.filePath(QStringLiteral("%1-%2").arg(name).arg(++m_runs));
        QDir().mkpath(path);
        return path;
    }

    // Folders to find by keys: Documents, Games (Doom, and NHL96/DATA with
    // the base rosters), Music, My Games and My Music.
    QString keyFolders()
    {
        const QString root = freshFolder(QStringLiteral("keys"));
        for (const char *sub : {"Documents", "Games/Doom", "Games/NHL96/DATA", "Music",
                                "My Games", "My Music"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        for (const char *name : {"teams.db", "key.db", "att.db"})
            QFile::copy(m_base + "/" + name, root + "/Games/NHL96/DATA/" + name);
        return root;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_base = m_dir.filePath(QStringLiteral("base"));
        m_saved = m_dir.filePath(QStringLiteral("saved"));
        QVERIFY(Sample::writeBaseRosters(m_base).ok());
        QVERIFY(Sample::writeSavedGames(m_saved).ok());
    }

    void init()
    {
        m_ini = m_dir.filePath(QStringLiteral("PUCKDEX-%1.INI").arg(++m_runs));
    }

    void cleanup()
    {
        QCOMPARE(dropPendingModalActions(), 0);
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible())
                w->close();
        }
    }

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
        QCOMPARE(state.Files.kind, FileSetKind::BaseRosters);
        QCOMPARE(state.Files.prefix, QString());
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

    void aDriveThatIsNotReady()
    {
        MessageScript messages;
        QString folderAfter;
        QString driveAfter;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            auto *window = static_cast<GameFolderWindow *>(w);
            window->setFolder(m_base);
            auto *drives = control<QComboBox>(w, "drvFileLocationDrive");
            const QString before = drives->currentText();
            drives->addItem(QStringLiteral("Z:"), m_dir.filePath("no-such-drive"));
            drives->setCurrentIndex(drives->count() - 1);
            folderAfter = window->currentFolder();
            driveAfter = drives->currentText() == before ? QStringLiteral("unchanged") : drives->currentText();
            click(w, "cmdOK");
        });
        ProgramState state;
        QVERIFY(runStartup(state));
        QCOMPARE(folderAfter, m_base);
        QCOMPARE(driveAfter, QStringLiteral("unchanged"));
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.texts().first(),
                 QStringLiteral("The drive %1 is not ready.")
                     .arg(QDir::toNativeSeparators(m_dir.filePath("no-such-drive"))));
        QCOMPARE(messages.shown.first().style, MessageStyle::Warning);
    }

    // The folder list shows the folders on the way down to the open one,
    // each a little further in, then the open folder's own folders (hidden
    // ones too); the open folder's name is in view at any depth, and a
    // double-click opens a folder.
    void theFolderListShowsTheWayDown_data()
    {
        QTest::addColumn<QString>("below"); // under the test's folder
        QTest::newRow("a game under the home folder") << "home/user/Games/NHL96/DATA";
        QTest::newRow("deep down") << "a/b/c/d/e/f/g/h/NHL96/DATA";
        QTest::newRow("in a hidden folder") << "home/user/.wine/drive_c/NHL96/DATA";
    }
    void theFolderListShowsTheWayDown()
    {
        QFETCH(QString, below);
        const QString open = m_dir.filePath(QStringLiteral("tree-%1/").arg(++m_runs) + below);
        QVERIFY(QDir().mkpath(open + "/.dosbox"));
        QVERIFY(QDir().mkpath(open + "/Saves"));
        MessageScript messages;
        QStringList chain;
        QStringList inside;
        QString tip;
        bool nameInView = false;
        QString afterDoubleClick;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            auto *window = static_cast<GameFolderWindow *>(w);
            window->setFolder(open);
            auto *tree = control<QTreeView>(w, "dirFileLocationDirectory");
            QVERIFY(tree->indentation() <= 8);
            const QAbstractItemModel *model = tree->model();
            QModelIndex at;
            // One folder a level down to the open one.
            for (QModelIndex parent; model->rowCount(parent) > 0;) {
                if (at.isValid() && at == tree->currentIndex())
                    break;
                QCOMPARE(model->rowCount(parent), 1);
                at = model->index(0, 0, parent);
                chain.append(at.data().toString());
                parent = at;
            }
            QCOMPARE(at, tree->currentIndex());
            for (int row = 0; row < model->rowCount(at); ++row)
                inside.append(model->index(row, 0, at).data().toString());
            tip = at.data(Qt::ToolTipRole).toString();
            QTest::qWait(20);
            const QRect shown = tree->visualRect(at);
            const int nameEnd = shown.left() + tree->iconSize().width() + 8
                                + tree->fontMetrics().horizontalAdvance(at.data().toString());
            nameInView = tree->viewport()->rect().contains(shown.center()) && shown.left() >= 0
                         && nameEnd <= tree->viewport()->width();

            const QModelIndex saves = model->index(1, 0, at);
            tree->scrollTo(saves);
            const QPoint onSaves = tree->visualRect(saves).center();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, onSaves);
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, onSaves);
            QTRY_COMPARE(window->currentFolder(), open + "/Saves");
            afterDoubleClick = window->currentFolder();
            messages.answer(MessageAnswer::Yes);
            click(w, "cmdExit");
        });
        ProgramState state;
        QVERIFY(!runStartup(state));
        QCOMPARE(chain.last(), QStringLiteral("DATA"));
        QCOMPARE(chain.first(), QDir::toNativeSeparators(QDir::rootPath()));
        QCOMPARE(chain.mid(1).join(QLatin1Char('/')), open.mid(QDir::rootPath().size()));
        QCOMPARE(inside, (QStringList{".dosbox", "Saves"}));
        QCOMPARE(tip, QDir::toNativeSeparators(open));
        QVERIFY(nameInView);
        QCOMPARE(afterDoubleClick, open + "/Saves");
    }

    // Every drive the system has (C:\, D:\ and so on, on Windows; / elsewhere),
    // as the system spells it.
    void theDriveListHoldsTheSystemsDrives()
    {
        MessageScript messages;
        QStringList shown;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            auto *drives = control<QComboBox>(w, "drvFileLocationDrive");
            for (int i = 0; i < drives->count(); ++i)
                shown.append(drives->itemText(i));
            static_cast<GameFolderWindow *>(w)->setFolder(m_base);
            click(w, "cmdOK");
        });
        ProgramState state;
        QVERIFY(runStartup(state));
        QVERIFY(!QDir::drives().isEmpty());
        for (const QFileInfo &drive : QDir::drives())
            QVERIFY2(shown.contains(QDir::toNativeSeparators(drive.absoluteFilePath())),
                     qPrintable(shown.join(QLatin1Char(' '))));
    }

    void choosingADriveMovesTheFolderList()
    {
        MessageScript messages;
        QString folderAfter;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            auto *window = static_cast<GameFolderWindow *>(w);
            auto *drives = control<QComboBox>(w, "drvFileLocationDrive");
            drives->addItem(QStringLiteral("sample"), m_base);
            drives->setCurrentIndex(drives->count() - 1);
            folderAfter = window->currentFolder();
            click(w, "cmdOK");
        });
        ProgramState state;
        QVERIFY(runStartup(state));
        QCOMPARE(folderAfter, m_base);
        QCOMPARE(messages.shown.size(), 0);
    }

    void exitQuestion_data()
    {
        QTest::addColumn<QByteArray>("how"); // exit button or window frame
        QTest::newRow("exit button") << QByteArray("cmdExit");
        QTest::newRow("window frame") << QByteArray("close");
    }
    void exitQuestion()
    {
        QFETCH(QByteArray, how);
        MessageScript messages;
        messages.answer(MessageAnswer::No);
        messages.answer(MessageAnswer::Yes);
        QStringList focusAfterNo;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            const auto ask = [&] {
                if (how == "cmdExit")
                    click(w, "cmdExit");
                else
                    w->close();
            };
            ask();
            focusAfterNo.append(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                            : QString());
            focusAfterNo.append(w->isVisible() ? QStringLiteral("open") : QStringLiteral("closed"));
            ask();
        });
        ProgramState state;
        QVERIFY(!runStartup(state));
        QCOMPARE(focusAfterNo, (QStringList{"dirFileLocationDirectory", "open"}));
        QCOMPARE(messages.shown.size(), 2);
        for (const MessageRequest &r : messages.shown) {
            QCOMPARE(r.title, QStringLiteral("Puckdex"));
            QCOMPARE(r.text, QStringLiteral("Do you want to exit ?"));
            QCOMPARE(r.style, MessageStyle::QuestionNoDefault);
        }
        // Ended from the folder window: the settings file is not written.
        QVERIFY(!QFile::exists(m_ini));
    }

    void escapeDoesNothingAndEnterRunsOk()
    {
        MessageScript messages;
        bool openAfterEscape = false;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            static_cast<GameFolderWindow *>(w)->setFolder(m_base);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            openAfterEscape = w->isVisible();
            QTest::keyClick(control<QCheckBox>(w, "chkBackupsRequired"), Qt::Key_Return);
        });
        ProgramState state;
        QVERIFY(runStartup(state));
        QVERIFY(openAfterEscape);
        QCOMPARE(messages.shown.size(), 0);
    }

    // Type a folder's name, Enter, the next, Enter, and Enter on the game's
    // folder: with no pause between, as a quick typist or a script types.
    void aFolderIsReachedByKeysAlone()
    {
        const QString root = keyFolders();
        MessageScript messages;
        QStringList opened;
        QStringList highlighted;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            auto *window = static_cast<GameFolderWindow *>(w);
            window->setFolder(root);
            for (const char *name : {"ga", "nh", "da"}) {
                QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(name));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                opened.append(w->isVisible() ? window->openFolder() : QStringLiteral("closed"));
                highlighted.append(window->currentFolder());
            }
            enterOrLeave(w, messages, "cmdExit");
        });
        ProgramState state;
        const std::unique_ptr<MainWindow> window = runStartup(state);
        QVERIFY(window);
        QCOMPARE(opened, (QStringList{root + "/Games", root + "/Games/NHL96",
                                      root + "/Games/NHL96/DATA"}));
        QCOMPARE(highlighted, opened);
        QCOMPARE(state.Files.folder, root + "/Games/NHL96/DATA");
        QCOMPARE(messages.shown.size(), 0);
    }

    // The folder list's keys, from an open folder ("<top>": the top of the
    // file system): typed letters, then keys; the folder then open and the
    // one highlighted, the window still open.
    void folderKeys_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<QKeySequence>>("keys");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("highlighted");
        using K = QKeySequence;
        const K down(Qt::Key_Down);
        const K up(Qt::Key_Up);
        QTest::newRow("Right opens the highlighted folder")
            << "" << "" << QList<K>{down, K(Qt::Key_Right)} << "/Documents" << "/Documents";
        QTest::newRow("the keypad's Enter opens it")
            << "" << "" << QList<K>{down, K(Qt::KeypadModifier | Qt::Key_Enter)} << "/Documents"
            << "/Documents";
        QTest::newRow("Enter on a folder on the way up opens it")
            << "/Games/NHL96" << "" << QList<K>{up, up, K(Qt::Key_Return)} << "" << "";
        QTest::newRow("Left opens the folder above")
            << "/Games/NHL96" << "" << QList<K>{K(Qt::Key_Left)} << "/Games" << "/Games";
        QTest::newRow("Backspace opens the folder above the open one")
            << "/Games" << "" << QList<K>{down, K(Qt::Key_Backspace)} << "" << "";
        QTest::newRow("a blank in a typed name only finds the folder")
            << "" << "my m" << QList<K>{} << "" << "/My Music";
        QTest::newRow("Right on the open folder opens nothing")
            << "/Games/NHL96" << "" << QList<K>{K(Qt::Key_Right)} << "/Games/NHL96"
            << "/Games/NHL96/DATA";
        QTest::newRow("Left at the top stays there")
            << "<top>" << "" << QList<K>{K(Qt::Key_Left), K(Qt::Key_Backspace)} << "<top>"
            << "<top>";
    }
    void folderKeys()
    {
        QFETCH(QString, from);
        QFETCH(QString, typed);
        QFETCH(QList<QKeySequence>, keys);
        QFETCH(QString, open);
        QFETCH(QString, highlighted);
        const QString root = keyFolders();
        const auto place = [&](const QString &under) {
            return under == "<top>" ? QDir::rootPath() : root + under;
        };
        MessageScript messages;
        messages.answer(MessageAnswer::Yes);
        QString openAfter;
        QString highlightAfter;
        bool stayed = false;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            auto *window = static_cast<GameFolderWindow *>(w);
            window->setFolder(place(from));
            QTest::keyClicks(QApplication::focusWidget(), typed);
            pressKeys(keys);
            openAfter = window->openFolder();
            highlightAfter = window->currentFolder();
            stayed = w->isVisible();
            click(w, "cmdExit");
        });
        ProgramState state;
        QVERIFY(!runStartup(state));
        QCOMPARE(openAfter, place(open));
        QCOMPARE(highlightAfter, place(highlighted));
        QVERIFY(stayed);
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Do you want to exit ?")});
    }

    // Enter away from the folder list: the OK button, or the button that has
    // the focus. The focus moves there by Tab.
    void enterOnTheOtherControls_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<bool>("asksToExit");
        QTest::newRow("drive list") << 1 << "drvFileLocationDrive" << false;
        QTest::newRow("check box") << 2 << "chkBackupsRequired" << false;
        QTest::newRow("OK button") << 3 << "cmdOK" << false;
        QTest::newRow("Exit button") << 4 << "cmdExit" << true;
    }
    void enterOnTheOtherControls()
    {
        QFETCH(int, tabs);
        QFETCH(QString, focused);
        QFETCH(bool, asksToExit);
        MessageScript messages;
        messages.answer(MessageAnswer::Yes);
        QString focus;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            static_cast<GameFolderWindow *>(w)->setFolder(m_base);
            for (int i = 0; i < tabs; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            focus = QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        ProgramState state;
        const std::unique_ptr<MainWindow> window = runStartup(state);
        QCOMPARE(focus, focused);
        QCOMPARE(bool(window), !asksToExit);
        QCOMPARE(messages.texts(), asksToExit ? QStringList{QStringLiteral("Do you want to exit ?")}
                                              : QStringList());
    }

    void folderCheck_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("teamFile");
        QTest::newRow("base rosters") << QStringList{"teams.db", "key.db", "att.db"} << true
                                      << "teams.db";
        // The team list is read from the files as the disk spells them.
        QTest::newRow("upper-case base rosters") << QStringList{"TEAMS.DB", "KEY.DB", "ATT.DB"}
                                                 << true << "teams.db";
        QTest::newRow("one saved game")
            << QStringList{"03tem.db", "03key.db", "03att.db", "games.ndx"} << true << "tem.db";
        QTest::newRow("neither") << QStringList{"teams.db", "key.db"} << false << "";
    }
    void folderCheck()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, accepted);
        QFETCH(QString, teamFile);
        // Real game files under the given names: the base set from the sample,
        // the saved game 3 from the saved-game sample, its index listing only it.
        const QString folder = freshFolder(QStringLiteral("check"));
        for (const QString &name : files) {
            const QString lower = name.toLower();
            QString source;
            if (lower == "games.ndx") {
                QByteArray index = readFile(m_saved + "/games.ndx").left(110 + 54);
                QVERIFY(writeFile(QDir(folder).filePath(name), index));
                QCOMPARE(GameFiles::listSavedGames(QDir(folder).filePath(name))->first().gameNumber(), 3);
                continue;
            }
            source = lower.startsWith("03") ? m_saved + "/" + lower : m_base + "/" + lower;
            QVERIFY2(QFile::copy(source, QDir(folder).filePath(name)), qPrintable(source));
        }

        MessageScript messages;
        QString focusAfterMessage;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            auto *window = static_cast<GameFolderWindow *>(w);
            window->setFolder(folder);
            control<QCheckBox>(w, "chkBackupsRequired")->setChecked(false);
            click(w, "cmdOK");
            if (w->isVisible()) {
                focusAfterMessage = QApplication::focusWidget()->objectName();
                messages.answer(MessageAnswer::Yes);
                click(w, "cmdExit");
            }
        });
        ProgramState state;
        const std::unique_ptr<MainWindow> window = runStartup(state);
        QCOMPARE(bool(window), accepted);
        if (accepted) {
            QCOMPARE(messages.shown.size(), 0);
            QCOMPARE(state.Files.names().first(), state.Files.prefix + teamFile);
            QCOMPARE(control<QComboBox>(window.get(), "cboTeams")->count(), 26);
            QCOMPARE(state.Files.prefix, teamFile == "tem.db" ? QStringLiteral("03") : QString());
        } else {
            QCOMPARE(messages.texts().first(),
                     QStringLiteral("One or more files are missing from the\n\r directory"));
            QCOMPARE(messages.shown.first().style, MessageStyle::Warning);
            QCOMPARE(focusAfterMessage, QStringLiteral("dirFileLocationDirectory"));
        }
        // No backups were asked for: nothing new in the folder.
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), files.size());
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

        QCOMPARE(state.Files.prefix, QStringLiteral("012"));
        QCOMPARE(state.Files.indexFile, m_saved + "/" + Sample::IndexFileName);
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
        QCOMPARE(state.Files.prefix, prefix);
        QCOMPARE(state.Files.kind, prefix.isEmpty() ? FileSetKind::BaseRosters : FileSetKind::SavedGame);
        QCOMPARE(state.Files.indexFile.isEmpty(), prefix.isEmpty());
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

    void aChosenSavedGameWithoutItsFilesGoesBackToTheFolder()
    {
        const QString folder = freshFolder(QStringLiteral("partial"));
        for (const QString &name : QDir(m_saved).entryList(QDir::Files)) {
            if (name != "07att.db")
                QVERIFY(QFile::copy(m_saved + "/" + name, folder + "/" + name));
        }
        MessageScript messages;
        int folderWindows = 0;
        bool backupsOnReturn = true;
        std::function<void(QWidget *)> onFolder = [&](QWidget *w) {
            ++folderWindows;
            auto *backups = control<QCheckBox>(w, "chkBackupsRequired");
            if (folderWindows == 1) {
                static_cast<GameFolderWindow *>(w)->setFolder(folder);
                QTest::mouseClick(backups, Qt::LeftButton);
                click(w, "cmdOK");
                whenModalShown(QStringLiteral("frmGetFileLocation"), onFolder);
            } else {
                backupsOnReturn = backups->isChecked();
                messages.answer(MessageAnswer::Yes);
                click(w, "cmdExit");
            }
        };
        whenModalShown(QStringLiteral("frmGetFileLocation"), onFolder);
        whenModalShown(QStringLiteral("frmSeasonToEdit"), [&](QWidget *w) {
            auto *list = control<QListWidget>(w, "lstSeasonToEdit");
            for (int i = 0; i < list->count(); ++i) {
                if (list->item(i)->data(Qt::UserRole).toInt() == 7)
                    list->item(i)->setSelected(true);
            }
            click(w, "cmdOK");
        });
        ProgramState state;
        QVERIFY(!runStartup(state));
        QCOMPARE(folderWindows, 2);
        QCOMPARE(messages.texts().first(), MissingFilesMessage);
        // The user's backups choice stands for the run.
        QVERIFY(!backupsOnReturn);
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
