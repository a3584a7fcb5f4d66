#pragma once

#include "files/fileerror.h"
#include "files/records.h"
#include "player/playerfields.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace Puckdex {

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

// Why players could not be written, and what their records on disk hold
// now.
struct PlayerWriteError
{
    FileError error;           // the first thing that failed
    bool diskUnchanged = true; // every record holds the bytes it held before
    QString onDisk;            // what the records hold now, in words
    // Refused because the records no longer hold the bytes they were
    // expected to hold (the game or another program wrote them since).
    bool changedSince = false;
    // The players (their key records' offsets) whose records another
    // program changed since they were read, when a write of fields found
    // them so.
    QList<qint64> changedPlayers;

    // The failure with its folder, then what is on disk.
    QString fullMessage() const;
    // A failure found before anything was written.
    static PlayerWriteError nothingWritten(FileError error);
};

// One player's two records as a write left them, and as they were just
// before it (read fresh at the write).
struct PlayerChange
{
    qint64 offset = 0; // his key record's
    qint64 attribOffset = 0;
    bool goalie = false;
    QByteArray keyBefore, attBefore;
    QByteArray keyAfter, attAfter;

    // False for a write that left both records as they were.
    bool changesAnything() const { return keyBefore != keyAfter || attBefore != attAfter; }
    // "Ashard Osanick", from the key record the write left.
    QString playerName() const;
    // The change that takes this one back.
    PlayerChange reversed() const;
};

// A player's fields to be written (see writePlayerFields()).
struct FieldsWrite
{
    qint64 offset = 0; // his key record's
    bool goalie = false;
    PlayerFields fields;
    // His two records as they were when his fields were read. Given, the
    // write goes ahead only while the files still hold them: what another
    // program wrote since is never written over. Empty: not checked.
    QByteArray keyRead, attRead;
};

// Several players written as one write, both records of every player or
// none of them as far as the file system allows. Every record is read fresh
// (each file opened once) and every check is made before the first byte is
// written; then all key records are written and the key file put on the disk
// once, then all attribute records likewise, every record read back. When a
// write fails, every record written so far gets its previous bytes back and
// the error says what the records hold now. What the editor does not show
// stays as the files hold it (another program, the game itself, may have
// written them since the players were read). Each player once.
Result<QList<PlayerChange>, PlayerWriteError> writePlayersFields(const QString &keyFile,
                                                                 const QString &attFile,
                                                                 const QList<FieldsWrite> &writes);

// Writes each change's after-bytes over its before-bytes in the same way,
// but only when every record still holds exactly its change's before-bytes:
// otherwise nothing is written and the error has changedSince set, naming
// the first record that differs. Undoing a write passes its changes
// reversed. Each player once.
Result<QList<PlayerChange>, PlayerWriteError> writeChangesOver(const QString &keyFile,
                                                               const QString &attFile,
                                                               const QList<PlayerChange> &changes);

// The refusal of a write because a record in file no longer holds the
// change's before-bytes: the game or another program wrote it since. several
// says whether the write is of several players (the player is then named).
PlayerWriteError recordChangedSince(const QString &file, const PlayerChange &change,
                                    bool several);

// The two steps of writePlayersFields() and writeChangesOver(), for a
// writer that records what it will do before doing it: every record read
// and checked, and the changes worked out, without a byte written; then the
// changes written over records that hold their before-bytes.
Result<QList<PlayerChange>, PlayerWriteError> planPlayersFields(const QString &keyFile,
                                                                const QString &attFile,
                                                                const QList<FieldsWrite> &writes);
Result<QList<PlayerChange>, PlayerWriteError> planChangesOver(const QString &keyFile,
                                                              const QString &attFile,
                                                              const QList<PlayerChange> &changes);
Result<QList<PlayerChange>, PlayerWriteError> commitChanges(const QString &keyFile,
                                                            const QString &attFile,
                                                            const QList<PlayerChange> &changes);

// His records as a change leaves them.
WrittenPlayer writtenOf(const PlayerChange &change);

// One player written back (writePlayersFields() for him alone): his key
// record at offset and his attribute record read fresh, the fields set into
// them, both written or neither. goalie says which kind of attribute record
// was read when he was shown.
Result<WrittenPlayer, PlayerWriteError> writePlayerFields(const QString &keyFile,
                                                          const QString &attFile, qint64 offset,
                                                          bool goalie,
                                                          const PlayerFields &fields);

} // namespace Puckdex
