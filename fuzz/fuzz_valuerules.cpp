// The number reader and the adjustment of an entry to its field's limits and
// grid, over any text and any double: readNumber never gives NaN and agrees
// with the C library wherever both read the same plain decimal; every field
// rule keeps its result within its limits, and an adjusted value needs no
// second adjustment. The scales and identity texts ride along for the
// sanitizers.

#include "fuzzinput.h"
#include "inputs.h"

#include "player/valuerules.h"
#include "files/codepage.h"
#include "player/scales.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Puckdex;
using namespace Puckdex::Fuzz;
using namespace Puckdex::Fuzz::ValueRulesInput;

namespace {

QString decodeText(const QByteArray &bytes, quint8 mode)
{
    switch (TextEncoding(mode % EncodingCount)) {
    case Latin1:
        return QString::fromLatin1(bytes);
    case Utf8:
        return QString::fromUtf8(bytes);
    case Utf16:
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                                  bytes.size() / 2);
    case CodePage1252:
    case EncodingCount:
        break;
    }
    return CodePage::decode(bytes);
}

// The text as the C library's strtod would read it, when it holds nothing
// but what both readers take the same way: digits, signs, points and E.
std::optional<std::string> plainDecimal(QStringView text)
{
    std::string plain;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool same = (u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.' ||
                          u == u'e' || u == u'E';
        if (!same)
            return std::nullopt;
        plain.push_back(char(u));
    }
    return plain;
}

void checkReadNumber(const QString &text)
{
    const double value = readNumber(text);
    FUZZ_CHECK(!std::isnan(value));

    // Blanks, tabs and line feeds do not exist for the reader.
    QString squeezed = text;
    squeezed.remove(QLatin1Char(' ')).remove(QLatin1Char('\t')).remove(QLatin1Char('\n'));
    FUZZ_CHECK(readNumber(squeezed) == value);

    if (const std::optional<std::string> plain = plainDecimal(squeezed)) {
        const double expected = std::strtod(plain->c_str(), nullptr);
        // The two may part only below the normal range, where one of them
        // may flush to zero.
        if (std::fabs(expected) > DBL_MIN)
            FUZZ_CHECK(value == expected);
        else
            FUZZ_CHECK(value == expected || value == 0);
    }
}

// Every rule the editor and the template window use, each once.
std::vector<const FieldRule *> allRules()
{
    std::vector<const FieldRule *> rules = {&heightFeetRule(), &heightInchesRule(),
                                            &weightRule(true), &weightRule(false)};
    for (const PlayerField &field : kPlayerFields) {
        for (const bool goalie : {false, true}) {
            if (field.of(goalie).applies())
                rules.push_back(field.of(goalie).rule);
        }
    }
    std::sort(rules.begin(), rules.end());
    rules.erase(std::unique(rules.begin(), rules.end()), rules.end());
    return rules;
}

void checkRule(double value, const FieldRule &rule)
{
    const AttributeAdjustment a = adjustValue(value, rule.upper, rule.lower, rule.step);
    FUZZ_CHECK(a.value >= rule.lower && a.value <= rule.upper);
    const double seen = std::isnan(value) ? 0 : value;
    switch (a.reason) {
    case AdjustReason::AboveUpper:
        FUZZ_CHECK(seen > rule.upper && a.value == rule.upper && a.messageNumber == rule.upper);
        break;
    case AdjustReason::BelowLower:
        FUZZ_CHECK(seen < rule.lower && a.value == rule.lower && a.messageNumber == rule.lower);
        break;
    case AdjustReason::OffGrid:
        FUZZ_CHECK(seen >= rule.lower && seen <= rule.upper && a.value != seen);
        FUZZ_CHECK(a.messageNumber == rule.step);
        break;
    case AdjustReason::None:
        FUZZ_CHECK(a.value == seen);
        break;
    }
    // Leaving the box again must not move the number once more.
    const AttributeAdjustment again = adjustValue(a.value, rule.upper, rule.lower, rule.step);
    FUZZ_CHECK(again.reason == AdjustReason::None && again.value == a.value);
    FUZZ_CHECK(
        adjustMessageAllowed(rule.mode, a.reason) ==
        (a.reason != AdjustReason::None && (a.reason != AdjustReason::OffGrid || rule.mode == MessageMode::Every)));
}

// A rule made up from the input: whatever the numbers, the limits come first.
void checkAnyRule(double value, int upper, int lower, double step)
{
    const AttributeAdjustment a = adjustValue(value, upper, lower, step);
    FUZZ_CHECK(adjustMessageText(a.reason, a.messageNumber).isEmpty() ==
               (a.reason == AdjustReason::None));
    const double seen = std::isnan(value) ? 0 : value;
    if (seen > upper)
        FUZZ_CHECK(a.reason == AdjustReason::AboveUpper && a.value == upper);
    else if (seen < lower)
        FUZZ_CHECK(a.reason == AdjustReason::BelowLower && a.value == lower);
    else if (a.reason == AdjustReason::None)
        FUZZ_CHECK(a.value == seen);
    else
        FUZZ_CHECK(a.reason == AdjustReason::OffGrid);
}

void checkScales(double value)
{
    for (const Scale scale : {Scale::Goalie, Scale::Skater, Scale::Bias, Scale::Fighting}) {
        const quint8 stored = storedFromShown(scale, value);
        if (scale == Scale::Fighting)
            FUZZ_CHECK(stored <= 6);
        // A shown value read back from a stored byte stores that byte again,
        // except the fighting codes above 6, which are never written.
        if (scale != Scale::Fighting || stored < 7)
            FUZZ_CHECK(storedFromShown(scale, shownFromStored(scale, stored)) == stored);
    }
    byteFromNumber(value);
    heightFromFeetAndInches(value, value);
    FUZZ_CHECK(roundHalfEven(value) == value || std::isnan(value) ||
               std::fabs(roundHalfEven(value) - value) <= 0.5);
}

void checkTexts(const QString &text)
{
    FUZZ_CHECK(properCase(text).size() == text.size());
    FUZZ_CHECK(raiseFirstCharacter(text).size() == text.size());
    rookieText(text);
    QString field = text.left(17);
    field.resize(17, QChar(u'\0'));
    FUZZ_CHECK(!lastNameChanged(text.left(17), field));
    FUZZ_CHECK(!lastNameChanged(QString(), field));
    const double pounds = std::clamp(readNumber(text.left(8)), -1e6, 1e6);
    FUZZ_CHECK(weightClass(int(pounds)) <= 18);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::vector<const FieldRule *> rules = allRules();
    InputReader in(data, size);
    const quint8 mode = in.byte();
    const double raw = in.real();
    const int upper = qint16(in.u16());
    const int lower = qint16(in.u16());
    const double step = in.real();
    const QString text = decodeText(in.rest(), mode);

    checkReadNumber(text);
    const double typed = readNumber(text);
    for (const double value : {typed, raw}) {
        for (const FieldRule *rule : rules)
            checkRule(value, *rule);
        checkAnyRule(value, upper, lower, step);
        checkScales(value);
    }
    checkTexts(text);
    return 0;
}
