#include "editorfixture.h"
#include "messagescript.h"
#include "modalhelper.h"
#include "players.h"

#include "player/valuerules.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace Puckdex;

namespace {

// The texts of the height, weight and every rating box, in box order.
QStringList fields(EditorFixture &f)
{
    QStringList texts = {f.control<QLineEdit>("txtHeightFeet")->text(),
                         f.control<QLineEdit>("txtHeightInches")->text(),
                         f.control<QLineEdit>("txtWeight")->text()};
    for (const QLineEdit *box : f.window->findChildren<QLineEdit *>()) {
        if (box->objectName().startsWith(QStringLiteral("txtAllPlayers"))
            || box->objectName().startsWith(QStringLiteral("txtFwdDef"))
            || box->objectName().startsWith(QStringLiteral("txtGoalies")))
            texts.append(box->objectName() + QLatin1Char('=') + box->text());
    }
    return texts;
}

void apply(EditorFixture &f)
{
    QTest::mouseClick(f.control<QPushButton>("cmdApplyStd"), Qt::LeftButton);
}

} // namespace

class TstApplyTemplate : public QObject
{
    Q_OBJECT

private:
    bool showPlayer(EditorFixture &f, bool goalie)
    {
        return f.chooseTeam(5) && f.clickPlayer(firstOf(f.players(5), goalie)->offset);
    }

private slots:
    void cleanup()
    {
        QCOMPARE(dropPendingModalActions(), 0);
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    void defaultTemplates_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::newRow("goalie") << true;
        QTest::newRow("skater") << false;
    }
    void defaultTemplates()
    {
        QFETCH(bool, goalie);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, goalie));
        MessageScript messages;
        const QStringList fwdDef = [&] {
            QStringList t;
            for (int i = 0; i < 10; ++i)
                t.append(f.ratingBox(RatingGroup::FwdDef, i)->text());
            return t;
        }();
        const QStringList goalies = [&] {
            QStringList t;
            for (int i = 0; i < 5; ++i)
                t.append(f.ratingBox(RatingGroup::Goalies, i)->text());
            return t;
        }();

        apply(f);
        QCOMPARE(f.control<QLineEdit>("txtHeightFeet")->text(), QStringLiteral("5"));
        QCOMPARE(f.control<QLineEdit>("txtHeightInches")->text(), QStringLiteral("0"));
        QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), QStringLiteral("160"));
        const QString rating = goalie ? QStringLiteral("25") : QStringLiteral("40");
        for (int i = 0; i < 4; ++i)
            QCOMPARE(f.ratingBox(RatingGroup::AllPlayers, i)->text(), rating);
        for (int i = 0; i < 10; ++i) {
            const QString expected = goalie ? fwdDef.at(i) : (i == 2 || i == 9) ? QStringLiteral("0") : rating;
            QCOMPARE(f.ratingBox(RatingGroup::FwdDef, i)->text(), expected);
        }
        for (int i = 0; i < 5; ++i)
            QCOMPARE(f.ratingBox(RatingGroup::Goalies, i)->text(), goalie ? rating : goalies.at(i));
        QVERIFY(f.control<QListWidget>("lstPlayers")->hasFocus());
        QCOMPARE(messages.shown.size(), 0);
        // Nothing is stored before the player is left ...
        QCOMPARE(f.key(), f.originalKey);
        QCOMPARE(f.att(), f.originalAtt);
        // ... and then the template's values are, weight class included.
        const qint64 offset = f.shownOffset();
        QVERIFY(f.chooseTeam(6));
        const PlayerRecord written = f.player(offset);
        QCOMPARE(written.heightInches(), 60);
        QCOMPARE(written.weightPounds(), 160);
        const QByteArray att = f.att().mid(written.attribOffset(), goalie ? 17 : 21);
        QCOMPARE(int(att.at(goalie ? 8 : 3)), int(weightClass(160)));
        QCOMPARE(int(att.at(goalie ? 6 : 1)), 0); // speed at the bottom of the scale
    }

    void starredFieldsAreLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("speed");   // "" keeps the player's value
        QTest::addColumn<QString>("agility");
        QTest::newRow("speed starred") << QByteArray("StandardForward3=999\r\nStandardForward4=60\r\n") << "" << "60";
        QTest::newRow("agility starred") << QByteArray("StandardForward3=60\r\nStandardForward4=999\r\n") << "60" << "";
    }
    void starredFieldsAreLeftAlone()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, speed);
        QFETCH(QString, agility);
        EditorFixture f;
        QVERIFY(f.open([&](EditorFixture &fx) {
            QVERIFY(writeFile(fx.settingsPath(), "[Puckdex]\r\n" + settings));
        }));
        QVERIFY(showPlayer(f, false));
        const QString speedBefore = f.control<QLineEdit>("txtAllPlayers_0")->text();
        const QString agilityBefore = f.control<QLineEdit>("txtAllPlayers_1")->text();
        apply(f);
        QCOMPARE(f.control<QLineEdit>("txtAllPlayers_0")->text(),
                 speed.isEmpty() ? speedBefore : speed);
        QCOMPARE(f.control<QLineEdit>("txtAllPlayers_1")->text(),
                 agility.isEmpty() ? agilityBefore : agility);
    }

    void aTemplateOfStarsChangesNothing()
    {
        EditorFixture f;
        QVERIFY(f.open([&](EditorFixture &fx) {
            QByteArray ini = "[Puckdex]\r\n";
            for (int i = 0; i < 12; ++i)
                ini += "StandardGoalie" + QByteArray::number(i) + "=999\r\n";
            QVERIFY(writeFile(fx.settingsPath(), ini));
        }));
        QVERIFY(showPlayer(f, true));
        const QStringList before = fields(f);
        f.control<QLineEdit>("txtWeight")->setFocus();
        apply(f);
        QCOMPARE(fields(f), before);
        QVERIFY(f.control<QListWidget>("lstPlayers")->hasFocus());
    }

    void applyingTwiceIsApplyingOnce()
    {
        EditorFixture f;
        QVERIFY(f.open([&](EditorFixture &fx) {
            QVERIFY(writeFile(fx.settingsPath(),
                              "[Puckdex]\r\nStandardForward2=201\r\nStandardForward9=53\r\n"));
        }));
        QVERIFY(showPlayer(f, false));
        apply(f);
        const QStringList once = fields(f);
        apply(f);
        QCOMPARE(fields(f), once);
        QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), QStringLiteral("201"));
        QCOMPARE(f.control<QLineEdit>("txtFwdDef_2")->text(), QStringLiteral("53"));
    }

    // The template window, loaded hidden by the first apply, keeps what it
    // read: opening it shows those values, not a later state of the file.
    void theTemplatesAreReadWhenFirstNeeded()
    {
        EditorFixture f;
        QVERIFY(f.open([&](EditorFixture &fx) {
            QVERIFY(writeFile(fx.settingsPath(), "[Puckdex]\r\nStandardForward3=72\r\n"));
        }));
        QVERIFY(showPlayer(f, false));
        apply(f);
        QCOMPARE(f.control<QLineEdit>("txtAllPlayers_0")->text(), QStringLiteral("72"));
        QVERIFY(writeFile(f.settingsPath(), "[Puckdex]\r\nStandardForward3=88\r\n"));
        QString shown;
        whenModalShown(QStringLiteral("frmStdPlayerAttrib"), [&](QWidget *w) {
            shown = control<QLineEdit>(w, "txtStdFwd_3")->text();
            QTest::mouseClick(control<QPushButton>(w, "cmdCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(f.control<QPushButton>("cmdStdAttrib"), Qt::LeftButton);
        QCOMPARE(shown, QStringLiteral("72"));
        // Closed, it is read afresh next time.
        apply(f);
        QCOMPARE(f.control<QLineEdit>("txtAllPlayers_0")->text(), QStringLiteral("88"));
    }

    void savedTemplatesApplyAtOnce()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, true));
        whenModalShown(QStringLiteral("frmStdPlayerAttrib"), [&](QWidget *w) {
            EditorFixture::type(control<QLineEdit>(w, "txtStdGoal_11"), QStringLiteral("95"));
            QTest::mouseClick(control<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        });
        QTest::mouseClick(f.control<QPushButton>("cmdStdAttrib"), Qt::LeftButton);
        QVERIFY(readFile(f.settingsPath()).contains("StandardGoalie11=95"));
        apply(f);
        QCOMPARE(f.control<QLineEdit>("txtGoalies_4")->text(), QStringLiteral("95"));
    }
};

QTEST_MAIN(TstApplyTemplate)
#include "tst_applytemplate.moc"
