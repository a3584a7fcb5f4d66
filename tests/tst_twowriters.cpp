#include "editorfixture.h"
#include "messagescript.h"
#include "player/playerrow.h"

#include <QProcess>
#include <QTest>

using namespace Puckdex;

namespace {

constexpr int kTeam = 0;

} // namespace

// The window and puckdex-cli, a real second process, writing one roster: a
// player shown in the window and changed by the command line meanwhile is
// never written back over that change.
class TestTwoWriters : public QObject
{
    Q_OBJECT

    // Runs puckdex-cli on the fixture's roster and settings, to its end.
    static int cli(EditorFixture &f, const QStringList &arguments, QByteArray *err = nullptr)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PUCKDEX_INI"), f.settingsPath());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(PUCKDEX_CLI), arguments);
        if (!process.waitForFinished(60000))
            return -1;
        if (err)
            *err = process.readAllStandardError();
        return process.exitCode();
    }
    // A value of his as the files hold it, as the editor shows it.
    static QString shownValue(EditorFixture &f, qint64 offset, PlayerRow::ColumnId column)
    {
        const PlayerRecord key = f.player(offset);
        const PlayerRow::ReadRow row =
            PlayerRow::readRow(f.path("att.db"), PlayerEntry{offset, key}, QString());
        return row.row[std::size_t(column)];
    }
    static qint64 firstSkater(EditorFixture &f)
    {
        for (const PlayerEntry &p : f.players(kTeam)) {
            if (!p.record.isGoalie())
                return p.offset;
        }
        return -1;
    }

private slots:
    // The user changes Checking while an import changes his Speed: leaving
    // him writes nothing and says so; he is shown as the import left him,
    // Checking as typed; leaving him again saves Checking beside the
    // imported Speed.
    void anImportWhileHeIsShownIsNotWrittenOver()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        const qint64 shown = firstSkater(f);
        const QList<PlayerEntry> team = f.players(kTeam);
        const qint64 other = team.first().offset == shown ? team.last().offset : team.first().offset;
        QVERIFY(f.chooseTeam(kTeam));
        QVERIFY(f.clickPlayer(shown));
        constexpr int speedColumn = PlayerRow::FirstRatingColumn;
        const int checkingColumn = int(std::find_if(PlayerRow::columns().cbegin(),
                                                    PlayerRow::columns().cend(),
                                                    [](const PlayerRow::Column &c) {
                                                        return c.name == QLatin1String("checking");
                                                    })
                                       - PlayerRow::columns().cbegin());
        const int speed = shownValue(f, shown, PlayerRow::ColumnId(speedColumn)).toInt();
        const int imported = speed <= 92 ? speed + 8 : speed - 8;
        const int checking =
            shownValue(f, shown, PlayerRow::ColumnId(checkingColumn)).toInt() <= 60 ? 80 : 40;

        QVERIFY(writeFile(f.dir.filePath("speed.csv"),
                          QStringLiteral("offset,speed\r\n%1,%2\r\n").arg(shown).arg(imported).toUtf8()));
        QCOMPARE(cli(f, {"import", f.dir.path(), f.dir.filePath("speed.csv"), "--no-backup"}), 0);
        const QByteArray keyImported = f.key(), attImported = f.att();

        QLineEdit *box = f.ratingBox(RatingGroup::FwdDef, 5);
        EditorFixture::type(box, QString::number(checking));
        QTest::keyClick(box, Qt::Key_Tab);
        QVERIFY(f.clickPlayer(other));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.shown.first().text.contains("Another program changed"),
                 qPrintable(messages.shown.first().text));
        QVERIFY2(messages.shown.first().text.contains("(Speed)"),
                 qPrintable(messages.shown.first().text));
        QCOMPARE(f.key(), keyImported);
        QCOMPARE(f.att(), attImported);
        QCOMPARE(f.shownOffset(), shown);
        QCOMPARE(f.ratingBox(RatingGroup::AllPlayers, 0)->text(), QString::number(imported));
        QCOMPARE(box->text(), QString::number(checking));

        QVERIFY(f.clickPlayer(other));
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(f.shownOffset(), other);
        QCOMPARE(shownValue(f, shown, PlayerRow::ColumnId(speedColumn)), QString::number(imported));
        QCOMPARE(shownValue(f, shown, PlayerRow::ColumnId(checkingColumn)),
                 QString::number(checking));
        // His key record, and every other player, as the import left them.
        QCOMPARE(f.key(), keyImported);
    }

    // A save taken back from the command line while he is shown again: the
    // window's next save keeps the undo, and the user's new entry.
    void anUndoWhileHeIsShownIsNotWrittenOver()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        const qint64 shown = firstSkater(f);
        const QList<PlayerEntry> team = f.players(kTeam);
        const qint64 other = team.first().offset == shown ? team.last().offset : team.first().offset;
        const QString firstName = f.player(shown).firstName();
        QVERIFY(f.chooseTeam(kTeam));
        QVERIFY(f.clickPlayer(shown));
        EditorFixture::type(f.control<QLineEdit>("txtFirstName"), QStringLiteral("Zed"));
        QVERIFY(f.clickPlayer(other));
        QVERIFY(f.clickPlayer(shown));
        QCOMPARE(f.player(shown).firstName(), QStringLiteral("Zed"));
        EditorFixture::type(f.control<QLineEdit>("txtWeight"), QStringLiteral("201"));

        QCOMPARE(cli(f, {"undo", f.dir.path()}), 0);
        QCOMPARE(f.key(), f.originalKey);
        QVERIFY(f.clickPlayer(other));
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(f.key(), f.originalKey);
        QCOMPARE(f.control<QLineEdit>("txtFirstName")->text(), firstName);
        QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), QStringLiteral("201"));
        QVERIFY(f.clickPlayer(other));
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(f.player(shown).firstName(), firstName);
        QCOMPARE(int(f.player(shown).weightPounds()), 201);
    }
};

QTEST_MAIN(TestTwoWriters)
#include "tst_twowriters.moc"
