// The roster table as the user meets it from the editor: Ctrl+T, typing,
// Esc, a paste and its undo, a row written as it is left, and Find in both
// windows.

#include "bytecompare.h"
#include "editorfixture.h"
#include "messagescript.h"
#include "modalhelper.h"
#include "players.h"

#include "player/namesearch.h"
#include "table/tablewindow.h"
#include "widgets/frozentableview.h"
#include "widgets/windowsetup.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleFactory>

using namespace Puckdex;

namespace {

// The table's cell of a player's column, as the view shows it.
QModelIndex cellOf(QWidget *window, qint64 offset, int column)
{
    return static_cast<TableWindow *>(window)->cellOf(offset, column);
}

QString statusOf(QWidget *window)
{
    return control<QLabel>(window, "lblTableStatus")->text();
}

// Keys typed one by one to whatever has the focus as each comes, as a user
// types: the first key of an entry opens the cell's box, which takes the
// rest.
void type(const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

// Enter in an open entry: the box puts its text in once the key is done.
void pressEnter()
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
}

// The cursor put on a cell by a click where the user sees it: a name in
// the kept columns, any other cell in the table. With Shift, the block up
// to it is selected.
void clickCell(QWidget *window, const QModelIndex &cell, Qt::KeyboardModifiers keys = {})
{
    auto *view = control<FrozenTableView>(window, "tblRoster");
    view->scrollTo(cell);
    QTableView *part = cell.column() < RosterTable::kNameColumns ? view->frozenView() : view;
    QTest::mouseClick(part->viewport(), Qt::LeftButton, keys,
                      static_cast<QAbstractItemView *>(part)->visualRect(cell).center());
}

TableWindow *tableOf(QWidget *window)
{
    return static_cast<TableWindow *>(window);
}

// The player of the cursor's row.
qint64 currentOffset(QWidget *window)
{
    const TableWindow *table = tableOf(window);
    const auto *sorted = static_cast<const QSortFilterProxyModel *>(table->view()->model());
    return table->table().offsetAt(sorted->mapToSource(table->view()->currentIndex()).row());
}

// A value for a skater's speed other than the one shown.
QString otherSpeed(const QString &shown)
{
    return shown == QStringLiteral("80") ? QStringLiteral("84") : QStringLiteral("80");
}

// A file's bytes with the records of the players at offsets taken from
// changed: what a write of exactly those players leaves.
QByteArray withRecordsOf(QByteArray original, const QByteArray &changed,
                         const QList<std::pair<qint64, int>> &records)
{
    for (const auto &[offset, size] : records)
        original.replace(offset, size, changed.mid(offset, size));
    return original;
}

} // namespace

class TstTableWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QCOMPARE(dropPendingModalActions(), 0);
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    // Typed over a skater's Speed: 93 becomes 92, said on the status line
    // when the row is left, and only his attribute record changes. F2 then
    // Esc leaves a cell as it was.
    void typingMovingDownAndEsc()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry skater = *firstOf(f.players(0), false);
        QString shown, said, afterEsc, before;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            const QModelIndex speed = cellOf(w, skater.offset, RosterTable::FirstRating);
            clickCell(w, speed);
            type(QStringLiteral("93"));
            pressEnter();
            shown = speed.data().toString();
            said = statusOf(w);
            const QModelIndex agility = cellOf(w, skater.offset, RosterTable::FirstRating + 1);
            clickCell(w, agility);
            before = agility.data().toString();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
            type(QStringLiteral("4"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            afterEsc = agility.data().toString();
            QTest::keyClick(w, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(shown, QStringLiteral("92"));
        QVERIFY2(said.startsWith(QStringLiteral("Speed: 93 became 92 (Attribute must be a "
                                                "multiple of 4). Saved ")),
                 qPrintable(said));
        QCOMPARE(afterEsc, before);
        COMPARE_BYTES(f.key(), f.originalKey);
        const QByteArray att = f.att();
        COMPARE_BYTES(att, withRecordsOf(f.originalAtt, att,
                                         {{skater.record.attribOffset(), SkaterAttribRecord::Size}}));
        QVERIFY(att != f.originalAtt);
    }

    // A 3 x 4 block from a spreadsheet pasted over three players: one write,
    // said in one line; Ctrl+Z takes it back and the three files are as
    // before, byte for byte. Back in the editor, the shown player's boxes
    // hold what the files hold.
    void aPasteAndItsUndo()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry first = *firstOf(f.players(0), false);
        QVERIFY(f.clickPlayer(first.offset));
        const QByteArray team = readFile(f.path("teams.db"));
        const QString speedShown = f.ratingBox(RatingGroup::AllPlayers, 0)->text();
        QApplication::clipboard()->setText(
            QStringLiteral("100\t93\t60\t60\r\n64\t64\t64\t64\r\n44\t48\t52\t56\r\n"));
        QString said;
        QByteArray keyPasted, attPasted;
        QString undoneShown, redoneShown;
        bool redone = false;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            clickCell(w, cellOf(w, first.offset, RosterTable::FirstRating));
            QTest::keyClick(control<FrozenTableView>(w, "tblRoster"), Qt::Key_V,
                            Qt::ControlModifier);
            said = statusOf(w);
            keyPasted = f.key();
            attPasted = f.att();
            auto *view = control<FrozenTableView>(w, "tblRoster");
            const QModelIndex speed = cellOf(w, first.offset, RosterTable::FirstRating);
            QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
            // The table shows what the files hold after each step.
            undoneShown = speed.data().toString();
            // Made again, and taken back again.
            QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
            redoneShown = speed.data().toString();
            redone = f.key() == keyPasted && f.att() == attPasted;
            QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
            QTest::keyClick(w, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        // Three rows down from him in the table's order, skaters or goalies.
        QVERIFY2(said.startsWith(QStringLiteral("Pasted: 12 values changed, ")) &&
                     said.contains(QStringLiteral("of them moved onto the game's limits")),
                 qPrintable(said));
        QVERIFY(attPasted != f.originalAtt);
        QVERIFY(redone);
        QCOMPARE(undoneShown, speedShown);
        QCOMPARE(redoneShown, QStringLiteral("100"));
        COMPARE_BYTES(f.key(), f.originalKey);
        COMPARE_BYTES(f.att(), f.originalAtt);
        COMPARE_BYTES(readFile(f.path("teams.db")), team);
        QCOMPARE(f.ratingBox(RatingGroup::AllPlayers, 0)->text(), speedShown);
    }

    // A row whose write fails when it is left keeps its entries; closing
    // the table tries it again and asks before letting it go (No stays);
    // once the file can be written, closing writes him.
    void aRowThatCannotBeWrittenIsNotLost()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry skater = *firstOf(f.players(0), false);
        MessageScript messages;
        messages.answer(MessageAnswer::No);
        bool stayed = false;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            QVERIFY(QFile::setPermissions(f.path("att.db"), QFile::ReadOwner));
            clickCell(w, cellOf(w, skater.offset, RosterTable::FirstRating));
            type(QStringLiteral("100"));
            pressEnter();
            static_cast<QDialog *>(w)->accept();
            stayed = w->isVisible();
            QVERIFY(QFile::setPermissions(f.path("att.db"), QFile::ReadOwner | QFile::WriteOwner));
            static_cast<QDialog *>(w)->accept();
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(stayed);
        QCOMPARE(messages.shown.size(), 3);
        QVERIFY2(messages.texts()[0].contains(QStringLiteral("could not be saved")),
                 qPrintable(messages.texts()[0]));
        QCOMPARE(messages.texts()[2],
                 QStringLiteral("Do you want to close the table without saving this player ?"));
        const QByteArray att = f.att();
        COMPARE_BYTES(att, withRecordsOf(f.originalAtt, att,
                                         {{skater.record.attribOffset(), SkaterAttribRecord::Size}}));
        QVERIFY(att != f.originalAtt);
    }

    // The key file swapped for a folder while the editor is open: the table
    // and Find say that the players could not be read, naming the file,
    // and nothing on disk changes.
    void aRosterThatCannotBeRead()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const QString key = f.path("key.db");
        QVERIFY(QFile::rename(key, key + QStringLiteral(".away")));
        QVERIFY(QDir().mkdir(key));
        MessageScript messages;
        int rows = -1;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            rows = static_cast<TableWindow *>(w)->table().rowCount();
            QTest::keyClick(w, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == f.window.get(); }));
        QTest::keyClick(f.window.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(QTest::qWaitFor([] {
            return QApplication::activeWindow() &&
                   QApplication::activeWindow()->objectName() == QStringLiteral("frmFindPlayer");
        }));
        type(QStringLiteral("a"));
        pressEnter();
        QCOMPARE(rows, 0);
        QVERIFY(messages.shown.size() >= 2);
        QVERIFY2(messages.texts()[0].startsWith(QStringLiteral("The players could not be read.")) &&
                     messages.texts()[0].contains(QStringLiteral("key.db")),
                 qPrintable(messages.texts()[0]));
        // The editor, back, reads the team again and says so too.
        QVERIFY2(std::any_of(messages.shown.cbegin(), messages.shown.cend(),
                             [](const MessageRequest &shown) {
                                 return shown.text.startsWith(QStringLiteral(
                                     "The players could not be read to find one."));
                             }),
                 qPrintable(messages.texts().join(QStringLiteral(" | "))));
        for (const MessageRequest &shown : messages.shown)
            QCOMPARE(shown.title, QStringLiteral("Puckdex"));
        QVERIFY(QDir(key).isEmpty());
        QVERIFY(QDir().rmdir(key));
        QVERIFY(QFile::rename(key + QStringLiteral(".away"), key));
        COMPARE_BYTES(f.key(), f.originalKey);
        COMPARE_BYTES(f.att(), f.originalAtt);
    }

    // A change made in the table to the player the editor shows is what the
    // editor shows when the user returns, and leaving him there writes
    // nothing more.
    void theEditorShowsTheTablesValues()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry first = *firstOf(f.players(0), false);
        QVERIFY(f.clickPlayer(first.offset));
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            QCOMPARE(static_cast<TableWindow *>(w)->view()->currentIndex(),
                     cellOf(w, first.offset, RosterTable::LastName));
            clickCell(w, cellOf(w, first.offset, RosterTable::FirstRating));
            type(QStringLiteral("100"));
            pressEnter();
            QTest::keyClick(w, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(f.ratingBox(RatingGroup::AllPlayers, 0)->text(), QStringLiteral("100"));
        const QByteArray att = f.att();
        QVERIFY(f.window->WritePlayerData());
        COMPARE_BYTES(f.att(), att);
    }

    // Alt+S sorts by the cursor's column, numbers by value, again the other
    // way round; a click on a kept name column's caption sorts by names.
    void sortingByKeyAndByCaption()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        QList<QList<double>> speeds;
        QString said;
        QStringList names;
        bool arrowOnNames = false;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            auto *view = control<FrozenTableView>(w, "tblRoster");
            const QAbstractItemModel *shown = view->model();
            view->setCurrentIndex(shown->index(0, RosterTable::FirstRating));
            for (int round = 0; round < 2; ++round) {
                QTest::keyClick(view, Qt::Key_S, Qt::AltModifier);
                QList<double> column;
                for (int r = 0; r < shown->rowCount(); ++r)
                    column.append(shown->index(r, RosterTable::FirstRating)
                                      .data(RosterTable::SortRole)
                                      .toDouble());
                speeds.append(column);
            }
            said = statusOf(w);
            QTest::mouseClick(view->frozenView()->horizontalHeader()->viewport(), Qt::LeftButton,
                              {},
                              QPoint(view->frozenView()->horizontalHeader()->sectionViewportPosition(
                                         RosterTable::LastName) + 5,
                                     5));
            for (int r = 0; r < shown->rowCount(); ++r)
                names.append(shown->index(r, RosterTable::LastName).data().toString());
            // The arrow shows on the kept caption sorted by.
            arrowOnNames = view->frozenView()->horizontalHeader()->sortIndicatorSection() ==
                           RosterTable::LastName;
            QTest::keyClick(w, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(speeds.size(), 2);
        QVERIFY(std::is_sorted(speeds[0].cbegin(), speeds[0].cend()));
        QVERIFY(std::is_sorted(speeds[1].crbegin(), speeds[1].crend()));
        QCOMPARE(said, QStringLiteral("Sorted by Speed, highest first."));
        QVERIFY(arrowOnNames);
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end(), sortsBefore);
        QCOMPARE(names, sorted);
    }

    // A new last name typed in the table asks the picture question once;
    // No lets the old picture go when the row is written.
    void aRenameAsksAboutThePictureOnce()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry skater = *firstOf(f.players(0), false);
        int asked = 0;
        bool offered = true;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *prompt) {
                ++asked;
                // A typed rename has nothing to cancel.
                offered = prompt->findChild<QPushButton *>(QStringLiteral("cmdCancel"));
                QTest::mouseClick(control<QPushButton>(prompt, "cmdNo"), Qt::LeftButton);
            });
            clickCell(w, cellOf(w, skater.offset, RosterTable::LastName));
            type(QStringLiteral("Newname"));
            pressEnter();
            // The table is active again once the question is answered.
            const bool back = QTest::qWaitFor([w] { return QApplication::activeWindow() == w; });
            Q_UNUSED(back);
            QTest::keyClick(w, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(asked, 1);
        QVERIFY(!offered);
        const PlayerRecord written = f.player(skater.offset);
        QCOMPARE(written.lastName(), QStringLiteral("Newname"));
        QCOMPARE(written.pictureCodeA(), QStringLiteral("NONE"));
    }

    // Find, typed without accents, goes to a player of another team: in the
    // table (the team shown follows) and in the editor (team and player
    // chosen as a user chooses them).
    void findAcrossTeams()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        // A player of another team whose last name has an accent.
        std::optional<PlayerEntry> wanted;
        for (int team = 1; team < 26 && !wanted; ++team) {
            for (const PlayerEntry &p : f.players(team)) {
                const QString last = p.record.lastName();
                if (std::any_of(last.cbegin(), last.cend(), [](QChar c) { return c.unicode() > 127; })) {
                    wanted = p;
                    break;
                }
            }
        }
        QVERIFY(wanted);
        const QString typed = foldedName(wanted->record.lastName()).toUpper();
        std::optional<int> tableTeam;
        qint64 tableRow = -1;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            QTest::keyClick(w, Qt::Key_F, Qt::ControlModifier);
            type(typed);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            auto *table = static_cast<TableWindow *>(w);
            tableTeam = table->team();
            tableRow = table->table().offsetAt(
                static_cast<QSortFilterProxyModel *>(table->view()->model())
                    ->mapToSource(table->view()->currentIndex())
                    .row());
            QTest::keyClick(w, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(tableTeam, std::optional<int>(wanted->record.teamNumber()));
        QCOMPARE(tableRow, wanted->offset);

        // Back in the editor once it is the active window again.
        QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == f.window.get(); }));
        QTest::keyClick(f.window.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(QTest::qWaitFor([] {
            return QApplication::activeWindow() &&
                   QApplication::activeWindow()->objectName() == QStringLiteral("frmFindPlayer");
        }));
        type(typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(f.window->draft());
        QCOMPARE(f.window->draft()->offset(), wanted->offset);
        QCOMPARE(f.control<QComboBox>("cboTeams")->currentData().toInt(),
                 wanted->record.teamNumber());
    }

    // A number typed over a skater's Speed and left open (no Enter): the
    // way the user leaves puts it in as Enter would, then writes his row,
    // asking nothing.
    void anOpenEntryIsPutInWhenLeaving_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Alt+C") << "Alt+C";
        QTest::newRow("Alt+F4") << "Alt+F4";
        QTest::newRow("the All-teams switch") << "All teams";
        QTest::newRow("Find") << "Find";
    }
    void anOpenEntryIsPutInWhenLeaving()
    {
        QFETCH(QString, how);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry skater = *firstOf(f.players(0), false);
        const PlayerEntry mate = *firstOf(f.players(0), false, 1);
        QVERIFY(f.clickPlayer(skater.offset));
        const QString typed = otherSpeed(f.ratingBox(RatingGroup::AllPlayers, 0)->text());
        MessageScript messages;
        bool stillOpen = false;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            clickCell(w, cellOf(w, skater.offset, RosterTable::FirstRating));
            type(typed);
            if (how == QStringLiteral("Alt+F4")) {
                w->close();
                return;
            }
            if (how == QStringLiteral("All teams")) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
                QVERIFY(QTest::qWaitFor([w] { return !tableOf(w)->team(); }));
            } else if (how == QStringLiteral("Find")) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
                type(mate.record.lastName());
                pressEnter();
                QCOMPARE(currentOffset(w), mate.offset);
            }
            stillOpen = w->isVisible();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(stillOpen || how.startsWith(QStringLiteral("Alt")));
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(f.ratingBox(RatingGroup::AllPlayers, 0)->text(), typed);
        const QByteArray att = f.att();
        COMPARE_BYTES(att, withRecordsOf(f.originalAtt, att,
                                         {{skater.record.attribOffset(), SkaterAttribRecord::Size}}));
        COMPARE_BYTES(f.key(), f.originalKey);
    }

    // An entry left open while Find has the focus is taken up again when
    // the table gets the focus back: Enter there puts it in.
    void anOpenEntryIsTakenUpAgain()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry skater = *firstOf(f.players(0), false);
        QVERIFY(f.clickPlayer(skater.offset));
        const QString typed = otherSpeed(f.ratingBox(RatingGroup::AllPlayers, 0)->text());
        bool inEntry = false;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            auto *view = control<FrozenTableView>(w, "tblRoster");
            clickCell(w, cellOf(w, skater.offset, RosterTable::FirstRating));
            type(typed);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
            view->setFocus(Qt::BacktabFocusReason);
            inEntry = QApplication::focusWidget() == view->openEditor();
            pressEnter();
            QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(inEntry);
        QCOMPARE(f.ratingBox(RatingGroup::AllPlayers, 0)->text(), typed);
    }

    // Text typed over a number and left open: leaving asks; No stays in
    // the entry, its text kept, where it was; Yes to closing then closes
    // and nothing is written.
    void aRefusedOpenEntryIsAskedAbout_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Alt+F4") << "Alt+F4";
        QTest::newRow("the All-teams switch") << "All teams";
        QTest::newRow("Find") << "Find";
    }
    void aRefusedOpenEntryIsAskedAbout()
    {
        QFETCH(QString, how);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry skater = *firstOf(f.players(0), false);
        const PlayerEntry mate = *firstOf(f.players(0), false, 1);
        MessageScript messages;
        // The question takes the focus, as a real box does.
        messages.takesFocus = true;
        messages.answer(MessageAnswer::No);
        messages.answer(MessageAnswer::Yes);
        bool stayed = false;
        QString kept;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            clickCell(w, cellOf(w, skater.offset, RosterTable::FirstRating));
            type(QStringLiteral("D2:F2"));
            if (how == QStringLiteral("Alt+F4")) {
                w->close();
            } else if (how == QStringLiteral("All teams")) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
                QTest::qWait(300);
            } else {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
                type(mate.record.lastName());
                pressEnter();
            }
            stayed = w->isVisible() && tableOf(w)->team() == std::optional<int>(0) &&
                     currentOffset(w) == skater.offset;
            if (auto *box = qobject_cast<QLineEdit *>(tableOf(w)->view()->openEditor()))
                kept = box->text();
            w->close();
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(stayed);
        QCOMPARE(kept, QStringLiteral("D2:F2"));
        const QString question = skater.record.firstName() + u' ' + skater.record.lastName() +
                                 QStringLiteral(", Speed: \"D2:F2\" is not a number.\n\n"
                                                "Do you want to go on without this entry ?");
        QCOMPARE(messages.texts(), QStringList({question, question}));
        QCOMPARE(messages.shown[0].style, MessageStyle::QuestionNoDefault);
        QCOMPARE(messages.shown[0].title, QStringLiteral("Puckdex"));
        COMPARE_BYTES(f.key(), f.originalKey);
        COMPARE_BYTES(f.att(), f.originalAtt);
    }

    // Esc outside an entry sets a row holding entries back and never
    // closes the table, on a row with entries or without.
    void escSetsARowBackAndStays()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry skater = *firstOf(f.players(0), false);
        bool openAfterPlainEsc = false, openAfterEsc = false;
        QString before, afterTab, afterEsc, said;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            auto *view = control<FrozenTableView>(w, "tblRoster");
            const QModelIndex speed = cellOf(w, skater.offset, RosterTable::FirstRating);
            clickCell(w, speed);
            QTest::keyClick(view, Qt::Key_Escape);
            openAfterPlainEsc = w->isVisible();
            if (!openAfterPlainEsc)
                return;
            before = speed.data().toString();
            type(otherSpeed(before));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            afterTab = speed.data().toString();
            QTest::keyClick(view, Qt::Key_Escape);
            afterEsc = speed.data().toString();
            said = statusOf(w);
            openAfterEsc = w->isVisible();
            QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(openAfterPlainEsc);
        QVERIFY(openAfterEsc);
        QCOMPARE(afterTab, otherSpeed(before));
        QCOMPARE(afterEsc, before);
        QCOMPARE(said, QStringLiteral("The row is as it was loaded."));
        COMPARE_BYTES(f.att(), f.originalAtt);
    }

    // Scrolled sideways to any place, in every style there is, the kept
    // name columns cover no other column: the table's cells and captions
    // start right of them, and no point of the table is a kept column.
    void theKeptColumnsCoverNothing()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const QString style = QApplication::style()->name();
        QStringList failures;
        int scrolled = 0;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            auto *view = control<FrozenTableView>(w, "tblRoster");
            for (const QString &key : QStyleFactory::keys()) {
                QApplication::setStyle(key);
                QCoreApplication::processEvents();
                const QRect kept = view->frozenView()->geometry();
                const QRect cells = view->viewport()->geometry();
                const QModelIndex team = view->model()->index(0, RosterTable::Team);
                QScrollBar *bar = view->horizontalScrollBar();
                scrolled += bar->maximum() > 0;
                for (int x = 0; x <= bar->maximum(); x += 7) {
                    bar->setValue(x);
                    // What is drawn of Team: its cell as far as the table shows it.
                    const QRect shown = view->visualRect(team).translated(cells.topLeft()) & cells;
                    const QString at = QStringLiteral("%1 at %2: ").arg(key).arg(x);
                    if (shown.intersects(kept))
                        failures.append(at + QStringLiteral("Team is under the names"));
                    if (!view->rect().contains(kept) || kept.width() < 20)
                        failures.append(at + QStringLiteral("the names are out of view"));
                    if (cells.left() < kept.right() + 1 ||
                        view->horizontalHeader()->geometry().left() < kept.right() + 1)
                        failures.append(at + QStringLiteral("the cells start under the names"));
                    const QModelIndex left = view->indexAt(QPoint(0, 2));
                    if (left.column() < RosterTable::kNameColumns)
                        failures.append(at + QStringLiteral("a name column is drawn in the table"));
                }
            }
            QApplication::setStyle(style);
            QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(scrolled > 0);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 5).join(u'\n')));
    }

    // Scrolled to the far right, a block from a last name three columns to
    // the right (Shift+Right) and a row down is copied as the user sees it
    // then: each column where it is shown, none under the names. A block
    // pasted at a first name lands in the columns as shown; its refused
    // cell is named in a message.
    void copyAndPasteFollowTheColumnsShown()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry skater = *firstOf(f.players(0), false);
        MessageScript messages;
        QStringList failures;
        QString copied, expected, pastedFirst, pastedJersey, jerseyBefore, said;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            auto *view = control<FrozenTableView>(w, "tblRoster");
            view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
            clickCell(w, cellOf(w, skater.offset, RosterTable::LastName));
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
            QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
            // Where each selected column is on screen, left to right.
            std::map<int, int> byPlace;
            const QRect kept = view->frozenView()->geometry();
            for (const QModelIndex &cell : view->selectionModel()->selectedIndexes()) {
                const bool name = cell.column() < RosterTable::kNameColumns;
                const QRect place = name ? view->frozenView()->visualRect(cell).translated(
                                               view->frozenView()->viewport()->mapTo(view, QPoint()))
                                         : view->visualRect(cell).translated(
                                               view->viewport()->mapTo(view, QPoint()));
                if (!name && place.left() < kept.right() + 1)
                    failures.append(QStringLiteral("column %1 is under the names").arg(cell.column()));
                byPlace[place.left()] = cell.column();
            }
            QStringList rows;
            for (int r : {view->currentIndex().row() - 1, view->currentIndex().row()}) {
                QStringList line;
                for (const auto &[x, column] : byPlace)
                    line.append(view->model()->index(r, column).data().toString());
                rows.append(line.join(u'\t'));
            }
            expected = rows.join(u'\n') + u'\n';
            QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
            copied = QApplication::clipboard()->text();

            jerseyBefore = cellOf(w, skater.offset, RosterTable::Jersey).data().toString();
            QApplication::clipboard()->setText(QStringLiteral("Jean\tNYR\tabc\n"));
            clickCell(w, cellOf(w, skater.offset, RosterTable::FirstName));
            QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
            said = statusOf(w);
            pastedFirst = cellOf(w, skater.offset, RosterTable::FirstName).data().toString();
            pastedJersey = cellOf(w, skater.offset, RosterTable::Jersey).data().toString();
            QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
        QCOMPARE(copied, expected);
        QCOMPARE(copied.count(u'\t'), 6);
        QCOMPARE(pastedFirst, QStringLiteral("Jean"));
        QCOMPARE(pastedJersey, jerseyBefore);
        QVERIFY2(said.startsWith(QStringLiteral("Pasted: 1 value changed, 1 refused")) &&
                     said.contains(QStringLiteral("1 left out")),
                 qPrintable(said));
        QCOMPARE(messages.texts(),
                 QStringList(QStringLiteral("1 pasted cell was refused and keeps its value:\n\n"
                                            "Jean %1, Jersey Number: \"abc\" is not a whole number "
                                            "from 0 to 99.")
                                 .arg(skater.record.lastName())));
        QCOMPARE(messages.shown[0].style, MessageStyle::Warning);
        QCOMPARE(messages.shown[0].title, QStringLiteral("Puckdex"));
    }

    // A pasted last name asks the picture question with a Cancel: Cancel
    // or Esc calls the paste off and nothing is written; No lets the paste
    // be written, the old picture let go.
    void thePictureQuestionCanCancelAPaste_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("Cancel") << "Cancel" << true;
        QTest::newRow("Esc") << "Esc" << true;
        QTest::newRow("No") << "No" << false;
    }
    void thePictureQuestionCanCancelAPaste()
    {
        QFETCH(QString, answer);
        QFETCH(bool, cancelled);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry skater = *firstOf(f.players(0), false);
        QApplication::clipboard()->setText(QStringLiteral("Newname\tJean\n"));
        QString said, shownName;
        bool offered = false, pending = true;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *prompt) {
                auto *cancel = prompt->findChild<QPushButton *>(QStringLiteral("cmdCancel"));
                offered = cancel && cancel->isVisible();
                if (answer == QStringLiteral("Esc"))
                    QTest::keyClick(prompt, Qt::Key_Escape);
                else if (answer == QStringLiteral("Cancel") && cancel)
                    QTest::mouseClick(cancel, Qt::LeftButton);
                else
                    QTest::mouseClick(control<QPushButton>(prompt, "cmdNo"), Qt::LeftButton);
            });
            auto *view = control<FrozenTableView>(w, "tblRoster");
            clickCell(w, cellOf(w, skater.offset, RosterTable::LastName));
            QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
            said = statusOf(w);
            // The table is active again once the question is answered.
            const bool back = QTest::qWaitFor([w] { return QApplication::activeWindow() == w; });
            Q_UNUSED(back);
            shownName = cellOf(w, skater.offset, RosterTable::LastName).data().toString();
            pending = tableOf(w)->table().isRowChanged(tableOf(w)->table().rowOf(skater.offset));
            QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(offered);
        QVERIFY(!pending);
        if (cancelled) {
            QCOMPARE(said, QStringLiteral("The paste was cancelled: nothing was written."));
            QCOMPARE(shownName, skater.record.lastName());
            COMPARE_BYTES(f.key(), f.originalKey);
            COMPARE_BYTES(f.att(), f.originalAtt);
        } else {
            QCOMPARE(shownName, QStringLiteral("Newname"));
            const PlayerRecord written = f.player(skater.offset);
            QCOMPARE(written.firstName(), QStringLiteral("Jean"));
            QCOMPARE(written.pictureCodeA(), QStringLiteral("NONE"));
        }
    }

    // A row holding an entry not yet written (typed, then Tab) is written
    // as its own step before a paste into it: Ctrl+Z takes back the paste
    // alone, and the typed value stays written.
    void aPasteIsAWriteOfItsOwn()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const PlayerEntry skater = *firstOf(f.players(0), false);
        QVERIFY(f.clickPlayer(skater.offset));
        QString speedTyped, agilityBefore, agilityPasted, speedAfter, agilityAfter;
        bool pending = true;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            auto *view = control<FrozenTableView>(w, "tblRoster");
            const QModelIndex speed = cellOf(w, skater.offset, RosterTable::FirstRating);
            const QModelIndex agility = cellOf(w, skater.offset, RosterTable::FirstRating + 1);
            speedTyped = otherSpeed(speed.data().toString());
            agilityBefore = agility.data().toString();
            agilityPasted = otherSpeed(agilityBefore);
            clickCell(w, speed);
            type(speedTyped);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(view->currentIndex(), agility);
            QApplication::clipboard()->setText(agilityPasted + u'\n');
            QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(agility.data().toString(), agilityPasted);
            QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
            speedAfter = speed.data().toString();
            agilityAfter = agility.data().toString();
            pending = tableOf(w)->table().isRowChanged(tableOf(w)->table().rowOf(skater.offset));
            QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(speedAfter, speedTyped);
        QCOMPARE(agilityAfter, agilityBefore);
        QVERIFY(!pending);
        QCOMPARE(f.ratingBox(RatingGroup::AllPlayers, 0)->text(), speedTyped);
        const QByteArray att = f.att();
        COMPARE_BYTES(att, withRecordsOf(f.originalAtt, att,
                                         {{skater.record.attribOffset(), SkaterAttribRecord::Size}}));
        QVERIFY(att != f.originalAtt);
    }

    // Find goes round: from the last player whose name holds the text back
    // to the first, in the table and so on for ever.
    void findGoesRound()
    {
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        const int teams = int(GameFiles::listTeams(f.path("teams.db"))->size());
        // A last name two to five players' names hold.
        QString text;
        qsizetype holders = 0;
        // Typed as keys: without accents.
        for (const PlayerEntry &p : f.players(0)) {
            const QString name = foldedName(p.record.lastName());
            holders = findPlayers(f.path("key.db"), teams, name)->size();
            if (holders >= 2 && holders <= 5) {
                text = name;
                break;
            }
        }
        for (int length = 1; text.isEmpty() && length < 4; ++length) {
            const QString part = foldedName(f.players(0).first().record.lastName()).left(length);
            holders = findPlayers(f.path("key.db"), teams, part)->size();
            if (holders >= 2 && holders <= 5)
                text = part;
        }
        QVERIFY2(!text.isEmpty(), "no text a few names hold");
        QList<qint64> visited;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            QTest::keyClick(w, Qt::Key_F, Qt::ControlModifier);
            type(text);
            for (qsizetype i = 0; i <= holders; ++i) {
                pressEnter();
                visited.append(currentOffset(w));
            }
            QTest::keyClick(w, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(QSet<qint64>(visited.cbegin(), visited.cend()).size(), holders);
        QCOMPARE(visited.last(), visited.first());
    }

    // The editor's Find starts after the player shown, on his team as the
    // team list holds it: on a team whose place in the list is not its
    // number, the next teammate whose name holds the text.
    void theEditorsFindStartsAtTheTeamShown()
    {
        EditorFixture f;
        QVERIFY(f.open());
        auto *teams = f.control<QComboBox>("cboTeams");
        auto *list = f.control<QListWidget>("lstPlayers");
        for (int index = 0; index < teams->count(); ++index) {
            const int team = teams->itemData(index).toInt();
            if (team == index)
                continue;
            QVERIFY(f.chooseTeam(team));
            const auto nameAt = [&](int row) {
                const PlayerRecord p = f.player(list->item(row)->data(Qt::UserRole).toLongLong());
                return foldedName(p.firstName() + u' ' + p.lastName());
            };
            // A letter the first listed player's name holds and a later
            // teammate's too: the first of those is where Find goes.
            for (const QChar letter : QStringLiteral("aeiounrslt")) {
                int next = 1;
                while (next < list->count() && !nameAt(next).contains(letter))
                    ++next;
                if (!nameAt(0).contains(letter) || next == list->count())
                    continue;
                const qint64 expected = list->item(next)->data(Qt::UserRole).toLongLong();
                QVERIFY(f.clickPlayer(list->item(0)->data(Qt::UserRole).toLongLong()));
                QTest::keyClick(f.window.get(), Qt::Key_F, Qt::ControlModifier);
                QVERIFY(QTest::qWaitFor([] {
                    return QApplication::activeWindow() &&
                           QApplication::activeWindow()->objectName() ==
                               QStringLiteral("frmFindPlayer");
                }));
                type(QString(letter));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                QVERIFY(f.window->draft());
                QCOMPARE(f.window->draft()->offset(), expected);
                QCOMPARE(teams->currentData().toInt(), team);
                return;
            }
        }
        QFAIL("no team placed off its number with two names sharing a letter");
    }

    // The cursor crosses between the kept names and the other columns by
    // the keys alone, both ways: arrows, Home and End, Tab round a row's
    // end, Up and Down in a name column.
    void theKeysCrossTheKeptColumns_data()
    {
        QTest::addColumn<int>("fromColumn");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("rowsDown");
        QTest::addColumn<int>("toColumn"); // -1: the last column
        const int none = Qt::NoModifier;
        QTest::newRow("Left from Team") << int(RosterTable::Team) << int(Qt::Key_Left) << none
                                        << 0 << int(RosterTable::FirstName);
        QTest::newRow("Left to Last Name") << int(RosterTable::FirstName) << int(Qt::Key_Left)
                                           << none << 0 << int(RosterTable::LastName);
        QTest::newRow("Left at the edge") << int(RosterTable::LastName) << int(Qt::Key_Left)
                                          << none << 0 << int(RosterTable::LastName);
        QTest::newRow("Right to Team") << int(RosterTable::FirstName) << int(Qt::Key_Right)
                                       << none << 0 << int(RosterTable::Team);
        QTest::newRow("Down in a name") << int(RosterTable::LastName) << int(Qt::Key_Down) << none
                                        << 1 << int(RosterTable::LastName);
        QTest::newRow("End from a name") << int(RosterTable::LastName) << int(Qt::Key_End) << none
                                         << 0 << -1;
        QTest::newRow("Home to Last Name") << int(RosterTable::FirstRating) << int(Qt::Key_Home)
                                           << none << 0 << int(RosterTable::LastName);
        QTest::newRow("Tab round the end") << -1 << int(Qt::Key_Tab) << none << 1
                                           << int(RosterTable::LastName);
        QTest::newRow("Shift+Tab round the start") << int(RosterTable::LastName) << int(Qt::Key_Backtab)
                                                   << int(Qt::ShiftModifier) << -1 << -1;
    }
    void theKeysCrossTheKeptColumns()
    {
        QFETCH(int, fromColumn);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, rowsDown);
        QFETCH(int, toColumn);
        EditorFixture f;
        QVERIFY(f.open());
        QVERIFY(f.chooseTeam(0));
        QModelIndex reached, expected;
        whenModalShown(QStringLiteral("frmRosterTable"), [&](QWidget *w) {
            auto *view = control<FrozenTableView>(w, "tblRoster");
            const QAbstractItemModel *shown = view->model();
            const int last = shown->columnCount() - 1;
            const int from = fromColumn < 0 ? last : fromColumn;
            view->setCurrentIndex(shown->index(1, from));
            QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            reached = view->currentIndex();
            expected = shown->index(1 + rowsDown, toColumn < 0 ? last : toColumn);
            QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
        });
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(reached, expected);
    }
};

QTEST_MAIN(TstTableWindow)
#include "tst_tablewindow.moc"
