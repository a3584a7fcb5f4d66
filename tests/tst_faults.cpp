// The fault catalogue: what the program does when the files under it fail
// while it runs. Every case checks the message (titled "Puckdex", naming the
// file and the reason), that the program goes on, and, file by file, that
// nothing changed on disk that the user did not ask to change. The faults
// met at start-up and in the settings file are in tst_startupfaults.

#include "bytecompare.h"
#include "editorfixture.h"
#include "faultcases.h"
#include "messagescript.h"
#include "messagetexts.h"
#include "modalhelper.h"
#include "ordinaryuser.h"
#include "testfiles.h"

#include "player/valuerules.h"
#include "files/codepage.h"
#include "files/gamefiles.h"
#include "sampleroster.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>

using namespace Puckdex;

namespace {

// The player whose write failed is still shown with the user's edits, his
// team still chosen.
void checkStillShown(EditorFixture &f, qint64 offset, int team = kTeam)
{
    QVERIFY(f.window->isPlayerShown());
    QCOMPARE(f.shownOffset(), offset);
    QCOMPARE(f.control<QLineEdit>("txtFirstName")->text(), QStringLiteral("Zed"));
    QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), QStringLiteral("222"));
    QCOMPARE(f.control<QComboBox>("cboTeams")->currentData().toInt(), team);
}

// The files as another program (the game itself) writes them while the
// player t.shown is shown: his unshown bytes, some shown ones (which the
// window's values then replace), a teammate's records, the key file's gap
// and the team file; random bytes from seed.
struct OtherProgramsFiles
{
    QByteArray key;
    QByteArray att;
    QByteArray teams;
};
OtherProgramsFiles anotherProgramsWrites(const EditorFixture &f, const Targets &t, bool goalie,
                                         quint32 seed)
{
    const qint64 at = f.player(t.shown).attribOffset();
    const PlayerRecord mate = f.player(t.next);
    QRandomGenerator rng(seed);
    const auto scribble = [&](QByteArray &bytes, qint64 from, int count) {
        for (int i = 0; i < count; ++i)
            bytes[from + i] = char(rng.bounded(256));
    };
    QByteArray key = f.originalKey;
    scribble(key, t.shown + 40, 8);
    scribble(key, t.shown + 59, 1);
    key.replace(t.shown + PlayerRecord::PictureCodeA.offset, 8, "ABCDWXYZ");
    key.replace(t.shown + PlayerRecord::LastName.offset, 17, QByteArray("Otherprog\0junk!!!", 17));
    key[t.shown + PlayerRecord::WeightPoundsByte] = char(199);
    scribble(key, t.next + 40, 8);
    key[t.next + PlayerRecord::WeightPoundsByte] = char(201);
    scribble(key, GameFiles::KeyRegionOneEnd, 4520);
    QByteArray att = f.originalAtt;
    const QList<int> unshown =
        goalie ? QList<int>{5, 9, 12, 13, 14, 15} : QList<int>{8, 15, 16, 17, 18};
    for (const int b : unshown)
        scribble(att, at + b, 1);
    const int weightClassByte =
        goalie ? GoalieAttribRecord::WeightClassByte : SkaterAttribRecord::WeightClassByte;
    att[at + weightClassByte] = char(17);
    att[at + (goalie ? 16 : 6)] = char(3); // a shown rating
    scribble(att, mate.attribOffset(), mate.isGoalie() ? 17 : 21);
    QByteArray teams = readFile(f.path("teams.db"));
    scribble(teams, 795 * kTeam + 100, 50);
    return {key, att, teams};
}

// The edits of a shown player in every case: a name, the weight (its class
// follows) and a rating; the last box is left with Tab.
void editShownPlayer(EditorFixture &f)
{
    EditorFixture::type(f.control<QLineEdit>("txtFirstName"), QStringLiteral("Zed"));
    EditorFixture::type(f.control<QLineEdit>("txtWeight"), QStringLiteral("222"));
    QLineEdit *speed = f.ratingBox(RatingGroup::AllPlayers, 0);
    EditorFixture::type(speed, QStringLiteral("100"));
    QTest::keyClick(speed, Qt::Key_Tab);
}

// No player shown after a record could not be read; the team's list stays.
void checkNoPlayerShown(EditorFixture &f)
{
    QVERIFY(!f.window->isPlayerShown());
    QVERIFY(!f.control<QLineEdit>("txtFirstName")->isEnabled());
    QCOMPARE(f.control<QLineEdit>("txtFirstName")->text(), QString());
    QCOMPARE(f.ratingBox(RatingGroup::AllPlayers, 0)->text(), QString());
    QVERIFY(f.control<QListWidget>("lstPlayers")->selectedItems().isEmpty());
    QVERIFY(f.control<QListWidget>("lstPlayers")->isEnabled());
}

// The program goes on after a fault: another team lists its players and
// one of them is shown, without a message.
void checkUsable(EditorFixture &f, const MessageScript &messages, int team = kThirdTeam)
{
    const qsizetype before = messages.shown.size();
    QVERIFY(f.chooseTeam(team));
    const QList<PlayerEntry> players = f.players(team);
    QVERIFY(!players.isEmpty());
    QCOMPARE(f.control<QListWidget>("lstPlayers")->count(), players.size());
    QVERIFY(f.clickPlayer(players.last().offset));
    QVERIFY(f.window->isPlayerShown());
    QCOMPARE(f.shownOffset(), players.last().offset);
    QCOMPARE(f.control<QLineEdit>("txtLastName")->text(), players.last().record.lastName());
    QCOMPARE(messages.shown.size(), before);
}

// Leaves the shown player (or, with none shown, picks a team) as a user does.
void leaveBy(EditorFixture &f, const QString &how, qint64 nextPlayer, int nextTeam = kOtherTeam)
{
    if (how == QLatin1String("player")) {
        QVERIFY(f.clickPlayer(nextPlayer));
    } else if (how == QLatin1String("team")) {
        QVERIFY(f.chooseTeam(nextTeam));
    } else {
        EditorFixture::activate(f.control<QPushButton>("cmdExit"));
        QTest::mouseClick(f.control<QPushButton>("cmdExit"), Qt::LeftButton);
    }
}

struct Saved
{
    QByteArray key;
    QByteArray att;
};

// The files as a run without faults leaves them: the player shown, edited
// and left. The sample roster is the same every time, so its offsets hold
// in every fixture.
Saved cleanSave(qint64 shown)
{
    EditorFixture r;
    if (!r.open())
        return {};
    MessageScript messages;
    if (!r.chooseTeam(kTeam) || !r.clickPlayer(shown))
        return {};
    editShownPlayer(r);
    if (!r.chooseTeam(kOtherTeam) || !messages.shown.isEmpty())
        return {};
    return {r.key(), r.att()};
}

// A write fault on the file of that name for as long as it lives.
class WriteFaultOn
{
public:
    WriteFaultOn(const QString &fileName, const GameFiles::WriteFault &fault)
    {
        GameFiles::setWriteFaultHook(
            [=](const QString &path, qint64) -> std::optional<GameFiles::WriteFault> {
                if (QFileInfo(path).fileName().compare(fileName, Qt::CaseInsensitive) == 0)
                    return fault;
                return std::nullopt;
            });
    }
    ~WriteFaultOn() { remove(); }
    WriteFaultOn(const WriteFaultOn &) = delete;
    WriteFaultOn &operator=(const WriteFaultOn &) = delete;
    void remove() { GameFiles::setWriteFaultHook({}); }
};

} // namespace

class TstFaults : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { cleanUpAfterFault(); }

    // ---------------------------------------------------------------------
    // The game folder goes away under the running program.

    void theGameFolderGoesAway_data()
    {
        QTest::addColumn<bool>("removed"); // otherwise renamed, and later back
        QTest::addColumn<bool>("playerShown");
        QTest::addColumn<QString>("leave"); // "team", "player" or "exit"
        QTest::newRow("renamed, then a team chosen") << false << false << "team";
        QTest::newRow("removed, then a team chosen") << true << false << "team";
        QTest::newRow("renamed, shown player left for a teammate") << false << true << "player";
        QTest::newRow("renamed, shown player left for another team") << false << true << "team";
        QTest::newRow("renamed, shown player left by Exit") << false << true << "exit";
        QTest::newRow("removed, shown player left for a teammate") << true << true << "player";
        QTest::newRow("removed, shown player left by Exit") << true << true << "exit";
    }
    void theGameFolderGoesAway()
    {
        QFETCH(bool, removed);
        QFETCH(bool, playerShown);
        QFETCH(QString, leave);
        Saved clean;
        EditorFixture f;
        QVERIFY(f.open());
        const Targets t = targetsOf(f, false);
        if (playerShown && !removed) {
            clean = cleanSave(t.shown);
            QVERIFY(!clean.key.isEmpty());
            EditorFixture::activate(f.window.get());
        }
        MessageScript messages;
        QVERIFY(f.chooseTeam(kTeam));
        if (playerShown) {
            QVERIFY(f.clickPlayer(t.shown));
            editShownPlayer(f);
        }
        const QString folder = f.dir.path();
        const QString moved = folder + QStringLiteral("-moved");
        // A case that fails halfway must not leave the moved folder behind.
        const auto removeMoved = qScopeGuard([&] { QDir(moved).removeRecursively(); });
        const auto original = snapshotOf(folder);
        if (removed)
            QVERIFY(QDir(folder).removeRecursively());
        else
            QVERIFY(QDir().rename(folder, moved));

        if (leave == QLatin1String("exit"))
            messages.answer(MessageAnswer::No);
        leaveBy(f, leave, t.next);
        QCOMPARE(messages.shown.size(), leave == QLatin1String("exit") ? 2 : 1);
        checkFaultMessage(messages.shown.first(),
                          QDir(folder).filePath(playerShown ? "key.db" : "teams.db"),
                          QStringLiteral("its folder was removed"));
        QVERIFY(f.window->isVisible());
        if (leave == QLatin1String("exit"))
            QCOMPARE(messages.shown.last().text, kExitWithoutSaving);
        if (playerShown) {
            checkStillShown(f, t.shown);
        } else {
            QVERIFY(!f.control<QListWidget>("lstPlayers")->isEnabled());
            QCOMPARE(f.control<QListWidget>("lstPlayers")->count(), 0);
        }
        // Nothing was made where the folder was.
        QVERIFY(!QFileInfo::exists(folder));

        if (removed) {
            // Each later try says the same; the program still ends when asked.
            QVERIFY(f.chooseTeam(kThirdTeam));
            QCOMPARE(messages.shown.size(), leave == QLatin1String("exit") ? 3 : 2);
            checkFaultMessage(messages.shown.last(),
                              QDir(folder).filePath(playerShown ? "key.db" : "teams.db"),
                              QStringLiteral("its folder was removed"));
            messages.answer(MessageAnswer::Yes);
            f.window->close();
            QVERIFY(!f.window->isVisible());
            QVERIFY(!QFileInfo::exists(folder));
            return;
        }

        QVERIFY(QDir().rename(moved, folder));
        QCOMPARE(snapshotOf(folder), original);
        const qsizetype shownBefore = messages.shown.size();
        leaveBy(f, leave, t.next);
        QCOMPARE(messages.shown.size(), shownBefore);
        if (playerShown) {
            COMPARE_BYTES(f.key(), clean.key);
            COMPARE_BYTES(f.att(), clean.att);
        } else {
            QVERIFY(f.control<QListWidget>("lstPlayers")->count() > 0);
            COMPARE_BYTES(f.key(), f.originalKey);
        }
        if (leave == QLatin1String("exit"))
            QVERIFY(!f.window->isVisible());
        else
            checkUsable(f, messages);
    }

    // One game file removed after start-up, then put back: each read that
    // needs it says so, the others go on.
    void aGameFileRemovedAfterStartup_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("pickPlayer"); // else a team is chosen
        QTest::addColumn<QString>("what");    // how the message begins
        QTest::newRow("key.db, then a team chosen")
            << "key.db" << false << "The team's players could not be read.";
        QTest::newRow("key.db, then a player picked")
            << "key.db" << true << "The player could not be read.";
        QTest::newRow("att.db, then a player picked") << "att.db" << true << "The ratings of ";
    }
    void aGameFileRemovedAfterStartup()
    {
        QFETCH(QString, file);
        QFETCH(bool, pickPlayer);
        QFETCH(QString, what);
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(kTeam));
        const Targets t = targetsOf(f, false);
        const QString path = f.path(qPrintable(file));
        const QString away = f.dir.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QFile::rename(path, away));

        if (pickPlayer)
            QVERIFY(f.clickPlayer(t.shown));
        else
            QVERIFY(f.chooseTeam(kOtherTeam));
        QCOMPARE(messages.shown.size(), 1);
        checkFaultMessage(messages.shown.first(), path, QStringLiteral("the file was removed"));
        QVERIFY2(messages.shown.first().text.startsWith(what),
                 qPrintable(messages.shown.first().text));
        QVERIFY(!f.window->isPlayerShown());
        if (pickPlayer) {
            checkNoPlayerShown(f);
        } else {
            // The team itself was read: its fields show, its list is empty.
            QVERIFY(!f.control<QLineEdit>("txtName")->text().isEmpty());
            QVERIFY(f.control<QListWidget>("lstPlayers")->isEnabled());
            QCOMPARE(f.control<QListWidget>("lstPlayers")->count(), 0);
        }
        QVERIFY(!QFileInfo::exists(path));

        QVERIFY(QFile::rename(away, path));
        COMPARE_BYTES(f.key(), f.originalKey);
        COMPARE_BYTES(f.att(), f.originalAtt);
        checkUsable(f, messages);
    }

    // A renamed player left by a click on another one (the rename runs once
    // the click has reached the list) while his key file is read-only.
    void aRenamedPlayerLeftWhileTheKeyFileIsReadOnly()
    {
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(kTeam));
        const Targets t = targetsOf(f, false);
        QVERIFY(f.clickPlayer(t.shown));
        int questions = 0;
        whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *w) {
            ++questions;
            QTest::mouseClick(control<QPushButton>(w, "cmdYes"), Qt::LeftButton);
        });
        EditorFixture::type(f.control<QLineEdit>("txtLastName"), QStringLiteral("zzyzx"));

        WriteFaultOn readOnly(QStringLiteral("key.db"), {true, -1, {}});
        QVERIFY(f.clickPlayer(t.next));
        QTRY_COMPARE(messages.shown.size(), 1);
        QCOMPARE(questions, 1);
        checkFaultMessage(messages.shown.first(), f.path("key.db"), kReadOnly);
        QVERIFY(f.window->isPlayerShown());
        QCOMPARE(f.shownOffset(), t.shown);
        QCOMPARE(f.control<QLineEdit>("txtLastName")->text(), QStringLiteral("Zzyzx"));
        QCOMPARE(f.control<QListWidget>("lstPlayers")
                     ->findItems(QStringLiteral("Zzyzx"), Qt::MatchExactly)
                     .size(),
                 1);
        COMPARE_BYTES(f.key(), f.originalKey);
        COMPARE_BYTES(f.att(), f.originalAtt);

        // Writable again: the next click saves the new name, asking nothing more.
        readOnly.remove();
        QVERIFY(f.clickPlayer(t.next));
        QCOMPARE(f.shownOffset(), t.next);
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(questions, 1);
        QByteArray expected = f.originalKey;
        expected.replace(t.shown + PlayerRecord::LastName.offset, PlayerRecord::LastName.width,
                         QByteArray("Zzyzx").leftJustified(PlayerRecord::LastName.width, '\0'));
        COMPARE_BYTES(f.key(), expected);
        COMPARE_BYTES(f.att(), f.originalAtt);
        checkUsable(f, messages);
    }

    // ---------------------------------------------------------------------
    // A game file turns read-only, or another program takes hold of it,
    // while a player is shown (the write hook stands in for the mark, which
    // root would write through, and for the hold, which Linux has not).

    void aFileTurnsReadOnlyWhileShown_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<QString>("leave");
        QTest::addColumn<bool>("held");
        QTest::newRow("key.db, left for a teammate") << "key.db" << false << "player" << false;
        QTest::newRow("key.db, left for another team") << "key.db" << true << "team" << false;
        QTest::newRow("key.db, left by Exit") << "key.db" << false << "exit" << false;
        QTest::newRow("att.db, left for a teammate") << "att.db" << true << "player" << false;
        QTest::newRow("att.db, left for another team") << "att.db" << false << "team" << false;
        QTest::newRow("att.db, left by Exit") << "att.db" << true << "exit" << false;
        QTest::newRow("att.db held, left for a teammate") << "att.db" << false << "player" << true;
        QTest::newRow("key.db held, left by Exit") << "key.db" << true << "exit" << true;
    }
    void aFileTurnsReadOnlyWhileShown()
    {
        QFETCH(QString, file);
        QFETCH(bool, goalie);
        QFETCH(QString, leave);
        QFETCH(bool, held);
        EditorFixture f;
        QVERIFY(f.open());
        const Targets t = targetsOf(f, goalie);
        const Saved clean = cleanSave(t.shown);
        QVERIFY(!clean.key.isEmpty());
        EditorFixture::activate(f.window.get());
        MessageScript messages;
        QVERIFY(f.chooseTeam(kTeam));
        QVERIFY(f.clickPlayer(t.shown));
        editShownPlayer(f);

        GameFiles::WriteFault fault{!held, -1, {}};
        fault.held = held;
        WriteFaultOn readOnly(file, fault);
        if (leave == QLatin1String("exit"))
            messages.answer(MessageAnswer::No);
        leaveBy(f, leave, t.next);
        QCOMPARE(messages.shown.size(), leave == QLatin1String("exit") ? 2 : 1);
        checkFaultMessage(messages.shown.first(), f.path(qPrintable(file)),
                          held ? QStringLiteral("it is open in another program (DOSBox or a "
                                                "spreadsheet?). Close it there and try again")
                               : kReadOnly);
        QVERIFY(messages.shown.first().text.startsWith(QStringLiteral("Zed ")));
        QVERIFY(f.window->isVisible());
        QVERIFY(messages.shown.first().text.endsWith(QStringLiteral("Nothing was written.")));
        checkStillShown(f, t.shown);
        // Both files are checked before either is written: neither changed.
        COMPARE_BYTES(f.key(), f.originalKey);
        COMPARE_BYTES(f.att(), f.originalAtt);

        // Writable again: leaving him saves him.
        readOnly.remove();
        const qsizetype before = messages.shown.size();
        leaveBy(f, leave, t.next);
        QCOMPARE(messages.shown.size(), before);
        COMPARE_BYTES(f.key(), clean.key);
        COMPARE_BYTES(f.att(), clean.att);
        if (leave == QLatin1String("exit"))
            QVERIFY(!f.window->isVisible());
        else
            checkUsable(f, messages);
    }

    // ---------------------------------------------------------------------
    // A record write that stops part of the way (a full disk, a device that
    // fails): the records written are put back (the attribute record is
    // written first), the message says what is on disk, the player is kept,
    // and a later save completes him. When putting back fails too, the
    // message says so.

    void aWriteFailsHalfway_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<int>("written"); // bytes of the record that reach the file
        QTest::addColumn<bool>("restoreFails");
        QTest::addColumn<QString>("onDisk");
        const QString unchanged = QStringLiteral("Nothing was changed on disk: both of his "
                                                 "records hold what they held before.");
        QTest::newRow("key record, nothing written") << "key.db" << false << 0 << false << unchanged;
        QTest::newRow("key record, 1 byte") << "key.db" << true << 1 << false << unchanged;
        QTest::newRow("key record, half") << "key.db" << false << 30 << false << unchanged;
        QTest::newRow("key record, all but the last byte")
            << "key.db" << false << 59 << false << unchanged;
        QTest::newRow("skater ratings, nothing written")
            << "att.db" << false << 0 << false << unchanged;
        QTest::newRow("skater ratings, half") << "att.db" << false << 10 << false << unchanged;
        QTest::newRow("goalie ratings, all but the last byte")
            << "att.db" << true << 16 << false << unchanged;
        QTest::newRow("key record half, ratings not put back")
            << "key.db" << false << 30 << true
            << "On disk now, his record in key.db holds a mix of old and new bytes, and his "
               "record in att.db holds the new values.";
        // The edit changes none of the bytes after the first ten.
        QTest::newRow("skater ratings cut short, not put back")
            << "att.db" << false << 10 << true
            << "On disk now, his record in key.db holds what it held before, and his record in "
               "att.db holds the new values.";
    }
    void aWriteFailsHalfway()
    {
        QFETCH(QString, file);
        QFETCH(bool, goalie);
        QFETCH(int, written);
        QFETCH(bool, restoreFails);
        QFETCH(QString, onDisk);
        EditorFixture f;
        QVERIFY(f.open());
        const Targets t = targetsOf(f, goalie);
        const Saved clean = cleanSave(t.shown);
        QVERIFY(!clean.key.isEmpty());
        EditorFixture::activate(f.window.get());
        MessageScript messages;
        QVERIFY(f.chooseTeam(kTeam));
        QVERIFY(f.clickPlayer(t.shown));
        editShownPlayer(f);

        const bool keyFile = file == QLatin1String("key.db");
        const int size = keyFile ? PlayerRecord::Size
                                 : (goalie ? GoalieAttribRecord::Size : SkaterAttribRecord::Size);
        // The device fails the record's write after some bytes; with
        // restoreFails, every later write to either file fails at once.
        int writes = 0;
        GameFiles::setWriteFaultHook(
            [&](const QString &path, qint64 offset) -> std::optional<GameFiles::WriteFault> {
                if (offset < 0)
                    return std::nullopt; // only checking: the files are writable
                const bool target = QFileInfo(path).fileName() == file;
                if (target && ++writes == 1)
                    return GameFiles::WriteFault{false, written, QStringLiteral("the disk is full")};
                if (restoreFails && writes > 0)
                    return GameFiles::WriteFault{false, 0, QStringLiteral("the device is gone")};
                return target ? std::optional(GameFiles::WriteFault{
                                    false, written, QStringLiteral("the disk is full")})
                              : std::nullopt;
            });
        const auto removeHook = qScopeGuard([] { GameFiles::setWriteFaultHook({}); });
        leaveBy(f, QStringLiteral("player"), t.next);
        QCOMPARE(messages.shown.size(), 1);
        checkFaultMessage(
            messages.shown.first(), f.path(qPrintable(file)),
            QStringLiteral("was written only in part (%1 of %2 bytes): the disk is full")
                .arg(written)
                .arg(size));
        QVERIFY2(messages.shown.first().text.endsWith(onDisk),
                 qPrintable(messages.shown.first().text));
        checkStillShown(f, t.shown);

        if (!restoreFails) {
            COMPARE_BYTES(f.key(), f.originalKey);
            COMPARE_BYTES(f.att(), f.originalAtt);
        } else {
            // Only the bytes that got through changed, and they are the new ones.
            const qint64 at = keyFile ? t.shown : f.player(t.shown).attribOffset();
            QByteArray torn = keyFile ? f.originalKey : f.originalAtt;
            torn.replace(at, written, (keyFile ? clean.key : clean.att).mid(at, written));
            COMPARE_BYTES(keyFile ? f.key() : f.att(), torn);
            COMPARE_BYTES(keyFile ? f.att() : f.key(), keyFile ? clean.att : f.originalKey);
        }

        GameFiles::setWriteFaultHook({});
        leaveBy(f, QStringLiteral("player"), t.next);
        QCOMPARE(messages.shown.size(), 1);
        COMPARE_BYTES(f.key(), clean.key);
        COMPARE_BYTES(f.att(), clean.att);
        checkUsable(f, messages);
    }

    // ---------------------------------------------------------------------
    // Damaged records: cut-short files and attribute offsets that point
    // nowhere.

    void aDamagedRecordIsNotShown_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("key file cut below a listed player") << "key.db";
        QTest::newRow("attribute file cut below a player's ratings") << "att.db";
    }
    void aDamagedRecordIsNotShown()
    {
        QFETCH(QString, file);
        const bool keyFile = file == QLatin1String("key.db");
        EditorFixture f;
        QVERIFY(f.open());
        MessageScript messages;
        QVERIFY(f.chooseTeam(kTeam));
        // The player whose record lies last in the file that is cut.
        const QList<PlayerEntry> players = f.players(kTeam);
        PlayerEntry last = players.first();
        for (const PlayerEntry &p : players) {
            if (keyFile ? p.offset > last.offset
                        : p.record.attribOffset() > last.record.attribOffset())
                last = p;
        }
        const qint64 cut = keyFile ? last.offset + 30 : last.record.attribOffset() + 5;
        QByteArray shortened = (keyFile ? f.originalKey : f.originalAtt).left(cut);
        QVERIFY(writeFile(f.path(qPrintable(file)), shortened));

        QVERIFY(f.clickPlayer(last.offset));
        QCOMPARE(messages.shown.size(), 1);
        const int size = keyFile ? PlayerRecord::Size
                                 : (last.record.isGoalie() ? GoalieAttribRecord::Size
                                                           : SkaterAttribRecord::Size);
        checkFaultMessage(
            messages.shown.first(), f.path(qPrintable(file)),
            QStringLiteral("needs %1 bytes, but the file ends at byte %2").arg(size).arg(cut));
        QVERIFY(messages.shown.first().text.startsWith(
            keyFile
                ? QStringLiteral("The player could not be read.")
                : QStringLiteral("The ratings of %1 %2 could not be read; the player is not shown.")
                      .arg(last.record.firstName(), last.record.lastName())));
        checkNoPlayerShown(f);

        // His teammates still load; leaving one unchanged rewrites his own
        // bytes and the short file stays as short as it was.
        const Targets t = targetsOf(players, last.offset);
        QVERIFY(f.clickPlayer(t.next));
        QVERIFY(f.window->isPlayerShown());
        QCOMPARE(f.shownOffset(), t.next);
        QVERIFY(f.chooseTeam(kOtherTeam));
        QCOMPARE(messages.shown.size(), 1);
        COMPARE_BYTES(f.key(), keyFile ? shortened : f.originalKey);
        COMPARE_BYTES(f.att(), keyFile ? f.originalAtt : shortened);
        // Other teams' ratings may lie beyond a cut attribute file.
        if (keyFile)
            checkUsable(f, messages);
    }

    void aRecordDamagedWhileShownIsNotSaved_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("file"); // the file the message names
        QTest::newRow("key file cut below him") << "key cut"
                                                << "key.db";
        QTest::newRow("attribute file cut below his ratings") << "att cut"
                                                              << "att.db";
        QTest::newRow("his attribute offset made negative") << "negative"
                                                            << "att.db";
        QTest::newRow("his attribute offset far beyond the file") << "beyond"
                                                                  << "att.db";
    }
    void aRecordDamagedWhileShownIsNotSaved()
    {
        QFETCH(QString, damage);
        QFETCH(QString, file);
        EditorFixture f;
        QVERIFY(f.open());
        // The player whose key record lies last in the file: a cut below
        // him leaves his teammates whole.
        const QList<PlayerEntry> players = f.players(kTeam);
        PlayerEntry shown = players.first();
        for (const PlayerEntry &p : players) {
            const bool later = damage == QLatin1String("att cut")
                                   ? p.record.attribOffset() > shown.record.attribOffset()
                                   : p.offset > shown.offset;
            if (later)
                shown = p;
        }
        const Targets t = targetsOf(players, shown.offset);
        const Saved clean = cleanSave(t.shown);
        QVERIFY(!clean.key.isEmpty());
        EditorFixture::activate(f.window.get());
        MessageScript messages;
        QVERIFY(f.chooseTeam(kTeam));
        QVERIFY(f.clickPlayer(t.shown));
        editShownPlayer(f);

        // Another program damages the files while he is shown.
        const qint32 attribOffset = shown.record.attribOffset();
        const int attribSize =
            shown.record.isGoalie() ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
        QByteArray key = f.originalKey;
        QByteArray att = f.originalAtt;
        QString reason;
        if (damage == QLatin1String("key cut")) {
            key = key.left(t.shown + 30);
            reason = QStringLiteral("needs 60 bytes, but the file ends at byte %1").arg(key.size());
        } else if (damage == QLatin1String("att cut")) {
            att = att.left(attribOffset + 5);
            reason = QStringLiteral("needs %1 bytes, but the file ends at byte %2")
                         .arg(attribSize)
                         .arg(att.size());
        } else {
            const qint32 bad = damage == QLatin1String("negative") ? -40 : 10'000'000;
            f.patchPlayer(t.shown, [&](PlayerRecord &p) { p.setAttribOffset(bad); });
            key = f.key();
            reason = damage == QLatin1String("negative")
                         ? QStringLiteral("has the negative offset -40")
                         : QStringLiteral("needs %1 bytes, but the file ends at byte %2")
                               .arg(attribSize)
                               .arg(att.size());
        }
        QVERIFY(writeFile(f.path("key.db"), key));
        QVERIFY(writeFile(f.path("att.db"), att));

        leaveBy(f, QStringLiteral("player"), t.next);
        QCOMPARE(messages.shown.size(), 1);
        checkFaultMessage(messages.shown.first(), f.path(qPrintable(file)), reason);
        checkStillShown(f, t.shown);
        // No file grew, and with one record damaged neither was written.
        COMPARE_BYTES(f.key(), key);
        COMPARE_BYTES(f.att(), att);

        // Repaired by the other program: leaving him now saves him.
        QVERIFY(writeFile(f.path("key.db"), f.originalKey));
        QVERIFY(writeFile(f.path("att.db"), f.originalAtt));
        leaveBy(f, QStringLiteral("player"), t.next);
        QCOMPARE(messages.shown.size(), 1);
        COMPARE_BYTES(f.key(), clean.key);
        COMPARE_BYTES(f.att(), clean.att);
        checkUsable(f, messages);
    }

    // ---------------------------------------------------------------------
    // The team file replaced by a shorter one after the team list was read.

    void aShorterTeamFile_data()
    {
        QTest::addColumn<int>("kept"); // bytes of the team file left
        QTest::addColumn<int>("team"); // the team chosen then
        QTest::addColumn<bool>("playerShown");
        QTest::newRow("ten teams, team 20 chosen") << 10 * 795 << 20 << false;
        QTest::newRow("ten and a half teams, team 10 chosen") << 10 * 795 + 400 << 10 << false;
        QTest::newRow("emptied, team 0 chosen") << 0 << 0 << false;
        QTest::newRow("ten teams, team 25 chosen with a player shown") << 10 * 795 << 25 << true;
    }
    void aShorterTeamFile()
    {
        QFETCH(int, kept);
        QFETCH(int, team);
        QFETCH(bool, playerShown);
        EditorFixture f;
        QVERIFY(f.open());
        const Targets t = targetsOf(f, false);
        Saved clean{f.originalKey, f.originalAtt};
        if (playerShown) {
            clean = cleanSave(t.shown);
            QVERIFY(!clean.key.isEmpty());
            EditorFixture::activate(f.window.get());
        }
        MessageScript messages;
        if (playerShown) {
            QVERIFY(f.chooseTeam(kTeam));
            QVERIFY(f.clickPlayer(t.shown));
            editShownPlayer(f);
        }
        const QByteArray shorter = readFile(f.path("teams.db")).left(kept);
        QVERIFY(writeFile(f.path("teams.db"), shorter));

        QVERIFY(f.chooseTeam(team));
        QCOMPARE(messages.shown.size(), 1);
        checkFaultMessage(messages.shown.first(), f.path("teams.db"),
                          QStringLiteral("team %1 at offset %2 needs 795 bytes, but the file ends "
                                         "at byte %3")
                              .arg(team)
                              .arg(team * 795)
                              .arg(kept));
        QVERIFY(
            messages.shown.first().text.startsWith(QStringLiteral("The team could not be read.")));
        // The shown player was written before the team was read.
        QVERIFY(!f.window->isPlayerShown());
        QVERIFY(!f.control<QListWidget>("lstPlayers")->isEnabled());
        QCOMPARE(f.control<QListWidget>("lstPlayers")->count(), 0);
        QCOMPARE(f.control<QLineEdit>("txtName")->text(), QString());
        QCOMPARE(f.control<QComboBox>("cboTeams")->count(), Sample::kTeamCount);
        COMPARE_BYTES(f.key(), clean.key);
        COMPARE_BYTES(f.att(), clean.att);
        COMPARE_BYTES(readFile(f.path("teams.db")), shorter);

        // The teams still in the file work as before.
        if (kept >= 795 * (kOtherTeam + 1))
            checkUsable(f, messages, kOtherTeam);
    }

    // ---------------------------------------------------------------------
    // Another program (the game itself) writes the files while a player is
    // shown: what the window does not show stays as that program left it.

    void anotherProgramWritesMeanwhile_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<bool>("edited");
        QTest::newRow("skater, edited") << false << true;
        QTest::newRow("skater, left unchanged") << false << false;
        QTest::newRow("goalie, edited") << true << true;
        QTest::newRow("goalie, left unchanged") << true << false;
    }
    void anotherProgramWritesMeanwhile()
    {
        QFETCH(bool, goalie);
        QFETCH(bool, edited);
        EditorFixture f;
        QVERIFY(f.open());
        const Targets t = targetsOf(f, goalie);
        MessageScript messages;
        QVERIFY(f.chooseTeam(kTeam));
        QVERIFY(f.clickPlayer(t.shown));
        if (edited)
            editShownPlayer(f);

        const PlayerRecord before = f.player(t.shown);
        const qint64 at = before.attribOffset();
        const auto [key, att, teams] = anotherProgramsWrites(f, t, goalie, goalie * 2 + edited);
        QVERIFY(writeFile(f.path("key.db"), key));
        QVERIFY(writeFile(f.path("att.db"), att));
        QVERIFY(writeFile(f.path("teams.db"), teams));

        leaveBy(f, QStringLiteral("player"), t.next);
        // Nothing the other program wrote is written over.
        COMPARE_BYTES(f.key(), key);
        COMPARE_BYTES(f.att(), att);
        COMPARE_BYTES(readFile(f.path("teams.db")), teams);
        if (!edited) {
            // Nothing of the user's to keep: he is left without a word.
            QCOMPARE(messages.shown.size(), 0);
            QCOMPARE(f.shownOffset(), t.next);
            checkUsable(f, messages);
            return;
        }
        QCOMPARE(messages.shown.size(), 1);
        const QString said = messages.shown.first().text;
        QVERIFY2(said.contains(before.firstName() + QLatin1Char(' ') + before.lastName()),
                 qPrintable(said));
        QVERIFY2(said.contains(QLatin1String("Last Name")), qPrintable(said));
        QVERIFY2(said.contains(QLatin1String("Your changes to First Name, Speed are kept")),
                 qPrintable(said));
        QVERIFY2(said.contains(QLatin1String("Your changes to Weight were let go")),
                 qPrintable(said));
        // He stays, as the files hold him with the user's own entries.
        QCOMPARE(f.shownOffset(), t.shown);
        QCOMPARE(f.control<QLineEdit>("txtLastName")->text(), QStringLiteral("Otherprog"));
        QCOMPARE(f.control<QLineEdit>("txtFirstName")->text(), QStringLiteral("Zed"));
        QCOMPARE(f.control<QLineEdit>("txtWeight")->text(), QStringLiteral("199"));
        QCOMPARE(f.ratingBox(RatingGroup::AllPlayers, 0)->text(), QStringLiteral("100"));

        // Left again, he is saved over what the other program wrote.
        leaveBy(f, QStringLiteral("player"), t.next);
        QCOMPARE(messages.shown.size(), 1);
        const PlayerRecord saved = f.player(t.shown);
        QCOMPARE(saved.firstName(), QStringLiteral("Zed"));
        QCOMPARE(saved.lastName(), QStringLiteral("Otherprog"));
        QCOMPARE(int(saved.weightPounds()), 199);
        const QByteArray savedKey = f.key().mid(t.shown, PlayerRecord::Size);
        QCOMPARE(savedKey.mid(40, 8), key.mid(t.shown + 40, 8));
        QCOMPARE(savedKey.mid(PlayerRecord::PictureCodeA.offset, 8), QByteArray("ABCDWXYZ"));
        const QList<int> unshown =
            goalie ? QList<int>{5, 9, 12, 13, 14, 15} : QList<int>{8, 15, 16, 17, 18};
        for (const int b : unshown)
            QCOMPARE(f.att().at(at + b), att.at(at + b));
        const int weightClassByte =
            goalie ? GoalieAttribRecord::WeightClassByte : SkaterAttribRecord::WeightClassByte;
        QCOMPARE(int(f.att().at(at + weightClassByte)), 17);
        QVERIFY(f.att().at(at + (goalie ? 6 : 1)) != att.at(at + (goalie ? 6 : 1)));
        // The other players' records stay as the other program left them.
        COMPARE_BYTES(f.key().mid(GameFiles::KeyRegionOneEnd), key.mid(GameFiles::KeyRegionOneEnd));
        checkUsable(f, messages);
    }

    // ---------------------------------------------------------------------
    // The system's own permission checks, once for real: root writes through
    // them, so a helper runs the editor's write routine as an ordinary user.

    void realPermissionsForAnOrdinaryUser_data()
    {
        QTest::addColumn<int>("keyMode"); // octal permissions, the owner being root
        QTest::addColumn<int>("attMode");
        QTest::addColumn<QString>("refused"); // the file named, or empty when saved
        QTest::addColumn<QString>("reason");
        QTest::newRow("key.db marked read-only") << 0444 << 0666 << "key.db" << kReadOnly;
        QTest::newRow("key.db not the user's to write") << 0644 << 0666 << "key.db"
                                                        << "Permission denied";
        QTest::newRow("att.db marked read-only") << 0666 << 0444 << "att.db" << kReadOnly;
        QTest::newRow("att.db not the user's to write") << 0666 << 0644 << "att.db"
                                                        << "Permission denied";
        QTest::newRow("both writable") << 0666 << 0666 << ""
                                       << "";
    }
    void realPermissionsForAnOrdinaryUser()
    {
        QFETCH(int, keyMode);
        QFETCH(int, attMode);
        QFETCH(QString, refused);
        QFETCH(QString, reason);

#if defined(Q_OS_WIN)
        QSKIP("another user's file permissions are Linux's here; on Windows the read-only "
              "mark stops a write, which the read-only rows cover");
#endif
        const OrdinaryUser nobody;
        if (!nobody.whyNot().isEmpty())
            QSKIP(qPrintable(nobody.whyNot()));

        // A folder the user nobody can reach, the roster and the helper in it.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(Sample::writeBaseRosters(dir.path()).ok());
        const QString helper = reachableCopy(QStringLiteral(PUCKDEX_WRITEPROBE), dir.path());
        QVERIFY(!helper.isEmpty());

        // What a save that succeeds writes, made as root on a copy.
        QTemporaryDir cleanDir;
        QVERIFY(Sample::writeBaseRosters(cleanDir.path()).ok());
        const qint64 offset = Sample::buildRoster().players.at(5).keyOffset;
        QProcess asRoot;
        asRoot.start(helper, {cleanDir.path(), QString::number(offset)});
        QVERIFY(asRoot.waitForFinished(30000));
        QCOMPARE(asRoot.exitCode(), 0);
        const QByteArray cleanKey = readFile(cleanDir.filePath("key.db"));
        const QByteArray cleanAtt = readFile(cleanDir.filePath("att.db"));
        QVERIFY(cleanKey != readFile(dir.filePath("key.db")));

        const QByteArray att = readFile(dir.filePath("att.db"));
        QVERIFY(QFile::setPermissions(dir.filePath("key.db"), permissionsOf(keyMode)));
        QVERIFY(QFile::setPermissions(dir.filePath("att.db"), permissionsOf(attMode)));
        const auto before = snapshotOf(dir.path());

        QProcess asNobody;
        nobody.run(asNobody, helper, {dir.path(), QString::number(offset)});
        const QString err = QString::fromLocal8Bit(asNobody.readAllStandardError()).trimmed();
        const int code = asNobody.exitCode();
        QVERIFY2(code == 0 || code == 10,
                 qPrintable(QStringLiteral("the helper did not run as nobody (exit code %1): %2")
                                .arg(code)
                                .arg(err)));
        QFile::setPermissions(dir.filePath("key.db"), permissionsOf(0644));
        QFile::setPermissions(dir.filePath("att.db"), permissionsOf(0644));

        if (refused.isEmpty()) {
            QCOMPARE(code, 0);
            COMPARE_BYTES(readFile(dir.filePath("key.db")), cleanKey);
            COMPARE_BYTES(readFile(dir.filePath("att.db")), cleanAtt);
            return;
        }
        QCOMPARE(code, 10);
        QCOMPARE(err, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(dir.filePath(refused)),
                                                   reason));
        // Both files are checked before either is written: nothing changed.
        COMPARE_BYTES(readFile(dir.filePath("key.db")), before.value("key.db"));
        COMPARE_BYTES(readFile(dir.filePath("att.db")), att);
        QCOMPARE(snapshotOf(dir.path()), before);
    }
};

QTEST_MAIN(TstFaults)
#include "tst_faults.moc"
