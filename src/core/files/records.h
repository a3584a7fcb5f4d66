#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <array>
#include <cstring>

namespace Puckdex {

// A run of bytes inside a fixed-size record.
struct FieldSpan
{
    int offset;
    int width;
};

// What became of a text handed to a record's text field.
enum class TextFit {
    Ok,
    TooLong,       // more characters than the field has bytes
    NotInCodePage, // a character the game's code page cannot hold
};

// The exact byte image of one record of a game file. The typed accessors of
// the records below read and write named fields inside it; every other byte
// stays as it was read, so writing a record back cannot lose what the editor
// does not show.
template <int N>
class FixedRecord
{
public:
    static constexpr int Size = N;

    FixedRecord() { m_bytes.fill(0); }

    // Copies exactly Size bytes; false (and nothing changed) for any other size.
    bool assign(QByteArrayView bytes)
    {
        if (bytes.size() != N)
            return false;
        std::memcpy(m_bytes.data(), bytes.data(), N);
        return true;
    }

    QByteArray toByteArray() const
    {
        return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), N);
    }
    const std::array<quint8, N> &bytes() const { return m_bytes; }

    quint8 byte(int index) const { return m_bytes.at(index); }
    void setByte(int index, quint8 value) { m_bytes.at(index) = value; }

    bool operator==(const FixedRecord &) const = default;

protected:
    qint32 int32At(int offset) const;
    void setInt32At(int offset, qint32 value);

    // Text up to the first NUL (the whole field without one), blanks kept.
    QString textAt(FieldSpan field) const;
    // Every character of the field, NULs included.
    QString wholeTextAt(FieldSpan field) const;
    // Encoded into the code page and padded with NULs to the field's width.
    // On anything but TextFit::Ok the field is left as it was.
    TextFit setTextAt(FieldSpan field, const QString &text);

    std::array<quint8, N> m_bytes;
};

// One team of the team file ("teams.db" or a saved game's "tem.db"). Record n
// of the file is team number n. The editor only reads teams.
class TeamRecord : public FixedRecord<795>
{
public:
    static constexpr FieldSpan Abbrev{0, 3};
    static constexpr FieldSpan TeamName{5, 25};
    static constexpr FieldSpan City{30, 16};

    QString abbrev() const { return textAt(Abbrev); }
    QString teamName() const { return textAt(TeamName); }
    QString city() const { return textAt(City); }

    TextFit setAbbrev(const QString &text) { return setTextAt(Abbrev, text); }
    TextFit setTeamName(const QString &text) { return setTextAt(TeamName, text); }
    TextFit setCity(const QString &text) { return setTextAt(City, text); }
};

// One player of the key file ("key.db"): who he is and where his ratings are.
class PlayerRecord : public FixedRecord<60>
{
public:
    static constexpr int TeamNumberByte = 0;
    static constexpr int JerseyNumberByte = 1;
    static constexpr int PositionByte = 2;
    static constexpr FieldSpan FirstName{3, 16};
    static constexpr FieldSpan LastName{19, 17};
    static constexpr int AttribOffsetAt = 36;
    static constexpr FieldSpan PictureCodeA{48, 4};
    static constexpr FieldSpan PictureCodeB{52, 4};
    static constexpr int HeightInchesByte = 56;
    static constexpr int WeightPoundsByte = 57;
    static constexpr int RookieFlagByte = 58;

    quint8 teamNumber() const { return byte(TeamNumberByte); }
    void setTeamNumber(quint8 team) { setByte(TeamNumberByte, team); }

    quint8 jerseyNumber() const { return byte(JerseyNumberByte); }
    void setJerseyNumber(quint8 number) { setByte(JerseyNumberByte, number); }

    // One letter: 'G' goalie, 'D' defenceman, 'L', 'C', 'R' forwards.
    char position() const { return static_cast<char>(byte(PositionByte)); }
    void setPosition(char letter) { setByte(PositionByte, static_cast<quint8>(letter)); }
    bool isGoalie() const { return position() == 'G'; }

    QString firstName() const { return textAt(FirstName); }
    TextFit setFirstName(const QString &text) { return setTextAt(FirstName, text); }
    QString lastName() const { return textAt(LastName); }
    TextFit setLastName(const QString &text) { return setTextAt(LastName, text); }
    // All 17 characters of the field, padding (NUL or blank) included.
    QString lastNameField() const { return wholeTextAt(LastName); }

    // Where his GoalieAttribRecord or SkaterAttribRecord starts in the
    // attribute file. Signed as stored; a damaged file may hold anything.
    qint32 attribOffset() const { return int32At(AttribOffsetAt); }
    void setAttribOffset(qint32 offset) { setInt32At(AttribOffsetAt, offset); }

    // The game's picture references; "NONE" means no picture.
    QString pictureCodeA() const { return textAt(PictureCodeA); }
    QString pictureCodeB() const { return textAt(PictureCodeB); }
    void unlinkPicture();

    quint8 heightInches() const { return byte(HeightInchesByte); }
    void setHeightInches(quint8 inches) { setByte(HeightInchesByte, inches); }
    quint8 weightPounds() const { return byte(WeightPoundsByte); }
    void setWeightPounds(quint8 pounds) { setByte(WeightPoundsByte, pounds); }

    // 'Y' or 'N' in a sound file; anything else as stored.
    char rookieFlag() const { return static_cast<char>(byte(RookieFlagByte)); }
    void setRookieFlag(char flag) { setByte(RookieFlagByte, static_cast<quint8>(flag)); }
};

// Byte 0 of both attribute records is the hand: 0 left, anything else right.
enum class Hand { Left, Right };

// The hand byte the game writes for a hand, and the hand a stored byte reads as.
constexpr quint8 handByte(Hand hand) { return hand == Hand::Left ? 0 : 1; }
constexpr Hand handOf(quint8 stored) { return stored == 0 ? Hand::Left : Hand::Right; }

// The ratings of a goalie in the attribute file ("att.db").
class GoalieAttribRecord : public FixedRecord<17>
{
public:
    static constexpr int HandByte = 0;
    static constexpr int WeightClassByte = 8;

    Hand hand() const { return handOf(byte(HandByte)); }
    void setHand(Hand hand) { setByte(HandByte, handByte(hand)); }
    quint8 weightClass() const { return byte(WeightClassByte); }
    void setWeightClass(quint8 weightClass) { setByte(WeightClassByte, weightClass); }
};

// The ratings of a defenceman or forward in the attribute file.
class SkaterAttribRecord : public FixedRecord<21>
{
public:
    static constexpr int HandByte = 0;
    static constexpr int WeightClassByte = 3;

    Hand hand() const { return handOf(byte(HandByte)); }
    void setHand(Hand hand) { setByte(HandByte, handByte(hand)); }
    quint8 weightClass() const { return byte(WeightClassByte); }
    void setWeightClass(quint8 weightClass) { setByte(WeightClassByte, weightClass); }
};

// One saved game listed in a saved-game index ("*.ndx"), after its header.
class SeasonIndexEntry : public FixedRecord<54>
{
public:
    static constexpr FieldSpan GameNumber{0, 4};
    static constexpr FieldSpan Description{13, 41};

    QString gameNumberText() const { return textAt(GameNumber); }
    // The number its leading digits form, blanks ignored; 0 without digits.
    int gameNumber() const;
    QString description() const { return textAt(Description); }

    TextFit setGameNumberText(const QString &text) { return setTextAt(GameNumber, text); }
    TextFit setDescription(const QString &text) { return setTextAt(Description, text); }
};

} // namespace Puckdex
