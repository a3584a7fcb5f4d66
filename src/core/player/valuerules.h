#pragma once

#include "files/gamefiles.h"
#include "player/ratings.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

#include <optional>
#include <span>

namespace Puckdex {

// ---------------------------------------------------------------------------
// Numbers typed into the boxes

// The number a text begins with, as the boxes read it. Blanks, tabs and
// line feeds are skipped wherever they stand ("7 5" is 75). Then: an optional
// sign, digits, an optional point and fraction, an optional exponent (E or D,
// either case, optional sign, digits), up to the first character that cannot
// continue the number. "&H" and "&O" (either case) start hexadecimal and
// octal digits; a value up to FFFF (177777 octal) is a signed 16-bit number
// and one up to FFFFFFFF a signed 32-bit number ("&HFFFF" is -1, "&H10000" is
// 65536); a wider one, an overflow, reads as 0. A sign before "&" is no
// number. Text that does not begin with a number reads as 0. Decimal numbers
// too large for a double read as infinity with their sign, too small ones as
// 0; the result is never NaN.
double readNumber(QStringView text);

// The number a cell holds, written with a decimal point, when it is plain
// decimal: an optional sign, digits, an optional fraction, blanks around.
// Where no comma stands between cells (a typed cell, a pasted block, a file
// split by semicolons or tabs) a decimal comma ("92,5") is read as the
// point. Nothing else is a number: no exponent, no grouping, no text. The
// roster table and the import read every number they are given this way.
std::optional<QString> plainNumber(QStringView text, bool decimalComma);

// ---------------------------------------------------------------------------
// Adjusting a number to a field's limits and step grid

// Why an entry was moved; the values are the codes the messages are known by.
enum class AdjustReason {
    None = 0,
    AboveUpper = 10,
    BelowLower = 20,
    OffGrid = 30,
};

struct AttributeAdjustment
{
    qint16 value;
    AdjustReason reason;
    double messageNumber; // the limit for AboveUpper / BelowLower, the step for OffGrid, else 0
};

// Upper limit first, then the lower one (a value beyond a limit becomes that
// limit), then the grid: n = floor(v / step + 0.5), r = floor(n * step + 0.1),
// so halves go up and 15 x 6.6666 comes out as 100. OffGrid when r differs from
// v as a number. Infinities are beyond the limits like any other number; NaN
// counts as 0, like text that is no number. A step that is not positive, or
// is infinite, is taken as 1.
AttributeAdjustment adjustValue(double value, int upper, int lower, double step);

// Whether the message mode lets the message of a reason be shown: the limit
// messages unless the mode is silent, the step message only when it shows
// every one. AdjustReason::None never has a message.
bool adjustMessageAllowed(MessageMode mode, AdjustReason reason);

// The two-line message text for a reason and its number ("Attribute may not be
// greater than 100\r\nThe attribute will be adjusted"); empty for None.
QString adjustMessageText(AdjustReason reason, double number);

// ---------------------------------------------------------------------------
// The numeric fields

const FieldRule &heightFeetRule();
const FieldRule &heightInchesRule();
// The weight box follows the position combo: goalie or not.
const FieldRule &weightRule(bool goalie);
// The shortest and the tallest height the two height boxes let stand, in
// inches.
int shortestHeight();
int tallestHeight();

// ---------------------------------------------------------------------------
// Weight class

// The weight in 5-pound classes kept in the attribute record: 0 up to 164
// pounds, then k for 160 + 5k to 164 + 5k. Held within the classes the game
// knows, 0 to 18, for weights outside the editor's limits.
quint8 weightClass(int pounds);

// ---------------------------------------------------------------------------
// Identity texts

// First letter of every word upper case, every other letter lower case. Words
// start at the beginning and after blank, tab, vertical tab, form feed, CR,
// LF or NUL, not after hyphens or apostrophes: "JEAN-LUC" -> "Jean-luc".
QString properCase(QStringView firstName);

// Only the first character is raised, so inner capitals stay: "mcDonald" ->
// "McDonald". The empty text stays empty.
QString raiseFirstCharacter(QStringView lastName);

// Whether a typed last name counts as a new name: it differs, case-sensitively,
// from the first n characters of the stored field, n being the typed length.
// storedField is the whole 17-character field with its padding (NULs
// included), so a shortened name is no change but a longer one is, and an
// empty text is never a change.
bool lastNameChanged(QStringView typed, QStringView storedField);

// ---------------------------------------------------------------------------
// Rookie flag

// The stored flag: 'Y' for a rookie, 'N' for anyone else. A sound file
// holds nothing else.
constexpr char rookieFlagOf(bool rookie) { return rookie ? 'Y' : 'N'; }
constexpr bool isRookieFlag(char stored)
{
    return stored == rookieFlagOf(true) || stored == rookieFlagOf(false);
}

// A stored flag as the editor shows it and writes it back: 'Y' for 'Y',
// 'N' for anything else.
constexpr char shownRookie(char stored) { return rookieFlagOf(stored == rookieFlagOf(true)); }
QString shownRookieFlag(char stored);

// The rookie text in upper case; the caller asks when it is neither "Y" nor "N".
QString rookieText(QStringView typed);

// ---------------------------------------------------------------------------
// Hand

// The hand as a letter: "L" or "R".
QString handLetter(Hand hand);
// The hand a typed letter names (L or R, either case, blanks around it);
// none for any other text.
std::optional<Hand> handOfLetter(QStringView typed);
// Whether a stored hand byte is one the game writes (0 left, 1 right);
// any other reads as right.
constexpr bool isHandByte(quint8 stored) { return stored == handByte(handOf(stored)); }

// ---------------------------------------------------------------------------
// Jersey numbers

// The numbers a player may wear, the jersey list's entries.
inline constexpr int kLowestJersey = 0;
inline constexpr int kHighestJersey = 99;
// Whether a number is one of them: whole, from 0 to 99.
bool isJerseyNumber(double number);

// A jersey-list entry: one blank then the digits (" 7").
QString jerseyEntryText(int number);

// A team's player-list entries, one per (first name, last name) in the order
// given: the last name alone, or, where teammates share it (in any case), the
// first name's initial after it ("Berg, K."), or the whole first name where
// the initials are the same too ("Berg, Kalle").
struct ListedName
{
    QString first;
    QString last;
};
QStringList listedNames(const QList<ListedName> &team);

// The jersey-list entry of a number a teammate wears.
inline const QString TakenJerseyText = QStringLiteral("**");

// The numbers that two or more players of a team wear, each with its
// wearers in team order.
QMap<int, QList<PlayerEntry>> jerseysWornTwice(const QList<PlayerEntry> &team);

} // namespace Puckdex
