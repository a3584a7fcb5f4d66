#include "commands.h"

#include "playertable.h"

#include "history/playerwrites.h"
#include "player/playeredit.h"

#include <QDir>

namespace Puckdex::Cli {

namespace {

// "offset 9300 (Vicvi Hollisenson), saved 2026-12-07 16:40:12 UTC"
QString describeWrite(const JournalEntry &entry)
{
    PlayerRecord after;
    after.assign(entry.keyAfter);
    return QStringLiteral("%1, saved %2").arg(describePlayer(entry.offset, after),
                                              utcText(entry.time));
}

// What a write changed, in the values the editor shows: "speed 44 -> 64".
QString changesOf(const JournalEntry &entry)
{
    const auto shown = [&entry](const QByteArray &key, const QByteArray &att) {
        PlayerRecord record;
        record.assign(key);
        const PlayerFields fields = PlayerEdit::attribsOf(record, entry.goalie, att).fields;
        return std::pair{shownRow({record.teamNumber(), QString(), entry.offset}, entry.goalie,
                                  fields),
                         record.pictureCodeA() + record.pictureCodeB()};
    };
    const auto [before, beforePicture] = shown(entry.keyBefore, entry.attBefore);
    const auto [after, afterPicture] = shown(entry.keyAfter, entry.attAfter);
    QStringList changes = cellChanges(before, after);
    // The editor changes the picture codes only to unlink a renamed player's.
    if (beforePicture != afterPicture)
        changes.append(QStringLiteral("picture unlinked"));
    if (changes.isEmpty())
        changes.append(QStringLiteral("bytes the editor does not show"));
    return changes.join(QStringLiteral(", "));
}

// Undoes the count newest of the pending writes, newest first, up to the
// first refusal.
int undoNewest(PlayerWrites &writes, const QList<JournalEntry> &pending, int count,
               QTextStream &out, QTextStream &err)
{
    int undone = 0;
    for (auto it = pending.crbegin(); it != pending.crend() && undone < count; ++it) {
        const Result<PlayerWrites::Step, PlayerWriteError> back = writes.undo(*it);
        if (!back) {
            err << QStringLiteral("%1: refused: the write of %2 was not undone: %3\n")
                       .arg(kProgram, describeWrite(*it), back.error().error.fullMessage());
            err << kProgram << ": " << back.error().onDisk << "\n";
            if (undone < count)
                err << QStringLiteral("%1: %2 undone before it; the older writes were left "
                                      "alone.\n")
                           .arg(kProgram, plural(undone, "write was", "writes were"));
            return undone ? Partly : Failure;
        }
        ++undone;
        out << QStringLiteral("Undid %1: %2\n").arg(describeWrite(*it), changesOf(*it));
        if (!back->journaled) {
            err << QStringLiteral("warning: the journal could not mark the write as undone: "
                                  "%1\n")
                       .arg(back->journaled.error().fullMessage());
        }
    }
    if (undone < count) {
        out << QStringLiteral("%1 undone; the journal holds no older write.\n")
                   .arg(plural(undone, "write", "writes"));
        return Partly;
    }
    return Success;
}

// The writes that can be undone, newest first.
int listPending(PlayerWrites &writes, const QList<JournalEntry> &pending, QTextStream &out)
{
    for (auto it = pending.crbegin(); it != pending.crend(); ++it)
        out << QStringLiteral("%1  %2: %3\n").arg(it->seq, 4).arg(describeWrite(*it),
                                                                  changesOf(*it));
    out << QStringLiteral("%1 to undo (journal %2).\n")
               .arg(plural(pending.size(), "write", "writes"),
                    QDir::toNativeSeparators(writes.journalPath()));
    return Success;
}

int undo(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    int count = 1;
    if (line.isSet("steps")) {
        bool ok = false;
        count = line.value("steps").toInt(&ok);
        if (!ok || count < 1)
            return line.usageError(err, QStringLiteral("--steps needs a number from 1 up, not "
                                                       "\"%1\"")
                                            .arg(line.value("steps")));
    }
    const Result<FileSet> files = openFileSet(line);
    if (!files)
        return fail(err, files.error());
    PlayerWrites writes(WriteJournal::defaultFolder(), *files);
    const Result<QList<JournalEntry>> pending = writes.pending();
    if (!pending)
        return fail(err, pending.error());
    if (line.isSet("list"))
        return listPending(writes, *pending, out);
    if (pending->isEmpty()) {
        err << kProgram << ": nothing to undo: the journal "
            << QDir::toNativeSeparators(writes.journalPath()) << " holds no write of this roster "
            << "that is not undone already\n";
        return Failure;
    }
    return undoNewest(writes, *pending, count, out, err);
}

} // namespace

const Command &undoCommand()
{
    static const Command command{
        .name = "undo",
        .synopsis = "undo DIR",
        .summary = "takes back the newest player writes",
        .usage = "[options] DIR",
        .help = "Takes back the newest player writes of the window and of import on this "
                "roster, from the write journal kept beside the settings file: each player's "
                "two records get their previous bytes back, but only while they still hold "
                "exactly the bytes that write left. Exit status 0: every step undone; 1: some "
                "steps undone, then one refused; 2: nothing undone.",
        .arguments = {kDirArgument},
        .game = true,
        .options = {{"list", "Lists the writes that can be undone, newest first; changes "
                             "nothing."},
                    {"steps", "Undoes the N newest writes (1 when not given), newest first.",
                     "N"}},
        .run = &undo,
    };
    return command;
}

} // namespace Puckdex::Cli
