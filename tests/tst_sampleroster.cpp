#include "bytecompare.h"
#include "sampleroster.h"
#include "testfiles.h"

#include "files/fileset.h"
#include "files/gamefiles.h"
#include "player/playeredit.h"
#include "player/ratings.h"
#include "player/scales.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Puckdex;
using namespace Puckdex::GameFiles;

namespace {

constexpr QStringView kPositions = u"GDLCR";

void compareFiles(const QString &expectedPath, const QString &actualPath)
{
    const QByteArray expected = readFile(expectedPath);
    const QByteArray actual = readFile(actualPath);
    QVERIFY2(!expected.isEmpty(), qPrintable(expectedPath));
    QVERIFY2(expected == actual,
             qPrintable(QFileInfo(actualPath).fileName() + QStringLiteral(": ") +
                        firstDifference(actual, expected)));
}

template <typename T> QByteArray failure(const Result<T> &result)
{
    return result ? QByteArray() : result.error().fullMessage().toUtf8();
}

QByteArray failure(const Status &status)
{
    return status ? QByteArray() : status.error().fullMessage().toUtf8();
}

bool inGap(qint64 offset)
{
    return offset + PlayerRecord::Size > KeyRegionOneEnd && offset < KeyRegionTwoStart;
}

int weightClassOf(int pounds)
{
    return pounds < 165 ? 0 : (pounds - 160) / 5;
}

// What the editor does with a player's key record when he is shown and then
// left unchanged: every field turned into its shown value and back again.
void showAndStore(PlayerRecord &player)
{
    const QString first = player.firstName();
    const QString last = player.lastName();
    const qsizetype positionEntry = kPositions.indexOf(QChar(player.position()));
    const int feet = heightFeet(player.heightInches());
    const int inches = heightRestInches(player.heightInches());
    const QString weight = QString::number(player.weightPounds());
    const QString rookie = shownRookieFlag(player.rookieFlag());
    const QString jerseyEntry = QStringLiteral(" %1").arg(player.jerseyNumber());

    QCOMPARE(player.setFirstName(first), TextFit::Ok);
    QCOMPARE(player.setLastName(last), TextFit::Ok);
    QVERIFY(positionEntry >= 0);
    player.setPosition(kPositions.at(positionEntry).toLatin1());
    player.setHeightInches(heightFromFeetAndInches(feet, inches));
    player.setWeightPounds(byteFromNumber(weight.toDouble()));
    player.setRookieFlag(rookie.at(0).toLatin1());
    player.setJerseyNumber(byteFromNumber(jerseyEntry.trimmed().toDouble()));
}

// The same for his ratings, through the edit rules every front end uses.
template <typename Record>
void showAndStore(const PlayerRecord &player, Record &attribs)
{
    const bool goalie = player.isGoalie();
    PlayerFields fields = fieldsOf(player, attribs);
    for (const PlayerField &field : kPlayerFields) {
        if (field.isRating() && field.of(goalie).rule) {
            PlayerEdit::storeRating(fields, field, goalie,
                                    PlayerEdit::shownRating(fields, field, goalie));
        }
    }
    applyFields(fields, attribs);
}

bool isProperName(const QString &name)
{
    if (name.isEmpty())
        return false;
    bool wordStart = true;
    for (const QChar c : name) {
        if (c == u'-') {
            if (wordStart)
                return false;
            wordStart = true;
            continue;
        }
        if (!c.isLetter() || (wordStart ? !c.isUpper() : !c.isLower()))
            return false;
        wordStart = false;
    }
    return !wordStart;
}

} // namespace

class TestSampleRoster : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void teamsAreInventedAndUnsorted();
    void everyTeamHasAFullRoster();
    void keyFileHasBothRegionsAndALookAlikeGap();
    void everyPlayerHasHisAttributeRecord();
    void namesDecodeAsWritten();
    void valuesCoverTheWholeGrids();

    void sameSeedGivesSameBytes_data();
    void sameSeedGivesSameBytes();

    void savedGamesAreListed_data();
    void savedGamesAreListed();

    void unchangedPlayersRewriteNoByte_data();
    void unchangedPlayersRewriteNoByte();

    void bulkKeyFileKeepsTheLayout_data();
    void bulkKeyFileKeepsTheLayout();

    void failuresNameTheFile();

private:
    QString basePath(const QString &name) const { return m_base.filePath(name); }

    QTemporaryDir m_base;
    Sample::RosterImage m_roster;
    QList<TeamRecord> m_teams;
    QList<QList<PlayerEntry>> m_scans; // per team, through the file layer
};

void TestSampleRoster::initTestCase()
{
    QVERIFY(m_base.isValid());
    const Status written = Sample::writeBaseRosters(m_base.path());
    QVERIFY2(written, failure(written));
    QCOMPARE(GameFolder::check(m_base.path()).kind, FileSetKind::BaseRosters);
    m_roster = Sample::buildRoster();

    const auto teams = listTeams(basePath(FileNames::BaseTeams));
    QVERIFY2(teams, failure(teams));
    m_teams = *teams;
    for (qsizetype t = 0; t < m_teams.size(); ++t) {
        const auto scan = scanPlayers(basePath(FileNames::Key), int(t));
        QVERIFY2(scan, failure(scan));
        m_scans.append(*scan);
    }
}

void TestSampleRoster::teamsAreInventedAndUnsorted()
{
    QCOMPARE(m_teams.size(), Sample::kTeamCount);
    QCOMPARE(QFileInfo(basePath(FileNames::BaseTeams)).size(),
             qint64(Sample::kTeamCount) * TeamRecord::Size);

    QStringList cities;
    QSet<QString> abbrevs;
    for (const TeamRecord &team : std::as_const(m_teams)) {
        QVERIFY(!team.city().isEmpty() && team.city().size() <= 16);
        QVERIFY(!team.teamName().isEmpty() && team.teamName().size() <= 25);
        QCOMPARE(team.abbrev().size(), 3);
        for (const QChar c : team.abbrev())
            QVERIFY2(c >= u'A' && c <= u'Z', qPrintable(team.abbrev()));
        // Bytes the editor never shows are there to be carried, not zeroed.
        QVERIFY(team.byte(3) != 0 && team.byte(4) != 0);
        QVERIFY(team.byte(TeamRecord::Size - 1) != 0);
        cities.append(team.city());
        abbrevs.insert(team.abbrev());
    }
    QCOMPARE(QSet<QString>(cities.begin(), cities.end()).size(), cities.size());
    QCOMPARE(abbrevs.size(), cities.size());
    // A sorted team list must differ from file order, or team numbers mixed
    // up with list rows would go unnoticed.
    QStringList sorted = cities;
    sorted.sort();
    QVERIFY(sorted != cities);
}

void TestSampleRoster::everyTeamHasAFullRoster()
{
    QCOMPARE(m_scans.size(), Sample::kTeamCount);
    int regionTwoTeams = 0;
    for (qsizetype t = 0; t < m_scans.size(); ++t) {
        const QList<PlayerEntry> &players = m_scans[t];
        const QByteArray team = "team " + QByteArray::number(t);
        QVERIFY2(players.size() >= 25 && players.size() <= 28, team);

        QSet<int> jerseys;
        QMap<QChar, int> positions;
        bool inRegionOne = false;
        bool inRegionTwo = false;
        for (const PlayerEntry &entry : players) {
            QCOMPARE(entry.record.teamNumber(), quint8(t));
            QVERIFY2(isPlayerOffset(entry.offset), team);
            QVERIFY2(!inGap(entry.offset), team + " has a player read from the gap");
            inRegionOne |= entry.offset < KeyRegionOneEnd;
            inRegionTwo |= entry.offset >= KeyRegionTwoStart;
            QVERIFY2(entry.record.jerseyNumber() <= 99, team);
            jerseys.insert(entry.record.jerseyNumber());
            positions[QChar(entry.record.position())]++;
        }
        QVERIFY2(jerseys.size() == players.size(), team + ": a jersey number is taken twice");
        QVERIFY2(positions.value(u'G') >= 2 && positions.value(u'G') <= 3, team);
        QVERIFY2(positions.value(u'D') >= 8 && positions.value(u'D') <= 9, team);
        for (const QChar forward : {u'L', u'C', u'R'})
            QVERIFY2(positions.value(forward) >= 5 && positions.value(forward) <= 6, team);
        QCOMPARE(positions.value(u'G') + positions.value(u'D') + positions.value(u'L') +
                     positions.value(u'C') + positions.value(u'R'),
                 int(players.size()));
        QVERIFY2(inRegionOne, team);
        regionTwoTeams += inRegionTwo;
    }
    QCOMPARE(regionTwoTeams, Sample::kTeamCount);
}

void TestSampleRoster::keyFileHasBothRegionsAndALookAlikeGap()
{
    const QByteArray key = readFile(basePath(FileNames::Key));
    QCOMPARE(key, m_roster.keyFile);
    QVERIFY(key.size() > KeyRegionTwoStart);
    QCOMPARE((key.size() - KeyRegionTwoStart) % PlayerRecord::Size, 0);
    const qint64 regionTwoRecords = (key.size() - KeyRegionTwoStart) / PlayerRecord::Size;
    QVERIFY(regionTwoRecords >= 60 && regionTwoRecords <= 120);

    // Both regions full of records, listed in file order.
    QCOMPARE(m_roster.players.size(), KeyRegionOneEnd / PlayerRecord::Size + regionTwoRecords);
    for (qsizetype i = 1; i < m_roster.players.size(); ++i)
        QVERIFY(m_roster.players[i - 1].keyOffset < m_roster.players[i].keyOffset);

    // Every team's players are found, and nothing else: the gap's look-alikes
    // carry team numbers too, so a scan that read them would find more.
    qsizetype teamPlayers = 0;
    qsizetype freeAgents = 0;
    for (const Sample::SamplePlayer &player : std::as_const(m_roster.players)) {
        QVERIFY(!inGap(player.keyOffset));
        if (player.record.teamNumber() < Sample::kTeamCount)
            ++teamPlayers;
        else if (player.record.teamNumber() <= Sample::kLastUnattachedTeam)
            ++freeAgents;
        else
            QFAIL("a player of a team number that is neither a team nor a free agent");
    }
    qsizetype scanned = 0;
    for (const QList<PlayerEntry> &players : std::as_const(m_scans))
        scanned += players.size();
    QCOMPARE(scanned, teamPlayers);
    QVERIFY(freeAgents > 0);

    int lookAlikes = 0;
    for (qint64 at = KeyRegionOneEnd; at + PlayerRecord::Size <= KeyRegionTwoStart;
         at += PlayerRecord::Size) {
        QVERIFY(quint8(key[at]) < Sample::kTeamCount);
        QVERIFY(kPositions.contains(QChar(key[at + PlayerRecord::PositionByte])));
        ++lookAlikes;
    }
    QCOMPARE(lookAlikes, 75);
}

void TestSampleRoster::everyPlayerHasHisAttributeRecord()
{
    const QString att = basePath(FileNames::Att);
    struct Span
    {
        qint64 offset;
        int size;
    };
    QList<Span> spans;
    bool keyOrder = true;
    for (const Sample::SamplePlayer &player : std::as_const(m_roster.players)) {
        const PlayerRecord &p = player.record;
        const QByteArray who = p.lastName().toUtf8();
        QVERIFY2(kPositions.contains(QChar(p.position())), who);
        QVERIFY2(p.heightInches() >= 66 && p.heightInches() <= 83, who);
        if (p.isGoalie())
            QVERIFY2(p.weightPounds() >= 155 && p.weightPounds() <= 239, who);
        else
            QVERIFY2(p.weightPounds() >= 160 && p.weightPounds() <= 254, who);
        QVERIFY2(p.rookieFlag() == 'Y' || p.rookieFlag() == 'N', who);
        for (const int unused : {40, 41, 42, 43, 44, 45, 46, 47, 59})
            QVERIFY2(p.byte(unused) != 0, who);

        quint8 hand = 0;
        quint8 weightClass = 0;
        if (p.isGoalie()) {
            const auto attribs = readGoalieAttribs(att, p.attribOffset());
            QVERIFY2(attribs, who + failure(attribs));
            for (const RatingField &field : kGoalieRatingFields)
                QVERIFY2(attribs->byte(field.byte) <= 15, who);
            for (const int unused : {5, 9, 12, 13, 14, 15})
                QVERIFY2(attribs->byte(unused) != 0, who);
            hand = attribs->byte(GoalieAttribRecord::HandByte);
            weightClass = attribs->weightClass();
        } else {
            const auto attribs = readSkaterAttribs(att, p.attribOffset());
            QVERIFY2(attribs, who + failure(attribs));
            for (const RatingField &field : kSkaterRatingFields)
                QVERIFY2(attribs->byte(field.byte) <= (field.scale == Scale::Fighting ? 6 : 15),
                         who);
            for (const int unused : {8, 15, 16, 17, 18})
                QVERIFY2(attribs->byte(unused) != 0, who);
            hand = attribs->byte(SkaterAttribRecord::HandByte);
            weightClass = attribs->weightClass();
        }
        QVERIFY2(hand <= 1, who);
        QCOMPARE(int(weightClass), weightClassOf(p.weightPounds()));

        if (!spans.isEmpty() && p.attribOffset() < spans.last().offset)
            keyOrder = false;
        spans.append(
            {p.attribOffset(), p.isGoalie() ? GoalieAttribRecord::Size : SkaterAttribRecord::Size});
    }
    QVERIFY2(!keyOrder, "attribute records should not simply follow the key file");

    // One record after another behind the header: none overlaps another and
    // no byte of the file is left to no one.
    std::sort(spans.begin(), spans.end(),
              [](const Span &a, const Span &b) { return a.offset < b.offset; });
    qint64 expected = Sample::kAttribHeaderSize;
    for (const Span &span : std::as_const(spans)) {
        QCOMPARE(span.offset, expected);
        expected += span.size;
    }
    QCOMPARE(QFileInfo(att).size(), expected);
}

void TestSampleRoster::namesDecodeAsWritten()
{
    const QString key = basePath(FileNames::Key);
    bool fullFirst = false;
    bool fullLast = false;
    bool accentedFirst = false;
    bool accentedLast = false;
    bool checkedEncoding = false;
    for (const Sample::SamplePlayer &player : std::as_const(m_roster.players)) {
        const auto read = readPlayer(key, player.keyOffset);
        QVERIFY(read);
        QCOMPARE(read->bytes(), player.record.bytes());
        QCOMPARE(read->firstName(), player.firstName);
        QCOMPARE(read->lastName(), player.lastName);
        QVERIFY2(isProperName(player.firstName), qPrintable(player.firstName));
        QVERIFY2(isProperName(player.lastName), qPrintable(player.lastName));
        QVERIFY(player.firstName.size() <= 16 && player.lastName.size() <= 17);

        // NUL padding right after the text, as the editor writes it back.
        for (int i = int(player.firstName.size()); i < PlayerRecord::FirstName.width; ++i)
            QCOMPARE(read->byte(PlayerRecord::FirstName.offset + i), quint8(0));
        for (int i = int(player.lastName.size()); i < PlayerRecord::LastName.width; ++i)
            QCOMPARE(read->byte(PlayerRecord::LastName.offset + i), quint8(0));

        fullFirst |= player.firstName.size() == PlayerRecord::FirstName.width;
        fullLast |= player.lastName.size() == PlayerRecord::LastName.width;
        const auto beyondAscii = [](const QString &s) {
            return std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() > 0x7F; });
        };
        accentedFirst |= beyondAscii(player.firstName);
        accentedLast |= beyondAscii(player.lastName);

        // One byte per letter in Windows-1252, not UTF-8.
        const qsizetype o = player.lastName.indexOf(u'ö');
        if (o >= 0) {
            QCOMPARE(read->byte(PlayerRecord::LastName.offset + int(o)), quint8(0xF6));
            checkedEncoding = true;
        }
    }
    QVERIFY(fullFirst);
    QVERIFY(fullLast);
    QVERIFY(accentedFirst);
    QVERIFY(accentedLast);
    QVERIFY(checkedEncoding);
}

void TestSampleRoster::valuesCoverTheWholeGrids()
{
    // The rewrite check below proves only the values that occur: make sure
    // every step of every grid does.
    const QString att = basePath(FileNames::Att);
    QSet<int> goalie, skater, bias, fighting, hands, weightClasses;
    QSet<char> rookie;
    bool noPicture = false;
    for (const QList<PlayerEntry> &players : std::as_const(m_scans)) {
        for (const PlayerEntry &entry : players) {
            rookie.insert(entry.record.rookieFlag());
            noPicture |= entry.record.pictureCodeA() == u"NONE";
            if (entry.record.isGoalie()) {
                const auto a = readGoalieAttribs(att, entry.record.attribOffset());
                QVERIFY(a);
                for (const RatingField &field : kGoalieRatingFields)
                    goalie.insert(a->byte(field.byte));
                hands.insert(a->byte(0));
                weightClasses.insert(a->weightClass());
                continue;
            }
            const auto a = readSkaterAttribs(att, entry.record.attribOffset());
            QVERIFY(a);
            for (const RatingField &field : kSkaterRatingFields) {
                QSet<int> &seen = field.scale == Scale::Bias       ? bias
                                  : field.scale == Scale::Fighting ? fighting
                                                                   : skater;
                seen.insert(a->byte(field.byte));
            }
            hands.insert(a->byte(0));
            weightClasses.insert(a->weightClass());
        }
    }
    QCOMPARE(goalie.size(), 16);
    QCOMPARE(skater.size(), 16);
    QCOMPARE(bias.size(), 16);
    QCOMPARE(fighting.size(), 7);
    QCOMPARE(hands.size(), 2);
    QCOMPARE(rookie.size(), 2);
    QVERIFY(weightClasses.size() >= 10);
    QVERIFY(noPicture);
}

void TestSampleRoster::sameSeedGivesSameBytes_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("default") << Sample::kDefaultSeed;
    QTest::newRow("zero") << quint32(0);
    QTest::newRow("largest") << quint32(0xFFFFFFFF);
}

void TestSampleRoster::sameSeedGivesSameBytes()
{
    QFETCH(quint32, seed);
    QTemporaryDir once, twice, other;
    QVERIFY(once.isValid() && twice.isValid() && other.isValid());
    QVERIFY(Sample::writeBaseRosters(once.path(), seed));
    QVERIFY(Sample::writeBaseRosters(twice.path(), seed));
    QVERIFY(Sample::writeBaseRosters(other.path(), seed + 1));
    for (const QString &name : {FileNames::BaseTeams, FileNames::Key, FileNames::Att}) {
        compareFiles(once.filePath(name), twice.filePath(name));
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(readFile(once.filePath(name)) != readFile(other.filePath(name)), qPrintable(name));
    }
}

void TestSampleRoster::savedGamesAreListed_data()
{
    QTest::addColumn<QList<int>>("games");
    QTest::newRow("default") << Sample::defaultSavedGames();
    QTest::newRow("one game") << QList<int>{5};
    QTest::newRow("widest numbers") << QList<int>{9999, 0, 100, 45};
}

void TestSampleRoster::savedGamesAreListed()
{
    QFETCH(QList<int>, games);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Status written = Sample::writeSavedGames(dir.path(), games);
    QVERIFY2(written, failure(written));
    QCOMPARE(GameFolder::check(dir.path()).kind, FileSetKind::SavedGame);
    QCOMPARE(GameFolder::findFirstMatch(dir.path(), FileNames::IndexPattern),
             Sample::IndexFileName);

    const QString index = dir.filePath(Sample::IndexFileName);
    QCOMPARE(QFileInfo(index).size(), IndexHeaderSize + games.size() * SeasonIndexEntry::Size);
    const QByteArray header = readFile(index).left(IndexHeaderSize);
    QVERIFY(!header.contains('\0'));

    const auto listed = listSavedGames(index);
    QVERIFY(listed);
    QCOMPARE(listed->size(), games.size());
    QStringList descriptions;
    QSet<QByteArray> keyFiles;
    for (qsizetype i = 0; i < games.size(); ++i) {
        const SeasonIndexEntry &entry = listed->at(i);
        QCOMPARE(entry.gameNumber(), games[i]);
        QVERIFY(!entry.description().isEmpty());
        for (int unused = 4; unused < 13; ++unused)
            QVERIFY(entry.byte(unused) != 0);
        descriptions.append(entry.description());

        const QString prefix = savedGamePrefix(games[i]);
        for (const QString &name : {FileNames::SavedTeams, FileNames::Key, FileNames::Att})
            QVERIFY2(QFileInfo::exists(dir.filePath(prefix + name)), qPrintable(prefix + name));
        const auto teams = listTeams(dir.filePath(prefix + FileNames::SavedTeams));
        QVERIFY(teams);
        QCOMPARE(teams->size(), Sample::kTeamCount);
        QCOMPARE(
            readFile(dir.filePath(prefix + FileNames::Key)),
            Sample::buildRoster(Sample::savedGameSeed(Sample::kDefaultSeed, games[i])).keyFile);
        keyFiles.insert(readFile(dir.filePath(prefix + FileNames::Key)));
    }
    QCOMPARE(keyFiles.size(), games.size());
    QVERIFY(!QFileInfo::exists(dir.filePath(FileNames::BaseTeams)));

    if (games.size() >= 2) {
        // The selection list sorts; file order must not happen to be sorted.
        QStringList sorted = descriptions;
        sorted.sort(Qt::CaseInsensitive);
        QVERIFY(sorted != descriptions);
        QStringList exact = descriptions;
        exact.sort(Qt::CaseSensitive);
        QVERIFY(exact != descriptions);
    }
    if (games.size() >= 3) {
        // Game numbers written the ways the game writes them.
        QVERIFY(std::any_of(listed->begin(), listed->end(), [](const SeasonIndexEntry &e) {
            return e.gameNumberText().startsWith(u' ');
        }));
        QVERIFY(std::any_of(listed->begin(), listed->end(), [](const SeasonIndexEntry &e) {
            return e.byte(SeasonIndexEntry::GameNumber.offset + 3) == 0;
        }));
    }
}

void TestSampleRoster::unchangedPlayersRewriteNoByte_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("savedGame"); // -1 for the base rosters

    QTest::newRow("base rosters") << Sample::kDefaultSeed << -1;
    QTest::newRow("base rosters, other seed") << quint32(42) << -1;
    QTest::newRow("saved game 12") << Sample::kDefaultSeed << 12;
}

void TestSampleRoster::unchangedPlayersRewriteNoByte()
{
    QFETCH(quint32, seed);
    QFETCH(int, savedGame);

    QTemporaryDir original, edited;
    QVERIFY(original.isValid() && edited.isValid());
    const Status written = savedGame < 0
                               ? Sample::writeBaseRosters(original.path(), seed)
                               : Sample::writeSavedGames(original.path(), {savedGame}, seed);
    QVERIFY(written);
    const QString prefix = savedGame < 0 ? QString() : savedGamePrefix(savedGame);
    const QStringList names = {prefix +
                                   (savedGame < 0 ? FileNames::BaseTeams : FileNames::SavedTeams),
                               prefix + FileNames::Key, prefix + FileNames::Att};
    for (const QString &name : names)
        QVERIFY(QFile::copy(original.filePath(name), edited.filePath(name)));

    const QString key = edited.filePath(names[1]);
    const QString att = edited.filePath(names[2]);
    const auto teams = listTeams(edited.filePath(names[0]));
    QVERIFY(teams);
    int rewritten = 0;
    for (qsizetype t = 0; t < teams->size(); ++t) {
        const auto scan = scanPlayers(key, int(t));
        QVERIFY(scan);
        for (const PlayerEntry &entry : *scan) {
            auto player = readPlayer(key, entry.offset);
            QVERIFY(player);
            showAndStore(*player);
            if (QTest::currentTestFailed())
                return;
            QVERIFY(writePlayer(key, entry.offset, *player));

            if (player->isGoalie()) {
                auto attribs = readGoalieAttribs(att, player->attribOffset());
                QVERIFY(attribs);
                showAndStore(*player, *attribs);
                QVERIFY(writeGoalieAttribs(att, player->attribOffset(), *attribs));
            } else {
                auto attribs = readSkaterAttribs(att, player->attribOffset());
                QVERIFY(attribs);
                showAndStore(*player, *attribs);
                QVERIFY(writeSkaterAttribs(att, player->attribOffset(), *attribs));
            }
            ++rewritten;
        }
    }
    QVERIFY(rewritten >= Sample::kTeamCount * 25);
    for (const QString &name : names) {
        compareFiles(original.filePath(name), edited.filePath(name));
        if (QTest::currentTestFailed())
            return;
    }
}

void TestSampleRoster::bulkKeyFileKeepsTheLayout_data()
{
    QTest::addColumn<qint64>("records");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("scan");

    QTest::newRow("empty") << qint64(0) << qint64(0) << true;
    QTest::newRow("one") << qint64(1) << qint64(60) << true;
    QTest::newRow("first region full") << qint64(758) << qint64(45480) << true;
    QTest::newRow("one past the gap") << qint64(759) << qint64(50060) << true;
    QTest::newRow("two thousand") << qint64(2000) << qint64(50000 + 1242 * 60) << true;
    QTest::newRow("hundred thousand") << qint64(100000) << qint64(50000 + 99242 * 60) << false;
}

void TestSampleRoster::bulkKeyFileKeepsTheLayout()
{
    QFETCH(qint64, records);
    QFETCH(qint64, size);
    QFETCH(bool, scan);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(FileNames::Key);
    QVERIFY(Sample::writeKeyFile(path, records));
    QCOMPARE(QFileInfo(path).size(), size);
    QCOMPARE(Sample::keyFileSize(records), size);

    const QString again = dir.filePath(QStringLiteral("again.db"));
    QVERIFY(Sample::writeKeyFile(again, records));
    QVERIFY(readFile(path) == readFile(again));

    if (!scan)
        return;
    // Every record belongs to some team number, the gap to none.
    qint64 found = 0;
    for (int team = 0; team < 256; ++team) {
        const auto players = scanPlayers(path, team);
        QVERIFY(players);
        for (const PlayerEntry &entry : *players) {
            QVERIFY(!inGap(entry.offset));
            QVERIFY(kPositions.contains(QChar(entry.record.position())));
        }
        found += players->size();
    }
    QCOMPARE(found, records);
}

void TestSampleRoster::failuresNameTheFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString inside = blocker + QStringLiteral("/roster");

    const Status base = Sample::writeBaseRosters(inside);
    QVERIFY(!base);
    QVERIFY(!base.error().reason.isEmpty());
    QVERIFY(base.error().filePath.startsWith(blocker));

    const Status saved = Sample::writeSavedGames(dir.filePath(QStringLiteral("saved")), {10000});
    QVERIFY(!saved);
    QVERIFY(saved.error().reason.contains(u"10000"));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("saved"))));

    const Status bulk = Sample::writeKeyFile(inside + QStringLiteral("/key.db"), 10);
    QVERIFY(!bulk);
    QVERIFY(bulk.error().filePath.endsWith(QStringLiteral("key.db")));
}

QTEST_GUILESS_MAIN(TestSampleRoster)
#include "tst_sampleroster.moc"
