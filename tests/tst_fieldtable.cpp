// The table of a player's numeric fields: each row's facts agree with one
// another (its scale with its rule, its template place with its rule and
// default, its bytes with the record it lives in), and the views the editor,
// the templates and the records use are the table's own rows.

#include "player/valuerules.h"
#include "player/fieldtable.h"
#include "player/ratings.h"
#include "files/records.h"

#include "fieldrows.h"
#include <QSet>

#include <QTest>

using namespace Puckdex;

namespace {

int recordSize(bool goalie)
{
    return goalie ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
}

// The bytes of an attribute record that are not ratings.
QSet<int> otherBytes(bool goalie)
{
    return goalie ? QSet<int>{GoalieAttribRecord::HandByte, GoalieAttribRecord::WeightClassByte}
                  : QSet<int>{SkaterAttribRecord::HandByte, SkaterAttribRecord::WeightClassByte};
}

} // namespace

class TstFieldTable : public QObject
{
    Q_OBJECT

private slots:
    void field_data() { addFieldRows(); }
    void field()
    {
        QFETCH(const PlayerField *, field);
        QFETCH(bool, goalie);
        const FieldKind &kind = field->of(goalie);
        const FieldRule &rule = *kind.rule;

        // The template default is a value the rule lets stand.
        const AttributeAdjustment fallback =
            adjustValue(kind.templateDefault, rule.upper, rule.lower, rule.step);
        QCOMPARE(fallback.reason, AdjustReason::None);

        // The template shows the field at its place, with its rule and default.
        QVERIFY(kind.templateIndex >= 0 && kind.templateIndex < templateFieldCount(goalie));
        QCOMPARE(&templateField(goalie, kind.templateIndex), field);

        if (!field->isRating()) {
            QCOMPARE(kind.byte, -1);
            return;
        }
        QCOMPARE(&ratingRule(field->group, field->box, goalie), &rule);
        QVERIFY(kind.byte > 0 && kind.byte < recordSize(goalie));
        QVERIFY(!otherBytes(goalie).contains(kind.byte));

        // Scale and rule agree: every value the rule lets stand is stored and
        // read back as itself, and every stored byte the game writes shows as
        // such a value.
        const Scale scale = field->scale(goalie);
        for (int value = rule.lower; value <= rule.upper; ++value) {
            if (adjustValue(value, rule.upper, rule.lower, rule.step).reason !=
                AdjustReason::None)
                continue;
            QCOMPARE(shownFromStored(scale, storedFromShown(scale, value)), value);
        }
        const int topByte = scale == Scale::Fighting ? 6 : 15;
        for (int stored = 0; stored <= topByte; ++stored) {
            const int value = shownFromStored(scale, quint8(stored));
            QCOMPARE(adjustValue(value, rule.upper, rule.lower, rule.step).reason,
                     AdjustReason::None);
        }
    }

    // Each kind's template places, record bytes, boxes and column names are
    // each taken once.
    void placesAreTakenOnce_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::newRow("goalie") << true;
        QTest::newRow("skater") << false;
    }
    void placesAreTakenOnce()
    {
        QFETCH(bool, goalie);
        QList<int> templatePlaces;
        QSet<int> bytes;
        QSet<QString> columns;
        for (const PlayerField &field : kPlayerFields) {
            QVERIFY(!columns.contains(field.column));
            columns.insert(field.column);
            QCOMPARE(&playerField(field.id), &field);
            if (field.isRating())
                QCOMPARE(ratingField(field.group, field.box), &field);
            const FieldKind &kind = field.of(goalie);
            if (!kind.rule)
                continue;
            templatePlaces.append(kind.templateIndex);
            if (kind.byte >= 0) {
                QVERIFY(!bytes.contains(kind.byte));
                bytes.insert(kind.byte);
            }
        }
        QCOMPARE(templatePlaces.size(), qsizetype(templateFieldCount(goalie)));
        for (int i = 0; i < templatePlaces.size(); ++i)
            QCOMPARE(templatePlaces.at(i), i);

        // The records' view holds the same ratings.
        const auto ratings = goalie ? std::span<const RatingField>(kGoalieRatingFields)
                                    : std::span<const RatingField>(kSkaterRatingFields);
        QCOMPARE(qsizetype(ratings.size()), bytes.size());
        for (const RatingField &r : ratings) {
            const PlayerField *field = ratingField(r.group, r.box);
            QVERIFY(field);
            QCOMPARE(r.byte, field->of(goalie).byte);
            QCOMPARE(r.scale, field->scale(goalie));
        }
    }

    void boxesOfEachGroup()
    {
        QCOMPARE(boxCount(RatingGroup::AllPlayers), 4);
        QCOMPARE(boxCount(RatingGroup::FwdDef), 10);
        QCOMPARE(boxCount(RatingGroup::Goalies), 5);
        // The editor's captions in box order, from the same rows.
        QCOMPARE(QLatin1String(kFwdDefCaptions[2]), QLatin1String("Shoot / Pass Bias:"));
        QCOMPARE(QLatin1String(kGoaliesCaptions[4]), QLatin1String("Puck Control:"));
        // A box a group does not have is checked like the group's first.
        QCOMPARE(&ratingRule(RatingGroup::FwdDef, 10, false), &Rules::kSkaterRating);
        QCOMPARE(&ratingRule(RatingGroup::Goalies, -1, false), &Rules::kGoalieRating);
    }
};

QTEST_GUILESS_MAIN(TstFieldTable)
#include "tst_fieldtable.moc"
