// The fault catalogue, continued from tst_faults: backups that cannot be
// made at start-up, a settings file that cannot be read or written, and
// saved-game indexes that list nothing usable. Every case checks the message,
// that the program goes on, and that nothing changed on disk that the user
// did not ask to change.

#include "editorfixture.h"
#include "faultcases.h"
#include "fulldisk.h"
#include "messagescript.h"
#include "messagetexts.h"
#include "modalhelper.h"
#include "testfiles.h"

#include "dialogs/gamefolderwindow.h"
#include "files/gamefiles.h"
#include "sampleroster.h"
#include "settings/profilefile.h"
#include "editor/programstate.h"
#include "startup/startup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace Puckdex;

namespace {

// A saved-game index: the header, then one entry per game number text.
QByteArray indexWith(const QList<QByteArray> &numbers)
{
    QByteArray bytes(GameFiles::IndexHeaderSize, char(0x11));
    for (const QByteArray &number : numbers) {
        QByteArray entry(SeasonIndexEntry::Size, '\0');
        entry.replace(0, number.size(), number);
        entry.replace(13, 5, "Game " + number);
        bytes += entry;
    }
    return bytes;
}

} // namespace

class TstStartupFaults : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_runs = 0;

    QString freshFolder(const QString &name)
    {
        const QString path = m_dir.filePath(QStringLiteral("%1-%2").arg(name).arg(++m_runs));
        QDir().mkpath(path);
        return path;
    }

    std::unique_ptr<MainWindow> runStartup(ProgramState &state, const QString &settings)
    {
        Startup startup(
            state, settings,
            QStringLiteral("puckdex-faults-%1").arg(QCoreApplication::applicationPid()));
        return startup.run();
    }

    // Start-up on folder with backups on, as the folder window offers them;
    // the question whether to go on without them is answered Yes.
    std::unique_ptr<MainWindow> startWithBackups(ProgramState &state, const QString &folder,
                                                 MessageScript &messages)
    {
        messages.answer(MessageAnswer::Yes);
        bool offered = false;
        whenModalShown(QStringLiteral("frmGetFileLocation"), [&](QWidget *w) {
            static_cast<GameFolderWindow *>(w)->setFolder(folder);
            offered = control<QCheckBox>(w, "chkBackupsRequired")->isChecked();
            QTest::mouseClick(control<QPushButton>(w, "cmdOK"), Qt::LeftButton);
        });
        std::unique_ptr<MainWindow> window =
            runStartup(state, freshFolder("ini") + "/PUCKDEX.INI");
        return offered ? std::move(window) : nullptr;
    }

    // Answers the folder window: the folder, without backups, then OK. With
    // thenExit the program is expected back in the folder window after a
    // refusal, and leaves it by Exit.
    void chooseFolder(const QString &folder, MessageScript &messages, QString *openedOn = nullptr,
                      int *shown = nullptr, bool thenExit = false)
    {
        whenModalShown(QStringLiteral("frmGetFileLocation"), [=, &messages](QWidget *w) {
            if (shown)
                ++*shown;
            auto *window = static_cast<GameFolderWindow *>(w);
            if (openedOn)
                *openedOn = window->currentFolder();
            window->setFolder(folder);
            control<QCheckBox>(w, "chkBackupsRequired")->setChecked(false);
            QTest::mouseClick(control<QPushButton>(w, "cmdOK"), Qt::LeftButton);
            if (thenExit) {
                whenModalShown(
                    QStringLiteral("frmGetFileLocation"), [=, &messages](QWidget *again) {
                        if (shown)
                            ++*shown;
                        messages.answer(MessageAnswer::Yes);
                        QTest::mouseClick(control<QPushButton>(again, "cmdExit"), Qt::LeftButton);
                    });
            }
        });
    }

    // Picks a team in a window that start-up returned, as a user does.
    static void chooseTeamIn(MainWindow &window, int team)
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QComboBox *teams = control<QComboBox>(&window, "cboTeams");
        teams->setFocus(Qt::MouseFocusReason);
        teams->setCurrentIndex(teams->findData(team));
        emit teams->activated(teams->currentIndex());
        QVERIFY(control<QListWidget>(&window, "lstPlayers")->isEnabled());
        QVERIFY(control<QListWidget>(&window, "lstPlayers")->count() > 0);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void cleanup() { cleanUpAfterFault(); }

    // ---------------------------------------------------------------------
    // Backups that cannot be made (the key file's is in tst_startup).

    void aFailingBackupOfTheTeamOrAttributeFile_data()
    {
        QTest::addColumn<QString>("blocked"); // a folder stands where this backup goes
        QTest::newRow("teams.bak, the first copy") << "teams.bak";
        QTest::newRow("att.bak, the last copy") << "att.bak";
    }
    void aFailingBackupOfTheTeamOrAttributeFile()
    {
        QFETCH(QString, blocked);
        const QString folder = freshFolder(QStringLiteral("backup"));
        QVERIFY(Sample::writeBaseRosters(folder).ok());
        QVERIFY(QDir(folder).mkdir(blocked));
        QVERIFY(writeFile(QDir(folder).filePath(blocked + QStringLiteral("/kept.txt")), "kept"));
        // Backups of an earlier run, kept when this run makes none.
        QVERIFY(writeFile(QDir(folder).filePath("key.bak"), "older backup"));
        const auto before = snapshotOf(folder);

        MessageScript messages;
        ProgramState state;
        const std::unique_ptr<MainWindow> window = startWithBackups(state, folder, messages);
        QVERIFY(window);
        QCOMPARE(messages.shown.size(), 1);
        const MessageRequest &asked = messages.shown.first();
        QCOMPARE(asked.title, QStringLiteral("Puckdex"));
        QCOMPARE(asked.style, MessageStyle::QuestionNoDefault);
        QVERIFY2(asked.text.contains(QDir::toNativeSeparators(QDir(folder).filePath(blocked))),
                 qPrintable(asked.text));

        // The copies before the failure were made; none after it.
        auto expected = before;
        if (blocked == QLatin1String("att.bak")) {
            expected.insert("teams.bak", before.value("teams.db"));
            expected.insert("key.bak", before.value("key.db"));
        }
        QCOMPARE(snapshotOf(folder), expected);

        QCOMPARE(control<QComboBox>(window.get(), "cboTeams")->count(), Sample::kTeamCount);
        chooseTeamIn(*window, kTeam);
        QCOMPARE(messages.shown.size(), 1);
    }

    // A real full disk at start-up: the first copy fails, the user is asked,
    // and every earlier backup stays as it was, with no copy left behind.
    void backupsOnAFullDisk()
    {
        FullDisk disk;
        REQUIRE_FULL_DISK(disk);
        const QString folder = disk.path();
        QVERIFY(Sample::writeBaseRosters(folder).ok());
        for (const char *name : {"teams.bak", "key.bak", "att.bak"})
            QVERIFY(writeFile(QDir(folder).filePath(name), "an earlier backup"));
        QVERIFY(disk.fill());
        const auto before = snapshotOf(folder);

        MessageScript messages;
        ProgramState state;
        QVERIFY(startWithBackups(state, folder, messages));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.shown.first().text.contains(
                     QDir::toNativeSeparators(QDir(folder).filePath("teams.bak"))
                     + QStringLiteral(": the disk is full")),
                 qPrintable(messages.shown.first().text));
        QCOMPARE(snapshotOf(folder), before);
    }

    // ---------------------------------------------------------------------
    // A settings file that cannot be read or written: defaults, one message
    // when the game folder cannot be remembered, and the file (or what stands
    // in its place) left as it was.

    void anUnusableSettingsFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a folder in its place") << "folder";
        QTest::newRow("random bytes") << "random";
        QTest::newRow("its folder is a file") << "below a file";
    }
    void anUnusableSettingsFile()
    {
        QFETCH(QString, kind);
        const QString game = freshFolder(QStringLiteral("game"));
        QVERIFY(Sample::writeBaseRosters(game).ok());
        const QString place = freshFolder(QStringLiteral("settings"));
        QString settings = place + QStringLiteral("/PUCKDEX.INI");
        const QByteArray random = randomBytes(42, 3000);
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(place).mkdir("PUCKDEX.INI"));
            QVERIFY(writeFile(settings + QStringLiteral("/inside.txt"), "kept"));
        } else if (kind == QLatin1String("random")) {
            QVERIFY(writeFile(settings, random));
        } else {
            QVERIFY(writeFile(place + QStringLiteral("/blocker"), "a file"));
            settings = place + QStringLiteral("/blocker/PUCKDEX.INI");
        }
        const auto before = snapshotOf(place);

        MessageScript messages;
        QString openedOn;
        chooseFolder(game, messages, &openedOn);
        ProgramState state;
        const std::unique_ptr<MainWindow> window = runStartup(state, settings);
        QVERIFY(window);
        const bool writable = kind == QLatin1String("random");
        QCOMPARE(messages.shown.size(), writable ? 0 : 1);
        if (!writable) {
            checkFaultMessage(messages.shown.first(), settings,
                              kind == QLatin1String("folder")
                                  ? QStringLiteral("is a folder, not a file")
                                  : QStringLiteral("cannot create the folder"));
            QVERIFY(messages.shown.first().text.startsWith(
                QStringLiteral("The game folder could not be remembered")));
        }
        QCOMPARE(openedOn, QDir::homePath());
        QCOMPARE(state.GamePath, QDir::toNativeSeparators(game));

        if (kind == QLatin1String("random")) {
            // Readable, so the folder is added and every old byte kept.
            const QByteArray after = readFile(settings);
            QVERIFY(after.startsWith(random));
            QCOMPARE(
                ProfileFile(settings).readString(SettingsSection, Startup::GamePathKey),
                QDir::toNativeSeparators(game));
        } else {
            QCOMPARE(snapshotOf(place), before);
        }

        chooseTeamIn(*window, kTeam);
        QCOMPARE(messages.shown.size(), writable ? 0 : 1);
    }

    void theTemplateWindowOnAnUnusableSettingsFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a folder in its place") << "folder";
        QTest::newRow("random bytes") << "random";
    }
    void theTemplateWindowOnAnUnusableSettingsFile()
    {
        QFETCH(QString, kind);
        const QByteArray random = randomBytes(7, 2000);
        EditorFixture f;
        QVERIFY(f.open([&](EditorFixture &fx) {
            if (kind == QLatin1String("folder")) {
                QDir(fx.dir.path()).mkdir("PUCKDEX.INI");
                QVERIFY(writeFile(fx.settingsPath() + "/inside.txt", "kept"));
            } else {
                QVERIFY(writeFile(fx.settingsPath(), random));
            }
        }));
        const auto before = snapshotOf(f.dir.path());
        MessageScript messages;
        QStringList shown;
        const bool writable = kind != QLatin1String("folder");
        bool stayedOpen = false;
        whenModalShown(QStringLiteral("frmStdPlayerAttrib"), [&](QWidget *w) {
            for (const char *name : {"txtStdFwd_2", "txtStdFwd_3", "txtStdGoal_2", "txtStdGoal_3"})
                shown.append(control<QLineEdit>(w, name)->text());
            QTest::mouseClick(control<QPushButton>(w, "cmdSave"), Qt::LeftButton);
            // A failed save keeps the window open with the user's values.
            stayedOpen = w->isVisible();
            if (stayedOpen)
                QTest::mouseClick(control<QPushButton>(w, "cmdCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(f.control<QPushButton>("cmdStdAttrib"), Qt::LeftButton);
        QCOMPARE(shown, (QStringList{"160", "40", "160", "25"}));
        QCOMPARE(stayedOpen, !writable);
        QCOMPARE(messages.shown.size(), writable ? 0 : 1);
        if (!writable) {
            checkFaultMessage(messages.shown.first(), f.settingsPath(),
                              QStringLiteral("is a folder, not a file"));
            QVERIFY(messages.shown.first().text.startsWith(kTemplatesNotSaved));
            messages.shown.clear();
            QCOMPARE(snapshotOf(f.dir.path()), before);
        } else {
            const QByteArray after = readFile(f.settingsPath());
            QVERIFY(after.startsWith(random));
            QCOMPARE(ProfileFile(f.settingsPath()).readInt(u"Puckdex", u"StandardForward2", 0),
                     160);
        }

        // Applying the templates works from the defaults.
        QVERIFY(f.chooseTeam(kTeam));
        QVERIFY(f.clickPlayer(targetsOf(f, false).shown));
        QTest::mouseClick(f.control<QPushButton>("cmdApplyStd"), Qt::LeftButton);
        QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), QStringLiteral("160"));
        QCOMPARE(messages.shown.size(), 0);
    }

    // ---------------------------------------------------------------------
    // Saved-game indexes that list nothing usable.

    // An attribute file cut short is said once as the roster opens, with how
    // many players' ratings it lacks; the window opens all the same.
    void aCutShortAttributeFileIsSaidOnce_data()
    {
        QTest::addColumn<int>("kept"); // bytes of att.db left, -1 all
        QTest::newRow("whole") << -1;
        QTest::newRow("cut in half") << 4000;
    }
    void aCutShortAttributeFileIsSaidOnce()
    {
        QFETCH(int, kept);
        const QString folder = freshFolder(QStringLiteral("cut"));
        QVERIFY(Sample::writeBaseRosters(folder).ok());
        const QString att = QDir(folder).filePath(QStringLiteral("att.db"));
        if (kept >= 0)
            QVERIFY(writeFile(att, readFile(att).left(kept)));
        const Sample::RosterImage sample = Sample::buildRoster();
        int without = 0;
        for (const Sample::SamplePlayer &p : sample.players) {
            const int size = p.record.isGoalie() ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
            without += kept >= 0 && p.record.teamNumber() < sample.teams.size()
                       && p.record.attribOffset() + size > kept;
        }
        MessageScript messages;
        chooseFolder(folder, messages);
        ProgramState state;
        const std::unique_ptr<MainWindow> window =
            runStartup(state, freshFolder("ini") + QStringLiteral("/PUCKDEX.INI"));
        QVERIFY(window);
        if (kept < 0) {
            QCOMPARE(messages.shown.size(), 0);
            return;
        }
        QVERIFY(without > 1);
        QCOMPARE(messages.texts(),
                 QStringList{QStringLiteral("%1 ends before the ratings of %2 players: they are "
                                            "listed, but cannot be shown or changed. Every other "
                                            "player can be edited; \"puckdex-cli check\" lists "
                                            "them.")
                                 .arg(QDir::toNativeSeparators(att))
                                 .arg(without)});
        QCOMPARE(messages.shown.first().style, MessageStyle::Warning);
    }

    void aGarbageSavedGameIndex_data()
    {
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<QList<int>>("games"); // saved games whose files exist
        QTest::addColumn<QString>("prefix");   // the set edited, or empty when refused
        QByteArray oneRandom = randomBytes(3, GameFiles::IndexHeaderSize + SeasonIndexEntry::Size);
        oneRandom[GameFiles::IndexHeaderSize] = 'x'; // no game number, whatever the bytes
        QByteArray threeRandom =
            randomBytes(4, GameFiles::IndexHeaderSize + 3 * SeasonIndexEntry::Size + 20);
        for (int i = 0; i < 3; ++i)
            threeRandom[GameFiles::IndexHeaderSize + i * SeasonIndexEntry::Size] = char('A' + i);
        QTest::newRow("random bytes, one entry") << oneRandom << QList<int>{3} << "";
        QTest::newRow("random bytes, three entries") << threeRandom << QList<int>{3} << "";
        QTest::newRow("game 9999 without its files") << indexWith({"9999"}) << QList<int>{3} << "";
        QTest::newRow("game 9999 with its files")
            << indexWith({"9999"}) << QList<int>{9999} << "09999";
        QTest::newRow("the only game listed has no files")
            << indexWith({"5"}) << QList<int>{3} << "";
        QTest::newRow("no listed game has files") << indexWith({"5", "6  "}) << QList<int>{3} << "";
    }
    void aGarbageSavedGameIndex()
    {
        QFETCH(QByteArray, index);
        QFETCH(QList<int>, games);
        QFETCH(QString, prefix);
        const QString folder = freshFolder(QStringLiteral("index"));
        QVERIFY(Sample::writeSavedGames(folder, games).ok());
        QVERIFY(writeFile(QDir(folder).filePath(Sample::IndexFileName), index));
        const auto before = snapshotOf(folder);

        MessageScript messages;
        int folderWindows = 0;
        chooseFolder(folder, messages, nullptr, &folderWindows, prefix.isEmpty());
        int savedGameWindows = 0;
        const bool several =
            index.size() >= GameFiles::IndexHeaderSize + 2 * SeasonIndexEntry::Size;
        if (several && !prefix.isEmpty()) {
            whenModalShown(QStringLiteral("frmSeasonToEdit"), [&](QWidget *w) {
                ++savedGameWindows;
                auto *list = control<QListWidget>(w, "lstSeasonToEdit");
                list->item(0)->setSelected(true);
                QTest::mouseClick(control<QPushButton>(w, "cmdOK"), Qt::LeftButton);
            });
        }
        ProgramState state;
        const std::unique_ptr<MainWindow> window =
            runStartup(state, freshFolder("ini") + QStringLiteral("/PUCKDEX.INI"));
        // An index none of whose games is whole offers none to choose.
        QCOMPARE(savedGameWindows, several && !prefix.isEmpty() ? 1 : 0);
        if (prefix.isEmpty()) {
            QVERIFY(!window);
            QCOMPARE(folderWindows, 2);
            // Games the index lists are named with the files they lack.
            const QString said = messages.texts().first();
            QVERIFY(said.startsWith(MissingFilesMessage));
            if (QString::fromLatin1(QTest::currentDataTag()).contains("files"))
                QVERIFY2(said.contains("\n\nsaved game ") && said.contains("key.db missing"),
                         qPrintable(said));
            QCOMPARE(messages.shown.first().title, QStringLiteral("Puckdex"));
            QCOMPARE(messages.shown.first().style, MessageStyle::Warning);
        } else {
            QVERIFY(window);
            QCOMPARE(messages.shown.size(), 0);
            QCOMPARE(state.files.prefix, prefix);
            QCOMPARE(control<QComboBox>(window.get(), "cboTeams")->count(), Sample::kTeamCount);
        }
        QCOMPARE(snapshotOf(folder), before);
    }
};

QTEST_MAIN(TstStartupFaults)
#include "tst_startupfaults.moc"
