#include "bytecompare.h"
#include "editorfixture.h"
#include "messagescript.h"
#include "modalhelper.h"
#include "players.h"

#include "player/ratings.h"
#include "history/writejournal.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

using namespace Puckdex;

namespace {

// The player list's menu entry that undoes the last save.
QAction *undoSaveEntry(EditorFixture &f)
{
    return f.control<QListWidget>("lstPlayers")->actions().value(0);
}

void pressInList(EditorFixture &f, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QListWidget *list = f.control<QListWidget>("lstPlayers");
    EditorFixture::activate(list);
    list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list, key, modifiers);
}

} // namespace

// Undo in the main window: Ctrl+Z and Esc take back a shown player's
// unsaved changes, then Ctrl+Z this run's saves through the write journal.
class TstUndo : public QObject
{
    Q_OBJECT

    // Shows the player, changes his first name, speed and weight in the
    // boxes as a user does, and leaves them with Tab (the last name is
    // passed over: leaving it for the list finishes later).
    static void edit(EditorFixture &f, const PlayerEntry &player)
    {
        QVERIFY(f.clickPlayer(player.offset));
        EditorFixture::type(f.control<QLineEdit>("txtFirstName"), "Newname");
        QTest::keyClick(f.control<QLineEdit>("txtFirstName"), Qt::Key_Tab);
        QLineEdit *speed = f.ratingBox(RatingGroup::AllPlayers, 0);
        EditorFixture::type(speed, speed->text() == "100" ? "60" : "100");
        QTest::keyClick(speed, Qt::Key_Tab);
        EditorFixture::type(f.control<QLineEdit>("txtWeight"), "201");
        QTest::keyClick(f.control<QLineEdit>("txtWeight"), Qt::Key_Tab);
    }

    static void verifyFiles(EditorFixture &f, const QByteArray &key, const QByteArray &att)
    {
        QVERIFY2(firstDifference(f.key(), key).isEmpty(),
                 qPrintable(firstDifference(f.key(), key)));
        QVERIFY2(firstDifference(f.att(), att).isEmpty(),
                 qPrintable(firstDifference(f.att(), att)));
    }

private slots:
    void cleanup()
    {
        QCOMPARE(dropPendingModalActions(), 0);
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    // Edit a player, leave him, Ctrl+Z: the files are as before, byte for
    // byte, and the status line says whose save was undone; Ctrl+Y saves
    // him again.
    void undoTheLastSave_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::newRow("skater") << false;
        QTest::newRow("goalie") << true;
    }
    void undoTheLastSave()
    {
        QFETCH(bool, goalie);
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        const QByteArray teams = readFile(f.path("teams.db"));
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry player = *firstOf(f.players(0), goalie);
        const PlayerEntry other = *firstOf(f.players(0), !goalie);
        QCOMPARE(undoSaveEntry(f)->isEnabled(), false);
        edit(f, player);
        QVERIFY(f.clickPlayer(other.offset));
        const QByteArray keySaved = f.key(), attSaved = f.att();
        QVERIFY(keySaved != f.originalKey);
        QCOMPARE(f.control<QLabel>("lblStatus")->text(),
                 QStringLiteral("Saved Newname %1.").arg(player.record.lastName()));
        QCOMPARE(undoSaveEntry(f)->text(),
                 QStringLiteral("Undo last save of Newname %1").arg(player.record.lastName()));
        QVERIFY(undoSaveEntry(f)->isEnabled());

        pressInList(f, Qt::Key_Z, Qt::ControlModifier);
        verifyFiles(f, f.originalKey, f.originalAtt);
        QCOMPARE(readFile(f.path("teams.db")), teams);
        QCOMPARE(
            f.control<QLabel>("lblStatus")->text(),
            QStringLiteral("Undone: the last save of Newname %1.").arg(player.record.lastName()));
        QCOMPARE(f.shownOffset(), other.offset);
        QVERIFY(!undoSaveEntry(f)->isEnabled());

        // Nothing more of this run to undo; the files stay.
        pressInList(f, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(f.control<QLabel>("lblStatus")->text().startsWith("Nothing to undo"));
        verifyFiles(f, f.originalKey, f.originalAtt);

        pressInList(f, Qt::Key_Y, Qt::ControlModifier);
        verifyFiles(f, keySaved, attSaved);
        QVERIFY(f.control<QLabel>("lblStatus")->text().startsWith("Redone: the save of Newname"));
        // Leaving the shown player unchanged saves nothing new: the redone
        // save is still the one to undo.
        QVERIFY(f.chooseTeam(1));
        pressInList(f, Qt::Key_Z, Qt::ControlModifier);
        verifyFiles(f, f.originalKey, f.originalAtt);
        QVERIFY(messages.shown.isEmpty());
    }

    // A journal that cannot be written never stops a save and is reported
    // once; this run's saves can still be undone.
    void journalFailureReportedOnce()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        const QString journal =
            WriteJournal(f.dir.path(), f.dir.path(), f.path("key.db"), f.path("att.db")).path();
        QVERIFY(QDir().mkpath(journal)); // a folder in its place
        QVERIFY(f.chooseTeam(5));
        const QList<PlayerEntry> players = f.players(5);
        edit(f, players[0]);
        edit(f, players[1]);
        QVERIFY(f.clickPlayer(players[2].offset));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.shown.first().text.contains("was saved, but the write journal could not "
                                                      "record it"),
                 qPrintable(messages.shown.first().text));
        QVERIFY(f.key() != f.originalKey);
        pressInList(f, Qt::Key_Z, Qt::ControlModifier);
        pressInList(f, Qt::Key_Z, Qt::ControlModifier);
        verifyFiles(f, f.originalKey, f.originalAtt);
        QCOMPARE(messages.shown.size(), 1);
    }

    // While a player is shown and not yet saved, Ctrl+Z (or Esc in the
    // player list) sets his fields back as loaded; nothing is written.
    void unsavedChangesTakenBack_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Ctrl+Z") << int(Qt::Key_Z);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        // In a box the first Ctrl+Z takes back its typing, the next the player's.
        QTest::newRow("Ctrl+Z twice in a box") << int(Qt::Key_Z) + 1;
    }
    void unsavedChangesTakenBack()
    {
        QFETCH(int, key);
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(2));
        const PlayerEntry player = *firstOf(f.players(2), false);
        const PlayerEntry other = *firstOf(f.players(2), false, 1);
        QVERIFY(f.clickPlayer(player.offset));
        QLineEdit *speed = f.ratingBox(RatingGroup::AllPlayers, 0);
        const QString speedLoaded = speed->text();
        const QString weightLoaded = f.control<QLineEdit>("txtWeight")->text();
        const int jerseyLoaded = f.control<QComboBox>("cboJerseyNum")->currentIndex();
        edit(f, player);
        f.control<QRadioButton>("optShootsLeft")->isChecked()
            ? f.control<QRadioButton>("optShootsRight")->click()
            : f.control<QRadioButton>("optShootsLeft")->click();
        QVERIFY(speed->text() != speedLoaded);

        if (key == Qt::Key_Z + 1) {
            QLineEdit *weight = f.control<QLineEdit>("txtWeight");
            weight->setFocus(Qt::MouseFocusReason);
            QTest::keyClick(weight, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(weight, "150");
            QVERIFY(weight->isUndoAvailable());
            for (int i = 0; i < 5 && weight->isUndoAvailable(); ++i)
                QTest::keyClick(weight, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(weight->text(), QStringLiteral("201"));
            QVERIFY(speed->text() != speedLoaded);
            QTest::keyClick(weight, Qt::Key_Z, Qt::ControlModifier);
        } else {
            pressInList(f, Qt::Key(key), key == Qt::Key_Z ? Qt::ControlModifier : Qt::NoModifier);
        }
        QCOMPARE(speed->text(), speedLoaded);
        QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), weightLoaded);
        QCOMPARE(f.control<QLineEdit>("txtFirstName")->text(), player.record.firstName());
        QCOMPARE(f.control<QComboBox>("cboJerseyNum")->currentIndex(), jerseyLoaded);
        QCOMPARE(f.control<QLabel>("lblStatus")->text(),
                 QStringLiteral("The fields of %1 are back as they were loaded.")
                     .arg(player.record.firstName() + ' ' + player.record.lastName()));
        verifyFiles(f, f.originalKey, f.originalAtt);

        // Left now, he is written as he was: nothing to undo.
        QVERIFY(f.clickPlayer(other.offset));
        verifyFiles(f, f.originalKey, f.originalAtt);
        QVERIFY(!undoSaveEntry(f)->isEnabled());
        QVERIFY(messages.shown.isEmpty());
    }

    // Undoing the save of the player on screen shows him as the files now
    // hold him, so leaving him does not write the undone values again. A
    // save whose records were changed on disk since (the game, another
    // program) is not undone: a message says why and nothing is written.
    void undoTheShownPlayerAndRefusals()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(4));
        const PlayerEntry player = *firstOf(f.players(4), true);
        const PlayerEntry other = *firstOf(f.players(4), false);
        QLineEdit *speed = f.ratingBox(RatingGroup::AllPlayers, 0);
        QVERIFY(f.clickPlayer(player.offset));
        const QString speedLoaded = speed->text();
        edit(f, player);
        QVERIFY(f.clickPlayer(other.offset));
        QVERIFY(f.clickPlayer(player.offset));
        QVERIFY(speed->text() != speedLoaded);

        undoSaveEntry(f)->trigger();
        QCOMPARE(speed->text(), speedLoaded);
        QCOMPARE(f.control<QLineEdit>("txtFirstName")->text(), player.record.firstName());
        QCOMPARE(f.shownOffset(), player.offset);
        QVERIFY(f.clickPlayer(other.offset));
        verifyFiles(f, f.originalKey, f.originalAtt);
        QVERIFY(messages.shown.isEmpty());

        edit(f, player);
        QVERIFY(f.clickPlayer(other.offset));
        // Another program changes a byte the editor does not show.
        f.patchPlayer(player.offset, [](PlayerRecord &r) { r.setByte(59, r.byte(59) ^ 0x21); });
        const QByteArray key = f.key(), att = f.att();
        pressInList(f, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(messages.texts(),
                 QStringList{QStringLiteral("The last save of Newname %1 was not undone.\n\n%2: "
                                            "his record was changed after that save, by the game "
                                            "or another program\n\nNothing was written.")
                                 .arg(player.record.lastName(),
                                      QDir::toNativeSeparators(f.path("key.db")))});
        verifyFiles(f, key, att);
    }
};

QTEST_MAIN(TstUndo)
#include "tst_undo.moc"
