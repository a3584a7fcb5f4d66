// The game-folder window as start-up shows it: the folder and drive lists,
// the keys, the exit question and the check of the chosen folder.

#include "testfiles.h"
#include "dialogs/gamefolderwindow.h"
#include "editor/mainwindow.h"
#include "files/gamefiles.h"
#include "editor/programstate.h"
#include "startup/startup.h"

#include "controls.h"
#include "messagescript.h"
#include "modalhelper.h"
#include "shellscript.h"
#include "startupfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace Puckdex;

class TstFolderWindow : public QObject, public StartupFixture
{
    Q_OBJECT

private:
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
    void initTestCase() { writeRosters(); }
    void init() { nextSettingsFile(); }
    void cleanup() { closeWindows(); }

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
            // Where a user would click: on the part of its row that the list
            // shows (a long temporary folder's name can push the row's middle
            // past the list's right edge).
            const QPoint onSaves =
                tree->visualRect(saves).intersected(tree->viewport()->rect()).center();
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

    // Browse... (by Tab and Enter, by its access key, by a click) opens the
    // system's folder dialog at the highlighted folder; the folder chosen
    // there opens in the list, where Enter runs OK. Cancel changes nothing.
    void browseOpensTheSystemsDialog_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("chooses");
        QTest::newRow("Tab, Enter, chosen") << "tab" << true;
        QTest::newRow("Alt+B, chosen") << "alt" << true;
        QTest::newRow("click, cancelled") << "click" << false;
    }
    void browseOpensTheSystemsDialog()
    {
        QFETCH(QString, how);
        QFETCH(bool, chooses);
        const QString root = keyFolders();
        ShellScript shell;
        if (chooses)
            shell.folders.append(root + QStringLiteral("/Games/NHL96/DATA"));
        MessageScript messages;
        QString openAfter;
        QString focusAfter;
        QString tabbedTo = QStringLiteral("cmdBrowse");
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            auto *window = static_cast<GameFolderWindow *>(w);
            window->setFolder(root + QStringLiteral("/Music"));
            if (how == QLatin1String("tab")) {
                pressKeys({QKeySequence(Qt::Key_Tab), QKeySequence(Qt::Key_Tab)});
                tabbedTo = QApplication::focusWidget()->objectName();
                pressKeys({QKeySequence(Qt::Key_Return)});
            } else if (how == QLatin1String("alt")) {
                // An access key clicks its button a moment later, as a
                // button drawn pressed and let go.
                pressKeys({QKeySequence(Qt::ALT | Qt::Key_B)});
                // (The comparisons after the run say when it never came.)
                const bool clicked =
                    QTest::qWaitFor([&] { return !shell.folderDialogsFrom.isEmpty(); });
                Q_UNUSED(clicked);
            } else {
                click(w, "cmdBrowse");
            }
            openAfter = window->openFolder();
            focusAfter = QApplication::focusWidget()->objectName();
            if (!chooses)
                window->setFolder(m_base);
            enterOrLeave(w, messages, "cmdExit");
        });
        ProgramState state;
        const bool opened = bool(runStartup(state));
        QCOMPARE(tabbedTo, QStringLiteral("cmdBrowse"));
        QCOMPARE(shell.folderDialogsFrom, QStringList{root + QStringLiteral("/Music")});
        QCOMPARE(openAfter, chooses ? root + QStringLiteral("/Games/NHL96/DATA")
                                    : root + QStringLiteral("/Music"));
        QCOMPARE(focusAfter, QStringLiteral("dirFileLocationDirectory"));
        QVERIFY(opened);
        QCOMPARE(messages.shown.size(), 0);
    }

    // The window opens at its designed size, the least it takes; made
    // larger, the folder list takes the room and the controls below move
    // down with the bottom edge and widen.
    void theWindowGrowsWithItsFolderList()
    {
        MessageScript messages;
        QSize designed, least;
        QRect list, ok, exit;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            designed = w->size();
            least = w->minimumSize();
            w->resize(designed + QSize(200, 300));
            list = control<QTreeView>(w, "dirFileLocationDirectory")->geometry();
            ok = control<QPushButton>(w, "cmdOK")->geometry();
            exit = control<QPushButton>(w, "cmdExit")->geometry();
            enterOrLeave(w, messages, "cmdExit");
        });
        ProgramState state;
        runStartup(state);
        QCOMPARE(designed, QSize(169, 251));
        QCOMPARE(least, designed);
        QCOMPARE(list, QRect(8, 8, 153 + 200, 77 + 300));
        QCOMPARE(ok, QRect(8, 184 + 300, 153 + 200, 25));
        QCOMPARE(exit, QRect(8, 216 + 300, 153 + 200, 25));
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
        QCOMPARE(state.files.folder, root + "/Games/NHL96/DATA");
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
        QTest::newRow("check box") << 3 << "chkBackupsRequired" << false;
        QTest::newRow("OK button") << 4 << "cmdOK" << false;
        QTest::newRow("Exit button") << 5 << "cmdExit" << true;
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
            QCOMPARE(state.files.names().first(), state.files.prefix + teamFile);
            QCOMPARE(control<QComboBox>(window.get(), "cboTeams")->count(), 26);
            QCOMPARE(state.files.prefix, teamFile == "tem.db" ? QStringLiteral("03") : QString());
        } else {
            QCOMPARE(messages.texts().first(),
                     QStringLiteral("One or more files are missing from the\n\r directory"));
            QCOMPARE(messages.shown.first().style, MessageStyle::Warning);
            QCOMPARE(focusAfterMessage, QStringLiteral("dirFileLocationDirectory"));
        }
        // No backups were asked for: nothing new in the folder.
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), files.size());
    }
};

QTEST_MAIN(TstFolderWindow)
#include "tst_folderwindow.moc"
