#pragma once

#include "history/writejournal.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// The lines of the write journal (writejournal.h), written and read: a save
// of one player as an object of his records in hex, a write of several
// players as its label and their records packed in one hex string, an undo
// as its mark. Reading a line says what is wrong with it, for the journal's
// message.
namespace Puckdex::JournalLines {

// A JSON object as one compact line, its end included.
QByteArray lineOf(const QJsonObject &object);
QByteArray writeLine(const JournalEntry &entry);
QByteArray undoneLine(int seq, const QDateTime &time);
// The marks around one action: before its first record is written, what it
// is ("an import of roster.csv") and when (for a restore, the generation that
// holds the roster as it was); after its last, that it is done.
QByteArray begunLine(const QString &what, const QDateTime &time,
                     std::optional<int> restoreKept = std::nullopt);
QByteArray doneLine();

// The packed records of a write of several players, taken out of its line
// (which keeps "players":"") before the rest is read as JSON; none for any
// other line.
QByteArray takePackedPlayers(QByteArray &line);
// The write a line's object (and its packed players) holds, or why not.
std::optional<QString> readWrite(const QJsonObject &object, const QByteArray &packed,
                                 JournalEntry &entry);
// A field that must be a whole number from 0 up, or why it is not.
std::optional<QString> readWhole(const QJsonObject &object, const char *name, qint64 &number);

} // namespace Puckdex::JournalLines
