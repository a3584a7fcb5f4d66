#pragma once

#include "files/fileerror.h"
#include "player/ratings.h"
#include "player/valuerules.h"
#include "files/records.h"

#include <QString>

#include <array>
#include <optional>

namespace Puckdex {

// Everything of one player that the editor shows, and so may change, in the
// form the files store it. Writing a player sets exactly these into his
// records; every other byte stays as it is on disk.
struct PlayerFields
{
    QString firstName;
    QString lastName;
    std::optional<char> position;       // none: the stored letter stays
    quint8 heightInches = 0;
    quint8 weightPounds = 0;
    char rookieFlag = rookieFlagOf(false);
    std::optional<quint8> jerseyNumber; // none: the stored number stays
    Hand hand = Hand::Left;
    // The stored bytes of the rating boxes of each group, by box.
    std::array<quint8, 4> allPlayers{};
    std::array<quint8, 10> fwdDef{};
    std::array<quint8, 5> goalies{};
    // Set when the weight changed: the class goes with it.
    std::optional<quint8> weightClass;
    // The game stops showing the old player's picture for a renamed one.
    bool unlinkPicture = false;

    quint8 &rating(RatingGroup group, int box);
    quint8 rating(RatingGroup group, int box) const;
};

// The fields as a player's records hold them (a hand other than 0 reads as
// right, as the editor shows it).
PlayerFields fieldsOf(const PlayerRecord &player, const GoalieAttribRecord &attribs);
PlayerFields fieldsOf(const PlayerRecord &player, const SkaterAttribRecord &attribs);

// Sets the fields into the key record. Fails, leaving the record as it was,
// when a name does not fit its field or the game's code page.
TextFit applyFields(const PlayerFields &fields, PlayerRecord &player);
void applyFields(const PlayerFields &fields, GoalieAttribRecord &attribs);
void applyFields(const PlayerFields &fields, SkaterAttribRecord &attribs);

// What a player's records hold after a write, and what they held just
// before it, as read at the write.
struct WrittenPlayer
{
    PlayerRecord key;
    GoalieAttribRecord goalie; // the one of his kind is filled
    SkaterAttribRecord skater;
    QByteArray keyBefore;
    QByteArray attBefore;
    qint64 attribOffset = 0;

    QByteArray attBytes(bool isGoalie) const
    {
        return isGoalie ? goalie.toByteArray() : skater.toByteArray();
    }
};

// Why a player could not be written, and what his two records on disk hold
// now.
struct PlayerWriteError
{
    FileError error;           // the first thing that failed
    bool diskUnchanged = true; // both records hold the bytes they held before
    QString onDisk;            // what his records hold now, in words
    // Refused because his records no longer hold the bytes they were
    // expected to hold (the game or another program wrote them since).
    bool changedSince = false;

    // The failure with its folder, then what is on disk.
    QString fullMessage() const;
};

// Writes a player back, both of his records or neither as far as the file
// system allows. His key record at offset and his attribute record are read
// fresh from disk, both files are checked for writing and the fields are set
// into the records before the first byte is written; then the key record and
// the attribute record are written, each durably and read back. When the
// second write fails, the key record's previous bytes are written back.
// Another program (the game itself) may have written the files since the
// player was shown: what the editor does not show stays as that program
// left it. goalie says which kind of attribute record was read when he was
// shown.
Result<WrittenPlayer, PlayerWriteError> writePlayerFields(const QString &keyFile,
                                                          const QString &attFile, qint64 offset,
                                                          bool goalie,
                                                          const PlayerFields &fields);

// Puts given bytes back into a player's two records through the same checks
// and order as writePlayerFields (both or neither; key record first; the key
// record taken back when the second write fails), but only when the records
// on disk still hold exactly the bytes expected: otherwise nothing is
// written and the error has changedSince set. Undoing a save writes his
// previous bytes where the save's bytes are expected; redoing it the
// reverse. The attribute record lies where the expected key record says.
Result<WrittenPlayer, PlayerWriteError>
writePlayerBytesBack(const QString &keyFile, const QString &attFile, qint64 offset, bool goalie,
                     const QByteArray &expectedKey, const QByteArray &expectedAtt,
                     const QByteArray &newKey, const QByteArray &newAtt);

} // namespace Puckdex
