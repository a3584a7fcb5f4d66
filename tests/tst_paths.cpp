// What the file system of each platform brings to the game folder and the
// settings: folder names in any alphabet, paths longer than Windows' old
// 260-character limit, a file that another program (the game under DOSBox)
// holds open, the settings file beside the write journal in the user's
// application data, and a settings file as Windows' own profile functions
// read and write it.

#include "bytecompare.h"
#include "testfiles.h"

#include "files/fileset.h"
#include "files/gamefiles.h"
#include "player/recordwrites.h"
#include "files/safefile.h"
#include "history/writejournal.h"
#include "sampleroster.h"
#include "settings/profilefile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#if defined(Q_OS_WIN)
#include <windows.h>
#endif

using namespace Puckdex;

class TstPaths : public QObject
{
    Q_OBJECT

private slots:
    void aRosterInAnyFolder_data()
    {
        QTest::addColumn<QString>("below");
        QTest::newRow("Cyrillic") << QStringLiteral("Игры/НХЛ 96");
        QTest::newRow("accented") << QStringLiteral("Jeux vidéo/Zoë à l'œuvre");
        QString deep = QStringLiteral("NHL96");
        while (deep.size() < 300)
            deep.prepend(QStringLiteral("a folder with a long name/"));
        QTest::newRow("longer than 260 characters") << deep;
    }
    // Found, backed up, a player written, and remembered in the settings.
    void aRosterInAnyFolder()
    {
        QFETCH(QString, below);
        QTemporaryDir dir;
        const QString folder = QDir(dir.path()).filePath(below);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(Sample::writeBaseRosters(folder).ok());
        const Result<FileSet> set = findFileSet(folder);
        QVERIFY2(set.ok(), set ? "" : qPrintable(set.error().fullMessage()));

        const QByteArray keyBefore = readFile(set->keyFile);
        const Status backup = GameFiles::copyToBackup(set->keyFile);
        QVERIFY2(backup.ok(), backup ? "" : qPrintable(backup.error().fullMessage()));
        QCOMPARE(readFile(QDir(folder).filePath(QStringLiteral("key.bak"))), keyBefore);

        const Result<QList<PlayerEntry>> players = GameFiles::scanPlayers(set->keyFile, 1);
        QVERIFY(players && !players->isEmpty());
        const PlayerEntry &player = players->first();
        const bool goalie = player.record.isGoalie();
        PlayerFields fields =
            goalie ? fieldsOf(player.record, *GameFiles::readGoalieAttribs(
                                                 set->attFile, player.record.attribOffset()))
                   : fieldsOf(player.record, *GameFiles::readSkaterAttribs(
                                                 set->attFile, player.record.attribOffset()));
        fields.firstName = QStringLiteral("Zed");
        const auto written =
            writePlayerFields(set->keyFile, set->attFile, player.offset, goalie, fields);
        QVERIFY2(written.ok(), written ? "" : qPrintable(written.error().error.fullMessage()));
        QByteArray expected = keyBefore;
        expected.replace(player.offset, PlayerRecord::Size, written->key.toByteArray());
        COMPARE_BYTES(readFile(set->keyFile), expected);

        const QString ini = QDir(dir.path()).filePath(QStringLiteral("PUCKDEX.INI"));
        const QString remembered = QDir::toNativeSeparators(folder);
        QVERIFY(ProfileFile(ini).writeString(u"Puckdex", u"NHL96Path", remembered));
        QCOMPARE(ProfileFile(ini).readString(u"Puckdex", u"NHL96Path"), remembered);
    }

    // The game under DOSBox may hold a file open while Puckdex replaces it.
    // Linux replaces it all the same (the game keeps reading the old one);
    // Windows refuses, and then the old file stays whole, no copy is left
    // beside it, and the system's reason is given.
    void aFileHeldOpenByAnotherProgram()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("KEY.BAK"));
        QVERIFY(writeFile(path, "the backup as it was"));
        QFile held(path);
        QVERIFY(held.open(QIODevice::ReadOnly));
        const Status replaced = SafeFile::replace(path, "a new backup");
        if (replaced.ok()) {
            held.close();
            QCOMPARE(readFile(path), QByteArray("a new backup"));
            QSKIP("this system replaces a file that another program holds open");
        }
        QVERIFY(!replaced.error().reason.isEmpty());
        held.close();
        QCOMPARE(readFile(path), QByteArray("the backup as it was"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("KEY.BAK")});
    }

    // One folder for the settings and the journal, the user's own: on
    // Windows his local application data.
    void settingsAndJournalShareTheUsersFolder()
    {
        const QByteArray ini = qgetenv("PUCKDEX_INI");
        qunsetenv("PUCKDEX_INI");
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("Puckdex"));
        const QString settings = QFileInfo(settingsFilePath()).absolutePath();
        const QString journal = QDir(WriteJournal::defaultFolder()).absolutePath();
        QCoreApplication::setApplicationName(name);
        qputenv("PUCKDEX_INI", ini);
        QCOMPARE(settings, journal);
#if defined(Q_OS_WIN)
        const QString appData = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
        QVERIFY(!appData.isEmpty());
        QCOMPARE(settings, appData + QStringLiteral("/Puckdex"));
#else
        QCOMPARE(settings,
                 QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                     + QStringLiteral("/Puckdex"));
#endif
    }

    // What Windows' GetPrivateProfileString reads from our file, and what we
    // read from WritePrivateProfileString's, for the values a user keeps.
    void windowsProfileFunctionsAgree_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("drive and backslashes") << QStringLiteral("C:\\Games\\NHL 96");
        QTest::newRow("DOSBox mount") << QStringLiteral("D:\\DOSBOX\\NHL96\\");
        QTest::newRow("network share") << QStringLiteral("\\\\server\\games\\NHL96");
        QTest::newRow("a number") << QStringLiteral("6");
    }
    void windowsProfileFunctionsAgree()
    {
#if !defined(Q_OS_WIN)
        QSKIP("Windows' profile functions exist on Windows only (make test-windows runs this)");
#else
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString ours = QDir::toNativeSeparators(dir.filePath(QStringLiteral("OURS.INI")));
        const QString theirs = QDir::toNativeSeparators(dir.filePath(QStringLiteral("THEIRS.INI")));
        const auto wide = [](const QString &s) { return reinterpret_cast<LPCWSTR>(s.utf16()); };

        QVERIFY(ProfileFile(ours).writeString(u"Puckdex", u"NHL96Path", value));
        wchar_t read[512] = {};
        GetPrivateProfileStringW(L"Puckdex", L"NHL96Path", L"", read, 512, wide(ours));
        QCOMPARE(QString::fromWCharArray(read), value);

        QVERIFY(WritePrivateProfileStringW(L"Puckdex", L"NHL96Path", wide(value), wide(theirs)));
        QCOMPARE(ProfileFile(theirs).readString(u"Puckdex", u"NHL96Path"), value);
#endif
    }
};

QTEST_GUILESS_MAIN(TstPaths)
#include "tst_paths.moc"
