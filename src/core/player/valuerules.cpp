#include "player/valuerules.h"

#include "files/codepage.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace Puckdex {

namespace {

// ---------------------------------------------------------------------------
// Number reading

// Walks a text the way the number reading sees it: blanks, tabs and line
// feeds do not exist.
class NumberText
{
public:
    explicit NumberText(QStringView text) : m_text(text) {}

    // The next character that counts, or 0 at the end (a NUL ends a number
    // just as well).
    char16_t peek()
    {
        while (m_pos < m_text.size() && isSkipped(m_text[m_pos].unicode()))
            ++m_pos;
        return m_pos < m_text.size() ? m_text[m_pos].unicode() : u'\0';
    }
    void take() { ++m_pos; }

private:
    static bool isSkipped(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }

    QStringView m_text;
    qsizetype m_pos = 0;
};

bool isDecimalDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int digitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// More significant digits than this cannot change the nearest double in any
// case that matters here; the rest only move the decimal exponent.
constexpr std::size_t kMaxSignificantDigits = 800;
// Far beyond the double range and beyond any text's length, so a held typed
// exponent still decides the result, however many digits it has.
constexpr qint64 kExponentCap = qint64(1) << 50;
constexpr qint64 kBeyondRange = 400;

double readDecimal(NumberText &in)
{
    bool negative = false;
    char16_t c = in.peek();
    if (c == u'+' || c == u'-') {
        negative = c == u'-';
        in.take();
        c = in.peek();
    }

    // value = digits x 10^scale, digits without leading zeros
    std::string digits;
    qint64 scale = 0;
    bool sawDigit = false;
    for (; isDecimalDigit(c); in.take(), c = in.peek()) {
        sawDigit = true;
        if (digits.empty() && c == u'0')
            continue;
        if (digits.size() < kMaxSignificantDigits)
            digits.push_back(char(c));
        else
            ++scale;
    }
    if (c == u'.') {
        in.take();
        for (c = in.peek(); isDecimalDigit(c); in.take(), c = in.peek()) {
            sawDigit = true;
            if (digits.empty() && c == u'0') {
                --scale;
                continue;
            }
            if (digits.size() < kMaxSignificantDigits) {
                digits.push_back(char(c));
                --scale;
            }
        }
    }
    if (!sawDigit)
        return 0;

    if (c == u'E' || c == u'e' || c == u'D' || c == u'd') {
        in.take();
        bool exponentNegative = false;
        c = in.peek();
        if (c == u'+' || c == u'-') {
            exponentNegative = c == u'-';
            in.take();
            c = in.peek();
        }
        qint64 exponent = 0;
        for (; isDecimalDigit(c); in.take(), c = in.peek())
            exponent = std::min(exponent * 10 + (c - u'0'), kExponentCap);
        scale += exponentNegative ? -exponent : exponent;
    }

    if (digits.empty())
        return 0;

    const double infinity = std::numeric_limits<double>::infinity();
    // The decimal magnitude of the leading digit decides overflow and
    // underflow before any conversion is tried.
    const qint64 magnitude = scale + qint64(digits.size());
    if (magnitude > kBeyondRange)
        return negative ? -infinity : infinity;
    if (magnitude < -kBeyondRange)
        return 0;

    digits.push_back('e');
    digits += std::to_string(scale);
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    Q_UNUSED(end);
    if (error == std::errc::result_out_of_range)
        value = magnitude > 0 ? infinity : 0;
    else if (error != std::errc())
        value = 0;
    return negative ? -value : value;
}

// "&H" / "&O" numbers: their width decides the sign; a value up to FFFF is a
// 16-bit integer and one up to FFFFFFFF a 32-bit one.
double readRadix(NumberText &in, int radix)
{
    quint64 value = 0;
    bool overflow = false;
    for (char16_t c = in.peek();; in.take(), c = in.peek()) {
        const int digit = digitValue(c);
        if (digit < 0 || digit >= radix)
            break;
        if (!overflow) {
            value = value * quint64(radix) + quint64(digit);
            overflow = value > 0xFFFFFFFFu;
        }
    }
    if (overflow)
        return 0;
    if (value <= 0xFFFFu)
        return qint16(quint16(value));
    return qint32(quint32(value));
}

// ---------------------------------------------------------------------------
// Template fields

qint16 toInt16(double value)
{
    return qint16(std::clamp(value, double(std::numeric_limits<qint16>::min()),
                             double(std::numeric_limits<qint16>::max())));
}

// The other case of a character where the game's code page holds it; a
// character whose other case lies outside (µ, ƒ upper-cased to Greek and
// Latin capitals) stays as it is, so a name never gains what cannot be stored.
QChar caseInCodePage(QChar c, bool upper)
{
    const QChar changed = upper ? c.toUpper() : c.toLower();
    if (changed == c || CodePage::firstUnencodable(QString(changed)) >= 0)
        return c;
    return changed;
}

bool startsWord(char16_t previous)
{
    switch (previous) {
    case u' ':
    case u'\t':
    case u'\v':
    case u'\f':
    case u'\r':
    case u'\n':
    case u'\0':
        return true;
    default:
        return false;
    }
}

} // namespace

double readNumber(QStringView text)
{
    NumberText in(text);
    if (in.peek() == u'&') {
        in.take();
        const char16_t prefix = in.peek();
        if (prefix == u'H' || prefix == u'h') {
            in.take();
            return readRadix(in, 16);
        }
        if (prefix == u'O' || prefix == u'o') {
            in.take();
            return readRadix(in, 8);
        }
        return 0;
    }
    return readDecimal(in);
}

std::optional<QString> plainNumber(QStringView text, bool decimalComma)
{
    QString t = text.trimmed().toString();
    qsizetype i = 0;
    const auto digits = [&] {
        const qsizetype start = i;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
            ++i;
        return i - start;
    };
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    qsizetype mantissa = digits();
    if (i < t.size() && (t[i] == u'.' || (t[i] == u',' && decimalComma))) {
        t[i] = u'.';
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0 || i != t.size())
        return std::nullopt;
    return t;
}

AttributeAdjustment adjustValue(double value, int upper, int lower, double step)
{
    if (std::isnan(value))
        value = 0;
    // An infinite step would put NaN on the grid (0 x inf).
    if (!(step > 0) || std::isinf(step))
        step = 1;
    if (value > upper)
        return {toInt16(upper), AdjustReason::AboveUpper, double(upper)};
    if (value < lower)
        return {toInt16(lower), AdjustReason::BelowLower, double(lower)};
    const double n = std::floor(value / step + 0.5);
    const double r = std::floor(n * step + 0.1);
    if (r != value)
        return {toInt16(r), AdjustReason::OffGrid, step};
    return {toInt16(r), AdjustReason::None, 0};
}

bool adjustMessageAllowed(MessageMode mode, AdjustReason reason)
{
    switch (reason) {
    case AdjustReason::AboveUpper:
    case AdjustReason::BelowLower:
        return int(mode) <= int(MessageMode::Limits);
    case AdjustReason::OffGrid:
        return mode == MessageMode::Every;
    case AdjustReason::None:
        break;
    }
    return false;
}

QString adjustMessageText(AdjustReason reason, double number)
{
    QString first;
    switch (reason) {
    case AdjustReason::AboveUpper:
        first = QStringLiteral("Attribute may not be greater than ");
        break;
    case AdjustReason::BelowLower:
        first = QStringLiteral("Attribute may not be less than ");
        break;
    case AdjustReason::OffGrid:
        first = QStringLiteral("Attribute must be a multiple of ");
        break;
    case AdjustReason::None:
        return {};
    }
    // 15 significant digits: whole numbers plain, 6.6666 as typed in the source.
    return first + QString::number(number, 'g', 15)
           + QStringLiteral("\r\nThe attribute will be adjusted");
}

const FieldRule &heightFeetRule() { return *playerField(FieldId::HeightFeet).skater.rule; }
const FieldRule &heightInchesRule() { return *playerField(FieldId::HeightInches).skater.rule; }
const FieldRule &weightRule(bool goalie) { return *playerField(FieldId::Weight).of(goalie).rule; }

int shortestHeight()
{
    return heightFeetRule().lower * 12 + heightInchesRule().lower;
}

int tallestHeight()
{
    return heightFeetRule().upper * 12 + heightInchesRule().upper;
}

quint8 weightClass(int pounds)
{
    constexpr int kLastClass = 18;
    if (pounds < 165)
        return 0;
    return quint8(std::min((pounds - 160) / 5, kLastClass));
}

QString properCase(QStringView firstName)
{
    QString result;
    result.reserve(firstName.size());
    char16_t previous = u' ';
    for (const QChar c : firstName) {
        result.append(caseInCodePage(c, startsWord(previous)));
        previous = c.unicode();
    }
    return result;
}

QString raiseFirstCharacter(QStringView lastName)
{
    if (lastName.isEmpty())
        return {};
    return caseInCodePage(lastName.front(), true) + lastName.mid(1).toString();
}

bool lastNameChanged(QStringView typed, QStringView storedField)
{
    if (typed.isEmpty())
        return false;
    return typed != storedField.left(typed.size());
}

QString rookieText(QStringView typed)
{
    QString result;
    result.reserve(typed.size());
    for (const QChar c : typed)
        result.append(caseInCodePage(c, true));
    return result;
}

QString shownRookieFlag(char stored)
{
    return QString(QLatin1Char(shownRookie(stored)));
}

QString handLetter(Hand hand)
{
    return hand == Hand::Left ? QStringLiteral("L") : QStringLiteral("R");
}

std::optional<Hand> handOfLetter(QStringView typed)
{
    const QString letter = typed.trimmed().toString().toUpper();
    for (const Hand hand : {Hand::Left, Hand::Right}) {
        if (letter == handLetter(hand))
            return hand;
    }
    return std::nullopt;
}

bool isJerseyNumber(double number)
{
    return std::isfinite(number) && std::floor(number) == number && number >= kLowestJersey
           && number <= kHighestJersey;
}

QString jerseyEntryText(int number)
{
    return QLatin1Char(' ') + QString::number(number);
}

QMap<int, QList<PlayerEntry>> jerseysWornTwice(const QList<PlayerEntry> &team)
{
    QMap<int, QList<PlayerEntry>> wearers;
    for (const PlayerEntry &player : team)
        wearers[player.record.jerseyNumber()].append(player);
    wearers.removeIf([](QMap<int, QList<PlayerEntry>>::iterator number) {
        return number.value().size() < 2;
    });
    return wearers;
}

QStringList listedNames(const QList<ListedName> &team)
{
    const auto sameText = [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    };
    QStringList entries;
    entries.reserve(team.size());
    for (const ListedName &player : team) {
        bool namesake = false;
        bool sameInitial = false;
        for (const ListedName &mate : team) {
            if (&mate == &player || !sameText(mate.last, player.last))
                continue;
            namesake = true;
            sameInitial = sameInitial || sameText(mate.first.left(1), player.first.left(1));
        }
        if (!namesake || player.first.isEmpty())
            entries.append(player.last);
        else if (sameInitial)
            entries.append(QStringLiteral("%1, %2").arg(player.last, player.first));
        else
            entries.append(QStringLiteral("%1, %2.").arg(player.last, player.first.left(1)));
    }
    return entries;
}

} // namespace Puckdex
