#include "files/fileset.h"
#include "files/gamefiles.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Puckdex;
using namespace Puckdex::GameFiles;

namespace {

// A 60-byte record of team `team` whose other bytes tell records apart.
QByteArray playerBytes(int team, int serial)
{
    QByteArray record(60, char(0x5A));
    record[0] = char(team);
    record[1] = char(serial % 100);
    record[2] = 'C';
    record.replace(19, 8, QByteArray::number(serial).rightJustified(8, 'P'));
    return record;
}

// A key file: `first` records in the first region, filler up to regionOne,
// then the gap filled with look-alikes of team 1, then `second` records.
QByteArray keyFile(int first, int second, int tail = 0)
{
    QByteArray bytes;
    for (int i = 0; i < first; ++i)
        bytes += playerBytes(i % 2 ? 1 : 2, i);
    if (second == 0 && tail == 0)
        return bytes;
    bytes.append(QByteArray(KeyRegionOneEnd - bytes.size(), char(3)));
    bytes.append(QByteArray(KeyRegionTwoStart - KeyRegionOneEnd, char(1)));
    for (int i = 0; i < second; ++i)
        bytes += playerBytes(1, 1000 + i);
    bytes.append(QByteArray(tail, char(1)));
    return bytes;
}

QList<qint64> offsetsOf(const Result<QList<PlayerEntry>> &scan)
{
    QList<qint64> offsets;
    if (scan) {
        for (const PlayerEntry &entry : *scan)
            offsets.append(entry.offset);
    }
    return offsets;
}

QByteArray indexFile(const QList<QByteArray> &numbers, int tail = 0)
{
    QByteArray bytes(IndexHeaderSize, char(0x11));
    for (const QByteArray &number : numbers) {
        QByteArray entry(54, '\0');
        entry.replace(0, number.size(), number);
        entry.replace(4, 9, QByteArray(9, char(0x22)));
        entry.replace(13, 8, "Game " + number.trimmed().leftJustified(3, ' '));
        bytes += entry;
    }
    bytes.append(QByteArray(tail, char(0x33)));
    return bytes;
}

} // namespace

class TstGameFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        const QStringList entries = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString &entry : entries) {
            QFile::setPermissions(path(entry), QFile::ReadOwner | QFile::WriteOwner);
            QVERIFY(QFile::remove(path(entry)));
        }
    }

    void scanFindsTheTeamsPlayersInBothRegions_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<qint64>>("expected"); // team 1
        QTest::newRow("empty") << QByteArray() << QList<qint64>{};
        QTest::newRow("three records") << keyFile(3, 0) << QList<qint64>{60};
        QTest::newRow("incomplete tail ignored")
            << keyFile(3, 0) + playerBytes(1, 9).left(59) << QList<qint64>{60};
        QList<qint64> firstRegion;
        for (qint64 i = 1; i < 758; i += 2)
            firstRegion.append(i * 60);
        QTest::newRow("exactly 45480 bytes") << keyFile(758, 0) << firstRegion;
        // Ends inside the gap: the look-alikes there are not players.
        QTest::newRow("ends inside the gap") << keyFile(758, 0, 0) + QByteArray(2000, char(1))
                                             << firstRegion;
        QTest::newRow("gap of look-alikes, no second region")
            << keyFile(758, 0, 59) << firstRegion;
        QList<qint64> both = firstRegion;
        both << 50000 << 50060 << 50120 << 50180;
        QTest::newRow("50000 + 4 x 60") << keyFile(758, 4) << both;
        QTest::newRow("second region with incomplete tail") << keyFile(758, 4, 59) << both;
    }
    void scanFindsTheTeamsPlayersInBothRegions()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<qint64>, expected);
        QVERIFY(writeFile(path("key.db"), file));
        const Result<QList<PlayerEntry>> scan = scanPlayers(path("key.db"), 1);
        QVERIFY2(scan.ok(), scan.ok() ? "" : qPrintable(scan.error().message()));
        QCOMPARE(offsetsOf(scan), expected);
        for (const PlayerEntry &entry : *scan)
            QCOMPARE(entry.record.toByteArray(), file.mid(entry.offset, 60));
    }

    void scanOfATeamWithoutPlayers()
    {
        QVERIFY(writeFile(path("key.db"), keyFile(758, 4)));
        QCOMPARE(offsetsOf(scanPlayers(path("key.db"), 7)), QList<qint64>{});
        QCOMPARE(offsetsOf(scanPlayers(path("key.db"), 2)).size(), 379);
        QCOMPARE(offsetsOf(scanPlayers(path("key.db"), 300)), QList<qint64>{});
    }

    void playerOffsets_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<bool>("valid");
        QTest::newRow("0") << qint64(0) << true;
        QTest::newRow("45420, last of the first region") << qint64(45420) << true;
        QTest::newRow("45480, the gap") << qint64(45480) << false;
        QTest::newRow("49980") << qint64(49980) << false;
        QTest::newRow("50000") << qint64(50000) << true;
        QTest::newRow("50060") << qint64(50060) << true;
        QTest::newRow("50040, not aligned") << qint64(50040) << false;
        QTest::newRow("30, not aligned") << qint64(30) << false;
        QTest::newRow("negative") << qint64(-60) << false;
    }
    void playerOffsets()
    {
        QFETCH(qint64, offset);
        QFETCH(bool, valid);
        QCOMPARE(isPlayerOffset(offset), valid);
    }

    void writingAPlayerChangesOnlyHisSixtyBytes_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::newRow("first region") << qint64(120);
        QTest::newRow("last of the first region") << qint64(45420);
        QTest::newRow("second region") << qint64(50060);
        QTest::newRow("last record of the file") << qint64(50180);
    }
    void writingAPlayerChangesOnlyHisSixtyBytes()
    {
        QFETCH(qint64, offset);
        const QByteArray original = keyFile(758, 4, 30);
        QVERIFY(writeFile(path("key.db"), original));
        Result<PlayerRecord> player = readPlayer(path("key.db"), offset);
        QVERIFY(player.ok());
        QCOMPARE(player->toByteArray(), original.mid(offset, 60));
        player->setJerseyNumber(77);
        QCOMPARE(player->setLastName(QStringLiteral("Lemieux")), TextFit::Ok);
        QVERIFY(writePlayer(path("key.db"), offset, *player).ok());

        QByteArray expected = original;
        expected.replace(offset, 60, player->toByteArray());
        QCOMPARE(readFile(path("key.db")), expected);
    }

    void attributesRoundTrip()
    {
        QByteArray att;
        for (int i = 0; i < 100; ++i)
            att.append(char(i * 7 + 3));
        QVERIFY(writeFile(path("att.db"), att));
        Result<SkaterAttribRecord> skater = readSkaterAttribs(path("att.db"), 10);
        QVERIFY(skater.ok());
        QCOMPARE(skater->toByteArray(), att.mid(10, 21));
        Result<GoalieAttribRecord> goalie = readGoalieAttribs(path("att.db"), 83);
        QVERIFY(goalie.ok());
        QCOMPARE(goalie->toByteArray(), att.mid(83, 17));

        skater->setByte(4, 15);
        goalie->setHand(Hand::Right);
        QVERIFY(writeSkaterAttribs(path("att.db"), 10, *skater).ok());
        QVERIFY(writeGoalieAttribs(path("att.db"), 83, *goalie).ok());
        QByteArray expected = att;
        expected[14] = 15;
        expected[83] = 1;
        QCOMPARE(readFile(path("att.db")), expected);
    }

    // A damaged offset is reported and nothing on disk changes.
    void attributeRecordOutsideTheFile_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<QString>("reason");
        QTest::newRow("skater partly beyond") << qint64(90) << false << QStringLiteral("ends at byte 100");
        QTest::newRow("goalie partly beyond") << qint64(84) << true << QStringLiteral("ends at byte 100");
        QTest::newRow("wholly beyond") << qint64(5000) << false << QStringLiteral("ends at byte 100");
        QTest::newRow("negative") << qint64(-17) << true << QStringLiteral("negative offset -17");
        QTest::newRow("at the end") << qint64(100) << true << QStringLiteral("ends at byte 100");
    }
    void attributeRecordOutsideTheFile()
    {
        QFETCH(qint64, offset);
        QFETCH(bool, goalie);
        QFETCH(QString, reason);
        const QByteArray att(100, char(0x42));
        QVERIFY(writeFile(path("att.db"), att));
        FileError readError, writeError;
        if (goalie) {
            const Result<GoalieAttribRecord> r = readGoalieAttribs(path("att.db"), offset);
            QVERIFY(!r.ok());
            readError = r.error();
            const Status w = writeGoalieAttribs(path("att.db"), offset, GoalieAttribRecord());
            QVERIFY(!w.ok());
            writeError = w.error();
        } else {
            const Result<SkaterAttribRecord> r = readSkaterAttribs(path("att.db"), offset);
            QVERIFY(!r.ok());
            readError = r.error();
            const Status w = writeSkaterAttribs(path("att.db"), offset, SkaterAttribRecord());
            QVERIFY(!w.ok());
            writeError = w.error();
        }
        QVERIFY2(readError.message().startsWith(QStringLiteral("att.db: ")),
                 qPrintable(readError.message()));
        QVERIFY2(readError.reason.contains(reason), qPrintable(readError.reason));
        QVERIFY2(writeError.reason.contains(QStringLiteral("nothing was written"))
                     || writeError.reason.contains(QStringLiteral("negative")),
                 qPrintable(writeError.reason));
        QCOMPARE(readFile(path("att.db")), att);
    }

    void missingFilesAreReportedByName()
    {
        const QString missing = path("key.db");
        const Result<QList<PlayerEntry>> scan = scanPlayers(missing, 0);
        QVERIFY(!scan.ok());
        QCOMPARE(scan.error().filePath, missing);
        QVERIFY2(scan.error().message().startsWith(QStringLiteral("key.db: ")),
                 qPrintable(scan.error().message()));
        QVERIFY(!readPlayer(missing, 0).ok());
        QVERIFY(!listTeams(path("teams.db")).ok());
        QVERIFY(!listSavedGames(path("x.ndx")).ok());
        // Writing never creates a game file.
        const Status write = writePlayer(missing, 0, PlayerRecord());
        QVERIFY(!write.ok());
        QVERIFY(!QFile::exists(missing));
        QVERIFY(!writeSkaterAttribs(path("att.db"), 0, SkaterAttribRecord()).ok());
        QVERIFY(!QFile::exists(path("att.db")));
    }

    void readOnlyFilesAreNotWritten()
    {
        const QByteArray original = keyFile(10, 0);
        QVERIFY(writeFile(path("key.db"), original));
        QVERIFY(QFile::setPermissions(path("key.db"), QFile::ReadOwner | QFile::ReadGroup));
        const Status write = writePlayer(path("key.db"), 60, PlayerRecord());
        QVERIFY(!write.ok());
        QVERIFY2(write.error().reason.contains(QStringLiteral("read-only")),
                 qPrintable(write.error().reason));
        QCOMPARE(readFile(path("key.db")), original);
        // Reading a read-only file is fine.
        QVERIFY(readPlayer(path("key.db"), 60).ok());
    }

    void playerOffsetsOutsideTheRegionsAreRefused()
    {
        const QByteArray original = keyFile(758, 2);
        QVERIFY(writeFile(path("key.db"), original));
        QVERIFY(!readPlayer(path("key.db"), 45480).ok());
        QVERIFY(!writePlayer(path("key.db"), 45480, PlayerRecord()).ok());
        QVERIFY(!writePlayer(path("key.db"), 50030, PlayerRecord()).ok());
        // Past the end: refused rather than extending the file.
        QVERIFY(!writePlayer(path("key.db"), 50120, PlayerRecord()).ok());
        QVERIFY(!readPlayer(path("key.db"), 50120).ok());
        QCOMPARE(readFile(path("key.db")), original);
    }

    void teamsAreCompleteRecordsInFileOrder()
    {
        QByteArray teams;
        for (int n = 0; n < 3; ++n) {
            QByteArray record(795, char(0x70 + n));
            record.replace(30, 16, QByteArray("City ") + char('C' - n) + QByteArray(10, '\0'));
            teams += record;
        }
        QVERIFY(writeFile(path("teams.db"), teams + QByteArray(794, 'x')));
        const Result<QList<TeamRecord>> list = listTeams(path("teams.db"));
        QVERIFY(list.ok());
        QCOMPARE(list->size(), 3);
        QCOMPARE(list->at(0).city(), QStringLiteral("City C"));
        QCOMPARE(list->at(2).city(), QStringLiteral("City A"));
        const Result<TeamRecord> second = readTeam(path("teams.db"), 1);
        QVERIFY(second.ok());
        QCOMPARE(second->toByteArray(), teams.mid(795, 795));
        const Result<TeamRecord> beyond = readTeam(path("teams.db"), 3);
        QVERIFY(!beyond.ok());
        QVERIFY2(beyond.error().reason.contains(QStringLiteral("team 3")),
                 qPrintable(beyond.error().reason));
    }

    void savedGameIndex_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<int>>("numbers");
        QTest::newRow("header only") << indexFile({}) << QList<int>{};
        QTest::newRow("shorter than the header") << QByteArray(50, 'h') << QList<int>{};
        QTest::newRow("one entry") << indexFile({"3"}) << QList<int>{3};
        QTest::newRow("three entries") << indexFile({"3", " 12", "7  "}) << QList<int>{3, 12, 7};
        QTest::newRow("cut-short entry ignored") << indexFile({"3", "4"}, 53) << QList<int>{3, 4};
    }
    void savedGameIndex()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, numbers);
        QVERIFY(writeFile(path("game.ndx"), file));
        const Result<QList<SeasonIndexEntry>> list = listSavedGames(path("game.ndx"));
        QVERIFY(list.ok());
        QList<int> got;
        for (const SeasonIndexEntry &entry : *list)
            got.append(entry.gameNumber());
        QCOMPARE(got, numbers);
        if (!numbers.isEmpty()) {
            QCOMPARE(list->first().description(),
                     QStringLiteral("Game %1").arg(numbers.first(), -3));
        }
    }

    // One table for the two questions asked of a game folder: which roster
    // the folder window accepts (offered, and whether it names an index of
    // saved games for the user to choose from), and the set found for the
    // base rosters (game -1) or a saved game, or why there is none.
    void findingAFileSet_data()
    {
        QTest::addColumn<QStringList>("entries"); // files; "name/" a folder
        QTest::addColumn<QList<QByteArray>>("listed"); // by the index, if there is one
        QTest::addColumn<QString>("folder");           // asked for, inside the temporary one
        QTest::addColumn<int>("game");                 // -1: the base rosters
        QTest::addColumn<FileSetKind>("offered");
        QTest::addColumn<QStringList>("found");        // the three files, as on disk
        QTest::addColumn<QString>("reason");           // else why not
        QTest::addColumn<bool>("namesIndex");          // saved games to choose from
        const QStringList base{"teams.db", "key.db", "att.db"};
        const QStringList game3{"03tem.db", "03key.db", "03att.db"};
        const QStringList game7{"07tem.db", "07key.db", "07att.db"};
        const QList<QByteArray> games37{"3", "7  "};
        const auto add = [](const char *name, const QStringList &entries,
                            const QList<QByteArray> &listed, int game, FileSetKind offered,
                            const QStringList &found, const QString &reason = QString(),
                            std::optional<bool> namesIndex = std::nullopt) {
            QTest::newRow(name) << entries << listed << QString() << game << offered << found
                                << reason
                                << namesIndex.value_or(offered == FileSetKind::SavedGame);
        };
        using K = FileSetKind;
        add("base rosters", base, {}, -1, K::BaseRosters, base);
        add("base, upper case", {"TEAMS.DB", "KEY.DB", "ATT.DB"}, {}, -1, K::BaseRosters,
            {"TEAMS.DB", "KEY.DB", "ATT.DB"});
        add("base, mixed case", {"Teams.Db", "key.DB", "ATT.db"}, {}, -1, K::BaseRosters,
            {"Teams.Db", "key.DB", "ATT.db"});
        add("both: the base first, the saved games offered too", base + game3 + QStringList{"s.ndx"},
            {"3"}, -1, K::BaseRosters, base, {}, true);
        add("a saved game beside the base, by number", base + game3 + QStringList{"s.ndx"}, {"3"},
            3, K::BaseRosters, game3, {}, true);
        add("base beside an index that lists no game", base + game3 + QStringList{"s.ndx"}, {},
            -1, K::BaseRosters, base, {}, false);
        add("base beside an index without saved-game files", base + QStringList{"s.ndx"}, {"3"},
            -1, K::BaseRosters, base, {}, false);
        add("saved game by number", game3 + game7 + QStringList{"games.ndx"}, games37, 7,
            K::SavedGame, game7);
        add("saved game 12, upper case", {"012TEM.DB", "012KEY.DB", "012ATT.DB", "GAMES.NDX"},
            {" 12"}, 12, K::SavedGame, {"012TEM.DB", "012KEY.DB", "012ATT.DB"});
        add("base without key.db", {"teams.db", "att.db"}, {}, -1, K::None, {},
            "the folder holds no NHL 96 rosters: key.db missing");
        add("a folder named key.db", {"teams.db", "key.db/", "att.db"}, {}, -1, K::None, {},
            "the folder holds no NHL 96 rosters: key.db is a folder, not a file");
        add("empty", {}, {}, -1, K::None, {},
            "the folder holds no NHL 96 rosters: teams.db missing, key.db missing, att.db "
            "missing");
        add("saved games only, the base asked for", game3 + QStringList{"games.ndx"}, games37, -1,
            K::SavedGame, {},
            "the folder holds no base rosters (teams.db missing, key.db missing, att.db "
            "missing), but saved games that games.ndx lists: 3, 7; choose one with --game N");
        add("base names complete the saved-game patterns",
            {"key.db", "att.db", "05tem.db", "s.ndx"}, {"5"}, -1, K::SavedGame, {},
            "the folder holds no base rosters (teams.db missing), but saved games that s.ndx "
            "lists: 5; choose one with --game N");
        add("an index that lists no game", game3 + QStringList{"games.ndx"}, {}, -1, K::None, {},
            "the folder holds no base rosters (teams.db missing, key.db missing, att.db "
            "missing), but saved games that games.ndx lists: none; choose one with --game N");
        add("saved game without an index", game3, {}, 3, K::None, {},
            "the folder holds no saved-game index (*.ndx)");
        add("saved game the index does not list", game3 + QStringList{"games.ndx"}, games37, 5,
            K::SavedGame, {}, "the index lists no saved game 5 (it lists 3, 7)");
        add("listed saved game without its files", game3 + QStringList{"games.ndx"}, games37, 7,
            K::SavedGame, {},
            "saved game 7 is incomplete: 07tem.db missing, 07key.db missing, 07att.db missing");
        add("listed saved game, a folder in its place",
            {"03tem.db", "03key.db", "03ATT.DB/", "s.ndx"}, {"3"}, 3, K::None, {},
            "saved game 3 is incomplete: 03ATT.DB is a folder, not a file");
        QTest::newRow("no such folder") << base << QList<QByteArray>{} << "nowhere" << -1
                                        << K::None << QStringList{} << "no such folder" << false;
        QTest::newRow("a file, not a folder") << base << QList<QByteArray>{} << "teams.db" << -1
                                              << K::None << QStringList{} << "not a folder"
                                              << false;
    }
    void findingAFileSet()
    {
        QFETCH(QStringList, entries);
        QFETCH(QList<QByteArray>, listed);
        QFETCH(QString, folder);
        QFETCH(int, game);
        QFETCH(FileSetKind, offered);
        QFETCH(QStringList, found);
        QFETCH(QString, reason);
        QFETCH(bool, namesIndex);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QString &name : entries) {
            if (name.endsWith(QLatin1Char('/')))
                QVERIFY(QDir(dir.path()).mkdir(name.chopped(1)));
            else if (name.endsWith(QLatin1String(".ndx"), Qt::CaseInsensitive))
                QVERIFY(writeFile(dir.filePath(name), indexFile(listed)));
            else
                QVERIFY(writeFile(dir.filePath(name), name.toLatin1()));
        }
        const QString asked = folder.isEmpty() ? dir.path() : dir.filePath(folder);

        const FileSet checked = GameFolder::check(asked);
        QCOMPARE(checked.kind, offered);
        QVERIFY(!checked.game);
        if (offered == FileSetKind::BaseRosters)
            QCOMPARE(checked.gameFiles(), findFileSet(asked)->gameFiles());
        QCOMPARE(checked.indexFile.isEmpty(), !namesIndex);
        if (namesIndex)
            QCOMPARE(checked.indexFile, GameFolder::savedGames(asked)->file);

        const std::optional<int> number = game < 0 ? std::nullopt : std::optional<int>(game);
        const Result<FileSet> set = findFileSet(asked, number);
        if (found.isEmpty()) {
            QVERIFY(!set.ok());
            QCOMPARE(set.error().reason, reason);
            // The index is blamed for a game it does not list, else the folder.
            const bool byIndex = reason.startsWith(QLatin1String("the index"));
            QCOMPARE(QFileInfo(set.error().filePath).suffix() == QLatin1String("ndx"), byIndex);
            return;
        }
        QVERIFY2(set.ok(), set.ok() ? "" : qPrintable(set.error().message()));
        QCOMPARE(set->folder, asked);
        QStringList paths;
        for (const QString &name : found)
            paths.append(dir.filePath(name));
        QCOMPARE(set->gameFiles(), paths);
        QCOMPARE(set->game, number);
        QCOMPARE(set->kind, game < 0 ? FileSetKind::BaseRosters : FileSetKind::SavedGame);
        QCOMPARE(set->prefix, game < 0 ? QString() : savedGamePrefix(game));
        QCOMPARE(set->indexFile.isEmpty(), game < 0);
        // Opened by the names the set goes by, whatever their case on disk.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(readFile(set->gameFiles()[i]), found[i].toLatin1());
    }

    void namesResolveWithoutRegardToCase()
    {
        QVERIFY(writeFile(path("KEY.DB"), keyFile(3, 0)));
        QVERIFY(writeFile(path("03TEM.DB"), "x"));
        QVERIFY(writeFile(path("01tem.db"), "x"));
        QCOMPARE(GameFolder::findFile(m_dir.path(), QStringLiteral("key.db")),
                 QStringLiteral("KEY.DB"));
        QCOMPARE(GameFolder::resolve(m_dir.path(), QStringLiteral("key.db")), path("KEY.DB"));
        QCOMPARE(offsetsOf(scanPlayers(GameFolder::resolve(m_dir.path(), QStringLiteral("key.db")), 1)),
                 QList<qint64>{60});
        QCOMPARE(GameFolder::findFile(m_dir.path(), QStringLiteral("att.db")), QString());
        QCOMPARE(GameFolder::resolve(m_dir.path(), QStringLiteral("att.db")), path("att.db"));
        // The first match in name order, whatever the case.
        QCOMPARE(GameFolder::findFirstMatch(m_dir.path(), QStringLiteral("*tem.db")),
                 QStringLiteral("01tem.db"));
        QCOMPARE(GameFolder::findFirstMatch(m_dir.path(), QStringLiteral("*.ndx")), QString());
    }

    void anExactMatchWinsOverOtherCases()
    {
        QVERIFY(writeFile(path("key.db"), "lower"));
        if (QFileInfo::exists(path("KEY.DB")))
            QSKIP("this file system holds no two names that differ in case only (Windows); "
                  "namesResolveWithoutRegardToCase covers it there");
        QVERIFY(writeFile(path("KEY.DB"), "upper"));
        QCOMPARE(readFile(GameFolder::resolve(m_dir.path(), QStringLiteral("key.db"))),
                 QByteArray("lower"));
        QCOMPARE(readFile(GameFolder::resolve(m_dir.path(), QStringLiteral("KEY.DB"))),
                 QByteArray("upper"));
    }

    void backupNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("backup");
        QTest::newRow("teams.db") << "teams.db" << "teams.bak";
        QTest::newRow("TEAMS.DB") << "TEAMS.DB" << "TEAMS.BAK";
        QTest::newRow("key.db") << "key.db" << "key.bak";
        QTest::newRow("03tem.db") << "03tem.db" << "03tem.bak";
        QTest::newRow("012KEY.DB") << "012KEY.DB" << "012KEY.BAK";
        QTest::newRow("mixed ending") << "att.Db" << "att.bak";
    }
    void backupNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, backup);
        QCOMPARE(backupName(name), backup);
    }

    void savedGamePrefixes_data()
    {
        QTest::addColumn<int>("game");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("3") << 3 << "03";
        QTest::newRow("7") << 7 << "07";
        QTest::newRow("12") << 12 << "012";
        QTest::newRow("0") << 0 << "00";
        QTest::newRow("cut to five") << 123456 << "01234";
    }
    void savedGamePrefixes()
    {
        QFETCH(int, game);
        QFETCH(QString, prefix);
        QCOMPARE(savedGamePrefix(game), prefix);
    }
};

QTEST_GUILESS_MAIN(TstGameFiles)
#include "tst_gamefiles.moc"
