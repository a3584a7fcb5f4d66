#include "player/ratings.h"
#include "player/scales.h"
#include "player/valuerules.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Puckdex;

class TstScales : public QObject
{
    Q_OBJECT

private slots:
    void shownValues_data()
    {
        QTest::addColumn<Scale>("scale");
        QTest::addColumn<QList<int>>("shown"); // for stored 0, 1, 2 ...
        QTest::newRow("goalie") << Scale::Goalie
                                << QList<int>{25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80,
                                              85, 90, 95, 100};
        QTest::newRow("skater") << Scale::Skater
                                << QList<int>{40, 44, 48, 52, 56, 60, 64, 68, 72, 76, 80, 84,
                                              88, 92, 96, 100};
        QTest::newRow("bias") << Scale::Bias
                              << QList<int>{0, 6, 13, 20, 26, 33, 40, 46, 53, 60, 66, 73, 80, 86,
                                            93, 100};
        // Stored 7 is the game's other code for 0; above it the scale starts again.
        QTest::newRow("fighting") << Scale::Fighting
                                  << QList<int>{0, 16, 33, 50, 66, 83, 100, 0, 16, 33, 50, 66,
                                                83, 100, 116, 133};
    }
    void shownValues()
    {
        QFETCH(Scale, scale);
        QFETCH(QList<int>, shown);
        for (int x = 0; x < shown.size(); ++x)
            QCOMPARE(shownFromStored(scale, quint8(x)), shown.at(x));
    }

    // Every byte the game can store shows as a number that is written back as
    // the same byte, apart from the fighting codes the game never writes.
    void everyStoredByteRoundTrips_data()
    {
        QTest::addColumn<Scale>("scale");
        QTest::newRow("goalie") << Scale::Goalie;
        QTest::newRow("skater") << Scale::Skater;
        QTest::newRow("bias") << Scale::Bias;
        QTest::newRow("fighting") << Scale::Fighting;
    }
    void everyStoredByteRoundTrips()
    {
        QFETCH(Scale, scale);
        for (int x = 0; x < 256; ++x) {
            const int shown = shownFromStored(scale, quint8(x));
            const quint8 back = storedFromShown(scale, shown);
            if (scale != Scale::Fighting || x < 7) {
                QCOMPARE(back, quint8(x));
            } else {
                // 7 shows 0 and 10 shows 50: written as 0 and 3; never above 6.
                QCOMPARE(back, quint8(qMin(x - 7, 6)));
            }
        }
    }

    void storedValues_data()
    {
        QTest::addColumn<Scale>("scale");
        QTest::addColumn<double>("shown");
        QTest::addColumn<int>("stored");
        QTest::newRow("goalie 25") << Scale::Goalie << 25.0 << 0;
        QTest::newRow("goalie 100") << Scale::Goalie << 100.0 << 15;
        QTest::newRow("goalie 125") << Scale::Goalie << 125.0 << 20;
        QTest::newRow("goalie tie to even down") << Scale::Goalie << 27.5 << 0;
        QTest::newRow("goalie tie to even up") << Scale::Goalie << 32.5 << 2;
        QTest::newRow("skater 40") << Scale::Skater << 40.0 << 0;
        QTest::newRow("skater 100") << Scale::Skater << 100.0 << 15;
        QTest::newRow("skater 120") << Scale::Skater << 120.0 << 20;
        QTest::newRow("skater tie 42") << Scale::Skater << 42.0 << 0;
        QTest::newRow("skater tie 46") << Scale::Skater << 46.0 << 2;
        QTest::newRow("bias 53") << Scale::Bias << 53.0 << 8;
        QTest::newRow("bias typed 50") << Scale::Bias << 50.0 << 8;
        QTest::newRow("bias 100") << Scale::Bias << 100.0 << 15;
        QTest::newRow("fighting 100") << Scale::Fighting << 100.0 << 6;
        QTest::newRow("fighting 50") << Scale::Fighting << 50.0 << 3;
        QTest::newRow("fighting 0") << Scale::Fighting << 0.0 << 0;
        QTest::newRow("fighting 33") << Scale::Fighting << 33.0 << 2;
        // Out of range values are held at the ends, never wrapped into a byte.
        QTest::newRow("skater far above") << Scale::Skater << 5000.0 << 255;
        QTest::newRow("goalie below") << Scale::Goalie << 0.0 << 0;
        QTest::newRow("fighting never 7") << Scale::Fighting << 130.0 << 6;
        QTest::newRow("not a number") << Scale::Skater
                                      << std::numeric_limits<double>::quiet_NaN() << 0;
        QTest::newRow("infinity") << Scale::Goalie << std::numeric_limits<double>::infinity()
                                  << 255;
    }
    void storedValues()
    {
        QFETCH(Scale, scale);
        QFETCH(double, shown);
        QFETCH(int, stored);
        QCOMPARE(int(storedFromShown(scale, shown)), stored);
    }

    void biasTypedOffGridShowsTheGridValueAfterAWrite()
    {
        QCOMPARE(shownFromStored(Scale::Bias, Puckdex::storedFromShown(Scale::Bias, 50)), 53);
        QCOMPARE(shownFromStored(Scale::Fighting, 3), 50);
        QCOMPARE(shownFromStored(Scale::Fighting, 10), 50);
    }

    void roundingTiesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("0.5") << 0.5 << 0.0;
        QTest::newRow("1.5") << 1.5 << 2.0;
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("2.4999") << 2.4999 << 2.0;
        QTest::newRow("2.5001") << 2.5001 << 3.0;
        QTest::newRow("-0.5") << -0.5 << 0.0;
        QTest::newRow("-1.5") << -1.5 << -2.0;
        QTest::newRow("whole") << 75.0 << 75.0;
    }
    void roundingTiesToEven()
    {
        QFETCH(double, value);
        QFETCH(double, rounded);
        QCOMPARE(roundHalfEven(value), rounded);
    }

    void heights_data()
    {
        QTest::addColumn<int>("inches");
        QTest::addColumn<int>("feet");
        QTest::addColumn<int>("rest");
        QTest::newRow("75") << 75 << 6 << 3;
        QTest::newRow("83") << 83 << 6 << 11;
        QTest::newRow("60") << 60 << 5 << 0;
        QTest::newRow("72") << 72 << 6 << 0;
        QTest::newRow("0") << 0 << 0 << 0;
        QTest::newRow("255") << 255 << 21 << 3;
    }
    void heights()
    {
        QFETCH(int, inches);
        QFETCH(int, feet);
        QFETCH(int, rest);
        QCOMPARE(heightFeet(quint8(inches)), feet);
        QCOMPARE(heightRestInches(quint8(inches)), rest);
        QCOMPARE(int(heightFromFeetAndInches(feet, rest)), inches);
    }

    void heightFromFractionalBoxes()
    {
        QCOMPARE(int(heightFromFeetAndInches(6, 0.5)), 72);  // 72.5 to even
        QCOMPARE(int(heightFromFeetAndInches(6, 1.5)), 74);  // 73.5 to even
        QCOMPARE(int(heightFromFeetAndInches(30, 0)), 255);  // held at the byte's end
    }

    void rookieFlags_data()
    {
        QTest::addColumn<char>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Y") << 'Y' << QStringLiteral("Y");
        QTest::newRow("N") << 'N' << QStringLiteral("N");
        QTest::newRow("blank") << ' ' << QStringLiteral("N");
        QTest::newRow("NUL") << '\0' << QStringLiteral("N");
        QTest::newRow("lower y") << 'y' << QStringLiteral("N");
    }
    void rookieFlags()
    {
        QFETCH(char, stored);
        QFETCH(QString, shown);
        QCOMPARE(shownRookieFlag(stored), shown);
    }

    // The two tables name every rating byte exactly once and every box once.
    void ratingTablesCoverEachByteAndBoxOnce()
    {
        const auto check = [](const auto &table, int recordSize, QList<int> boxesPerGroup) {
            QList<int> bytes;
            QList<QPair<int, int>> boxes;
            for (const RatingField &f : table) {
                QVERIFY(f.byte > 0 && f.byte < recordSize);
                QVERIFY(!bytes.contains(f.byte));
                bytes.append(f.byte);
                const int group = int(f.group);
                QVERIFY(f.box >= 0 && f.box < boxesPerGroup.at(group));
                QVERIFY(!boxes.contains(qMakePair(group, f.box)));
                boxes.append(qMakePair(group, f.box));
            }
            int total = 0;
            for (int n : boxesPerGroup)
                total += n;
            QCOMPARE(int(table.size()), total);
        };
        check(kGoalieRatingFields, GoalieAttribRecord::Size, {4, 0, 5});
        check(kSkaterRatingFields, SkaterAttribRecord::Size, {4, 10, 0});
    }
};

QTEST_GUILESS_MAIN(TstScales)
#include "tst_scales.moc"
