#pragma once

#include "player/fieldtable.h"
#include "files/fileerror.h"
#include "files/gamefiles.h"
#include "player/playerfields.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The rules of one edit of a player, shared by every front end: reading him
// with the attribute record of his kind, checking a number left in a field,
// the identity rules, and his ratings between shown and stored values. The
// write goes through writePlayerFields().
namespace Puckdex::PlayerEdit {

// His attribute record of his kind (the other kind's stays empty), and the
// fields his two records hold.
struct AttribRecords
{
    bool goalie = false;
    GoalieAttribRecord goalieAttribs;
    SkaterAttribRecord skaterAttribs;
    PlayerFields fields;

    // A byte of the record of his kind, by its place in that record.
    quint8 byte(int index) const;
    quint8 handByte() const { return byte(SkaterAttribRecord::HandByte); }
};
static_assert(GoalieAttribRecord::HandByte == SkaterAttribRecord::HandByte);

// The size of a goalie's or a skater's attribute record.
constexpr int attribRecordSize(bool goalie)
{
    return goalie ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
}

// His records from the bytes of an attribute record of the kind given (a
// goalie's or a skater's, as a journal keeps them).
AttribRecords attribsOf(const PlayerRecord &player, bool goalie, QByteArrayView bytes);

// His attribute record, read by the kind his position letter says.
Result<AttribRecords> readAttribs(const QString &attFile, const PlayerRecord &player);

// How many players of the teams (team numbers below teamCount) have no
// whole attribute record of their kind within attFile (one cut short): their
// ratings cannot be read.
Result<int> playersWithoutRatings(const QString &keyFile, const QString &attFile, int teamCount);

// What his key record alone holds, as his fields: hand and ratings at their
// defaults. What is shown of a player whose attribute record cannot be read.
PlayerFields keyRecordFields(const PlayerRecord &player);

// His fields for showing, as far as they can be read: with the attribute
// record of his kind, or, when it cannot be read, his key record's alone,
// with why.
struct ShownFields
{
    PlayerFields fields;
    std::optional<FileError> ratingsError;
};
ShownFields readForShowing(const QString &attFile, const PlayerRecord &player);

// A number left in a field: what the field's rule lets stand, and the
// message the rule's mode owes the user (empty when none).
struct CheckedNumber
{
    int value;
    QString message;
};
CheckedNumber checkNumber(QStringView text, const FieldRule &rule);
// The same for a number already read, with the messages the mode allows.
CheckedNumber checkValue(double value, const FieldRule &rule, MessageMode mode);

// The position letters the editor offers, goalie first.
inline constexpr QStringView kPositionLetters = u"GDLCR";

// The position letters as a message lists them: "G, D, L, C, R".
QString positionLetterList();

// A typed position as its letter (one of kPositionLetters, either case,
// blanks around it), upper case; empty when it is none.
QString positionLetter(QStringView typed);

// Why a typed position cannot be his; empty when it can.
QString positionRefusal(QStringView typed, bool goalie);
// The editor's message when it refuses a position for a goalie or a skater.
QString positionRefusalMessage(bool goalie);

// A typed name as it is stored (first name in proper case, the last name's
// first character raised), and why it cannot be stored when it cannot.
struct StoredName
{
    QString name;
    QString refusal;
};
StoredName firstName(QStringView typed);
StoredName lastName(QStringView typed);

// The rookie flag of a typed text, 0 when it is neither Y nor N.
char rookieFlag(QStringView typed);

// A rating as shown for a player of that kind, and a shown value stored.
int shownRating(const PlayerFields &fields, const PlayerField &field, bool goalie);
void storeRating(PlayerFields &fields, const PlayerField &field, bool goalie, double shown);

// The highest byte a rating field's rule lets be stored for a player of that
// kind: the byte of its upper limit (15; 6 for fighting).
quint8 highestStoredRating(const PlayerField &field, bool goalie);

// A stored rating byte above that highest one: what it shows, and whether
// it reads back as itself (it then shows above the rule's upper limit) or as
// another byte (fighting's 7 and above, which show as lower values).
struct StrayRating
{
    int shown;
    bool readsBack;
};
std::optional<StrayRating> strayRating(const PlayerField &field, bool goalie, quint8 stored);

// The numeric fields as the editor shows them, one per row of the field
// table and in its order: height in feet and inches, weight, and each rating
// on its scale. None for a rating that is not his kind's.
using ShownNumbers = std::array<std::optional<double>, kPlayerFields.size()>;
ShownNumbers shownNumbers(const PlayerFields &fields, bool goalie);

// Shown numbers set into his fields: the height from feet and inches, the
// weight, and each rating of his kind stored on its scale. A number that is
// missing counts as 0.
void storeShownNumbers(PlayerFields &fields, const ShownNumbers &shown, bool goalie);

} // namespace Puckdex::PlayerEdit
