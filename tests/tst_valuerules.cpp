#include "player/valuerules.h"

#include "fieldrows.h"
#include "messagetexts.h"

#include <QElapsedTimer>
#include <QTest>

#include <cmath>
#include <limits>
#include <set>

using namespace Puckdex;

namespace {

const double kInf = std::numeric_limits<double>::infinity();

// A stored last-name field: the name padded with NULs to its 17 characters.
QString storedField(const QString &name)
{
    QString field = name;
    field.resize(17, QChar(u'\0'));
    return field;
}

// What the user sees after leaving a box that has this rule: the new text and
// the message (empty when none is shown).
struct FieldCheck
{
    QString text;
    QString message;
};

FieldCheck checkField(const QString &typed, const FieldRule &rule)
{
    const AttributeAdjustment a = adjustValue(readNumber(typed), rule.upper, rule.lower, rule.step);
    const QString message = adjustMessageAllowed(rule.mode, a.reason)
                                ? adjustMessageText(a.reason, a.messageNumber)
                                : QString();
    return {QString::number(a.value), message};
}

} // namespace

class TstValueRules : public QObject
{
    Q_OBJECT

private slots:
    void readNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");

        QTest::newRow("fraction") << "72.5" << 72.5;
        QTest::newRow("blank between digits") << "7 5" << 75.0;
        QTest::newRow("trailing letters") << "75abc" << 75.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("leading zero") << "075" << 75.0;
        QTest::newRow("blanks, tabs, line feeds anywhere") << " \t\n7\t2\n " << 72.0;
        QTest::newRow("carriage return is not skipped") << "\r72" << 0.0;
        QTest::newRow("comma ends the number") << "1,5" << 1.0;
        QTest::newRow("plus") << "+3" << 3.0;
        QTest::newRow("minus") << "-5" << -5.0;
        QTest::newRow("two signs") << "--3" << 0.0;
        QTest::newRow("mixed signs") << "+-3" << 0.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("negative leading point") << "-.5" << -0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("second point ends") << "1.2.3" << 1.2;
        QTest::newRow("exponent E") << "9E9" << 9e9;
        QTest::newRow("exponent D") << "1D2" << 100.0;
        QTest::newRow("exponent lower d") << "1d2" << 100.0;
        QTest::newRow("negative exponent") << "25e-1" << 2.5;
        QTest::newRow("exponent with blanks") << "1 E + 2" << 100.0;
        QTest::newRow("exponent without digits") << "1e" << 1.0;
        QTest::newRow("exponent sign without digits") << "1e+" << 1.0;
        QTest::newRow("exponent then letters") << "12e3x" << 12000.0;
        QTest::newRow("exponent without mantissa") << "e5" << 0.0;
        QTest::newRow("fraction zeros before exponent") << "0.001E3" << 1.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("hex lower case") << "&h1f" << 31.0;
        QTest::newRow("hex with blanks") << "& H 1 F" << 31.0;
        QTest::newRow("hex prefix alone") << "&H" << 0.0;
        QTest::newRow("hex stops at non-digit") << "&H1G" << 1.0;
        QTest::newRow("hex largest positive 16-bit") << "&H7FFF" << 32767.0;
        QTest::newRow("hex 16-bit sign") << "&HFFFF" << -1.0;
        QTest::newRow("hex 16-bit sign, low") << "&H8000" << -32768.0;
        QTest::newRow("hex beyond 16 bits") << "&H10000" << 65536.0;
        QTest::newRow("hex 32-bit sign") << "&HFFFFFFFF" << -1.0;
        QTest::newRow("hex leading zeros") << "&H0000000000FF" << 255.0;
        QTest::newRow("hex beyond 32 bits") << "&H100000000" << 0.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("octal lower case") << "&o17" << 15.0;
        QTest::newRow("octal stops at 8") << "&O18" << 1.0;
        QTest::newRow("octal 16-bit sign") << "&O177777" << -1.0;
        QTest::newRow("ampersand without prefix") << "&X1" << 0.0;
        QTest::newRow("sign before ampersand") << "-&H10" << 0.0;
        QTest::newRow("above double range") << "1E400" << kInf;
        QTest::newRow("below negative double range") << "-1E400" << -kInf;
        QTest::newRow("below smallest double") << "1E-400" << 0.0;
        QTest::newRow("huge exponent") << "1E99999999999999999999" << kInf;
        QTest::newRow("huge negative exponent") << "1E-99999999999999999999" << 0.0;
        QTest::newRow("zero with huge exponent") << "0E99999" << 0.0;
        QTest::newRow("largest double") << "1.7976931348623157E308" << std::numeric_limits<double>::max();

        const QString zeros(10000, u'0');
        QTest::newRow("10000 nines") << QString(10000, u'9') << kInf;
        QTest::newRow("10000 leading zeros") << zeros + "42" << 42.0;
        QTest::newRow("1 and 300 zeros") << "1" + zeros.left(300) + ".5" << 1e300;
        QTest::newRow("10000 fraction zeros") << "0." + zeros + "5E10000" << 0.5;
        QTest::newRow("10000 digits, exponent brings back") << "1" + zeros.left(9999) + "E-9999" << 1.0;
    }
    void readNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QElapsedTimer timer;
        timer.start();
        const double value = Puckdex::readNumber(text);
        QVERIFY(!std::isnan(value));
        QCOMPARE(value, expected);
        QVERIFY2(timer.elapsed() < 1000, "reading a long text must not take long");
    }

    // The grammar of a number in the roster table and in an imported file:
    // plain decimal only; what the boxes would make a number of (text,
    // blanks inside, exponents, "&H") is no number.
    void plainNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("decimalComma");
        QTest::addColumn<QString>("expected"); // empty: no number
        QTest::newRow("digits") << "64" << false << "64";
        QTest::newRow("blanks around") << " \t64 " << false << "64";
        QTest::newRow("signs") << "-5" << false << "-5";
        QTest::newRow("plus") << "+5" << false << "+5";
        QTest::newRow("fraction") << "92.5" << false << "92.5";
        QTest::newRow("point first") << ".5" << false << ".5";
        QTest::newRow("point last") << "5." << false << "5.";
        QTest::newRow("decimal comma") << "92,5" << true << "92.5";
        QTest::newRow("comma between commas") << "92,5" << false << "";
        QTest::newRow("a cell range") << "D2:F2" << true << "";
        QTest::newRow("a name") << "Moose, Karl" << true << "";
        QTest::newRow("text after digits") << "12abc" << true << "";
        QTest::newRow("blank inside") << "7 5" << true << "";
        QTest::newRow("exponent") << "6E1" << true << "";
        QTest::newRow("hexadecimal") << "&H40" << true << "";
        QTest::newRow("grouping") << "1,000.5" << true << "";
        QTest::newRow("sign alone") << "-" << true << "";
        QTest::newRow("point alone") << "." << true << "";
        QTest::newRow("empty") << "" << true << "";
        QTest::newRow("blanks") << "  " << true << "";
    }
    void plainNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, decimalComma);
        QFETCH(QString, expected);
        const std::optional<QString> number = Puckdex::plainNumber(text, decimalComma);
        QCOMPARE(number.value_or(QString()), expected);
        QCOMPARE(number.has_value(), !expected.isEmpty());
    }

    // The jersey list is read back through the number reader.
    void jerseyEntriesReadBack()
    {
        for (int k = 0; k < 100; ++k)
            QCOMPARE(Puckdex::readNumber(Puckdex::jerseyEntryText(k)), double(k));
    }

    void adjustValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("upper");
        QTest::addColumn<int>("lower");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("expected");
        QTest::addColumn<AdjustReason>("reason");
        QTest::addColumn<double>("messageNumber");

        const auto Above = AdjustReason::AboveUpper;
        const auto Below = AdjustReason::BelowLower;
        const auto Off = AdjustReason::OffGrid;
        const auto None = AdjustReason::None;

        // Field-by-field cases are in leavingAField; these are the rule's corners.
        // step 1
        QTest::newRow("1: inches .5 goes up") << 0.5 << 11 << 0 << 1.0 << 1 << Off << 1.0;
        QTest::newRow("1: 74.6 is off grid") << 74.6 << 100 << 0 << 1.0 << 75 << Off << 1.0;
        QTest::newRow("1: 75.0 equals 75") << 75.0 << 100 << 0 << 1.0 << 75 << None << 0.0;
        QTest::newRow("1: weight at lower limit") << 155.0 << 239 << 155 << 1.0 << 155 << None << 0.0;
        // step 4: skater ratings
        QTest::newRow("4: 98.5 up to 100") << 98.5 << 100 << 40 << 4.0 << 100 << Off << 4.0;
        QTest::newRow("4: 40") << 40.0 << 100 << 40 << 4.0 << 40 << None << 0.0;
        QTest::newRow("4: 0") << 0.0 << 100 << 40 << 4.0 << 40 << Below << 40.0;
        QTest::newRow("4: 39.9") << 39.9 << 100 << 40 << 4.0 << 40 << Below << 40.0;
        QTest::newRow("4: 100.1") << 100.1 << 100 << 40 << 4.0 << 100 << Above << 100.0;
        // step 5: goalie ratings
        QTest::newRow("5: 72.5 half up") << 72.5 << 100 << 25 << 5.0 << 75 << Off << 5.0;
        QTest::newRow("5: 72.4 down") << 72.4 << 100 << 25 << 5.0 << 70 << Off << 5.0;
        QTest::newRow("5: 100") << 100.0 << 100 << 25 << 5.0 << 100 << None << 0.0;
        QTest::newRow("5: 25") << 25.0 << 100 << 25 << 5.0 << 25 << None << 0.0;
        QTest::newRow("5: 0") << 0.0 << 100 << 25 << 5.0 << 25 << Below << 25.0;
        // step 6.6666: shoot / pass bias
        QTest::newRow("6.6666: 99.999 is 15 steps") << 99.999 << 100 << 0 << 6.6666 << 100 << Off << 6.6666;
        QTest::newRow("6.6666: 97") << 97.0 << 100 << 0 << 6.6666 << 100 << Off << 6.6666;
        QTest::newRow("6.6666: 3.3333 half up") << 3.3333 << 100 << 0 << 6.6666 << 6 << Off << 6.6666;
        QTest::newRow("6.6666: -1") << -1.0 << 100 << 0 << 6.6666 << 0 << Below << 0.0;
        QTest::newRow("6.6666: 0") << 0.0 << 100 << 0 << 6.6666 << 0 << None << 0.0;
        // step 16.6666: fighting
        QTest::newRow("16.6666: 92") << 92.0 << 100 << 0 << 16.6666 << 100 << Off << 16.6666;
        QTest::newRow("16.6666: 8") << 8.0 << 100 << 0 << 16.6666 << 0 << Off << 16.6666;
        QTest::newRow("16.6666: 83") << 83.0 << 100 << 0 << 16.6666 << 83 << None << 0.0;
        // order and extremes
        QTest::newRow("upper tested before lower") << 15.0 << 10 << 20 << 1.0 << 10 << Above << 10.0;
        QTest::newRow("infinity") << kInf << 100 << 25 << 5.0 << 100 << Above << 100.0;
        QTest::newRow("minus infinity") << -kInf << 100 << 25 << 5.0 << 25 << Below << 25.0;
        QTest::newRow("NaN like 0, raised") << std::nan("") << 100 << 25 << 5.0 << 25 << Below << 25.0;
        QTest::newRow("NaN like 0, on grid") << std::nan("") << 100 << 0 << 6.6666 << 0 << None << 0.0;
        QTest::newRow("9E9") << 9e9 << 100 << 40 << 4.0 << 100 << Above << 100.0;
    }
    void adjustValue()
    {
        QFETCH(double, value);
        QFETCH(int, upper);
        QFETCH(int, lower);
        QFETCH(double, step);
        QFETCH(int, expected);
        QFETCH(AdjustReason, reason);
        QFETCH(double, messageNumber);
        const AttributeAdjustment a = Puckdex::adjustValue(value, upper, lower, step);
        QCOMPARE(int(a.value), expected);
        QCOMPARE(a.reason, reason);
        QCOMPARE(a.messageNumber, messageNumber);
    }

    // Every whole number inside the limits lands on the grid, every grid value
    // is reached and stays itself without a message, and no fraction inside
    // the limits rounds out of them.
    void grids_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("lower");
        QTest::addColumn<int>("upper");
        QTest::addColumn<QList<int>>("grid");

        QList<int> skater, goalie, inches;
        for (int v = 40; v <= 100; v += 4)
            skater << v;
        for (int v = 25; v <= 100; v += 5)
            goalie << v;
        for (int v = 0; v <= 11; ++v)
            inches << v;
        QTest::newRow("inches, step 1") << 1.0 << 0 << 11 << inches;
        QTest::newRow("skater, step 4") << 4.0 << 40 << 100 << skater;
        QTest::newRow("goalie, step 5") << 5.0 << 25 << 100 << goalie;
        QTest::newRow("bias, step 6.6666")
            << 6.6666 << 0 << 100
            << QList<int>{0, 6, 13, 20, 26, 33, 40, 46, 53, 60, 66, 73, 80, 86, 93, 100};
        QTest::newRow("fighting, step 16.6666")
            << 16.6666 << 0 << 100 << QList<int>{0, 16, 33, 50, 66, 83, 100};
    }
    void grids()
    {
        QFETCH(double, step);
        QFETCH(int, lower);
        QFETCH(int, upper);
        QFETCH(QList<int>, grid);

        for (int g : grid) {
            const AttributeAdjustment a = Puckdex::adjustValue(g, upper, lower, step);
            QCOMPARE(int(a.value), g);
            QCOMPARE(a.reason, AdjustReason::None);
        }
        std::set<int> reached;
        for (int v = lower; v <= upper; ++v) {
            const int r = Puckdex::adjustValue(v, upper, lower, step).value;
            QVERIFY2(grid.contains(r), qPrintable(QStringLiteral("%1 gave %2").arg(v).arg(r)));
            reached.insert(r);
        }
        QCOMPARE(int(reached.size()), int(grid.size()));
        for (int tenths = lower * 10; tenths <= upper * 10; ++tenths) {
            const int r = Puckdex::adjustValue(tenths / 10.0, upper, lower, step).value;
            QVERIFY(r >= lower && r <= upper);
        }
    }

    void messageAllowed_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<AdjustReason>("reason");
        QTest::addColumn<bool>("shown");

        const struct
        {
            int mode;
            bool limits;
            bool step;
        } modes[] = {{-1, true, false}, {0, true, false}, {1, true, true},
                     {2, true, false},  {3, false, false}, {4, false, false}};
        for (const auto &m : modes) {
            QTest::addRow("mode %d, above", m.mode) << m.mode << AdjustReason::AboveUpper << m.limits;
            QTest::addRow("mode %d, below", m.mode) << m.mode << AdjustReason::BelowLower << m.limits;
            QTest::addRow("mode %d, step", m.mode) << m.mode << AdjustReason::OffGrid << m.step;
            QTest::addRow("mode %d, none", m.mode) << m.mode << AdjustReason::None << false;
        }
    }
    void messageAllowed()
    {
        QFETCH(int, mode);
        QFETCH(AdjustReason, reason);
        QFETCH(bool, shown);
        QCOMPARE(adjustMessageAllowed(MessageMode(mode), reason), shown);
    }

    void messageText_data()
    {
        QTest::addColumn<AdjustReason>("reason");
        QTest::addColumn<double>("number");
        QTest::addColumn<QString>("text");

        QTest::newRow("greater") << AdjustReason::AboveUpper << 100.0
                                 << "Attribute may not be greater than 100\r\nThe attribute will be adjusted";
        QTest::newRow("less") << AdjustReason::BelowLower << 25.0
                              << "Attribute may not be less than 25\r\nThe attribute will be adjusted";
        QTest::newRow("less, zero") << AdjustReason::BelowLower << 0.0
                                    << "Attribute may not be less than 0\r\nThe attribute will be adjusted";
        QTest::newRow("multiple of 4") << AdjustReason::OffGrid << 4.0
                                       << "Attribute must be a multiple of 4\r\nThe attribute will be adjusted";
        QTest::newRow("multiple of 1") << AdjustReason::OffGrid << 1.0
                                       << "Attribute must be a multiple of 1\r\nThe attribute will be adjusted";
        QTest::newRow("multiple of 6.6666")
            << AdjustReason::OffGrid << 6.6666
            << "Attribute must be a multiple of 6.6666\r\nThe attribute will be adjusted";
        QTest::newRow("multiple of 16.6666")
            << AdjustReason::OffGrid << 16.6666
            << "Attribute must be a multiple of 16.6666\r\nThe attribute will be adjusted";
        QTest::newRow("none") << AdjustReason::None << 0.0 << "";
    }
    void messageText()
    {
        QFETCH(AdjustReason, reason);
        QFETCH(double, number);
        QFETCH(QString, text);
        QCOMPARE(adjustMessageText(reason, number), text);
    }

    void fieldRules_data()
    {
        QTest::addColumn<const FieldRule *>("rule");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("lower");
        QTest::addColumn<int>("upper");
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("help");

        const QString heightHelp = "Must be between 5 feet and 6 feet 11 inches";
        const QString goalieHelp = "Must be between 25 and 100 and a multiple of 5";
        const QString skaterHelp = "Must be between 40 and 100 and a multiple of 4";
        QTest::newRow("feet") << &heightFeetRule() << 1 << 5 << 6 << 1.0 << heightHelp;
        QTest::newRow("inches") << &heightInchesRule() << 1 << 0 << 11 << 1.0 << heightHelp;
        QTest::newRow("weight, goalie") << &weightRule(true) << 1 << 155 << 239 << 1.0
                                        << "Must be between 155 and 239 pounds";
        QTest::newRow("weight, skater") << &weightRule(false) << 1 << 160 << 254 << 1.0
                                        << "Must be between 160 and 254 pounds";
        for (int box = 0; box < 5; ++box)
            for (bool goalie : {false, true})
                QTest::addRow("goalies %d, goalie %d", box, goalie)
                    << &ratingRule(RatingGroup::Goalies, box, goalie) << 1 << 25 << 100 << 5.0 << goalieHelp;
        for (int box = 0; box < 4; ++box) {
            QTest::addRow("all players %d, goalie", box)
                << &ratingRule(RatingGroup::AllPlayers, box, true) << 1 << 25 << 100 << 5.0 << goalieHelp;
            QTest::addRow("all players %d, skater", box)
                << &ratingRule(RatingGroup::AllPlayers, box, false) << 1 << 40 << 100 << 4.0 << skaterHelp;
        }
        for (int box = 0; box < 10; ++box) {
            for (bool goalie : {false, true}) {
                const FieldRule *rule = &ratingRule(RatingGroup::FwdDef, box, goalie);
                if (box == 2)
                    QTest::addRow("fwddef %d, goalie %d", box, goalie)
                        << rule << 2 << 0 << 100 << 6.6666 << "Must be between 0 and 100";
                else if (box == 9)
                    QTest::addRow("fwddef %d, goalie %d", box, goalie)
                        << rule << 2 << 0 << 100 << 16.6666 << "Must be between 0 and 100";
                else
                    QTest::addRow("fwddef %d, goalie %d", box, goalie)
                        << rule << 1 << 40 << 100 << 4.0 << skaterHelp;
            }
        }
    }
    void fieldRules()
    {
        QFETCH(const FieldRule *, rule);
        QFETCH(int, mode);
        QFETCH(int, lower);
        QFETCH(int, upper);
        QFETCH(double, step);
        QFETCH(QString, help);
        QCOMPARE(int(rule->mode), mode);
        QCOMPARE(rule->lower, lower);
        QCOMPARE(rule->upper, upper);
        QCOMPARE(rule->step, step); // the decimal constant itself, not 20/3
        QCOMPARE(rule->help.toString(), help);
    }

    // Typing into a box and leaving it: the text the box then shows and the
    // message the user sees.
    void leavingAField_data()
    {
        QTest::addColumn<const FieldRule *>("rule");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");

        const FieldRule *goalie = &ratingRule(RatingGroup::Goalies, 0, true);
        const FieldRule *skater = &ratingRule(RatingGroup::FwdDef, 0, false);
        const FieldRule *bias = &ratingRule(RatingGroup::FwdDef, 2, false);
        const FieldRule *fighting = &ratingRule(RatingGroup::FwdDef, 9, false);

        QTest::newRow("goalie 72") << goalie << "72" << "70" << multipleOf("5");
        QTest::newRow("goalie 73") << goalie << "73" << "75" << multipleOf("5");
        QTest::newRow("goalie 100") << goalie << "100" << "100" << "";
        QTest::newRow("goalie 0") << goalie << "0" << "25" << lessThan(25);
        QTest::newRow("goalie emptied") << goalie << "" << "25" << lessThan(25);
        QTest::newRow("any rating 101") << skater << "101" << "100" << greaterThan(100);
        QTest::newRow("skater 41") << skater << "41" << "40" << multipleOf("4");
        QTest::newRow("skater 42") << skater << "42" << "44" << multipleOf("4");
        QTest::newRow("skater emptied") << skater << "" << "40" << lessThan(40);
        QTest::newRow("skater 080") << skater << "080" << "80" << "";
        QTest::newRow("skater, leading blank") << skater << " 80" << "80" << "";
        QTest::newRow("skater 9E9") << skater << "9E9" << "100" << greaterThan(100);
        QTest::newRow("bias 50, no step message") << bias << "50" << "53" << "";
        QTest::newRow("bias 150") << bias << "150" << "100" << greaterThan(100);
        QTest::newRow("bias emptied") << bias << "" << "0" << "";
        QTest::newRow("fighting 40, no step message") << fighting << "40" << "33" << "";
        QTest::newRow("fighting emptied") << fighting << "" << "0" << "";
        QTest::newRow("fighting -5") << fighting << "-5" << "0" << lessThan(0);
        QTest::newRow("feet 7") << &heightFeetRule() << "7" << "6" << greaterThan(6);
        QTest::newRow("feet 4") << &heightFeetRule() << "4" << "5" << lessThan(5);
        QTest::newRow("inches 12") << &heightInchesRule() << "12" << "11" << greaterThan(11);
        QTest::newRow("inches .5") << &heightInchesRule() << ".5" << "1" << multipleOf("1");
        QTest::newRow("inches emptied") << &heightInchesRule() << "" << "0" << "";
        QTest::newRow("goalie weight 150") << &weightRule(true) << "150" << "155" << lessThan(155);
        QTest::newRow("goalie weight 240") << &weightRule(true) << "240" << "239" << greaterThan(239);
        QTest::newRow("goalie weight 155") << &weightRule(true) << "155" << "155" << "";
        QTest::newRow("skater weight 300") << &weightRule(false) << "300" << "254" << greaterThan(254);
    }
    void leavingAField()
    {
        QFETCH(const FieldRule *, rule);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        const FieldCheck check = checkField(typed, *rule);
        QCOMPARE(check.text, shown);
        QCOMPARE(check.message, message);
    }

    void templates_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QList<const FieldRule *>>("rules");
        QTest::addColumn<QList<int>>("defaults");

        const FieldRule *skaterRating = &ratingRule(RatingGroup::FwdDef, 0, false);
        const FieldRule *goalieRating = &ratingRule(RatingGroup::Goalies, 0, true);
        QTest::newRow("skater")
            << false
            << QStringList{"Height:", "", "Weight:", "Speed:", "Agility:", "Off. Awareness:",
                           "Def. Awareness:", "Stick Handling:", "Aggressiveness:",
                           "Shoot / Pass Bias:", "Endurance:", "Shot Power:", "Checking:",
                           "Passing:", "Accuracy:", "Face-Offs:", "Fighting:"}
            << QList<const FieldRule *>{&heightFeetRule(), &heightInchesRule(), &weightRule(false),
                                        &ratingRule(RatingGroup::AllPlayers, 0, false),
                                        &ratingRule(RatingGroup::AllPlayers, 1, false),
                                        &ratingRule(RatingGroup::AllPlayers, 2, false),
                                        &ratingRule(RatingGroup::AllPlayers, 3, false),
                                        skaterRating, skaterRating,
                                        &ratingRule(RatingGroup::FwdDef, 2, false),
                                        skaterRating, skaterRating, skaterRating, skaterRating,
                                        skaterRating, skaterRating,
                                        &ratingRule(RatingGroup::FwdDef, 9, false)}
            << QList<int>{5, 0, 160, 40, 40, 40, 40, 40, 40, 0, 40, 40, 40, 40, 40, 40, 0};
        QTest::newRow("goalie")
            << true
            << QStringList{"Height:", "", "Weight:", "Speed:", "Agility:", "Off. Awareness:",
                           "Def. Awareness:", "Stick Left:", "Stick Right:", "Glove Left:",
                           "Glove Right:", "Puck Control:"}
            << QList<const FieldRule *>{&heightFeetRule(), &heightInchesRule(), &weightRule(true),
                                        &ratingRule(RatingGroup::AllPlayers, 0, true),
                                        &ratingRule(RatingGroup::AllPlayers, 1, true),
                                        &ratingRule(RatingGroup::AllPlayers, 2, true),
                                        &ratingRule(RatingGroup::AllPlayers, 3, true),
                                        goalieRating, goalieRating, goalieRating, goalieRating,
                                        goalieRating}
            << QList<int>{5, 0, 160, 25, 25, 25, 25, 25, 25, 25, 25, 25};
    }
    void templates()
    {
        QFETCH(bool, goalie);
        QFETCH(QStringList, captions);
        QFETCH(QList<const FieldRule *>, rules);
        QFETCH(QList<int>, defaults);

        QCOMPARE(qsizetype(templateFieldCount(goalie)), captions.size());
        for (qsizetype i = 0; i < captions.size(); ++i) {
            const PlayerField &field = templateField(goalie, int(i));
            const FieldKind &f = field.of(goalie);
            QCOMPARE(field.templateLabel.toString(), captions.at(i));
            QCOMPARE(f.rule, rules.at(i)); // the editor's own object
            QCOMPARE(f.templateDefault, defaults.at(i));
            const AttributeAdjustment a = Puckdex::adjustValue(
                f.templateDefault, f.rule->upper, f.rule->lower, f.rule->step);
            QCOMPARE(a.reason, AdjustReason::None);
            QCOMPARE(int(a.value), f.templateDefault);
        }
    }

    void weightClass_data()
    {
        QTest::addColumn<int>("pounds");
        QTest::addColumn<int>("weightClass");
        QTest::newRow("155") << 155 << 0;
        QTest::newRow("160") << 160 << 0;
        QTest::newRow("164") << 164 << 0;
        QTest::newRow("165") << 165 << 1;
        QTest::newRow("169") << 169 << 1;
        QTest::newRow("170") << 170 << 2;
        QTest::newRow("239") << 239 << 15;
        QTest::newRow("240") << 240 << 16;
        QTest::newRow("254") << 254 << 18;
        QTest::newRow("below the limits") << 100 << 0;
        QTest::newRow("above the limits") << 300 << 18;
    }
    void weightClass()
    {
        QFETCH(int, pounds);
        QFETCH(int, weightClass);
        QCOMPARE(int(Puckdex::weightClass(pounds)), weightClass);
    }

    void properCase_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("wAYNE") << "wAYNE" << "Wayne";
        QTest::newRow("two words") << "jean luc" << "Jean Luc";
        QTest::newRow("hyphen") << "JEAN-LUC" << "Jean-luc";
        QTest::newRow("apostrophe") << "o'neill" << "O'neill";
        QTest::newRow("period") << "j.p." << "J.p.";
        QTest::newRow("tab") << "a\tb" << "A\tB";
        QTest::newRow("vertical tab") << "a\vb" << "A\vB";
        QTest::newRow("form feed") << "a\fb" << "A\fB";
        QTest::newRow("carriage return") << "a\rb" << "A\rB";
        QTest::newRow("line feed") << "a\nb" << "A\nB";
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(u'\0') + "b"
                             << QStringLiteral("A") + QChar(u'\0') + "B";
        QTest::newRow("leading blanks") << "  wAYNE" << "  Wayne";
        QTest::newRow("double blank") << "JEAN  LUC" << "Jean  Luc";
        QTest::newRow("accented") << QStringLiteral(u"éRIC") << QStringLiteral(u"Éric");
        QTest::newRow("digit first") << "2PAC" << "2pac";
        QTest::newRow("empty") << "" << "";
    }
    void properCase()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(Puckdex::properCase(typed), expected);
    }

    void raiseFirstCharacter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("mcdonald") << "mcdonald" << "Mcdonald";
        QTest::newRow("mcDonald") << "mcDonald" << "McDonald";
        QTest::newRow("leClair") << "leClair" << "LeClair";
        QTest::newRow("all upper stays") << "GRETZKY" << "GRETZKY";
        QTest::newRow("one letter") << "x" << "X";
        QTest::newRow("leading blank") << " smith" << " smith";
        QTest::newRow("accented") << QStringLiteral(u"éclair") << QStringLiteral(u"Éclair");
        // Only into the game's code page: no Greek Mu for the micro sign.
        QTest::newRow("micro sign") << QStringLiteral(u"µller") << QStringLiteral(u"µller");
        QTest::newRow("florin") << QStringLiteral(u"ƒ") << QStringLiteral(u"ƒ");
        QTest::newRow("y diaeresis") << QStringLiteral(u"ÿ") << QStringLiteral(u"Ÿ");
        QTest::newRow("empty") << "" << "";
    }
    void raiseFirstCharacter()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(Puckdex::raiseFirstCharacter(typed), expected);
    }

    void lastNameChanged_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("changed");
        QTest::newRow("shortened") << "Smith" << storedField("Smithson") << false;
        QTest::newRow("stored lower case") << "Smith" << storedField("smith") << true;
        QTest::newRow("same") << "Smith" << storedField("Smith") << false;
        QTest::newRow("longer: the NUL differs") << "Smithy" << storedField("Smith") << true;
        QTest::newRow("upper case typed") << "SMITH" << storedField("Smith") << true;
        QTest::newRow("other name") << "Young" << storedField("Adams") << true;
        QTest::newRow("full 17 characters") << "Abcdefghijklmnopq" << storedField("Abcdefghijklmnopq")
                                            << false;
        QTest::newRow("longer than an unpadded field") << "Smithy" << "Smith" << true;
        QTest::newRow("empty") << "" << storedField("Smith") << false;
        QTest::newRow("empty, empty field") << "" << storedField("") << false;
    }
    void lastNameChanged()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, changed);
        QCOMPARE(Puckdex::lastNameChanged(typed, stored), changed);
    }

    void jerseyEntryText_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << 0 << " 0";
        QTest::newRow("7") << 7 << " 7";
        QTest::newRow("99") << 99 << " 99";
    }
    void jerseyEntryText()
    {
        QFETCH(int, number);
        QFETCH(QString, expected);
        QCOMPARE(Puckdex::jerseyEntryText(number), expected);
        QCOMPARE(TakenJerseyText, QStringLiteral("**"));
    }

    // A step that is no positive finite number is taken as 1; an infinite
    // step once put NaN on the grid (found by fuzz_valuerules).
    void adjustValueWithAStepThatIsNoGrid_data()
    {
        QTest::addColumn<double>("step");
        QTest::newRow("infinity") << kInf;
        QTest::newRow("minus infinity") << -kInf;
        QTest::newRow("NaN") << std::nan("");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -4.0;
    }
    void adjustValueWithAStepThatIsNoGrid()
    {
        QFETCH(double, step);
        for (const double value : {0.0, 72.4, 99.5, 150.0, -3.0}) {
            const AttributeAdjustment a = Puckdex::adjustValue(value, 100, 0, step);
            const AttributeAdjustment one = Puckdex::adjustValue(value, 100, 0, 1.0);
            QCOMPARE(a.value, one.value);
            QCOMPARE(a.reason, one.reason);
        }
    }
};

QTEST_GUILESS_MAIN(TstValueRules)
#include "tst_valuerules.moc"
