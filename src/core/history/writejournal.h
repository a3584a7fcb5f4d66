#pragma once

#include "files/fileerror.h"
#include "player/playerfields.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace Puckdex {

// One write of a player: both of his records as they were just before it
// (read fresh at the write) and as it left them.
struct JournalEntry
{
    int seq = 0; // numbers the writes of a journal, from 1
    QDateTime time;
    qint64 offset = 0; // his key record's
    qint64 attribOffset = 0;
    bool goalie = false;
    QByteArray keyBefore, attBefore;
    QByteArray keyAfter, attAfter;

    // False for a write that left both records as they were: nothing to
    // record or undo.
    bool changesAnything() const { return keyBefore != keyAfter || attBefore != attAfter; }
    // "Ashard Osanick", from the key record the write left.
    QString playerName() const;
    // The entry of a write that has just succeeded.
    static JournalEntry of(qint64 offset, bool goalie, const WrittenPlayer &written);
    // Puts the bytes the write replaced back, only where the records still
    // hold what the write left.
    Result<WrittenPlayer, PlayerWriteError> undo(const QString &keyFile,
                                                 const QString &attFile) const;
    // Writes the write's bytes again, only where the records hold what it
    // replaced (after an undo).
    Result<WrittenPlayer, PlayerWriteError> redo(const QString &keyFile,
                                                 const QString &attFile) const;
};

// A game folder as the journal and the backup history name it: its path
// with every link resolved, so that two spellings of a folder share them.
QString canonicalGameFolder(const QString &folder);

// A short name that tells one file set's journal and backup history from
// another's in the folder that holds them (their first lines say whose they
// are).
QString fileSetId(const QString &gameFolder, const QString &keyFile, const QString &attFile);

// The journal of the player writes made to one file set of one game folder:
// a text file of JSON lines kept in the folder of the settings file. The
// first line names the folder and the set's key and attribute files; each
// further line is a write (its number, time, offsets, kind and the four
// records in hex) or the mark that an earlier write was undone. Only the
// newest writes are kept: past Capacity plus a tenth, the oldest go.
// Processes that add to one journal take turns (filelocks.h).
class WriteJournal
{
public:
    static constexpr int Capacity = 1000;

    // folder holds the journals; gameFolder, keyFile and attFile name the
    // set the journal belongs to.
    WriteJournal(const QString &folder, const QString &gameFolder, const QString &keyFile,
                 const QString &attFile);

    QString path() const { return m_path; }

    // Adds a write and gives it its number. A journal that cannot be read is
    // left alone and the write not recorded. The file is read again whenever
    // another run may have added writes since this one's last.
    Status append(JournalEntry &entry);
    // Marks an earlier write as undone; a write marked already is left so.
    Status markUndone(int seq);

    // The writes not undone, oldest first; none when there is no journal
    // yet. A damaged journal, or one that belongs to another folder or file
    // set, fails with the line and the reason.
    Result<QList<JournalEntry>> pending() const;

    // The folder of the settings file (settingsFilePath()), where the
    // journals, the backup histories and the folder locks lie.
    static QString defaultFolder();

private:
    struct Contents
    {
        QList<JournalEntry> writes;
        QList<int> undone;
        int lastSeq = 0;
    };
    Result<Contents> read() const;
    Status appendLocked(JournalEntry &entry);
    Status appendLine(const QByteArray &line);
    Status rewrite(const Contents &contents);
    QByteArray headerLine() const;

    QString m_path;
    QString m_gameFolder;
    QString m_keyName;
    QString m_attName;
    // What this journal's last append left: while the file keeps that size
    // and time, nobody else has written to it and it need not be read again.
    qint64 m_knownSize = -1;
    QDateTime m_knownTime;
    int m_knownLastSeq = 0;
    qsizetype m_knownWrites = 0;
};

} // namespace Puckdex
