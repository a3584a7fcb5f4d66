#include "editorfixture.h"
#include "messagescript.h"
#include "messagetexts.h"
#include "modalhelper.h"
#include "players.h"

#include "player/valuerules.h"
#include "player/playeredit.h"

#include "fieldrows.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

using namespace Puckdex;

namespace {

// Types into the box and leaves it with Tab, as a user does.
void typeAndTab(QLineEdit *box, const QString &text)
{
    EditorFixture::type(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
}

// Answers the picture question with the given button, after choosing the option.
void answerPicture(const char *button, const char *option = nullptr, QString *question = nullptr)
{
    whenModalShown(QStringLiteral("frmDelPlayerPic"), [=](QWidget *w) {
        if (question)
            *question = control<QLabel>(w, "lblDelPic")->text();
        if (option)
            QTest::mouseClick(control<QRadioButton>(w, option), Qt::LeftButton);
        if (QByteArray(button) == "close")
            w->close();
        else
            QTest::mouseClick(control<QPushButton>(w, button), Qt::LeftButton);
    });
}

QStringList listed(QListWidget *list)
{
    QStringList names;
    for (int row = 0; row < list->count(); ++row)
        names.append(list->item(row)->text());
    return names;
}

} // namespace

class TstFieldRules : public QObject
{
    Q_OBJECT

private:
    // Opens the editor with team `team` chosen and a goalie or skater shown.
    bool showPlayer(EditorFixture &f, bool goalie, int team = 5, int skip = 0)
    {
        if (!f.chooseTeam(team))
            return false;
        const auto p = firstOf(f.players(team), goalie, skip);
        return p && f.clickPlayer(p->offset);
    }

private slots:
    void cleanup()
    {
        QCOMPARE(dropPendingModalActions(), 0);
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    void leavingANumericField_data() { addFieldRows(); }
    // Every numeric box of either kind of player is checked by its field's
    // rule when it is left: it shows what the rule lets stand, with the
    // message the rule owes, and the focus goes on. (The rules themselves
    // are tested in the core.)
    void leavingANumericField()
    {
        QFETCH(const PlayerField *, field);
        QFETCH(bool, goalie);
        const FieldRule &rule = *field->of(goalie).rule;
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, goalie));
        QLineEdit *box = field->isRating() ? f.ratingBox(field->group, field->box)
                         : field->id == FieldId::HeightFeet   ? f.control<QLineEdit>("txtHeightFeet")
                         : field->id == FieldId::HeightInches ? f.control<QLineEdit>("txtHeightInches")
                                                              : f.control<QLineEdit>("txtWeight");
        for (const QString &typed :
             {QString::number(rule.upper + 1), QString::number(rule.lower + 1), QString()}) {
            MessageScript messages;
            QTest::mouseClick(box, Qt::LeftButton);
            // Typing alone checks nothing.
            EditorFixture::type(box, typed);
            QCOMPARE(messages.shown.size(), 0);
            QTest::keyClick(box, Qt::Key_Tab);
            const PlayerEdit::CheckedNumber checked = PlayerEdit::checkNumber(typed, rule);
            QCOMPARE(box->text(), QString::number(checked.value));
            QCOMPARE(messages.texts(),
                     checked.message.isEmpty() ? QStringList() : QStringList{checked.message});
            if (!checked.message.isEmpty())
                QCOMPARE(messages.shown.first().style, MessageStyle::Warning);
            // The focus went on; it is not forced back.
            QVERIFY(!box->hasFocus());
        }
    }

    // The weight box's class reaches the byte of his kind's record (the
    // classes of each kind's weights are the draft's to test).
    void weightClassFollowsTheWeight_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<int>("pounds");
        QTest::addColumn<int>("weightClass");
        QTest::newRow("goalie 165") << true << 165 << 1;
        QTest::newRow("skater 170") << false << 170 << 2;
    }
    void weightClassFollowsTheWeight()
    {
        QFETCH(bool, goalie);
        QFETCH(int, pounds);
        QFETCH(int, weightClass);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, goalie));
        MessageScript messages;
        const qint64 offset = f.shownOffset();
        const PlayerRecord before = f.player(offset);
        typeAndTab(f.control<QLineEdit>("txtWeight"), QString::number(pounds));
        QCOMPARE(f.window->draft()->fields().weightClass, std::optional<quint8>(weightClass));
        // Nothing reaches the files before the player is left.
        QCOMPARE(f.att(), f.originalAtt);
        QVERIFY(f.chooseTeam(6));
        QByteArray att = f.originalAtt;
        att[before.attribOffset() + (goalie ? 8 : 3)] = char(weightClass);
        QCOMPARE(f.att(), att);
        QByteArray key = f.originalKey;
        key[offset + PlayerRecord::WeightPoundsByte] = char(pounds);
        QCOMPARE(f.key(), key);
        QCOMPARE(messages.shown.size(), 0);
    }

    void enteringABoxSelectsItsText()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, false));
        QTest::mouseClick(f.control<QLineEdit>("txtHeightFeet"), Qt::LeftButton);
        QTest::keyClick(f.control<QLineEdit>("txtHeightFeet"), Qt::Key_Tab);
        QTRY_COMPARE(f.control<QLineEdit>("txtHeightInches")->selectedText(),
                     f.control<QLineEdit>("txtHeightInches")->text());
        QTest::mouseClick(f.control<QLineEdit>("txtFwdDef_3"), Qt::LeftButton);
        QTRY_COMPARE(f.control<QLineEdit>("txtFwdDef_3")->selectedText(),
                     f.control<QLineEdit>("txtFwdDef_3")->text());
    }

    void statusLineHelp()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, true));
        QLabel *status = f.control<QLabel>("lblStatus");
        const auto over = [](QWidget *w, QPoint at = QPoint(2, 2)) { QTest::mouseMove(w, at); };

        over(f.control<QLineEdit>("txtWeight"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 155 and 239 pounds"));
        over(f.control<QLineEdit>("txtHeightInches"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 5 feet and 6 feet 11 inches"));
        over(f.control<QLineEdit>("txtAllPlayers_2"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 25 and 100 and a multiple of 5"));
        // Off the box the help goes back to the box being edited (none here);
        // the frame's own surface clears it too.
        over(f.control<QLabel>("lblAllPlayers_2"));
        QCOMPARE(status->text(), QString());
        over(f.control<QLineEdit>("txtAllPlayers_2"));
        over(f.control<QGroupBox>("fraAllPlayers"),
             QPoint(f.control<QGroupBox>("fraAllPlayers")->width() - 4,
                    f.control<QGroupBox>("fraAllPlayers")->height() - 4));
        QCOMPARE(status->text(), QString());
        over(f.control<QLineEdit>("txtGoalies_1"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 25 and 100 and a multiple of 5"));
        over(f.window.get(), QPoint(f.window->width() - 3, 3));
        QCOMPARE(status->text(), QString());

        // A skater: his own ranges.
        const auto skater = firstOf(f.players(5), false);
        QVERIFY(f.clickPlayer(skater->offset));
        over(f.control<QLineEdit>("txtWeight"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 160 and 254 pounds"));

        // By keyboard: the box the focus reaches shows its range, and it is
        // shown again once the pointer has left another box.
        QTest::mouseClick(f.control<QLineEdit>("txtHeightInches"), Qt::LeftButton);
        QTest::keyClick(f.control<QLineEdit>("txtHeightInches"), Qt::Key_Tab);
        QVERIFY(f.control<QLineEdit>("txtWeight")->hasFocus());
        QCOMPARE(status->text(), QStringLiteral("Must be between 160 and 254 pounds"));
        over(f.control<QLineEdit>("txtFwdDef_9"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 0 and 100"));
        over(f.control<QLabel>("lblFwdDef_9"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 160 and 254 pounds"));
        QTest::keyClick(f.control<QLineEdit>("txtWeight"), Qt::Key_Tab);
        QCOMPARE(status->text(), QString()); // the rookie box has no range
        over(f.control<QLineEdit>("txtAllPlayers_0"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 40 and 100 and a multiple of 4"));
        over(f.control<QLineEdit>("txtFwdDef_2"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 0 and 100"));
        over(f.control<QLineEdit>("txtFwdDef_9"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 0 and 100"));
        over(f.control<QLineEdit>("txtFwdDef_8"));
        QCOMPARE(status->text(), QStringLiteral("Must be between 40 and 100 and a multiple of 4"));
        over(f.control<QGroupBox>("fraHanded"),
             QPoint(f.control<QGroupBox>("fraHanded")->width() - 3,
                    f.control<QGroupBox>("fraHanded")->height() - 3));
        QCOMPARE(status->text(), QString());
    }

    void clickingARatingFrameFocusesItsFirstBox_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("first");
        QTest::newRow("all players") << false << "fraAllPlayers" << "txtAllPlayers_0";
        QTest::newRow("forwards and defensemen") << false << "fraFwdDef" << "txtFwdDef_0";
        QTest::newRow("goalies") << true << "fraGoalies" << "txtGoalies_0";
    }
    void clickingARatingFrameFocusesItsFirstBox()
    {
        QFETCH(bool, goalie);
        QFETCH(QString, frame);
        QFETCH(QString, first);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, goalie));
        MessageScript messages;
        // A wrong weight being edited: the click leaves it, so it is checked.
        EditorFixture::type(f.control<QLineEdit>("txtWeight"), QStringLiteral("999"));
        auto *box = f.window->findChild<QGroupBox *>(frame);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 4, box->height() - 4));
        QVERIFY(f.window->findChild<QLineEdit *>(first)->hasFocus());
        QCOMPARE(f.control<QLineEdit>("txtWeight")->text(),
                 goalie ? QStringLiteral("239") : QStringLiteral("254"));
        QCOMPARE(messages.shown.size(), 1);
    }

    void firstNameInProperCase_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("wAYNE") << "wAYNE" << "Wayne";
        QTest::newRow("two words") << "jean luc" << "Jean Luc";
        QTest::newRow("hyphen") << "JEAN-LUC" << "Jean-luc";
        QTest::newRow("apostrophe") << "o'neill" << "O'neill";
        // Upper case only where the game's code page has it.
        QTest::newRow("micro sign stays") << QStringLiteral("µarc") << QStringLiteral("µarc");
        QTest::newRow("florin stays") << QStringLiteral("ƒred") << QStringLiteral("ƒred");
        QTest::newRow("sharp s stays") << QStringLiteral("ßam") << QStringLiteral("ßam");
        QTest::newRow("y diaeresis rises") << QStringLiteral("ÿves") << QStringLiteral("Ÿves");
    }
    void firstNameInProperCase()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, false));
        MessageScript messages;
        const QStringList before = listed(f.control<QListWidget>("lstPlayers"));
        typeAndTab(f.control<QLineEdit>("txtFirstName"), typed);
        QCOMPARE(f.control<QLineEdit>("txtFirstName")->text(), shown);
        QCOMPARE(listed(f.control<QListWidget>("lstPlayers")), before);
        // And the player can be saved with it.
        const qint64 offset = f.shownOffset();
        QVERIFY(f.chooseTeam(6));
        QCOMPARE(messages.shown.size(), 0);
        QCOMPARE(f.player(offset).firstName(), shown);
    }

    void nameBoxesRefuseWhatTheGameCannotStore()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, false));
        QLineEdit *first = f.control<QLineEdit>("txtFirstName");
        EditorFixture::type(first, QStringLiteral("Jörg"));
        QCOMPARE(first->text(), QStringLiteral("Jörg"));
        first->insert(QStringLiteral("日本"));
        QCOMPARE(first->text(), QStringLiteral("Jörg"));
        first->insert(QStringLiteral("🏒"));
        QCOMPARE(first->text(), QStringLiteral("Jörg"));
        EditorFixture::type(first, QStringLiteral("JörgΩ"));
        QCOMPARE(first->text(), QStringLiteral("Jörg"));
        // The limit counts characters of the code page.
        EditorFixture::type(f.control<QLineEdit>("txtLastName"),
                            QStringLiteral("Ääääääääääääääääääää"));
        QCOMPARE(f.control<QLineEdit>("txtLastName")->text().size(), 17);
    }

    void renamingMovesTheEntryAndKeepsThePlayerShown()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(5));
        QListWidget *list = f.control<QListWidget>("lstPlayers");
        const qint64 offset = list->item(0)->data(Qt::UserRole).toLongLong();
        QVERIFY(f.clickPlayer(offset));
        const QString firstName = f.control<QLineEdit>("txtFirstName")->text();
        const QString weight = f.control<QLineEdit>("txtWeight")->text();

        QString question;
        answerPicture("cmdYes", nullptr, &question);
        typeAndTab(f.control<QLineEdit>("txtLastName"), QStringLiteral("zzyzx"));
        QCOMPARE(f.control<QLineEdit>("txtLastName")->text(), QStringLiteral("Zzyzx"));
        QVERIFY(question.endsWith(QStringLiteral(" when ") + firstName + QStringLiteral(" Zzyzx is selected ?")));
        QCOMPARE(list->item(list->count() - 1)->text(), QStringLiteral("Zzyzx"));
        QCOMPARE(list->item(list->count() - 1)->data(Qt::UserRole).toLongLong(), offset);
        QCOMPARE(f.shownOffset(), offset);
        QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), weight);
        QVERIFY(f.window->isPlayerShown());
        // Still in memory only.
        QCOMPARE(f.key(), f.originalKey);
        QCOMPARE(messages.shown.size(), 0);

        // Leaving him writes the new name, NUL padded, picture kept.
        QVERIFY(f.chooseTeam(6));
        PlayerRecord expected = f.player(offset);
        QCOMPARE(expected.lastName(), QStringLiteral("Zzyzx"));
        QByteArray key = f.originalKey;
        PlayerRecord original;
        original.assign(f.originalKey.mid(offset, 60));
        QCOMPARE(original.setLastName(QStringLiteral("Zzyzx")), TextFit::Ok);
        key.replace(offset, 60, original.toByteArray());
        QCOMPARE(f.key(), key);
    }

    // The user renames a player and clicks another one whose entry the
    // rename shifts: the question comes first, then the renamed player is
    // written and the clicked one loaded.
    void renamingThenClickingAnotherPlayer()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(5));
        QListWidget *list = f.control<QListWidget>("lstPlayers");
        QVERIFY(list->count() > 4);
        const qint64 renamed = list->item(0)->data(Qt::UserRole).toLongLong();
        const qint64 target = list->item(2)->data(Qt::UserRole).toLongLong();
        QVERIFY(f.clickPlayer(renamed));

        bool asked = false;
        bool askedFirst = false;
        whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *w) {
            asked = true;
            askedFirst = f.key() == f.originalKey;
            QTest::mouseClick(control<QPushButton>(w, "cmdNo"), Qt::LeftButton);
        });
        EditorFixture::type(f.control<QLineEdit>("txtLastName"), QStringLiteral("Zzyzx"));
        QVERIFY(f.clickPlayer(target));
        // The question comes once the click has reached the list.
        QTRY_VERIFY(asked);
        QVERIFY(askedFirst);
        QTRY_COMPARE(list->item(list->count() - 1)->text(), QStringLiteral("Zzyzx"));
        QCOMPARE(f.shownOffset(), target);
        QCOMPARE(f.control<QLineEdit>("txtLastName")->text(), f.player(target).lastName());
        const PlayerRecord written = f.player(renamed);
        QCOMPARE(written.lastName(), QStringLiteral("Zzyzx"));
        QCOMPARE(written.pictureCodeA(), QStringLiteral("NONE"));
        QCOMPARE(written.pictureCodeB(), QStringLiteral("NONE"));
        QCOMPARE(messages.shown.size(), 0);
    }

    void lastNameChangeTest_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("typed"); // empty: enter and leave without typing
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("listedAs");
        QTest::newRow("lower case stored") << QByteArray("smith") << QString() << true << "Smith";
        QTest::newRow("unchanged") << QByteArray("Smith") << QString() << false << "Smith";
        QTest::newRow("shortened") << QByteArray("Smithson") << "Smith" << false << "Smithson";
        QTest::newRow("longer") << QByteArray("Smith") << "Smithy" << true << "Smithy";
        QTest::newRow("emptied") << QByteArray("Smith") << "\b" << false << "Smith";
    }
    void lastNameChangeTest()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, typed);
        QFETCH(bool, asked);
        QFETCH(QString, listedAs);
        EditorFixture f;
        qint64 offset = -1;
        QVERIFY(f.open([&](EditorFixture &fx) {
            offset = firstOf(fx.players(5), false)->offset;
            fx.patchPlayer(offset, [&](PlayerRecord &p) { p.setLastName(QString::fromLatin1(stored)); });
        }));
        MessageScript messages;
        QVERIFY(f.chooseTeam(5));
        QVERIFY(f.clickPlayer(offset));
        int questions = 0;
        if (asked) {
            whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *w) {
                ++questions;
                QTest::mouseClick(control<QPushButton>(w, "cmdYes"), Qt::LeftButton);
            });
        }
        QTest::mouseClick(f.control<QLineEdit>("txtLastName"), Qt::LeftButton);
        if (typed == "\b")
            EditorFixture::type(f.control<QLineEdit>("txtLastName"), QString());
        else if (!typed.isEmpty())
            EditorFixture::type(f.control<QLineEdit>("txtLastName"), typed);
        QTest::keyClick(f.control<QLineEdit>("txtLastName"), Qt::Key_Tab);
        QCOMPARE(questions, asked ? 1 : 0);
        QVERIFY(
            f.control<QListWidget>("lstPlayers")->findItems(listedAs, Qt::MatchExactly).size() ==
            1);
        QCOMPARE(f.shownOffset(), offset);
        // The next click in the list loads the clicked player normally.
        const auto other = firstOf(f.players(5), true);
        QVERIFY(f.clickPlayer(other->offset));
        QCOMPARE(f.shownOffset(), other->offset);
        QCOMPARE(f.control<QLineEdit>("txtLastName")->text(), other->record.lastName());
        QCOMPARE(messages.shown.size(), 0);
    }

    void jerseyNumbersWornByTeammatesAreRefused()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, false));
        MessageScript messages;
        QComboBox *jerseys = f.control<QComboBox>("cboJerseyNum");
        const int loaded = jerseys->currentIndex();
        int taken = -1, free = -1;
        for (int k = 0; k < 100; ++k) {
            if (jerseys->itemText(k) == "**" && taken < 0)
                taken = k;
            if (jerseys->itemText(k) != "**" && k != loaded && free < 0)
                free = k;
        }
        jerseys->setCurrentIndex(taken);
        // Who wears it is said too.
        const QList<PlayerEntry> team = f.players(5);
        const auto wearer = std::find_if(team.cbegin(), team.cend(),
                                         [taken](const PlayerEntry &p) {
                                             return p.record.jerseyNumber() == taken;
                                         });
        QCOMPARE(messages.texts(),
                 QStringList{QStringLiteral("Sorry, you cannot use \"**\" as a jersey number.\n\n"
                                            "Number %1 is worn by %2 %3.")
                                 .arg(taken)
                                 .arg(wearer->record.firstName(), wearer->record.lastName())});
        QCOMPARE(messages.shown.first().style, MessageStyle::Warning);
        QCOMPARE(jerseys->currentIndex(), loaded);
        QVERIFY(jerseys->hasFocus());

        jerseys->setCurrentIndex(free);
        jerseys->setCurrentIndex(taken);
        QCOMPARE(messages.shown.size(), 2);
        QCOMPARE(jerseys->currentIndex(), free);
        QCOMPARE(f.window->draft()->fields().jerseyNumber, std::optional<quint8>(free));
    }

    void goaliesAndSkatersKeepTheirKind()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, true));
        MessageScript messages;
        QComboBox *positions = f.control<QComboBox>("cboPosition");
        positions->setCurrentIndex(1); // D
        QCOMPARE(positions->currentText(), QStringLiteral("G"));
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Sorry, a Goalie cannot play Forward or Defense.")});

        // A defenceman may play centre, but not goal.
        qint64 defenceman = -1;
        for (const PlayerEntry &p : f.players(5)) {
            if (p.record.position() == 'D' && defenceman < 0)
                defenceman = p.offset;
        }
        QVERIFY(f.clickPlayer(defenceman));
        positions->setCurrentIndex(3); // C
        QCOMPARE(messages.shown.size(), 1);
        positions->setCurrentIndex(0); // G
        QCOMPARE(positions->currentText(), QStringLiteral("D"));
        QCOMPARE(messages.texts().last(), QStringLiteral("Sorry, a Forward or Defenseman can not play Goal."));
        positions->setCurrentIndex(3);
        // Written as the letter last picked.
        QVERIFY(f.chooseTeam(6));
        QCOMPARE(f.player(defenceman).position(), 'C');
        QByteArray key = f.originalKey;
        key[defenceman + PlayerRecord::PositionByte] = 'C';
        QCOMPARE(f.key(), key);
        QCOMPARE(f.att(), f.originalAtt);
    }

    // The wheel turns a combo box without taking the focus: a position picked
    // while the last name is being edited is checked all the same.
    void aPositionPickedWhileRenamingIsChecked()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(5));
        qint64 defenceman = -1;
        for (const PlayerEntry &p : f.players(5)) {
            if (p.record.position() == 'D' && defenceman < 0)
                defenceman = p.offset;
        }
        QVERIFY(f.clickPlayer(defenceman));
        MessageScript messages;
        QTest::mouseClick(f.control<QLineEdit>("txtLastName"), Qt::LeftButton);
        QVERIFY(f.control<QLineEdit>("txtLastName")->hasFocus());
        QComboBox *positions = f.control<QComboBox>("cboPosition");
        const QPoint centre = positions->rect().center();
        QWheelEvent up(centre, positions->mapToGlobal(centre), QPoint(), QPoint(0, 120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(positions, &up);
        QCOMPARE(messages.texts(),
                 QStringList{QStringLiteral("Sorry, a Forward or Defenseman can not play Goal.")});
        QCOMPARE(positions->currentText(), QStringLiteral("D"));
    }

    void rookieFlag_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("answer"); // 0 (OK): no question expected
        QTest::addColumn<QString>("shown");
        QTest::newRow("y") << "y" << 0 << "Y";
        QTest::newRow("n") << "n" << 0 << "N";
        QTest::newRow("x, No") << "x" << int(MessageAnswer::No) << "N";
        QTest::newRow("empty, Yes") << "" << int(MessageAnswer::Yes) << "Y";
    }
    void rookieFlag()
    {
        QFETCH(QString, typed);
        QFETCH(int, answer);
        QFETCH(QString, shown);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, false));
        MessageScript messages;
        if (answer)
            messages.answer(MessageAnswer(answer));
        typeAndTab(f.control<QLineEdit>("txtRookie"), typed);
        QCOMPARE(f.control<QLineEdit>("txtRookie")->text(), shown);
        if (answer) {
            QCOMPARE(messages.texts(), QStringList{QStringLiteral(" Is this player a Rookie ?")});
            QCOMPARE(messages.shown.first().style, MessageStyle::Question);
        } else {
            QCOMPARE(messages.shown.size(), 0);
        }
    }

    void pictureQuestionText()
    {
        EditorFixture f;
        qint64 offset = -1;
        QVERIFY(f.open([&](EditorFixture &fx) {
            offset = firstOf(fx.players(5), false)->offset;
            fx.patchPlayer(offset, [](PlayerRecord &p) {
                p.setFirstName(QStringLiteral("John"));
                p.setLastName(QStringLiteral("Smith"));
            });
        }));
        QVERIFY(f.chooseTeam(5));
        QVERIFY(f.clickPlayer(offset));
        QString question;
        answerPicture("cmdYes", nullptr, &question);
        typeAndTab(f.control<QLineEdit>("txtLastName"), QStringLiteral("Jones"));
        QCOMPARE(question, QStringLiteral("Do you want NHL 96 to show the picture of John Smith when John Jones is selected ?"));
    }

    // Two renames in a row with the answers and choices of the row; the
    // picture codes on disk after each.
    void pictureChoices_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("option");
        QTest::addColumn<bool>("firstUnlinked");
        QTest::addColumn<bool>("askedAgain");
        QTest::addColumn<bool>("secondUnlinked");
        QTest::newRow("yes") << QByteArray("cmdYes") << QByteArray() << false << true << false;
        QTest::newRow("no") << QByteArray("cmdNo") << QByteArray() << true << true << true;
        QTest::newRow("no, never delete") << QByteArray("cmdNo") << QByteArray("optNeverDelete") << true << false << false;
        QTest::newRow("yes, always delete") << QByteArray("cmdYes") << QByteArray("optAllwaysDelete") << false << false << true;
        QTest::newRow("closed through the frame") << QByteArray("close") << QByteArray() << false << true << false;
    }
    void pictureChoices()
    {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, option);
        QFETCH(bool, firstUnlinked);
        QFETCH(bool, askedAgain);
        QFETCH(bool, secondUnlinked);
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(5));
        const auto first = firstOf(f.players(5), false, 0);
        const auto second = firstOf(f.players(5), false, 1);
        QVERIFY(first->record.pictureCodeA() != "NONE" || first->record.pictureCodeB() != "NONE");

        int asked = 0;
        whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *w) {
            ++asked;
            if (!option.isEmpty())
                QTest::mouseClick(control<QRadioButton>(w, option.constData()), Qt::LeftButton);
            if (button == "close")
                w->close();
            else
                QTest::mouseClick(control<QPushButton>(w, button.constData()), Qt::LeftButton);
        });
        QVERIFY(f.clickPlayer(first->offset));
        typeAndTab(f.control<QLineEdit>("txtLastName"), QStringLiteral("Renamedone"));
        QCOMPARE(asked, 1);

        if (askedAgain) {
            whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *w) {
                ++asked;
                QTest::mouseClick(
                    control<QPushButton>(w, button == "close" ? "cmdYes" : button.constData()),
                    Qt::LeftButton);
            });
        }
        QVERIFY(f.clickPlayer(second->offset));
        typeAndTab(f.control<QLineEdit>("txtLastName"), QStringLiteral("Renamedtwo"));
        QVERIFY(f.chooseTeam(6));
        QCOMPARE(asked, askedAgain ? 2 : 1);

        const auto unlinked = [](const PlayerRecord &p) {
            return p.pictureCodeA() == "NONE" && p.pictureCodeB() == "NONE";
        };
        const auto same = [&](qint64 offset) {
            PlayerRecord original;
            original.assign(f.originalKey.mid(offset, 60));
            return f.player(offset).pictureCodeA() == original.pictureCodeA()
                   && f.player(offset).pictureCodeB() == original.pictureCodeB();
        };
        QCOMPARE(unlinked(f.player(first->offset)) || (!firstUnlinked && same(first->offset)), true);
        QCOMPARE(firstUnlinked ? unlinked(f.player(first->offset)) : same(first->offset), true);
        QCOMPARE(secondUnlinked ? unlinked(f.player(second->offset)) : same(second->offset), true);
        QCOMPARE(messages.shown.size(), 0);
    }

    // A message shown as one box is left takes the focus out of the window
    // before the next box has it: that box is entered all the same, its
    // text selected, so what the user types replaces it.
    void aBoxReachedThroughAMessageIsEntered_data()
    {
        QTest::addColumn<bool>("byClick");
        QTest::addColumn<bool>("windowManager");
        QTest::newRow("Tab") << false << true;
        QTest::newRow("click") << true << true;
        QTest::newRow("Tab, no window manager") << false << false;
    }
    void aBoxReachedThroughAMessageIsEntered()
    {
        QFETCH(bool, byClick);
        QFETCH(bool, windowManager);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, false));
        MessageScript messages;
        messages.takesFocus = true;
        messages.givesFocusBack = windowManager;
        QLineEdit *speed = f.control<QLineEdit>("txtAllPlayers_0");
        QLineEdit *agility = f.control<QLineEdit>("txtAllPlayers_1");
        EditorFixture::type(speed, QStringLiteral("101"));
        if (byClick)
            QTest::mouseClick(agility, Qt::LeftButton);
        else
            QTest::keyClick(speed, Qt::Key_Tab);
        QCOMPARE(messages.shown.size(), 1);
        if (windowManager)
            QTRY_COMPARE(QApplication::focusWidget(), agility);
        QCOMPARE(f.window->focusWidget(), agility);
        QTest::qWait(10);
        QTest::keyClick(agility, Qt::Key_8);
        QCOMPARE(agility->text(), QStringLiteral("8"));
    }

    // The last name's entry step runs also when a message stood between:
    // click player A, into Last Name and on to player B; B's Speed 101, a
    // click into Last Name, the message, a new name. B is renamed, A stays.
    void lastNameReachedThroughAMessage_data()
    {
        QTest::addColumn<bool>("thenAnotherPlayer");
        QTest::newRow("then Tab") << false;
        QTest::newRow("then another player") << true;
    }
    void lastNameReachedThroughAMessage()
    {
        QFETCH(bool, thenAnotherPlayer);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(5));
        QListWidget *list = f.control<QListWidget>("lstPlayers");
        QVERIFY(list->count() > 4);
        const qint64 a = list->item(0)->data(Qt::UserRole).toLongLong();
        const qint64 b = list->item(1)->data(Qt::UserRole).toLongLong();
        const qint64 c = list->item(3)->data(Qt::UserRole).toLongLong();
        QStringList expected = listed(list);
        expected.removeAt(1);
        expected.append(QStringLiteral("Zzyzx"));
        MessageScript messages;
        messages.takesFocus = true;

        QVERIFY(f.clickPlayer(a));
        QTest::mouseClick(f.control<QLineEdit>("txtLastName"), Qt::LeftButton);
        QVERIFY(f.clickPlayer(b));
        QTRY_COMPARE(f.window->draft()->offset(), b);
        EditorFixture::type(f.control<QLineEdit>("txtAllPlayers_0"), QStringLiteral("101"));
        QTest::mouseClick(f.control<QLineEdit>("txtLastName"), Qt::LeftButton);
        QCOMPARE(messages.shown.size(), 1);
        QTRY_COMPARE(QApplication::focusWidget(), f.control<QLineEdit>("txtLastName"));
        QTest::qWait(10);

        bool asked = false;
        whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *w) {
            asked = true;
            QTest::mouseClick(control<QPushButton>(w, "cmdYes"), Qt::LeftButton);
        });
        QTest::keyClicks(f.control<QLineEdit>("txtLastName"), QStringLiteral("Zzyzx"));
        if (thenAnotherPlayer)
            QVERIFY(f.clickPlayer(c));
        else
            QTest::keyClick(f.control<QLineEdit>("txtLastName"), Qt::Key_Tab);
        QTRY_VERIFY(asked);
        QTRY_COMPARE(listed(list), expected);
        QCOMPARE(list->item(list->count() - 1)->data(Qt::UserRole).toLongLong(), b);
        QCOMPARE(f.shownOffset(), thenAnotherPlayer ? c : b);
        QCOMPARE(f.window->draft()->offset(), thenAnotherPlayer ? c : b);
        if (thenAnotherPlayer)
            QCOMPARE(f.player(b).lastName(), QStringLiteral("Zzyzx"));
        QCOMPARE(f.key().mid(a, PlayerRecord::Size), f.originalKey.mid(a, PlayerRecord::Size));
        QCOMPARE(messages.shown.size(), 1);
    }

    // Enter answers the picture question with the button that has the
    // focus: Yes when it opens, No after a Tab.
    void enterAnswersThePictureQuestion_data()
    {
        QTest::addColumn<bool>("tabToNo");
        QTest::newRow("Yes") << false;
        QTest::newRow("No") << true;
    }
    void enterAnswersThePictureQuestion()
    {
        QFETCH(bool, tabToNo);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, false));
        MessageScript messages;
        bool closed = false;
        whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *w) {
            QTRY_COMPARE(QApplication::focusWidget(), control<QPushButton>(w, "cmdYes"));
            if (tabToNo)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            closed = !w->isVisible();
            if (!closed)
                w->close();
        });
        const qint64 offset = f.shownOffset();
        typeAndTab(f.control<QLineEdit>("txtLastName"), QStringLiteral("Zzyzx"));
        QVERIFY(closed);
        QVERIFY(f.chooseTeam(6));
        QCOMPARE(f.player(offset).pictureCodeA() == "NONE", tabToNo);
    }

    // The question shows the whole of the longest names, however they wrap.
    void thePictureQuestionShowsWideNames()
    {
        EditorFixture f;
        qint64 offset = -1;
        QVERIFY(f.open([&](EditorFixture &fx) {
            offset = firstOf(fx.players(5), false)->offset;
            fx.patchPlayer(offset, [](PlayerRecord &p) {
                p.setFirstName(QString(16, QLatin1Char('W')));
                p.setLastName(QString(17, QLatin1Char('M')));
            });
        }));
        QVERIFY(f.chooseTeam(5));
        QVERIFY(f.clickPlayer(offset));
        MessageScript messages;
        bool whole = false;
        whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *w) {
            auto *label = control<QLabel>(w, "lblDelPic");
            const QFontMetrics metrics(label->font());
            const QRect needed = metrics.boundingRect(QRect(0, 0, label->width(), 10000),
                                                      Qt::TextWordWrap, label->text());
            whole = needed.width() <= label->width() && needed.height() <= label->height()
                    && label->heightForWidth(label->width()) <= label->height()
                    && w->rect().contains(label->geometry());
            for (QWidget *other : w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (other != label && other->geometry().intersects(label->geometry()))
                    whole = false;
                if (!w->rect().contains(other->geometry()))
                    whole = false;
            }
            QTest::mouseClick(control<QPushButton>(w, "cmdYes"), Qt::LeftButton);
        });
        typeAndTab(f.control<QLineEdit>("txtLastName"), QString(17, QLatin1Char('W')));
        QVERIFY(whole);
    }

    // Closing the window through its frame leaves the field being edited:
    // its rule runs before the player is written.
    void closingTheWindowChecksTheFieldBeingEdited_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("stored");
        QTest::newRow("weight 999") << "txtWeight" << "999" << int(PlayerRecord::WeightPoundsByte) << 254;
        QTest::newRow("rookie x") << "txtRookie" << "x" << int(PlayerRecord::RookieFlagByte) << int('Y');
        QTest::newRow("feet 9") << "txtHeightFeet" << "9" << int(PlayerRecord::HeightInchesByte) << -1;
    }
    void closingTheWindowChecksTheFieldBeingEdited()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, byte);
        QFETCH(int, stored);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(showPlayer(f, false));
        MessageScript messages;
        messages.answer(MessageAnswer::Yes); // the rookie question
        const qint64 offset = f.shownOffset();
        const int inches = f.player(offset).heightInches() % 12;
        EditorFixture::type(f.window->findChild<QLineEdit *>(box), typed);
        f.window->close();
        QVERIFY(!f.window->isVisible());
        QCOMPARE(messages.shown.size(), 1);
        const int expected = stored >= 0 ? stored : 6 * 12 + inches;
        QCOMPARE(int(quint8(f.key().at(offset + byte))), expected);
    }
};

QTEST_MAIN(TstFieldRules)
#include "tst_fieldrules.moc"
