#include "files/records.h"
#include "testfiles.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Puckdex;

namespace {

// The offsets at which two byte images differ.
QList<int> changedBytes(const QByteArray &before, const QByteArray &after)
{
    QList<int> changed;
    for (int i = 0; i < before.size(); ++i) {
        if (before.at(i) != after.at(i))
            changed.append(i);
    }
    return changed;
}

QList<int> span(int from, int to)
{
    QList<int> list;
    for (int i = from; i <= to; ++i)
        list.append(i);
    return list;
}

template <typename R>
R fromNoise(quint32 seed)
{
    R record;
    const bool ok = record.assign(randomBytes(seed, R::Size));
    Q_ASSERT(ok);
    return record;
}

} // namespace

class TstRecords : public QObject
{
    Q_OBJECT

private slots:
    void recordsAreExactByteImages()
    {
        static_assert(TeamRecord::Size == 795 && PlayerRecord::Size == 60);
        static_assert(GoalieAttribRecord::Size == 17 && SkaterAttribRecord::Size == 21);
        static_assert(SeasonIndexEntry::Size == 54);
        for (quint32 seed = 1; seed <= 50; ++seed) {
            QCOMPARE(fromNoise<TeamRecord>(seed).toByteArray(), randomBytes(seed, 795));
            QCOMPARE(fromNoise<PlayerRecord>(seed).toByteArray(), randomBytes(seed, 60));
            QCOMPARE(fromNoise<GoalieAttribRecord>(seed).toByteArray(), randomBytes(seed, 17));
            QCOMPARE(fromNoise<SkaterAttribRecord>(seed).toByteArray(), randomBytes(seed, 21));
            QCOMPARE(fromNoise<SeasonIndexEntry>(seed).toByteArray(), randomBytes(seed, 54));
        }
    }

    void assignRefusesTheWrongSize()
    {
        PlayerRecord player = fromNoise<PlayerRecord>(7);
        QVERIFY(!player.assign(randomBytes(1, 59)));
        QVERIFY(!player.assign(randomBytes(1, 61)));
        QCOMPARE(player.toByteArray(), randomBytes(7, 60));
    }

    // Each setter touches its own bytes and nothing else.
    void settersTouchOnlyTheirField_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("team number") << 0 << QList<int>{0};
        QTest::newRow("jersey") << 1 << QList<int>{1};
        QTest::newRow("position") << 2 << QList<int>{2};
        QTest::newRow("first name") << 3 << span(3, 18);
        QTest::newRow("last name") << 4 << span(19, 35);
        QTest::newRow("attribute offset") << 5 << span(36, 39);
        QTest::newRow("picture") << 6 << span(48, 55);
        QTest::newRow("height") << 7 << QList<int>{56};
        QTest::newRow("weight") << 8 << QList<int>{57};
        QTest::newRow("rookie") << 9 << QList<int>{58};
    }
    void settersTouchOnlyTheirField()
    {
        QFETCH(int, field);
        QFETCH(QList<int>, expected);
        // 0xEE everywhere: every value set below differs from it in every byte.
        PlayerRecord player;
        QVERIFY(player.assign(QByteArray(60, char(0xEE))));
        const QByteArray before = player.toByteArray();
        switch (field) {
        case 0: player.setTeamNumber(3); break;
        case 1: player.setJerseyNumber(99); break;
        case 2: player.setPosition('G'); break;
        case 3: QCOMPARE(player.setFirstName(QStringLiteral("Abcdefghijklmnop")), TextFit::Ok); break;
        case 4: QCOMPARE(player.setLastName(QStringLiteral("Abcdefghijklmnopq")), TextFit::Ok); break;
        case 5: player.setAttribOffset(0x01020304); break;
        case 6: player.unlinkPicture(); break;
        case 7: player.setHeightInches(75); break;
        case 8: player.setWeightPounds(200); break;
        case 9: player.setRookieFlag('Y'); break;
        }
        QCOMPARE(changedBytes(before, player.toByteArray()), expected);
    }

    void playerFieldsReadFromTheirBytes()
    {
        QByteArray bytes(60, '\0');
        bytes[0] = 12;
        bytes[1] = 23;
        bytes[2] = 'D';
        bytes.replace(3, 5, "Wayne");
        bytes.replace(19, 7, "Gretzky");
        bytes.replace(36, 4, QByteArray("\x10\x27\x00\x00", 4)); // 10000
        bytes.replace(48, 8, "AB12NONE");
        bytes[56] = char(72);
        bytes[57] = char(185);
        bytes[58] = 'N';
        PlayerRecord player;
        QVERIFY(player.assign(bytes));
        QCOMPARE(player.teamNumber(), 12);
        QCOMPARE(player.jerseyNumber(), 23);
        QCOMPARE(player.position(), 'D');
        QVERIFY(!player.isGoalie());
        QCOMPARE(player.firstName(), QStringLiteral("Wayne"));
        QCOMPARE(player.lastName(), QStringLiteral("Gretzky"));
        QCOMPARE(player.attribOffset(), 10000);
        QCOMPARE(player.pictureCodeA(), QStringLiteral("AB12"));
        QCOMPARE(player.pictureCodeB(), QStringLiteral("NONE"));
        QCOMPARE(player.heightInches(), 72);
        QCOMPARE(player.weightPounds(), 185);
        QCOMPARE(player.rookieFlag(), 'N');
    }

    void attribOffsetIsSignedLittleEndian()
    {
        PlayerRecord player;
        player.setAttribOffset(-1);
        QCOMPARE(player.toByteArray().mid(36, 4), QByteArray(4, char(0xFF)));
        player.setAttribOffset(0x7FFFFFFF);
        QCOMPARE(player.toByteArray().mid(36, 4), QByteArray("\xFF\xFF\xFF\x7F", 4));
        QCOMPARE(player.attribOffset(), 0x7FFFFFFF);
    }

    void textFieldsAreNulPadded_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("16 characters, no NUL")
            << QStringLiteral("Jean-Christopher") << QByteArray("Jean-Christopher");
        QTest::newRow("5 characters and 11 NULs")
            << QStringLiteral("Wayne") << QByteArray("Wayne") + QByteArray(11, '\0');
        QTest::newRow("blanks kept") << QStringLiteral("Al  ")
                                     << QByteArray("Al  ") + QByteArray(12, '\0');
        QTest::newRow("accents") << QStringLiteral("Rémi Weiß")
                                 << QByteArray("R\xe9mi Wei\xdf") + QByteArray(7, '\0');
        QTest::newRow("empty") << QString() << QByteArray(16, '\0');
    }
    void textFieldsAreNulPadded()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, stored);
        PlayerRecord player = fromNoise<PlayerRecord>(3);
        QCOMPARE(player.setFirstName(name), TextFit::Ok);
        QCOMPARE(player.toByteArray().mid(3, 16), stored);
        QCOMPARE(player.firstName(), name);
    }

    void textIsReadUpToTheFirstNul_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("name");
        QTest::newRow("padded with NULs") << QByteArray("Smith") + QByteArray(12, '\0')
                                          << QStringLiteral("Smith");
        QTest::newRow("padded with blanks") << QByteArray("Smith            ")
                                            << QStringLiteral("Smith            ");
        QTest::newRow("garbage after the NUL") << QByteArray("Roy\0ZZZZZZZZZZZZZ", 17)
                                               << QStringLiteral("Roy");
        QTest::newRow("17 characters, no NUL") << QByteArray("Vanbiesbrouckyyyy")
                                               << QStringLiteral("Vanbiesbrouckyyyy");
    }
    void textIsReadUpToTheFirstNul()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, name);
        QByteArray bytes = randomBytes(9, 60);
        bytes.replace(19, 17, stored);
        PlayerRecord player;
        QVERIFY(player.assign(bytes));
        QCOMPARE(player.lastName(), name);
        // Setting the same name back keeps the bytes as far as the NUL padding allows.
        QCOMPARE(player.setLastName(name), TextFit::Ok);
        QCOMPARE(player.lastName(), name);
    }

    void textThatDoesNotFitIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<TextFit>("fit");
        QTest::newRow("17 characters") << QStringLiteral("Abcdefghijklmnopq") << TextFit::TooLong;
        QTest::newRow("outside the code page") << QStringLiteral("Čech") << TextFit::NotInCodePage;
        QTest::newRow("cyrillic") << QStringLiteral("Фёдоров") << TextFit::NotInCodePage;
    }
    void textThatDoesNotFitIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(TextFit, fit);
        PlayerRecord player = fromNoise<PlayerRecord>(11);
        QCOMPARE(player.setFirstName(name), fit);
        QCOMPARE(player.toByteArray(), randomBytes(11, 60));
    }

    void handIsLeftOnlyForZero()
    {
        SkaterAttribRecord skater;
        for (int b = 0; b < 256; ++b) {
            skater.setByte(0, quint8(b));
            QCOMPARE(skater.hand(), b == 0 ? Hand::Left : Hand::Right);
        }
        skater.setByte(0, 2);
        skater.setHand(skater.hand());
        QCOMPARE(skater.byte(0), 1);
        GoalieAttribRecord goalie;
        goalie.setByte(0, 7);
        goalie.setHand(Hand::Left);
        QCOMPARE(goalie.byte(0), 0);
    }

    void weightClassByteDependsOnTheKindOfPlayer()
    {
        GoalieAttribRecord goalie = fromNoise<GoalieAttribRecord>(5);
        const QByteArray goalieBefore = goalie.toByteArray();
        goalie.setWeightClass(15);
        QCOMPARE(changedBytes(goalieBefore, goalie.toByteArray()), QList<int>{8});
        SkaterAttribRecord skater = fromNoise<SkaterAttribRecord>(5);
        const QByteArray skaterBefore = skater.toByteArray();
        skater.setWeightClass(18);
        QCOMPARE(changedBytes(skaterBefore, skater.toByteArray()), QList<int>{3});
        QCOMPARE(skater.weightClass(), 18);
    }

    void teamFields()
    {
        QByteArray bytes = randomBytes(4, 795);
        bytes.replace(0, 3, "PTA");
        bytes.replace(5, 25, QByteArray("Lanterns") + QByteArray(17, '\0'));
        bytes.replace(30, 16, QByteArray("Port Averly").leftJustified(16, '\0'));
        TeamRecord team;
        QVERIFY(team.assign(bytes));
        QCOMPARE(team.abbrev(), QStringLiteral("PTA"));
        QCOMPARE(team.teamName(), QStringLiteral("Lanterns"));
        QCOMPARE(team.city(), QStringLiteral("Port Averly"));
    }

    void gameNumberIsItsLeadingDigits_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("number");
        QTest::newRow("left aligned") << QByteArray("12  ") << 12;
        QTest::newRow("right aligned") << QByteArray("  12") << 12;
        QTest::newRow("NUL padded") << QByteArray("7\0\0\0", 4) << 7;
        QTest::newRow("blank inside") << QByteArray("1 2 ") << 12;
        QTest::newRow("digits then text") << QByteArray("3ab4") << 3;
        QTest::newRow("no digits") << QByteArray("abcd") << 0;
        QTest::newRow("blank") << QByteArray("    ") << 0;
        QTest::newRow("four digits") << QByteArray("1234") << 1234;
    }
    void gameNumberIsItsLeadingDigits()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, number);
        QByteArray bytes = randomBytes(2, 54);
        bytes.replace(0, 4, field);
        bytes.replace(13, 41, QByteArray("Season 1996").leftJustified(41, '\0'));
        SeasonIndexEntry entry;
        QVERIFY(entry.assign(bytes));
        QCOMPARE(entry.gameNumber(), number);
        QCOMPARE(entry.description(), QStringLiteral("Season 1996"));
    }
};

QTEST_GUILESS_MAIN(TstRecords)
#include "tst_records.moc"
