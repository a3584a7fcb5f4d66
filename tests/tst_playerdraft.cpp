// One edit of one player, as the window and the import make it: what each
// change answers, what the draft would write, and taking it all back.

#include "player/playerdraft.h"
#include "player/ratingtemplates.h"
#include "player/valuerules.h"

#include <QTest>

using namespace Puckdex;

namespace {

PlayerEntry entry(qint64 offset, int jersey, const char *first, const char *last)
{
    PlayerRecord record;
    record.setJerseyNumber(quint8(jersey));
    record.setFirstName(QString::fromLatin1(first));
    record.setLastName(QString::fromLatin1(last));
    return {offset, record};
}

// A centre (or a goalie) wearing 12, 180 pounds in weight class 9, whose
// skater fighting byte is 7: a byte above what the scale shows exactly.
struct Loaded
{
    PlayerRecord key;
    PlayerEdit::AttribRecords records;
};
Loaded loaded(bool goalie)
{
    Loaded l;
    l.key.setFirstName(QStringLiteral("Kalle"));
    l.key.setLastName(QStringLiteral("Berg"));
    l.key.setPosition(goalie ? 'G' : 'C');
    l.key.setJerseyNumber(12);
    l.key.setWeightPounds(180);
    l.key.setHeightInches(73);
    l.key.setRookieFlag('N');
    QByteArray bytes(PlayerEdit::attribRecordSize(goalie), '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(5);
    bytes[goalie ? GoalieAttribRecord::WeightClassByte : SkaterAttribRecord::WeightClassByte] = 9;
    if (!goalie)
        bytes[playerField(FieldId::Fighting).skater.byte] = 7;
    l.records = PlayerEdit::attribsOf(l.key, goalie, bytes);
    return l;
}

const TeamJerseys &team()
{
    static const TeamJerseys jerseys(
        {entry(9000, 12, "Kalle", "Berg"), entry(9060, 33, "Ada", "Lind")});
    return jerseys;
}

PlayerDraft draftOf(bool goalie, PlayerDraft::Untouched untouched = PlayerDraft::Untouched::WriteShown)
{
    const Loaded l = loaded(goalie);
    return PlayerDraft(9000, l.key, l.records, team(), untouched);
}

} // namespace

class TstPlayerDraft : public QObject
{
    Q_OBJECT

private slots:
    // Each kind of change is a change, and revert() takes every one back.
    void changesAndRevert_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("goalie");
        for (int change = 0; change < 9; ++change) {
            QTest::addRow("change %d, skater", change) << change << false;
            QTest::addRow("change %d, goalie", change) << change << true;
        }
    }
    void changesAndRevert()
    {
        QFETCH(int, change);
        QFETCH(bool, goalie);
        PlayerDraft draft = draftOf(goalie);
        const FieldsWrite before = draft.write();
        QVERIFY(!draft.changed());
        const PlayerField &speed = playerField(FieldId::Speed);
        switch (change) {
        case 0: QCOMPARE(draft.setFirstName(u"JEAN-LUC").name, QStringLiteral("Jean-luc")); break;
        case 1: QVERIFY(draft.setLastName(u"lind").askAboutPicture); break;
        case 2: QCOMPARE(draft.setJersey(7), nullptr); break;
        case 3: QVERIFY(draft.setRookie(u"y")); break;
        case 4: draft.setHand(Hand::Left); break; // his stored 5 reads as right
        case 5: QCOMPARE(draft.enterNumber(speed, u"100").value, 100); break;
        case 6: draft.enterNumber(playerField(FieldId::HeightInches), u"3"); break;
        case 7: draft.unlinkPicture(); break;
        case 8: QVERIFY(draft.setPosition(goalie ? u"G" : u"l").isEmpty()); break;
        }
        QCOMPARE(draft.changed(), change != 8 || !goalie); // a goalie's G is no change
        draft.revert();
        QVERIFY(!draft.changed());
        const FieldsWrite after = draft.write();
        QCOMPARE(after.fields.firstName, before.fields.firstName);
        QCOMPARE(after.fields.lastName, before.fields.lastName);
        QCOMPARE(after.fields.jerseyNumber, before.fields.jerseyNumber);
        QCOMPARE(after.fields.rookieFlag, before.fields.rookieFlag);
        QCOMPARE(after.fields.hand, before.fields.hand);
        QCOMPARE(after.fields.allPlayers, before.fields.allPlayers);
        QCOMPARE(after.fields.heightInches, before.fields.heightInches);
        QCOMPARE(after.fields.unlinkPicture, false);
        QCOMPARE(draft.number(speed), draftOf(goalie).number(speed));
        // A new name asks about the picture again once taken back.
        QCOMPARE(draft.setLastName(u"Lind").askAboutPicture, true);
    }

    // A number is checked by its field's rule for his kind, set as the rule
    // lets it stand, and the weight brings its class.
    void numbers()
    {
        PlayerDraft skater = draftOf(false);
        const PlayerField &speed = playerField(FieldId::Speed);
        const PlayerEdit::CheckedNumber fast = skater.enterNumber(speed, u"150");
        QCOMPARE(fast.value, 100);
        QVERIFY(fast.message.contains(QStringLiteral("100")));
        QCOMPARE(skater.number(speed), std::optional<double>(100));
        QCOMPARE(int(skater.fields().allPlayers[0]), 15);
        QCOMPARE(skater.number(playerField(FieldId::StickLeft)), std::nullopt);

        // The goalie's weight limits, and his class in his own record.
        PlayerDraft goalie = draftOf(true);
        const PlayerField &weight = playerField(FieldId::Weight);
        QCOMPARE(goalie.check(weight, u"250").value, 239);
        QVERIFY(goalie.fields().weightClass == std::nullopt);
        goalie.enterNumber(weight, u"200");
        QCOMPARE(goalie.fields().weightPounds, quint8(200));
        QCOMPARE(goalie.fields().weightClass, std::optional<quint8>(weightClass(200)));

        // Feet and inches make one height.
        skater.enterNumber(playerField(FieldId::HeightFeet), u"5");
        skater.enterNumber(playerField(FieldId::HeightInches), u"14");
        QCOMPARE(skater.fields().heightInches, quint8(5 * 12 + 11));
    }

    // A weight within his kind's limits brings its class.
    void weightClassOfHisKind_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<int>("pounds");
        QTest::addColumn<int>("weightClass");
        QTest::newRow("goalie 155") << true << 155 << 0;
        QTest::newRow("goalie 160") << true << 160 << 0;
        QTest::newRow("goalie 164") << true << 164 << 0;
        QTest::newRow("goalie 165") << true << 165 << 1;
        QTest::newRow("goalie 239") << true << 239 << 15;
        QTest::newRow("skater 160") << false << 160 << 0;
        QTest::newRow("skater 170") << false << 170 << 2;
        QTest::newRow("skater 254") << false << 254 << 18;
    }
    void weightClassOfHisKind()
    {
        QFETCH(bool, goalie);
        QFETCH(int, pounds);
        QFETCH(int, weightClass);
        PlayerDraft draft = draftOf(goalie);
        const PlayerEdit::CheckedNumber checked =
            draft.enterNumber(playerField(FieldId::Weight), QString::number(pounds));
        QCOMPARE(checked.value, pounds);
        QCOMPARE(checked.message, QString());
        QCOMPARE(draft.fields().weightPounds, quint8(pounds));
        QCOMPARE(draft.fields().weightClass, std::optional<quint8>(weightClass));
    }

    // The weight box left without a change recomputes the class: a change
    // when the class stored was another (9 is not 180 pounds' class).
    void weightClassFollowsEveryWeightSet()
    {
        PlayerDraft draft = draftOf(false);
        const PlayerField &weight = playerField(FieldId::Weight);
        draft.enterNumber(weight, u"180");
        QCOMPARE(draft.fields().weightClass, std::optional<quint8>(weightClass(180)));
        QVERIFY(weightClass(180) != 9);
        QVERIFY(draft.changed());
        draft.revert();
        QCOMPARE(draft.fields().weightClass, std::nullopt);
        draft.enterNumber(weight, u"205");
        draft.setNumber(weight, 180);
        QVERIFY(draft.changed());
    }

    // A new last name asks about the picture once; the same name, a shorter
    // one (the stored field begins with it) or none does not.
    void renameAsksOnce_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<bool>>("asked");
        QTest::newRow("the same") << QStringList{"Berg"} << QList<bool>{false};
        QTest::newRow("shortened") << QStringList{"Ber"} << QList<bool>{false};
        QTest::newRow("lower case raised") << QStringList{"berg"} << QList<bool>{false};
        QTest::newRow("longer") << QStringList{"Bergman"} << QList<bool>{true};
        QTest::newRow("new, then again") << QStringList{"Lind", "Lind"} << QList<bool>{true, false};
        QTest::newRow("new, then back") << QStringList{"Lind", "Berg"} << QList<bool>{true, true};
        QTest::newRow("emptied") << QStringList{""} << QList<bool>{false};
    }
    void renameAsksOnce()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<bool>, asked);
        PlayerDraft draft = draftOf(false);
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(draft.setLastName(names[i]).askAboutPicture, asked[i]);
    }

    // A name the game cannot store is refused and not set.
    void refusedNamesStay()
    {
        PlayerDraft draft = draftOf(false);
        QVERIFY(!draft.setFirstName(u"Bartholomew-Maximilian").refusal.isEmpty());
        QVERIFY(!draft.setLastName(QStringLiteral("Kim\u4E00")).name.refusal.isEmpty());
        QCOMPARE(draft.fields().firstName, QStringLiteral("Kalle"));
        QCOMPARE(draft.fields().lastName, QStringLiteral("Berg"));
        QVERIFY(!draft.changed());
        QCOMPARE(draft.loadedName(), QStringLiteral("Kalle Berg"));
    }

    // A teammate's number is refused with its wearer; his own and a free
    // one are his. A saved number is the team's from then on.
    void jerseys()
    {
        PlayerDraft draft = draftOf(false);
        const TeamJerseys::Wearer *mate = draft.setJersey(33);
        QVERIFY(mate);
        QCOMPARE(mate->offset, 9060);
        QCOMPARE(mate->firstName + ' ' + mate->lastName, QStringLiteral("Ada Lind"));
        QCOMPARE(draft.fields().jerseyNumber, std::optional<quint8>(12));
        QCOMPARE(draft.setJersey(7), nullptr);
        QCOMPARE(draft.setJersey(12), nullptr);

        TeamJerseys mates = team();
        QCOMPARE(mates.takenBesides(9000), QSet<int>{33});
        QCOMPARE(mates.takenBesides(-1), (QSet<int>{12, 33}));
        mates.setNumber(9000, 7);
        QCOMPARE(mates.wearer(7, 9060)->offset, 9000);
        QCOMPARE(mates.wearer(12, 9060), nullptr);
    }

    // A goalie stays in goal and a skater out of it; a refusal puts back the
    // letter he was loaded with, not the last one set.
    void positions()
    {
        PlayerDraft goalie = draftOf(true);
        QVERIFY(!goalie.setPosition(u"D").isEmpty());
        QCOMPARE(goalie.fields().position, std::optional<char>('G'));

        PlayerDraft skater = draftOf(false);
        QVERIFY(skater.setPosition(u" l ").isEmpty());
        QCOMPARE(skater.fields().position, std::optional<char>('L'));
        QVERIFY(!skater.setPosition(u"G").isEmpty());
        QCOMPARE(skater.fields().position, std::optional<char>('C'));
        QVERIFY(!skater.setPosition(u"X").isEmpty());
    }

    // The rookie flag: Y or N in either case; anything else is asked about.
    void rookie()
    {
        PlayerDraft draft = draftOf(false);
        QVERIFY(!draft.setRookie(u"yes"));
        QCOMPARE(draft.fields().rookieFlag, 'N');
        QVERIFY(draft.setRookie(u"y"));
        QCOMPARE(draft.fields().rookieFlag, 'Y');
        draft.setRookieAnswer(false);
        QCOMPARE(draft.fields().rookieFlag, 'N');
    }

    // A template sets the fields of his kind that it does not leave alone,
    // as they stand; a weight brings its class.
    void templates()
    {
        PlayerDraft skater = draftOf(false);
        QStringList texts(templateFieldCount(false), QStringLiteral("*"));
        texts[playerField(FieldId::Weight).skater.templateIndex] = QStringLiteral("200");
        texts[playerField(FieldId::Speed).skater.templateIndex] = QStringLiteral("80");
        QCOMPARE(skater.applyTemplate([&texts](int index) { return texts.at(index); }), 2);
        QCOMPARE(skater.applyTemplate([&texts](int index) { return texts.at(index); }), 0);
        QCOMPARE(skater.fields().weightPounds, quint8(200));
        QCOMPARE(skater.fields().weightClass, std::optional<quint8>(weightClass(200)));
        QCOMPARE(skater.number(playerField(FieldId::Speed)), std::optional<double>(80));
        QCOMPARE(skater.fields().heightInches, quint8(73));
        QCOMPARE(skater.number(playerField(FieldId::Agility)),
                 draftOf(false).number(playerField(FieldId::Agility)));

        QCOMPARE(RatingTemplates::shownText(999, Rules::kSkaterRating), QStringLiteral("*"));
        QCOMPARE(RatingTemplates::shownText(130, Rules::kSkaterRating), QStringLiteral("100"));
        QCOMPARE(RatingTemplates::storedText(QStringLiteral("*")), QStringLiteral("999"));
        QCOMPARE(RatingTemplates::storedText(QStringLiteral("64")), QStringLiteral("64"));
        QVERIFY(RatingTemplates::leavesAlone(u"7*") && !RatingTemplates::leavesAlone(u"7"));
    }

    // A number not set is written as the editor shows it, or as stored.
    void untouchedNumbers()
    {
        const PlayerField &fighting = playerField(FieldId::Fighting);
        const quint8 shown =
            draftOf(false, PlayerDraft::Untouched::WriteShown).write().fields.rating(fighting.group, fighting.box);
        const quint8 stored =
            draftOf(false, PlayerDraft::Untouched::KeepStored).write().fields.rating(fighting.group, fighting.box);
        QCOMPARE(int(stored), 7);
        QVERIFY(PlayerEdit::strayRating(fighting, false, 7));
        QCOMPARE(int(shown), int(storedFromShown(Scale::Fighting,
                                                 shownFromStored(Scale::Fighting, 7))));
        QVERIFY(shown != stored);
    }
};

QTEST_GUILESS_MAIN(TstPlayerDraft)
#include "tst_playerdraft.moc"
