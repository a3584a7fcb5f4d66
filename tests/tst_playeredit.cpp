// The rules of one edit of a player that every front end shares: numbers
// checked against each field's rule with the message it owes, ratings
// between shown and stored values, the identity rules, and reading a player
// with the attribute record of his kind.

#include "sampleroster.h"

#include "player/valuerules.h"
#include "player/playeredit.h"

#include "fieldrows.h"
#include "messagetexts.h"
#include <QTemporaryDir>

#include <QTest>

using namespace Puckdex;

namespace {

PlayerEntry entry(qint64 offset, int team, int jersey)
{
    PlayerRecord record;
    record.setTeamNumber(quint8(team));
    record.setJerseyNumber(quint8(jersey));
    return {offset, record};
}

} // namespace

class TstPlayerEdit : public QObject
{
    Q_OBJECT

private slots:
    void field_data() { addFieldRows(); }
    // Every field: a number beyond its limits becomes the limit with the
    // message its mode owes; one off the grid moves onto it, said only in
    // mode 1; a rating shown is stored as the byte it came from.
    void field()
    {
        QFETCH(const PlayerField *, field);
        QFETCH(bool, goalie);
        const FieldRule &rule = *field->of(goalie).rule;

        const PlayerEdit::CheckedNumber above =
            PlayerEdit::checkNumber(QString::number(rule.upper + 1), rule);
        QCOMPARE(above.value, rule.upper);
        QCOMPARE(above.message, greaterThan(rule.upper));
        const PlayerEdit::CheckedNumber below =
            PlayerEdit::checkNumber(QString::number(rule.lower - 1), rule);
        QCOMPARE(below.value, rule.lower);
        QVERIFY2(below.message.contains(QString::number(rule.lower)), qPrintable(below.message));
        const PlayerEdit::CheckedNumber inside =
            PlayerEdit::checkNumber(QString::number(rule.lower), rule);
        QCOMPARE(inside.value, rule.lower);
        QCOMPARE(inside.message, QString());
        if (rule.step > 1) {
            const PlayerEdit::CheckedNumber off =
                PlayerEdit::checkNumber(QString::number(rule.lower + 1), rule);
            QCOMPARE(off.message.isEmpty(), rule.mode != MessageMode::Every);
        }

        if (!field->isRating())
            return;
        const int topByte = field->scale(goalie) == Scale::Fighting ? 6 : 15;
        for (int stored = 0; stored <= topByte; ++stored) {
            PlayerFields fields;
            fields.rating(field->group, field->box) = quint8(stored);
            const int shown = PlayerEdit::shownRating(fields, *field, goalie);
            PlayerFields back;
            PlayerEdit::storeRating(back, *field, goalie, shown);
            QCOMPARE(int(back.rating(field->group, field->box)), stored);
        }
    }

    void strayRating_data() { addFieldRows(); }
    // The highest byte a rating's rule writes is sound and the next is not:
    // it shows above the rule's limit and reads back as itself, except on
    // the fighting scale, whose bytes above 6 read back as others.
    void strayRating()
    {
        QFETCH(const PlayerField *, field);
        QFETCH(bool, goalie);
        if (!field->isRating())
            return;
        const quint8 highest = PlayerEdit::highestStoredRating(*field, goalie);
        const bool fighting = field->scale(goalie) == Scale::Fighting;
        QCOMPARE(int(highest), fighting ? 6 : 15);
        QCOMPARE(PlayerEdit::strayRating(*field, goalie, highest), std::nullopt);
        for (const int stored : {highest + 1, 255}) {
            const auto stray = PlayerEdit::strayRating(*field, goalie, quint8(stored));
            QVERIFY(stray);
            QCOMPARE(stray->readsBack, !fighting);
            if (stray->readsBack)
                QVERIFY(stray->shown > ruleFor(*field, goalie).upper);
        }
    }

    // The stored identity values a sound roster holds.
    void storedIdentity()
    {
        for (const double number : {0.0, 99.0})
            QVERIFY(isJerseyNumber(number));
        for (const double number : {-1.0, 100.0, 5.5})
            QVERIFY(!isJerseyNumber(number));
        const QList<PlayerEntry> team = {entry(0, 1, 7), entry(60, 1, 8), entry(120, 1, 7),
                                         entry(180, 1, 8), entry(240, 1, 9), entry(300, 1, 7)};
        const QMap<int, QList<PlayerEntry>> twice = jerseysWornTwice(team);
        QCOMPARE(twice.keys(), (QList<int>{7, 8}));
        QCOMPARE(twice[7].size(), 3);
        QCOMPARE(twice[7].last().offset, 300);

        QCOMPARE(handOfLetter(u" r "), Hand::Right);
        QCOMPARE(handOfLetter(u"L"), Hand::Left);
        QCOMPARE(handOfLetter(u"LR"), std::nullopt);
        QVERIFY(isHandByte(0) && isHandByte(1) && !isHandByte(2));
        QVERIFY(isRookieFlag('Y') && isRookieFlag('N') && !isRookieFlag('y'));
        QCOMPARE(shownRookie('X'), 'N');
    }

    // The numbers a front end shows go back into the same stored bytes: the
    // height as feet and inches, the weight, and every rating of his kind on
    // its scale; the other kind's ratings are not shown and stay 0.
    void shownNumbersRoundTrip()
    {
        for (const bool goalie : {true, false}) {
            PlayerFields fields;
            fields.heightInches = 6 * 12 + 11;
            fields.weightPounds = 254;
            quint8 stored = 1;
            for (const PlayerField &field : kPlayerFields) {
                if (field.isRating() && field.of(goalie).applies())
                    fields.rating(field.group, field.box) = quint8(stored++ % 7);
            }
            const PlayerEdit::ShownNumbers shown = PlayerEdit::shownNumbers(fields, goalie);
            QCOMPARE(shown[std::size_t(FieldId::HeightFeet)], 6.0);
            QCOMPARE(shown[std::size_t(FieldId::HeightInches)], 11.0);
            QCOMPARE(shown[std::size_t(FieldId::Weight)], 254.0);
            PlayerFields back;
            PlayerEdit::storeShownNumbers(back, shown, goalie);
            QCOMPARE(back.heightInches, fields.heightInches);
            QCOMPARE(back.weightPounds, fields.weightPounds);
            for (const PlayerField &field : kPlayerFields) {
                if (!field.isRating())
                    continue;
                const bool his = field.of(goalie).applies();
                QCOMPARE(shown[std::size_t(field.id)].has_value(), his);
                QCOMPARE(back.rating(field.group, field.box), fields.rating(field.group, field.box));
            }
        }
    }

    void position_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<QString>("refusal"); // empty: he may play there
        QTest::newRow("skater to centre") << " c " << false << "";
        QTest::newRow("goalie stays in goal") << "G" << true << "";
        QTest::newRow("skater to goal")
            << "g" << false << "position G: a forward or defenseman cannot play goal";
        QTest::newRow("goalie to defence")
            << "D" << true << "position D: a goalie cannot play forward or defense";
        QTest::newRow("no such letter")
            << "X" << false << "position \"X\" is none of G, D, L, C, R";
        QTest::newRow("two letters") << "LW" << false << "position \"LW\" is none of G, D, L, C, R";
        QTest::newRow("nothing") << "" << true << "position \"\" is none of G, D, L, C, R";
    }
    void position()
    {
        QFETCH(QString, typed);
        QFETCH(bool, goalie);
        QFETCH(QString, refusal);
        QCOMPARE(PlayerEdit::positionRefusal(typed, goalie), refusal);
    }

    void identity()
    {
        QCOMPARE(PlayerEdit::firstName(u"JEAN-LUC").name, QStringLiteral("Jean-luc"));
        QCOMPARE(PlayerEdit::lastName(u"mcDonald").name, QStringLiteral("McDonald"));
        QCOMPARE(PlayerEdit::firstName(u"Bartholomew-Maximilian").refusal,
                 QStringLiteral("first name \"Bartholomew-maximilian\" has 22 characters; the "
                                "game stores %1")
                     .arg(PlayerRecord::FirstName.width));
        QVERIFY(
            PlayerEdit::lastName(QStringLiteral("Kim\u4E00"))
                .refusal.contains(QStringLiteral("a character the game cannot store: \"\u4E00\"")));
        QCOMPARE(PlayerEdit::lastName(u"Oz").refusal, QString());

        QCOMPARE(PlayerEdit::rookieFlag(u"y"), 'Y');
        QCOMPARE(PlayerEdit::rookieFlag(u"N"), 'N');
        QCOMPARE(PlayerEdit::rookieFlag(u"yes"), '\0');
    }

    // A player is read with the attribute record of his kind.
    void readsByKind()
    {
        QTemporaryDir dir;
        QVERIFY(Sample::writeBaseRosters(dir.path()).ok());
        const Sample::RosterImage sample = Sample::buildRoster();
        const QString att = dir.filePath(QStringLiteral("att.db"));
        int goalies = 0;
        for (const Sample::SamplePlayer &p : sample.players) {
            if (p.record.teamNumber() >= sample.teams.size())
                continue;
            const Result<PlayerEdit::AttribRecords> records = PlayerEdit::readAttribs(att, p.record);
            QVERIFY(records);
            const PlayerFields *fields = &records->fields;
            const qsizetype size =
                p.record.isGoalie() ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
            const QByteArray bytes = sample.attFile.mid(p.record.attribOffset(), size);
            for (const RatingField &r : p.record.isGoalie()
                                            ? std::span<const RatingField>(kGoalieRatingFields)
                                            : std::span<const RatingField>(kSkaterRatingFields))
                QCOMPARE(int(fields->rating(r.group, r.box)), int(quint8(bytes.at(r.byte))));
            goalies += p.record.isGoalie();
        }
        QVERIFY(goalies > 0);

        // An attribute record beyond the file's end is said, not guessed.
        PlayerRecord far = sample.players.first().record;
        far.setAttribOffset(qint32(sample.attFile.size()));
        QVERIFY(!PlayerEdit::readAttribs(att, far));
    }
};

QTEST_GUILESS_MAIN(TstPlayerEdit)
#include "tst_playeredit.moc"
