// Real faults under the two ways the program puts bytes on disk: whole files
// replaced (the backup copies, the settings file) and a player's two records
// written in place. A full disk is a real small file system filled up; a
// read-only file carries the real mark; a folder really stands where a file
// was; links are real links; an unreadable file is met by an ordinary user.
// Only what the file system cannot be made to do (a device that gives back
// other bytes, a failing sync) goes through the write-fault seam; that the
// real syncs are asked for is seen by a library that records them.

#include "bytecompare.h"
#include "fulldisk.h"
#include "messagetexts.h"
#include "ordinaryuser.h"
#include "testfiles.h"

#include "files/fileset.h"
#include "files/gamefiles.h"
#include "player/playeredit.h"
#include "player/recordwrites.h"
#include "files/safefile.h"
#include "sampleroster.h"
#include "settings/profilefile.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

#if defined(Q_OS_WIN)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using namespace Puckdex;

namespace {

const QByteArray kOldBackup = "an earlier run's backup";
const QByteArray kOldSettings = "[Puckdex]\r\nNHL96Path=C:\\NHL96\r\nStandardForward0=6\r\n";

// A fault on every write to the file of that name while it lives.
class FaultOn
{
public:
    FaultOn(const QString &fileName, const GameFiles::WriteFault &fault)
    {
        GameFiles::setWriteFaultHook(
            [=](const QString &path, qint64) -> std::optional<GameFiles::WriteFault> {
                if (QFileInfo(path).fileName() == fileName)
                    return fault;
                return std::nullopt;
            });
    }
    ~FaultOn() { GameFiles::setWriteFaultHook({}); }
    FaultOn(const FaultOn &) = delete;
    FaultOn &operator=(const FaultOn &) = delete;
};

GameFiles::WriteFault faultNamed(const QString &name)
{
    GameFiles::WriteFault fault;
    fault.badReadBack = name == QLatin1String("bad read-back");
    fault.failFileSync = name == QLatin1String("file sync fails");
    fault.failFolderSync = name == QLatin1String("folder sync fails");
    return fault;
}

} // namespace

class TstRealFaults : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { GameFiles::setWriteFaultHook({}); }

    // ---------------------------------------------------------------------
    // Replacing a whole file: on any failure the old file stays as it was,
    // nothing else is left in the folder, and the reason is the real one.

    void replacingAWholeFile_data()
    {
        QTest::addColumn<QString>("file");  // "backup" (teams.bak) or "settings"
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason"); // empty: the replacement succeeds
        QTest::addColumn<bool>("replaced");  // the new bytes are in place afterwards
        for (const QString &file : {QStringLiteral("backup"), QStringLiteral("settings")}) {
            const QByteArray f = file.toLatin1();
            QTest::newRow(f + ", nothing wrong") << file << "none" << QString() << true;
            QTest::newRow(f + ", full disk") << file << "full disk" << "the disk is full" << false;
            QTest::newRow(f + ", read-only") << file << "read-only" << kReadOnly << false;
            QTest::newRow(f + ", a folder in its place")
                << file << "folder" << "is a folder, not a file" << false;
            QTest::newRow(f + ", bad read-back")
                << file << "bad read-back" << "did not read back as written" << false;
            QTest::newRow(f + ", file sync fails")
                << file << "file sync fails" << "could not be put on the disk" << false;
            QTest::newRow(f + ", folder sync fails")
                << file << "folder sync fails" << "its folder could not be put on the disk"
                << true;
        }
        QTest::newRow("backup, first one on a full disk")
            << "first backup" << "full disk" << "the disk is full" << false;
    }
    void replacingAWholeFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        QFETCH(bool, replaced);
        FullDisk disk;
        QTemporaryDir plain;
        if (fault == QLatin1String("full disk"))
            REQUIRE_FULL_DISK(disk);
        const QString folder = fault == QLatin1String("full disk") ? disk.path() : plain.path();
        const bool settings = file == QLatin1String("settings");
        const bool firstBackup = file == QLatin1String("first backup");
        const QString source = QDir(folder).filePath(QStringLiteral("teams.db"));
        const QString target = QDir(folder).filePath(settings ? QStringLiteral("PUCKDEX.INI")
                                                              : QStringLiteral("teams.bak"));
        const QByteArray sourceBytes = QByteArray(20000, 't') + "end of the roster";
        QVERIFY(writeFile(source, sourceBytes));
        if (fault == QLatin1String("folder")) {
            QVERIFY(QDir(folder).mkdir(QFileInfo(target).fileName()));
            QVERIFY(writeFile(target + QStringLiteral("/inside"), "kept"));
        } else if (!firstBackup) {
            QVERIFY(writeFile(target, settings ? kOldSettings : kOldBackup));
        }
        if (fault == QLatin1String("read-only"))
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup));
        if (fault == QLatin1String("full disk"))
            QVERIFY(disk.fill());
        const auto before = snapshotOf(folder);
        FaultOn seam(QFileInfo(target).fileName(), faultNamed(fault));

        QString error;
        if (settings) {
            ProfileFile profile(target);
            if (!profile.writeString(u"Puckdex", u"NHL96Path", QStringLiteral("/home/Øyvind/NHL96")))
                error = profile.errorString();
        } else if (const Status copied = GameFiles::copyToBackup(source); !copied) {
            error = copied.error().fullMessage();
        }

        QCOMPARE(error.isEmpty(), reason.isEmpty());
        if (!reason.isEmpty()) {
            QVERIFY2(error.contains(QDir::toNativeSeparators(target)), qPrintable(error));
            QVERIFY2(error.contains(reason), qPrintable(error));
        }
        auto expected = before;
        if (replaced) {
            const QByteArray now = settings ? QByteArray("[Puckdex]\r\nNHL96Path=/home/\xD8yvind/"
                                                         "NHL96\r\nStandardForward0=6\r\n")
                                            : sourceBytes;
            expected.insert(QFileInfo(target).fileName(), now);
        }
        QCOMPARE(snapshotOf(folder), expected);
    }

    // An earlier backup whose name differs only in case is replaced, never
    // left beside the new one.
    void aBackupReplacesOneThatDiffersInCase_data()
    {
        QTest::addColumn<QString>("game");       // the game file's name
        QTest::addColumn<QStringList>("earlier"); // backups already there
        QTest::addColumn<QString>("backup");     // the one name left afterwards
        QTest::newRow("none yet") << "TEAMS.DB" << QStringList{} << "TEAMS.BAK";
        QTest::newRow("same case") << "TEAMS.DB" << QStringList{"TEAMS.BAK"} << "TEAMS.BAK";
        QTest::newRow("lower-case backup of an upper-case file")
            << "TEAMS.DB" << QStringList{"teams.bak"} << "teams.bak";
        QTest::newRow("mixed case") << "key.db" << QStringList{"Key.Bak"} << "Key.Bak";
        QTest::newRow("two spellings: the exact one stays")
            << "TEAMS.DB" << QStringList{"teams.bak", "TEAMS.BAK"} << "TEAMS.BAK";
    }
    void aBackupReplacesOneThatDiffersInCase()
    {
        QFETCH(QString, game);
        QFETCH(QStringList, earlier);
        QFETCH(QString, backup);
        QTemporaryDir dir;
        const QByteArray roster = "the roster as it is now";
        QVERIFY(writeFile(dir.filePath(game), roster));
        for (const QString &name : earlier)
            QVERIFY(writeFile(dir.filePath(name), kOldBackup));
        if (earlier.size() > 1 && snapshotOf(dir.path()).size() < 3)
            QSKIP("this file system does not tell the cases apart");

        const Status copied = GameFiles::copyToBackup(dir.filePath(game));
        QVERIFY2(copied.ok(), qPrintable(copied ? QString() : copied.error().fullMessage()));
        const QMap<QString, QByteArray> expected{{game, roster}, {backup, roster}};
        QCOMPARE(snapshotOf(dir.path()), expected);
    }

    // The new file keeps who may read and run the old one (another user, the
    // game's own account); the first one gets what the system gives any new
    // file, here 0666 less the umask.
    void replacingKeepsPermissions_data()
    {
        QTest::addColumn<int>("umask");
        QTest::addColumn<int>("oldMode"); // -1: no file yet
        QTest::addColumn<int>("newMode");
        QTest::newRow("the owner's alone") << 022 << 0600 << 0600;
        QTest::newRow("the group reads it") << 022 << 0640 << 0640;
        QTest::newRow("everyone writes it") << 022 << 0666 << 0666;
        QTest::newRow("the group runs it") << 022 << 0750 << 0750;
        QTest::newRow("first one, umask 022") << 022 << -1 << 0644;
        QTest::newRow("first one, umask 002") << 002 << -1 << 0664;
        QTest::newRow("first one, umask 077") << 077 << -1 << 0600;
    }
    void replacingKeepsPermissions()
    {
#if defined(Q_OS_WIN)
        QSKIP("Windows files carry no mode bits, only the read-only mark, whose refusal the "
              "read-only rows of replacingAWholeFile cover");
#else
        QFETCH(int, umask);
        QFETCH(int, oldMode);
        QFETCH(int, newMode);
        const mode_t umaskBefore = ::umask(mode_t(umask));
        const auto restore = qScopeGuard([=] { ::umask(umaskBefore); });
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("teams.bak"));
        if (oldMode >= 0) {
            QVERIFY(writeFile(path, kOldBackup));
            QVERIFY(QFile::setPermissions(path, permissionsOf(oldMode)));
        }
        const Status replaced = SafeFile::replace(path, "the new backup");
        QVERIFY2(replaced.ok(), qPrintable(replaced ? QString() : replaced.error().fullMessage()));
        QCOMPARE(readFile(path), QByteArray("the new backup"));
        QCOMPARE(QString::number(modeOf(path), 8), QString::number(newMode, 8));
#endif
    }

    // A link (a settings file kept in a dotfiles folder, say) stays a link:
    // the file it leads to gets the bytes, and nothing is left beside either.
    void replacingThroughLinks_data()
    {
        QTest::addColumn<QStringList>("links"); // "name=target": made in that order in home/
        QTest::addColumn<QString>("reached");   // the file written, or empty
        QTest::addColumn<QString>("reason");    // why it is refused, or empty
        const QString kept = QStringLiteral("dotfiles/PUCKDEX.INI");
        QTest::newRow("a link into another folder")
            << QStringList{"PUCKDEX.INI=../dotfiles/PUCKDEX.INI"} << kept << QString();
        QTest::newRow("a link by its full path")
            << QStringList{"PUCKDEX.INI=%ROOT%/dotfiles/PUCKDEX.INI"} << kept << QString();
        QTest::newRow("a chain of links")
            << QStringList{"settings.ini=../dotfiles/PUCKDEX.INI", "PUCKDEX.INI=settings.ini"}
            << kept << QString();
        QTest::newRow("a link to a file not there yet")
            << QStringList{"PUCKDEX.INI=../dotfiles/new.ini"} << "dotfiles/new.ini" << QString();
        QTest::newRow("a link into a folder not there")
            << QStringList{"PUCKDEX.INI=../gone/PUCKDEX.INI"} << QString()
            << "whose folder does not exist";
        QTest::newRow("links in a loop") << QStringList{"a.ini=PUCKDEX.INI", "PUCKDEX.INI=a.ini"}
                                         << QString() << "its links lead round in a loop";
    }
    void replacingThroughLinks()
    {
        QFETCH(QStringList, links);
        QFETCH(QString, reached);
        QFETCH(QString, reason);
#if defined(Q_OS_WIN)
        QSKIP("QFile::link makes a .lnk shortcut on Windows, not a link; links are tested "
              "where the system makes them for any user (Linux)");
#endif
        QTemporaryDir root;
        const QDir top(root.path());
        QVERIFY(top.mkdir(QStringLiteral("home")) && top.mkdir(QStringLiteral("dotfiles")));
        QVERIFY(writeFile(top.filePath(QStringLiteral("dotfiles/PUCKDEX.INI")), kOldSettings));
        for (const QString &link : std::as_const(links)) {
            const QString target = link.section(u'=', 1).replace("%ROOT%", root.path());
            QVERIFY(QFile::link(target, top.filePath("home/" + link.section(u'=', 0, 0))));
        }
        const QString home = top.filePath(QStringLiteral("home"));
        const QString dotfiles = top.filePath(QStringLiteral("dotfiles"));
        const auto before = std::pair(snapshotOf(home), snapshotOf(dotfiles));

        const Status replaced =
            SafeFile::replace(top.filePath(QStringLiteral("home/PUCKDEX.INI")), "[Puckdex]\r\n");
        QCOMPARE(replaced.ok(), reason.isEmpty());
        auto expected = before;
        if (replaced)
            expected.second.insert(QFileInfo(reached).fileName(), "[Puckdex]\r\n");
        else
            QVERIFY2(replaced.error().reason.contains(reason), qPrintable(replaced.error().reason));
        QCOMPARE(snapshotOf(home), expected.first);
        QCOMPARE(snapshotOf(dotfiles), expected.second);
    }

    // A settings file that cannot be read is never written afresh, which
    // would lose everything else in it: an ordinary user meets the system's
    // own refusal, which root never does. The folder is everyone's to write,
    // so the file could be replaced all the same.
    void anUnreadableSettingsFileIsKept_data()
    {
        QTest::addColumn<int>("mode");       // the file's, the owner being root
        QTest::addColumn<QString>("reason"); // empty: the setting is written
        QTest::newRow("everyone reads it") << 0644 << QString();
        QTest::newRow("others may write it, not read it") << 0622 << "Permission denied";
        QTest::newRow("the owner's alone") << 0600 << "Permission denied";
        QTest::newRow("no one's at all") << 0000 << "Permission denied";
    }
    void anUnreadableSettingsFileIsKept()
    {
        QFETCH(int, mode);
        QFETCH(QString, reason);
        const OrdinaryUser nobody;
        if (!nobody.whyNot().isEmpty())
            QSKIP(qPrintable(nobody.whyNot()));
        QTemporaryDir dir;
        const QString helper = reachableCopy(QStringLiteral(PUCKDEX_WRITEPROBE), dir.path());
        QVERIFY(!helper.isEmpty());
        QVERIFY(QFile::setPermissions(dir.path(), permissionsOf(0777)));
        const QString ini = dir.filePath(QStringLiteral("PUCKDEX.INI"));
        QVERIFY(writeFile(ini, kOldSettings));
        QVERIFY(QFile::setPermissions(ini, permissionsOf(mode)));
        const auto before = snapshotOf(dir.path());

        QProcess asNobody;
        nobody.run(asNobody, helper, {QStringLiteral("--setting"), ini, "/games/NHL96"});
        const QString err = QString::fromLocal8Bit(asNobody.readAllStandardError()).trimmed();
        QCOMPARE(asNobody.exitCode(), reason.isEmpty() ? 0 : 10);
        auto expected = before;
        if (reason.isEmpty()) {
            expected.insert(QStringLiteral("PUCKDEX.INI"),
                            "[Puckdex]\r\nNHL96Path=/games/NHL96\r\nStandardForward0=6\r\n");
        } else {
            QCOMPARE(err, QDir::toNativeSeparators(ini) + QStringLiteral(": ") + reason);
        }
        QCOMPARE(snapshotOf(dir.path()), expected);
    }

    // The replacement asks the system to put the new copy's bytes on the disk
    // before it takes the old file's place, and then the folder that holds
    // it. A helper does one replacement (a setting written) under a library
    // that records each sync with the path synced.
    void replacingSyncsTheCopyAndItsFolder()
    {
#if !defined(PUCKDEX_FSYNCSPY)
        QSKIP("the syncs are recorded by a library preloaded on Linux only; here the "
              "failing-sync rows of replacingAWholeFile cover what a sync's failure does");
#else
        QTemporaryDir dir;
        QTemporaryDir logDir;
        const QString ini = dir.filePath(QStringLiteral("PUCKDEX.INI"));
        QVERIFY(writeFile(ini, kOldSettings));
        const QString log = logDir.filePath(QStringLiteral("syncs"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(PUCKDEX_FSYNCSPY));
        environment.insert(QStringLiteral("PUCKDEX_FSYNC_LOG"), log);
        // In the sanitizer build the recorder comes before the sanitizer's
        // own library, which it allows when told to.
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) +
                               QStringLiteral(":verify_asan_link_order=0"));
        QProcess helper;
        helper.setProcessEnvironment(environment);
        helper.start(QStringLiteral(PUCKDEX_WRITEPROBE), {"--setting", ini, "/games/NHL96"});
        QVERIFY(helper.waitForFinished(30000));
        QCOMPARE(helper.exitCode(), 0);
        QVERIFY(readFile(ini).contains("NHL96Path=/games/NHL96"));

        const QString folder = QFileInfo(ini).canonicalPath();
        const QStringList synced =
            QString::fromLocal8Bit(readFile(log)).split(u'\n', Qt::SkipEmptyParts);
        const QRegularExpression hiddenCopy(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(folder) + QStringLiteral("/\\.PUCKDEX\\.INI\\..+")));
        const qsizetype copy = synced.indexOf(hiddenCopy);
        QVERIFY2(copy >= 0, qPrintable("no sync of the new copy: " + synced.join(u' ')));
        QVERIFY2(synced.indexOf(folder, copy + 1) > copy,
                 qPrintable("no sync of the folder after the copy's: " + synced.join(u' ')));
#endif
    }

    // ---------------------------------------------------------------------
    // Writing a player: both records or neither, and the message says what
    // is on disk.

    void writingAPlayer_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("file");   // the file that fails
        QTest::addColumn<QString>("reason"); // empty: the player is written
        QTest::newRow("nothing wrong") << "none" << "att.db" << QString();
        QTest::newRow("att.db read-only") << "read-only" << "att.db" << kReadOnly;
        QTest::newRow("key.db read-only") << "read-only" << "key.db" << kReadOnly;
        QTest::newRow("att.db removed") << "removed" << "att.db" << "the file was removed";
        QTest::newRow("att.db replaced by a folder")
            << "folder" << "att.db" << "is a folder, not a file";
        QTest::newRow("key.db replaced by a folder")
            << "folder" << "key.db" << "is a folder, not a file";
        QTest::newRow("att.db reads back otherwise")
            << "bad read-back" << "att.db" << "did not read back as written";
        QTest::newRow("key.db reads back otherwise")
            << "bad read-back" << "key.db" << "did not read back as written";
        QTest::newRow("att.db not put on the disk")
            << "file sync fails" << "att.db" << "could not be put on the disk";
        // Records are written over bytes that are there: a full disk does
        // not stop them.
        QTest::newRow("full disk") << "full disk" << "att.db" << QString();
    }
    void writingAPlayer()
    {
        QFETCH(QString, fault);
        QFETCH(QString, file);
        QFETCH(QString, reason);
        FullDisk disk;
        QTemporaryDir plain;
        if (fault == QLatin1String("full disk"))
            REQUIRE_FULL_DISK(disk);
        const QString folder = fault == QLatin1String("full disk") ? disk.path() : plain.path();
        QVERIFY(Sample::writeBaseRosters(folder).ok());
        const QString key = QDir(folder).filePath(QStringLiteral("key.db"));
        const QString att = QDir(folder).filePath(QStringLiteral("att.db"));
        const Result<QList<PlayerEntry>> players = GameFiles::scanPlayers(key, 2);
        QVERIFY(players && !players->isEmpty());
        const PlayerEntry &player = players->first();
        const bool goalie = player.record.isGoalie();
        const QByteArray keyBefore = readFile(key);
        const QByteArray attBefore = readFile(att);

        PlayerFields fields;
        if (goalie) {
            fields = fieldsOf(player.record,
                              *GameFiles::readGoalieAttribs(att, player.record.attribOffset()));
        } else {
            fields = fieldsOf(player.record,
                              *GameFiles::readSkaterAttribs(att, player.record.attribOffset()));
        }
        fields.firstName = QStringLiteral("Zed");
        fields.rating(RatingGroup::AllPlayers, 0) = 15;

        const QString failing = QDir(folder).filePath(file);
        if (fault == QLatin1String("read-only"))
            QVERIFY(QFile::setPermissions(failing, QFile::ReadOwner | QFile::ReadGroup));
        if (fault == QLatin1String("removed"))
            QVERIFY(QFile::remove(failing));
        if (fault == QLatin1String("folder")) {
            QVERIFY(QFile::remove(failing));
            QVERIFY(QDir(folder).mkdir(file));
        }
        if (fault == QLatin1String("full disk"))
            QVERIFY(disk.fill());
        FaultOn seam(file, faultNamed(fault));

        const Result<WrittenPlayer, PlayerWriteError> written =
            writePlayerFields(key, att, player.offset, goalie, fields);
        QCOMPARE(written.ok(), reason.isEmpty());
        if (written) {
            QCOMPARE(readFile(key).mid(player.offset, PlayerRecord::Size),
                     written->key.toByteArray());
            QCOMPARE(written->key.firstName(), QStringLiteral("Zed"));
            return;
        }
        const PlayerWriteError &error = written.error();
        QCOMPARE(error.error.filePath, failing);
        QVERIFY2(error.error.reason.contains(reason), qPrintable(error.error.reason));
        QVERIFY(error.diskUnchanged);
        QVERIFY2(error.onDisk.startsWith(QStringLiteral("Nothing was")), qPrintable(error.onDisk));
        // Neither record changed: the files that are still files hold their
        // bytes as before.
        if (file != QLatin1String("key.db") || fault == QLatin1String("read-only")
            || fault == QLatin1String("bad read-back"))
            COMPARE_BYTES(readFile(key), keyBefore);
        if (file != QLatin1String("att.db") || fault == QLatin1String("read-only")
            || fault == QLatin1String("bad read-back") || fault == QLatin1String("file sync fails"))
            COMPARE_BYTES(readFile(att), attBefore);
    }

    // A game file another program holds open without sharing it (as DOSBox
    // and spreadsheets do on Windows): reading a player, writing him and
    // replacing the file are each refused with what to do, and the file
    // keeps its bytes. (A part of it locked instead would stop the writes on
    // Windows; Wine does not enforce such locks, so it is not tried here.)
    void aFileHeldByAnotherProgram()
    {
#if defined(Q_OS_WIN)
        QTemporaryDir dir;
        QVERIFY(Sample::writeBaseRosters(dir.path()).ok());
        const QString key = dir.filePath(QStringLiteral("key.db"));
        const QString att = dir.filePath(QStringLiteral("att.db"));
        const QByteArray before = readFile(att);
        const PlayerEntry player = GameFiles::scanPlayers(key, 0)->first();
        const PlayerRecord record = player.record;
        const std::wstring name = QDir::toNativeSeparators(att).toStdWString();
        const HANDLE other = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(other != INVALID_HANDLE_VALUE);
        bool released = false;
        const auto release = [&] {
            if (!std::exchange(released, true))
                CloseHandle(other);
        };
        const auto releaseAtTheEnd = qScopeGuard(release);
        const QString held = SafeFile::heldFileReason();

        const Result<PlayerEdit::AttribRecords> read = PlayerEdit::readAttribs(att, record);
        QVERIFY(!read.ok());
        QCOMPARE(read.error().reason, held);
        const Status replaced = SafeFile::replace(att, "other bytes");
        QVERIFY(!replaced.ok());
        QCOMPARE(replaced.error().reason, held);
        PlayerFields fields = fieldsOf(record, SkaterAttribRecord());
        fields.firstName = QStringLiteral("Zed");
        const auto written = writePlayerFields(key, att, player.offset, record.isGoalie(), fields);
        QVERIFY(!written.ok());
        QVERIFY2(written.error().error.reason.contains(held), qPrintable(written.error().error.reason));
        QVERIFY(written.error().diskUnchanged);
        release();
        COMPARE_BYTES(readFile(att), before);
#else
        QSKIP("a file held open by another program stops a read or write on Windows only");
#endif
    }
};

QTEST_GUILESS_MAIN(TstRealFaults)
#include "tst_realfaults.moc"
