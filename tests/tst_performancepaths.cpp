// The short ways taken for speed must keep what the user sees and what lands
// on disk: the cleared window is on screen before a team's players are read,
// the jersey list filled at once equals one filled entry by entry, a setting
// that already holds its value is not rewritten, and the benchmark's
// quit-after-paint mode ends the program without touching the game files.

#include "editorfixture.h"
#include "testfiles.h"

#include "player/valuerules.h"
#include "settings/profilefile.h"

#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QStandardItemModel>

using namespace Puckdex;

namespace {

// What was painted while a handler ran, and what the window held right then.
class PaintLog : public QObject
{
public:
    struct Paint
    {
        QObject *target;
        int listedPlayers;
        QString firstName;
    };

    PaintLog(QListWidget *players, QLineEdit *firstName)
        : m_players(players), m_firstName(firstName)
    {}
    QList<Paint> paints;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            paints.append({watched, m_players->count(), m_firstName->text()});
        return false;
    }

private:
    QListWidget *m_players;
    QLineEdit *m_firstName;
};

} // namespace

class TestPerformancePaths : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    void teamChoicePaintsTheClearedWindowBeforeTheScan()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const QList<PlayerEntry> players = f.players(0);
        QVERIFY(!players.isEmpty());
        QVERIFY(f.clickPlayer(players.first().offset));
        QVERIFY(!f.control<QLineEdit>("txtFirstName")->text().isEmpty());
        QCoreApplication::processEvents();

        PaintLog log(f.control<QListWidget>("lstPlayers"), f.control<QLineEdit>("txtFirstName"));
        QWidget *viewport = f.control<QListWidget>("lstPlayers")->viewport();
        viewport->installEventFilter(&log);
        f.control<QLineEdit>("txtFirstName")->installEventFilter(&log);
        QVERIFY(f.chooseTeam(1));
        viewport->removeEventFilter(&log);
        f.control<QLineEdit>("txtFirstName")->removeEventFilter(&log);

        // Painted inside the handler, with the list empty: before the scan.
        bool listPainted = false;
        bool nameCleared = false;
        for (const PaintLog::Paint &p : std::as_const(log.paints)) {
            if (p.target == viewport && p.listedPlayers == 0)
                listPainted = true;
            if (p.target == f.control<QLineEdit>("txtFirstName") && p.firstName.isEmpty() &&
                p.listedPlayers == 0)
                nameCleared = true;
        }
        QVERIFY(listPainted);
        QVERIFY(nameCleared);
        QCOMPARE(f.control<QListWidget>("lstPlayers")->count(), f.players(1).size());
    }

    void jerseyListEqualsOneFilledEntryByEntry_data()
    {
        QTest::addColumn<bool>("playerShown");
        QTest::newRow("team chosen") << false;
        QTest::newRow("player shown") << true;
    }

    void jerseyListEqualsOneFilledEntryByEntry()
    {
        QFETCH(bool, playerShown);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(2));
        const QList<PlayerEntry> players = f.players(2);
        QVERIFY(!players.isEmpty());
        if (playerShown)
            QVERIFY(f.clickPlayer(players.first().offset));

        QComboBox expected;
        for (int number = 0; number <= 99; ++number)
            expected.addItem(jerseyEntryText(number), number);
        for (const PlayerEntry &p : players) {
            if (p.record.jerseyNumber() <= 99)
                expected.setItemText(p.record.jerseyNumber(), TakenJerseyText);
        }
        // The shown player's own number reads as a number again.
        const int shownNumber = players.first().record.jerseyNumber();
        if (playerShown && shownNumber <= 99)
            expected.setItemText(shownNumber, jerseyEntryText(shownNumber));

        QComboBox *jerseys = f.control<QComboBox>("cboJerseyNum");
        QCOMPARE(jerseys->count(), 100);
        const auto *model = qobject_cast<QStandardItemModel *>(jerseys->model());
        const auto *expectedModel = qobject_cast<QStandardItemModel *>(expected.model());
        QVERIFY(model && expectedModel);
        for (int number = 0; number <= 99; ++number) {
            QCOMPARE(jerseys->itemText(number), expected.itemText(number));
            QCOMPARE(jerseys->itemData(number), QVariant(number));
            QCOMPARE(model->item(number)->flags(), expectedModel->item(number)->flags());
        }
        QCOMPARE(jerseys->currentIndex(), playerShown && shownNumber <= 99 ? shownNumber : -1);
    }

    void settingAlreadyHeldIsNotRewritten_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after"); // empty: left as it was

        const QByteArray file = "[Puckdex]\r\nNHL96Path=C:\\NHL96\r\nStandardGoalie0=6\r\n";
        QTest::newRow("same value") << file << "NHL96Path"
                                    << "C:\\NHL96" << QByteArray();
        QTest::newRow("same value, key in other case") << file << "nhl96path"
                                                       << "C:\\NHL96" << QByteArray();
        QTest::newRow("same value, blanks in the file")
            << QByteArray("[Puckdex]\r\nNHL96Path = C:\\NHL96\r\n") << "NHL96Path"
            << "C:\\NHL96" << QByteArray("[Puckdex]\r\nNHL96Path=C:\\NHL96\r\n");
        QTest::newRow("other value")
            << file << "NHL96Path"
            << "D:\\NHL96"
            << QByteArray("[Puckdex]\r\nNHL96Path=D:\\NHL96\r\nStandardGoalie0=6\r\n");
        QTest::newRow("new key") << file << "StandardGoalie1"
                                 << "7"
                                 << QByteArray(
                                        "[Puckdex]\r\nNHL96Path=C:\\NHL96\r\nStandardGoalie0=6\r\n"
                                        "StandardGoalie1=7\r\n");
    }

    void settingAlreadyHeldIsNotRewritten()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("PUCKDEX.INI"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write(before) == before.size() && file.flush());
            // A time no rewrite could leave behind.
            QVERIFY(file.setFileTime(QDateTime(QDate(1996, 1, 1), QTime(12, 0), Qt::UTC),
                                     QFileDevice::FileModificationTime));
        }
        ProfileFile settings(path);
        QVERIFY2(settings.writeString(u"Puckdex", key, value), qPrintable(settings.errorString()));
        QCOMPARE(readFile(path), after.isEmpty() ? before : after);
        const bool rewritten = QFileInfo(path).lastModified().date().year() != 1996;
        QCOMPARE(rewritten, !after.isEmpty());
        QCOMPARE(settings.readString(u"Puckdex", key), value);
    }

    void quitAfterPaintLeavesTheGameFiles_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("backups"); // made only on the way to the main window
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("main") << "main" << true;
    }

    void quitAfterPaintLeavesTheGameFiles()
    {
        QFETCH(QString, mode);
        QFETCH(bool, backups);

        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("NHL96"));
        QVERIFY(Sample::writeBaseRosters(folder).ok());
        const QStringList names = {QStringLiteral("teams.db"), QStringLiteral("key.db"),
                                   QStringLiteral("att.db")};
        QList<QByteArray> original;
        for (const QString &name : names)
            original.append(readFile(QDir(folder).filePath(name)));
        const QString ini = dir.filePath(QStringLiteral("PUCKDEX.INI"));
        // As the program writes it back at every start: in the system's own spelling.
        const QByteArray settings =
            "[Puckdex]\r\nNHL96Path=" + QDir::toNativeSeparators(folder).toLocal8Bit() + "\r\n";
        {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(settings);
        }

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PUCKDEX_INI"), ini);
        env.insert(QStringLiteral("PUCKDEX_QUIT_AFTER_PAINT"), mode);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(PUCKDEX_PROGRAM), {});
        QVERIFY(program.waitForStarted());
        if (!program.waitForFinished(60000)) {
            program.kill();
            program.waitForFinished();
            QFAIL("the program did not end by itself");
        }
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(readFile(QDir(folder).filePath(names[i])), original[i]);
            const QString backup = QDir(folder).filePath(backupName(names[i]));
            QCOMPARE(QFileInfo::exists(backup), backups);
            if (backups)
                QCOMPARE(readFile(backup), original[i]);
        }
        QCOMPARE(readFile(ini), settings);
    }
};

QTEST_MAIN(TestPerformancePaths)
#include "tst_performancepaths.moc"
