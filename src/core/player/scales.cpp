#include "player/scales.h"

#include "player/fieldtable.h"

#include <algorithm>
#include <cmath>

namespace Puckdex {

namespace {

// The game's own fractional steps, as the field table gives them: decimal
// constants, so 15 x 6.6666 + 0.1 lands on 100 and not above.
using Rules::kBiasStep;
using Rules::kFightingStep;

// Stored 7 on the fighting scale reads as 0; only 0 up to the byte of the
// fighting rule's upper limit (6) are ever written.
constexpr quint8 kFightingZeroCode = 7;
constexpr quint8 kFightingMaxWritten = quint8(Rules::kFighting.upper / kFightingStep + 0.5);
static_assert(kFightingMaxWritten < kFightingZeroCode);

} // namespace

double roundHalfEven(double value)
{
    const double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5)
        return whole + 1;
    if (fraction < 0.5)
        return whole;
    return std::fmod(whole, 2.0) == 0 ? whole : whole + 1;
}

quint8 byteFromNumber(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<quint8>(std::clamp(roundHalfEven(value), 0.0, 255.0));
}

int shownFromStored(Scale scale, quint8 x)
{
    switch (scale) {
    case Scale::Goalie:
        return 5 * x + 25;
    case Scale::Skater:
        return 4 * x + 40;
    case Scale::Bias:
        return static_cast<int>(std::floor(x * kBiasStep + 0.1));
    case Scale::Fighting:
        if (x == kFightingZeroCode)
            return 0;
        if (x < kFightingZeroCode)
            return static_cast<int>(std::floor(x * kFightingStep + 0.01));
        return static_cast<int>(std::floor((x - kFightingZeroCode) * kFightingStep + 0.01));
    }
    Q_UNREACHABLE();
}

quint8 storedFromShown(Scale scale, double v)
{
    if (std::isnan(v))
        return 0;
    switch (scale) {
    case Scale::Goalie:
        return byteFromNumber((v - 25) / 5);
    case Scale::Skater:
        return byteFromNumber((v - 40) / 4);
    case Scale::Bias:
        return byteFromNumber(std::floor(v / kBiasStep + 0.5));
    case Scale::Fighting:
        return std::min(byteFromNumber(std::floor(v / kFightingStep + 0.5)), kFightingMaxWritten);
    }
    Q_UNREACHABLE();
}

quint8 heightFromFeetAndInches(double feet, double inches)
{
    return byteFromNumber(feet * 12 + inches);
}

} // namespace Puckdex
