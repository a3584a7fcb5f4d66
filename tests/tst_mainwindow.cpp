#include "editorfixture.h"
#include "messagescript.h"
#include "shellscript.h"
#include "widgets/userguide.h"
#include "messagetexts.h"
#include "modalhelper.h"
#include "players.h"

#include "widgets/windowsetup.h"
#include "player/valuerules.h"
#include "player/ratings.h"
#include "player/scales.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QClipboard>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QToolTip>

using namespace Puckdex;

namespace {

// What the window must show for a player, straight from the bytes on disk.
void checkShown(EditorFixture &f, const PlayerEntry &entry)
{
    const PlayerRecord &p = entry.record;
    QCOMPARE(f.control<QLineEdit>("txtFirstName")->text(), p.firstName());
    QCOMPARE(f.control<QLineEdit>("txtLastName")->text(), p.lastName());
    QCOMPARE(f.control<QLineEdit>("txtHeightFeet")->text(), QString::number(p.heightInches() / 12));
    QCOMPARE(f.control<QLineEdit>("txtHeightInches")->text(),
             QString::number(p.heightInches() % 12));
    QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), QString::number(p.weightPounds()));
    QCOMPARE(f.control<QLineEdit>("txtRookie")->text(), shownRookieFlag(p.rookieFlag()));
    QCOMPARE(f.control<QComboBox>("cboJerseyNum")->currentIndex(), int(p.jerseyNumber()));
    QCOMPARE(f.control<QComboBox>("cboJerseyNum")->currentText(),
             QStringLiteral(" %1").arg(p.jerseyNumber()));
    QCOMPARE(f.control<QComboBox>("cboPosition")->currentText(),
             QString(QLatin1Char(p.position())));

    const QByteArray att = f.att();
    const bool goalie = p.isGoalie();
    const QByteArray record = att.mid(p.attribOffset(), goalie ? 17 : 21);
    QCOMPARE(f.control<QRadioButton>("optShootsLeft")->isChecked(), record.at(0) == 0);
    QCOMPARE(f.control<QRadioButton>("optShootsRight")->isChecked(), record.at(0) != 0);
    QCOMPARE(f.control<QGroupBox>("fraHanded")->title(),
             goalie ? QStringLiteral("Glove Hand:") : QStringLiteral("Shoots:"));
    QCOMPARE(f.control<QGroupBox>("fraGoalies")->isEnabled(), goalie);
    QCOMPARE(f.control<QGroupBox>("fraFwdDef")->isEnabled(), !goalie);
    const auto fields = goalie ? std::span<const RatingField>(kGoalieRatingFields)
                               : std::span<const RatingField>(kSkaterRatingFields);
    for (const RatingField &field : fields) {
        QCOMPARE(f.ratingBox(field.group, field.box)->text(),
                 QString::number(shownFromStored(field.scale, quint8(record.at(field.byte)))));
    }
    // The other kind's boxes are empty.
    const RatingGroup other = goalie ? RatingGroup::FwdDef : RatingGroup::Goalies;
    for (int box = 0; box < (goalie ? 10 : 5); ++box)
        QCOMPARE(f.ratingBox(other, box)->text(), QString());
}

} // namespace

class TstMainWindow : public QObject
{
    Q_OBJECT

private slots:
    // As the program does at its start.
    void initTestCase() { installHelpKey(*qApp); }

    void cleanup()
    {
        QCOMPARE(dropPendingModalActions(), 0);
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    void initialState()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QCOMPARE(f.control<QComboBox>("cboTeams")->count(), 26);
        QVERIFY(!f.control<QListWidget>("lstPlayers")->isEnabled());
        QVERIFY(!f.control<QPushButton>("cmdApplyStd")->isEnabled());
        QVERIFY(f.control<QPushButton>("cmdExit")->hasFocus());
        QStringList positions;
        for (int i = 0; i < f.control<QComboBox>("cboPosition")->count(); ++i)
            positions.append(f.control<QComboBox>("cboPosition")->itemText(i));
        QCOMPARE(positions, (QStringList{"G", "D", "L", "C", "R"}));
        QCOMPARE(f.control<QComboBox>("cboPosition")->currentIndex(), -1);
        // No team is chosen yet, and none is shown as if it were.
        QCOMPARE(f.control<QComboBox>("cboTeams")->currentIndex(), -1);
        QCOMPARE(f.control<QComboBox>("cboTeams")->currentText(), QString());
    }

    // The list sorts as the user's language does (this machine sets none:
    // as English, Ö with O, not after Z), and teammates who share a last name
    // are told apart by their first names, also after a rename or a save.
    void thePlayerListSortsByLanguageAndTellsNamesakesApart()
    {
        const QList<std::pair<QString, QString>> names = {
            {"Ake", "Zornholm"},     {"Per", "\u00D6berg"},      {"Jan", "D\u00E9berg"},
            {"Ola", "Dunoson"},      {"Kalle", "Hollisenson"}, {"Sven", "Hollisenson"},
            {"Stig", "Hollisenson"}, {"Lars", "Smith"}};
        EditorFixture f;
        QList<qint64> offsets;
        QVERIFY(f.open([&](EditorFixture &fx) {
            const QList<PlayerEntry> team = fx.players(5);
            for (qsizetype i = 0; i < names.size(); ++i) {
                offsets.append(team.at(i).offset);
                fx.patchPlayer(team.at(i).offset, [&](PlayerRecord &p) {
                    p.setFirstName(names[i].first);
                    p.setLastName(names[i].second);
                });
            }
        }));
        MessageScript messages;
        QListWidget *list = f.control<QListWidget>("lstPlayers");
        const auto listed = [&] {
            QStringList texts;
            for (int row = 0; row < list->count(); ++row) {
                if (offsets.contains(list->item(row)->data(Qt::UserRole).toLongLong()))
                    texts.append(list->item(row)->text());
            }
            return texts;
        };
        QVERIFY(f.chooseTeam(5));
        QCOMPARE(listed(), (QStringList{"D\u00E9berg", "Dunoson", "Hollisenson, K.",
                                        "Hollisenson, Stig", "Hollisenson, Sven", "\u00D6berg",
                                        "Smith", "Zornholm"}));

        // Smith becomes a Hollisenson ("L."); then Stig, renamed Karl and
        // saved, shares Kalle's initial, and Sven is the only S.
        f.state.pictures = PictureChoice::NeverDelete;
        QVERIFY(f.clickPlayer(offsets[7]));
        EditorFixture::type(f.control<QLineEdit>("txtLastName"), QStringLiteral("Hollisenson"));
        QTest::keyClick(f.control<QLineEdit>("txtLastName"), Qt::Key_Tab);
        QVERIFY(f.clickPlayer(offsets[6]));
        EditorFixture::type(f.control<QLineEdit>("txtFirstName"), QStringLiteral("Karl"));
        QVERIFY(f.clickPlayer(offsets[0]));
        QCOMPARE(listed(), (QStringList{"D\u00E9berg", "Dunoson", "Hollisenson, Kalle",
                                        "Hollisenson, Karl", "Hollisenson, L.", "Hollisenson, S.",
                                        "\u00D6berg", "Zornholm"}));
        QCOMPARE(f.shownOffset(), offsets[0]);
        QCOMPARE(list->currentItem()->text(), QStringLiteral("Zornholm"));
        QCOMPARE(messages.shown.size(), 0);
    }

    // A name the list cuts shows whole as its tooltip; one it shows whole
    // has none.
    void aCutNameShowsWholeAsItsTooltip()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        f.state.pictures = PictureChoice::NeverDelete;
        QVERIFY(f.chooseTeam(5));
        const qint64 offset = firstOf(f.players(5), false)->offset;
        QVERIFY(f.clickPlayer(offset));
        const QString longName = QStringLiteral("Wahlgren-Wiklund");
        EditorFixture::type(f.control<QLineEdit>("txtLastName"), longName);
        QTest::keyClick(f.control<QLineEdit>("txtLastName"), Qt::Key_Tab);
        QListWidget *list = f.control<QListWidget>("lstPlayers");
        // The pointer resting on each entry, as the system asks for a tip.
        const auto tipAt = [list](const QListWidgetItem *entry) {
            list->scrollToItem(entry);
            const QPoint at = list->visualItemRect(entry).center();
            QHelpEvent rest(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QToolTip::hideText();
            QCoreApplication::sendEvent(list->viewport(), &rest);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        for (int row = 0; row < list->count(); ++row) {
            const QListWidgetItem *entry = list->item(row);
            const int width = list->fontMetrics().horizontalAdvance(entry->text());
            if (entry->data(Qt::UserRole).toLongLong() == offset) {
                QVERIFY(width > list->viewport()->width());
                QCOMPARE(tipAt(entry), longName);
            } else if (width < list->viewport()->width() / 2) {
                QCOMPARE(tipAt(entry), QString());
            }
        }
        QToolTip::hideText();
        QCOMPARE(messages.shown.size(), 0);
    }

    // Up and Down step over the numbers teammates wear; typed digits pick a
    // number, or say who wears it, without a message box.
    void theJerseyListAnswersTheKeyboard()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(5));
        QVERIFY(f.clickPlayer(firstOf(f.players(5), false)->offset));
        QComboBox *jerseys = f.control<QComboBox>("cboJerseyNum");
        const auto worn = [&](int k) { return jerseys->itemText(k) == QStringLiteral("**"); };
        int before = -1; // free, with a worn number after it
        int twoDigitsFree = -1, twoDigitsWorn = -1;
        for (int k = 0; k < 99; ++k) {
            if (before < 0 && !worn(k) && worn(k + 1))
                before = k;
            if (k >= 10 && twoDigitsFree < 0 && !worn(k))
                twoDigitsFree = k;
            if (k >= 10 && twoDigitsWorn < 0 && worn(k) && !worn(k / 10))
                twoDigitsWorn = k;
        }
        QVERIFY(before >= 0 && twoDigitsFree >= 0 && twoDigitsWorn >= 0);
        int after = before + 1;
        while (worn(after))
            ++after;

        jerseys->setCurrentIndex(before);
        jerseys->setFocus(Qt::TabFocusReason);
        QTest::keyClick(jerseys, Qt::Key_Down);
        QCOMPARE(jerseys->currentIndex(), after);
        QTest::keyClick(jerseys, Qt::Key_Up);
        QCOMPARE(jerseys->currentIndex(), before);

        const QString digits = QString::number(twoDigitsFree);
        QTest::keyClicks(jerseys, digits);
        QCOMPARE(jerseys->currentIndex(), twoDigitsFree);
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        // Its first digit picked on the way is given back too.
        QTest::keyClicks(jerseys, QString::number(twoDigitsWorn));
        QCOMPARE(jerseys->currentIndex(), twoDigitsFree);
        const QList<PlayerEntry> team = f.players(5);
        const auto wearer = std::find_if(team.cbegin(), team.cend(), [&](const PlayerEntry &p) {
            return p.record.jerseyNumber() == twoDigitsWorn;
        });
        QCOMPARE(f.control<QLabel>("lblStatus")->text(),
                 QStringLiteral("Number %1 is worn by %2 %3.")
                     .arg(twoDigitsWorn)
                     .arg(wearer->record.firstName(), wearer->record.lastName()));
        // The refusal goes with the next thing the user does.
        QTest::keyClick(jerseys, Qt::Key_Tab);
        QCOMPARE(f.control<QLabel>("lblStatus")->text(), QString());
        QCOMPARE(messages.shown.size(), 0);
    }

    // Apply Standard Attributes says how many values it changed; a letter
    // the game cannot store is left out of a name, and said.
    void theStatusLineSaysWhatWasDone()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(5));
        QVERIFY(f.clickPlayer(firstOf(f.players(5), false)->offset));
        QLabel *status = f.control<QLabel>("lblStatus");
        QTest::mouseClick(f.control<QPushButton>("cmdApplyStd"), Qt::LeftButton);
        static const QRegularExpression applied(
            QStringLiteral("^Standard forward attributes applied: ([2-9]|1[0-9]) values changed\\.$"));
        QVERIFY2(applied.match(status->text()).hasMatch(), qPrintable(status->text()));
        QTest::mouseClick(f.control<QPushButton>("cmdApplyStd"), Qt::LeftButton);
        QCOMPARE(status->text(),
                 QStringLiteral("Standard forward attributes applied: no value changed."));

        QLineEdit *first = f.control<QLineEdit>("txtFirstName");
        first->setFocus(Qt::TabFocusReason);
        first->selectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("\u0141ukasz"));
        QTest::keySequence(first, QKeySequence::Paste);
        QCOMPARE(first->text(), QStringLiteral("ukasz"));
        QCOMPARE(status->text(), QStringLiteral("\"\u0141\" was left out: the game cannot store it."));
        QCOMPARE(messages.shown.size(), 0);
    }

    // The open jersey list takes typed numbers, however it was opened: F4,
    // or the box's own showPopup() as assistive technology opens it. The
    // entries read " 12", so the list's own search would not find them.
    void theOpenJerseyListTakesTypedNumbers_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("F4") << true;
        QTest::newRow("showPopup") << false;
    }

    void theOpenJerseyListTakesTypedNumbers()
    {
        QFETCH(bool, byKey);
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(5));
        QVERIFY(f.clickPlayer(firstOf(f.players(5), false)->offset));
        QComboBox *jerseys = f.control<QComboBox>("cboJerseyNum");
        jerseys->setFocus(Qt::TabFocusReason);
        if (byKey)
            QTest::keyClick(jerseys, Qt::Key_F4);
        else
            jerseys->showPopup();
        QAbstractItemView *open = jerseys->view();
        QTRY_VERIFY(open->isVisible());
        QTest::keyClicks(open, QStringLiteral("12"));
        QCOMPARE(open->currentIndex().row(), 12);
        jerseys->hidePopup();
        QCOMPARE(messages.shown.size(), 0);
    }

    // After a team is chosen the first Down picks the first player; the
    // right button opens the list's menu without picking (and so saving)
    // another; Alt+P comes back to the list from anywhere.
    void thePlayerListAnswersTheFirstKey()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QListWidget *list = f.control<QListWidget>("lstPlayers");
        QVERIFY(f.chooseTeam(5));
        QVERIFY(list->hasFocus());
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(f.shownOffset(), list->item(0)->data(Qt::UserRole).toLongLong());
        QVERIFY(f.window->isPlayerShown());

        EditorFixture::type(f.control<QLineEdit>("txtFirstName"), QStringLiteral("Unsaved"));
        QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                          list->visualItemRect(list->item(2)).center());
        QCOMPARE(f.shownOffset(), list->item(0)->data(Qt::UserRole).toLongLong());
        QCOMPARE(f.key(), f.originalKey);

        QTest::mouseClick(f.control<QLineEdit>("txtFwdDef_4"), Qt::LeftButton);
        QTest::keyClick(f.control<QLineEdit>("txtFwdDef_4"), Qt::Key_P, Qt::AltModifier);
        QTRY_VERIFY(list->hasFocus());
        QCOMPARE(messages.shown.size(), 0);
    }

    void choosingATeam()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        const int team = 5;
        QVERIFY(f.chooseTeam(team));

        const Result<TeamRecord> record = GameFiles::readTeam(f.path("teams.db"), team);
        QVERIFY(record.ok());
        QCOMPARE(f.control<QLineEdit>("txtAbbrev")->text(), record->abbrev());
        QCOMPARE(f.control<QLineEdit>("txtName")->text(), record->teamName());
        QCOMPARE(f.control<QLineEdit>("txtCity")->text(), record->city());
        QVERIFY(!f.control<QLineEdit>("txtName")->isEnabled());

        // Every player once, alphabetical, each entry holding his offset.
        const QList<PlayerEntry> players = f.players(team);
        QCOMPARE(f.control<QListWidget>("lstPlayers")->count(), players.size());
        QStringList shown;
        for (int row = 0; row < f.control<QListWidget>("lstPlayers")->count(); ++row) {
            const qint64 offset =
                f.control<QListWidget>("lstPlayers")->item(row)->data(Qt::UserRole).toLongLong();
            QCOMPARE(f.control<QListWidget>("lstPlayers")->item(row)->text(),
                     f.player(offset).lastName());
            QCOMPARE(f.player(offset).teamNumber(), quint8(team));
            shown.append(f.control<QListWidget>("lstPlayers")->item(row)->text());
        }
        QStringList sorted = shown;
        std::stable_sort(sorted.begin(), sorted.end(), Puckdex::sortsBefore);
        QCOMPARE(shown, sorted);

        QList<int> worn;
        for (const PlayerEntry &p : players)
            worn.append(p.record.jerseyNumber());
        QCOMPARE(f.control<QComboBox>("cboJerseyNum")->count(), 100);
        for (int k = 0; k < 100; ++k) {
            QCOMPARE(f.control<QComboBox>("cboJerseyNum")->itemText(k),
                     worn.contains(k) ? QStringLiteral("**") : QStringLiteral(" %1").arg(k));
        }

        QVERIFY(f.control<QListWidget>("lstPlayers")->isEnabled());
        QVERIFY(f.control<QListWidget>("lstPlayers")->hasFocus());
        QVERIFY(f.control<QListWidget>("lstPlayers")->selectedItems().isEmpty());
        for (QWidget *w : {static_cast<QWidget *>(f.control<QLineEdit>("txtFirstName")),
                           static_cast<QWidget *>(f.control<QComboBox>("cboPosition")),
                           static_cast<QWidget *>(f.control<QGroupBox>("fraAllPlayers")),
                           static_cast<QWidget *>(f.control<QGroupBox>("fraFwdDef")),
                           static_cast<QWidget *>(f.control<QGroupBox>("fraGoalies")),
                           static_cast<QWidget *>(f.control<QGroupBox>("fraHanded")),
                           static_cast<QWidget *>(f.control<QPushButton>("cmdApplyStd"))})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QCOMPARE(f.control<QLineEdit>("txtFirstName")->text(), QString());
        QVERIFY(!f.window->isPlayerShown());
        QCOMPARE(messages.shown.size(), 0);
    }

    void choosingSkaterThenGoalieThenGoalie()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(3));
        const QList<PlayerEntry> players = f.players(3);
        const std::optional<PlayerEntry> skater = firstOf(players, false);
        const std::optional<PlayerEntry> goalie = firstOf(players, true);
        const std::optional<PlayerEntry> goalie2 = firstOf(players, true, 1);
        QVERIFY(skater && goalie && goalie2);
        for (const std::optional<PlayerEntry> &p : {skater, goalie, goalie2}) {
            QVERIFY(f.clickPlayer(p->offset));
            QCOMPARE(f.shownOffset(), p->offset);
            checkShown(f, *p);
            QVERIFY(f.window->isPlayerShown());
            QVERIFY(f.control<QPushButton>("cmdApplyStd")->isEnabled());
        }
        QCOMPARE(messages.shown.size(), 0);
        // Moving between players rewrote each as it was.
        QCOMPARE(f.key(), f.originalKey);
        QCOMPARE(f.att(), f.originalAtt);
    }

    // Every player of every team, loaded and left unchanged: not a byte moves.
    void leavingUnchangedPlayersWritesIdenticalBytes()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        bool sawSecondRegion = false;
        for (int team = 0; team < 26; ++team) {
            QVERIFY(f.chooseTeam(team));
            for (const PlayerEntry &p : f.players(team)) {
                QVERIFY(f.clickPlayer(p.offset));
                sawSecondRegion = sawSecondRegion || p.offset >= GameFiles::KeyRegionTwoStart;
            }
        }
        QTest::mouseClick(f.control<QPushButton>("cmdExit"), Qt::LeftButton);
        QVERIFY(sawSecondRegion);
        QCOMPARE(messages.shown.size(), 0);
        QCOMPARE(f.key(), f.originalKey);
        QCOMPARE(f.att(), f.originalAtt);
    }

    void editsReachTheFilesAndNothingElse()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(7));
        const QList<PlayerEntry> players = f.players(7);
        const std::optional<PlayerEntry> skater = firstOf(players, false, 1);
        QVERIFY(skater);
        QVERIFY(f.clickPlayer(skater->offset));

        EditorFixture::type(f.control<QLineEdit>("txtFirstName"), QStringLiteral("Zed"));
        EditorFixture::type(f.control<QLineEdit>("txtAllPlayers_0"), QStringLiteral("100"));
        EditorFixture::type(f.control<QLineEdit>("txtFwdDef_2"), QStringLiteral("53"));
        EditorFixture::type(f.control<QLineEdit>("txtFwdDef_9"), QStringLiteral("100"));
        EditorFixture::type(f.control<QLineEdit>("txtHeightFeet"), QStringLiteral("6"));
        EditorFixture::type(f.control<QLineEdit>("txtHeightInches"), QStringLiteral("11"));
        EditorFixture::type(f.control<QLineEdit>("txtWeight"), QStringLiteral("201"));
        const bool wasLeft = f.control<QRadioButton>("optShootsLeft")->isChecked();
        QTest::mouseClick(wasLeft ? f.control<QRadioButton>("optShootsRight")
                                  : f.control<QRadioButton>("optShootsLeft"),
                          Qt::LeftButton);
        // A jersey nobody on the team wears.
        int freeNumber = -1;
        for (int k = 99; k >= 0 && freeNumber < 0; --k) {
            if (f.control<QComboBox>("cboJerseyNum")->itemText(k) != QStringLiteral("**"))
                freeNumber = k;
        }
        f.control<QComboBox>("cboJerseyNum")->setCurrentIndex(freeNumber);

        // Leave him for another player.
        const std::optional<PlayerEntry> next = firstOf(players, false, 2);
        QVERIFY(f.clickPlayer(next->offset));
        QCOMPARE(messages.shown.size(), 0);

        PlayerRecord expected = skater->record;
        QCOMPARE(expected.setFirstName(QStringLiteral("Zed")), TextFit::Ok);
        expected.setHeightInches(83);
        expected.setWeightPounds(201);
        expected.setJerseyNumber(quint8(freeNumber));
        QByteArray key = f.originalKey;
        key.replace(skater->offset, 60, expected.toByteArray());
        QCOMPARE(f.key(), key);

        QByteArray att = f.originalAtt;
        const qint64 at = skater->record.attribOffset();
        att[at + 0] = wasLeft ? 1 : 0;
        att[at + 1] = 15; // speed 100
        att[at + 14] = 8; // bias 53
        att[at + 20] = 6; // fighting 100
        att[at + 3] = char(weightClass(201));
        QCOMPARE(f.att(), att);

        // The number he took is now taken; the one he left is free, unless
        // a teammate wears it too.
        QCOMPARE(f.control<QComboBox>("cboJerseyNum")->itemText(freeNumber), QStringLiteral("**"));
        int othersWearing = 0;
        for (const PlayerEntry &p : players)
            othersWearing += p.offset != skater->offset && p.record.jerseyNumber() == skater->record.jerseyNumber();
        if (skater->record.jerseyNumber() != next->record.jerseyNumber()) {
            QCOMPARE(f.control<QComboBox>("cboJerseyNum")->itemText(skater->record.jerseyNumber()),
                     othersWearing ? QStringLiteral("**")
                                   : QStringLiteral(" %1").arg(skater->record.jerseyNumber()));
        }
    }

    void normalisationsOnWrite()
    {
        EditorFixture f;
        qint64 offset = -1;
        QVERIFY(f.open([&](EditorFixture &fx) {
            const std::optional<PlayerEntry> skater = firstOf(fx.players(2), false);
            offset = skater->offset;
            fx.patchPlayer(offset, [](PlayerRecord &p) { p.setRookieFlag('\0'); });
            QByteArray att = fx.att();
            att[skater->record.attribOffset()] = 2;       // hand: right
            att[skater->record.attribOffset() + 20] = 10; // fighting 10 shows 50
            QVERIFY(writeFile(fx.path("att.db"), att));
        }));
        MessageScript messages;
        QVERIFY(f.chooseTeam(2));
        QVERIFY(f.clickPlayer(offset));
        QCOMPARE(f.control<QLineEdit>("txtRookie")->text(), QStringLiteral("N"));
        QVERIFY(f.control<QRadioButton>("optShootsRight")->isChecked());
        QCOMPARE(f.control<QLineEdit>("txtFwdDef_9")->text(), QStringLiteral("50"));
        QVERIFY(f.chooseTeam(3));

        const PlayerRecord before = f.player(offset);
        QByteArray key = f.originalKey;
        key[offset + PlayerRecord::RookieFlagByte] = 'N';
        QCOMPARE(f.key(), key);
        QByteArray att = f.originalAtt;
        att[before.attribOffset()] = 1;
        att[before.attribOffset() + 20] = 3;
        QCOMPARE(f.att(), att);
    }

    void exitAndCloseWriteTheShownPlayer_data()
    {
        QTest::addColumn<bool>("viaExit");
        QTest::newRow("exit button") << true;
        QTest::newRow("window frame") << false;
    }
    void exitAndCloseWriteTheShownPlayer()
    {
        QFETCH(bool, viaExit);
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(0));
        const std::optional<PlayerEntry> goalie = firstOf(f.players(0), true);
        QVERIFY(f.clickPlayer(goalie->offset));
        EditorFixture::type(f.control<QLineEdit>("txtGoalies_4"), QStringLiteral("100"));
        if (viaExit)
            QTest::mouseClick(f.control<QPushButton>("cmdExit"), Qt::LeftButton);
        else
            f.window->close();
        QVERIFY(!f.window->isVisible());
        QByteArray att = f.originalAtt;
        att[goalie->record.attribOffset() + 16] = 15;
        QCOMPARE(f.att(), att);
        QCOMPARE(f.key(), f.originalKey);
        QCOMPARE(messages.shown.size(), 0);
    }

    void twoPlayersWearingTheSameNumber()
    {
        EditorFixture f;
        qint64 first = -1, second = -1;
        QVERIFY(f.open([&](EditorFixture &fx) {
            const QList<PlayerEntry> players = fx.players(4);
            first = players.at(0).offset;
            second = players.at(1).offset;
            const quint8 number = players.at(0).record.jerseyNumber();
            fx.patchPlayer(second, [&](PlayerRecord &p) { p.setJerseyNumber(number); });
        }));
        MessageScript messages;
        QVERIFY(f.chooseTeam(4));
        const int number = f.player(first).jerseyNumber();
        QCOMPARE(f.control<QComboBox>("cboJerseyNum")->itemText(number), QStringLiteral("**"));
        for (qint64 offset : {first, second}) {
            QVERIFY(f.clickPlayer(offset));
            QCOMPARE(f.control<QComboBox>("cboJerseyNum")->currentIndex(), number);
            QCOMPARE(f.control<QComboBox>("cboJerseyNum")->currentText(),
                     QStringLiteral(" %1").arg(number));
        }
    }

    void aTeamWithoutPlayers()
    {
        EditorFixture f;
        QVERIFY(f.open([](EditorFixture &fx) {
            for (const PlayerEntry &p : fx.players(9))
                fx.patchPlayer(p.offset, [](PlayerRecord &r) { r.setTeamNumber(250); });
        }));
        MessageScript messages;
        QVERIFY(f.chooseTeam(9));
        QCOMPARE(f.control<QListWidget>("lstPlayers")->count(), 0);
        QVERIFY(f.control<QListWidget>("lstPlayers")->isEnabled());
        for (int k = 0; k < 100; ++k)
            QCOMPARE(f.control<QComboBox>("cboJerseyNum")->itemText(k),
                     QStringLiteral(" %1").arg(k));
    }

    void aJerseyAboveNinetyNine()
    {
        EditorFixture f;
        qint64 offset = -1;
        QVERIFY(f.open([&](EditorFixture &fx) {
            offset = fx.players(6).at(2).offset;
            fx.patchPlayer(offset, [](PlayerRecord &p) { p.setJerseyNumber(120); });
        }));
        MessageScript messages;
        QVERIFY(f.chooseTeam(6));
        QVERIFY(f.clickPlayer(offset));
        QCOMPARE(f.control<QComboBox>("cboJerseyNum")->currentIndex(), -1);
        QVERIFY(f.chooseTeam(7));
        QCOMPARE(f.key(), f.originalKey);
        QCOMPARE(messages.shown.size(), 0);
    }

    void aPositionLetterTheGameDoesNotKnow()
    {
        EditorFixture f;
        qint64 offset = -1;
        QVERIFY(f.open([&](EditorFixture &fx) {
            offset = firstOf(fx.players(8), false)->offset;
            fx.patchPlayer(offset, [](PlayerRecord &p) { p.setPosition('X'); });
        }));
        MessageScript messages;
        QVERIFY(f.chooseTeam(8));
        // A goalie first, so a kept selection would show "G".
        QVERIFY(f.clickPlayer(firstOf(f.players(8), true)->offset));
        QVERIFY(f.clickPlayer(offset));
        QCOMPARE(f.control<QComboBox>("cboPosition")->currentIndex(), -1);
        QVERIFY(f.control<QGroupBox>("fraFwdDef")->isEnabled());
        QVERIFY(f.chooseTeam(7));
        QCOMPARE(f.key(), f.originalKey);
        QCOMPARE(f.att(), f.originalAtt);
    }

    void aDamagedAttributeOffsetIsNotShown_data()
    {
        QTest::addColumn<qint32>("attribOffset");
        QTest::newRow("far beyond") << qint32(10'000'000);
        QTest::newRow("negative") << qint32(-40);
        QTest::newRow("last bytes") << qint32(-1); // patched to size - 5 below
    }
    void aDamagedAttributeOffsetIsNotShown()
    {
        QFETCH(qint32, attribOffset);
        EditorFixture f;
        qint64 offset = -1;
        MessageScript messages;
        QVERIFY(f.open([&](EditorFixture &fx) {
            offset = firstOf(fx.players(1), false)->offset;
            const qint32 value = attribOffset == -1 ? qint32(fx.att().size() - 5) : attribOffset;
            fx.patchPlayer(offset, [&](PlayerRecord &p) { p.setAttribOffset(value); });
        }));
        // Said once as the roster opens, then when he is picked.
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.texts().first().contains(QStringLiteral("ends before the ratings of 1 player:")),
                 qPrintable(messages.texts().first()));
        messages.shown.clear();
        QVERIFY(f.chooseTeam(1));
        const std::optional<PlayerEntry> good = firstOf(f.players(1), true);
        QVERIFY(f.clickPlayer(good->offset));
        QVERIFY(f.clickPlayer(offset));

        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.texts().first().contains(QStringLiteral("att.db")), qPrintable(messages.texts().first()));
        QCOMPARE(messages.shown.first().style, MessageStyle::Warning);
        // The team is chosen, no player is shown, nothing half filled.
        QVERIFY(!f.window->isPlayerShown());
        QVERIFY(!f.control<QLineEdit>("txtFirstName")->isEnabled());
        QCOMPARE(f.control<QLineEdit>("txtFirstName")->text(), QString());
        QCOMPARE(f.control<QLineEdit>("txtAllPlayers_0")->text(), QString());
        QVERIFY(f.control<QListWidget>("lstPlayers")->selectedItems().isEmpty());
        QVERIFY(f.control<QListWidget>("lstPlayers")->isEnabled());

        // The numbers the team wears are still marked: the next player shown
        // cannot take the number of a teammate.
        QComboBox *jerseys = f.control<QComboBox>("cboJerseyNum");
        const std::optional<PlayerEntry> next = firstOf(f.players(1), false, 1);
        QVERIFY(f.clickPlayer(next->offset));
        for (const PlayerEntry &p : f.players(1)) {
            if (p.offset != next->offset)
                QCOMPARE(jerseys->itemText(p.record.jerseyNumber()), QStringLiteral("**"));
        }
        jerseys->setCurrentIndex(good->record.jerseyNumber());
        QVERIFY(messages.texts().last().startsWith(
            QStringLiteral("Sorry, you cannot use \"**\" as a jersey number.")));
        QCOMPARE(jerseys->currentIndex(), int(next->record.jerseyNumber()));
        QTest::mouseClick(f.control<QPushButton>("cmdExit"), Qt::LeftButton);
        QCOMPARE(f.key(), f.originalKey);
        QCOMPARE(f.att(), f.originalAtt);
    }

    // The press on a button moves the focus there first; the box being
    // left shows a message, which takes the release; the button acts all
    // the same once the message is answered.
    void aClickSpentOnAMessageGoesAhead_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Exit") << "cmdExit";
        QTest::newRow("Apply Standard Attributes") << "cmdApplyStd";
    }
    void aClickSpentOnAMessageGoesAhead()
    {
        QFETCH(QString, button);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(5));
        const std::optional<PlayerEntry> skater = firstOf(f.players(5), false);
        QVERIFY(f.clickPlayer(skater->offset));
        MessageScript messages;
        messages.takesFocus = true;
        EditorFixture::type(f.control<QLineEdit>("txtWeight"), QStringLiteral("300"));
        auto *pressed = f.window->findChild<QPushButton *>(button);
        QTest::mousePress(pressed, Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList{greaterThan(254)});
        if (button == "cmdExit") {
            QTRY_VERIFY(!f.window->isVisible());
            QCOMPARE(int(quint8(f.key().at(skater->offset + PlayerRecord::WeightPoundsByte))), 254);
        } else {
            // The standard skater of an empty settings file.
            QTRY_COMPARE(f.control<QLineEdit>("txtWeight")->text(), QStringLiteral("160"));
            QCOMPARE(f.control<QLineEdit>("txtAllPlayers_0")->text(), QStringLiteral("40"));
        }
        QVERIFY(!pressed->isDown());
        QCOMPARE(messages.shown.size(), 1);
    }

    void aReadOnlyFileKeepsThePlayerShown()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(2));
        const QList<PlayerEntry> players = f.players(2);
        QVERIFY(f.clickPlayer(players.at(0).offset));
        EditorFixture::type(f.control<QLineEdit>("txtWeight"), QStringLiteral("222"));
        QVERIFY(QFile::setPermissions(f.path("key.db"), QFile::ReadOwner));

        QVERIFY(f.clickPlayer(players.at(1).offset));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.texts().first().contains("key.db: " + kReadOnly),
                 qPrintable(messages.texts().first()));
        QCOMPARE(f.shownOffset(), players.at(0).offset);
        QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), QStringLiteral("222"));
        QVERIFY(f.window->isPlayerShown());

        // Another team: refused the same way.
        QVERIFY(f.chooseTeam(3));
        QCOMPARE(messages.shown.size(), 2);
        QCOMPARE(f.control<QComboBox>("cboTeams")->currentData().toInt(), 2);
        QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), QStringLiteral("222"));

        // Exit: asks whether to end without saving; No stays.
        messages.answer(MessageAnswer::No);
        QTest::mouseClick(f.control<QPushButton>("cmdExit"), Qt::LeftButton);
        QVERIFY(f.window->isVisible());
        QCOMPARE(messages.shown.last().text, kExitWithoutSaving);

        // Writable again: leaving him now saves him.
        QVERIFY(QFile::setPermissions(f.path("key.db"), QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(f.clickPlayer(players.at(1).offset));
        const PlayerRecord saved = f.player(players.at(0).offset);
        QCOMPARE(saved.weightPounds(), 222);
        QByteArray att = f.originalAtt;
        att[saved.attribOffset() + (saved.isGoalie() ? 8 : 3)] = char(weightClass(222));
        QCOMPARE(f.att(), att);
    }

    void exitWithoutSavingWhenTheWriteFails()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(2));
        QVERIFY(f.clickPlayer(f.players(2).at(0).offset));
        EditorFixture::type(f.control<QLineEdit>("txtWeight"), QStringLiteral("222"));
        QVERIFY(QFile::setPermissions(f.path("att.db"), QFile::ReadOwner));
        messages.answer(MessageAnswer::Yes);
        f.window->close();
        QVERIFY(!f.window->isVisible());
        QCOMPARE(messages.shown.size(), 2);
        QVERIFY(messages.texts().first().contains("att.db: " + kReadOnly));
        QVERIFY(messages.texts().first().endsWith(QStringLiteral("Nothing was written.")));
        // Both files were checked before either was written.
        QCOMPARE(f.key(), f.originalKey);
        QCOMPARE(f.att(), f.originalAtt);
    }

    void theGameFolderVanishes()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(2));
        const QString moved = f.dir.path() + QStringLiteral("-moved");
        QVERIFY(QDir().rename(f.dir.path(), moved));
        QVERIFY(f.chooseTeam(4));
        QVERIFY(QDir().rename(moved, f.dir.path()));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.texts().first().contains(QStringLiteral("teams.db")), qPrintable(messages.texts().first()));
        QVERIFY(!f.control<QListWidget>("lstPlayers")->isEnabled());
        QCOMPARE(f.control<QListWidget>("lstPlayers")->count(), 0);
        QCOMPARE(f.key(), f.originalKey);
    }

    void aboutWindow()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QString name;
        whenModalShown(QStringLiteral("frmAbout"), [&](QWidget *w) {
            name = control<QLabel>(w, "lblAppName")->text();
            QTest::mouseClick(control<QPushButton>(w, "cmdOK"), Qt::LeftButton);
        });
        QTest::mouseClick(f.control<QPushButton>("cmdAbout"), Qt::LeftButton);
        QCOMPARE(name, QStringLiteral("Puckdex v1.0 32-bit"));
    }

    // F1 opens the guide installed with the program (in the build, as from
    // an install), from the main window and from the modal windows above
    // it; a guide no program opens is said with where it is.
    void f1OpensTheUserGuide_data()
    {
        QTest::addColumn<QString>("modal");
        QTest::addColumn<QString>("caller");
        QTest::addColumn<bool>("opens");
        QTest::newRow("main window") << QString() << QString() << true;
        QTest::newRow("About") << "frmAbout" << "cmdAbout" << true;
        QTest::newRow("templates") << "frmStdPlayerAttrib" << "cmdStdAttrib" << true;
        QTest::newRow("no program opens it") << QString() << QString() << false;
    }
    void f1OpensTheUserGuide()
    {
        QFETCH(QString, modal);
        QFETCH(QString, caller);
        QFETCH(bool, opens);
        EditorFixture f;
        QVERIFY(f.open());
        ShellScript shell;
        shell.opens = opens;
        MessageScript messages;
        const QString guide = QFileInfo(QCoreApplication::applicationDirPath() +
                                        QStringLiteral("/../share/doc/puckdex/user-guide.html"))
                                  .canonicalFilePath();
        QVERIFY2(!guide.isEmpty(), "the build makes the guide page");
        if (modal.isEmpty()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        } else {
            whenModalShown(modal, [&](QWidget *w) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
                w->close();
            });
            QTest::mouseClick(f.control<QPushButton>(caller.toLatin1().constData()),
                              Qt::LeftButton);
        }
        QCOMPARE(shell.opened, QStringList{guide});
        QCOMPARE(messages.texts(),
                 opens ? QStringList()
                       : QStringList{QStringLiteral("No program could open the user guide. Open "
                                                    "it in a web browser:\n%1")
                                         .arg(QDir::toNativeSeparators(guide))});
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
