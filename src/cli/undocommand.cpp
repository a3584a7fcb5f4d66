#include "commands.h"

#include "playertable.h"

#include "history/playerwrites.h"
#include "player/playeredit.h"

#include <QDir>

namespace Puckdex::Cli {

namespace {

// "offset 9300 (Vicvi Hollisenson)"
QString describeChange(const PlayerChange &change)
{
    PlayerRecord after;
    after.assign(change.keyAfter);
    return describePlayer(change.offset, after);
}

// "offset 9300 (Vicvi Hollisenson), saved 2026-12-07 16:40:12 UTC" for a
// save; "import of roster.csv, saved ..." for a write that names what made
// it.
QString describeWrite(const JournalEntry &entry)
{
    const QString what = entry.label.isEmpty() && entry.players.size() == 1
                             ? describeChange(entry.players.first())
                             : entry.label;
    return QStringLiteral("%1, saved %2").arg(what, utcText(entry.time));
}

// What a player's write changed, in the values the editor shows: "speed 44
// -> 64".
QString changesOf(const PlayerChange &change)
{
    const auto shown = [&change](const QByteArray &key, const QByteArray &att) {
        PlayerRecord record;
        record.assign(key);
        const PlayerFields fields = PlayerEdit::attribsOf(record, change.goalie, att).fields;
        return std::pair{shownRow({record.teamNumber(), QString(), change.offset}, change.goalie,
                                  fields),
                         record.pictureCodeA() + record.pictureCodeB()};
    };
    const auto [before, beforePicture] = shown(change.keyBefore, change.attBefore);
    const auto [after, afterPicture] = shown(change.keyAfter, change.attAfter);
    QStringList changes = cellChanges(before, after);
    // The editor changes the picture codes only to unlink a renamed player's.
    if (beforePicture != afterPicture)
        changes.append(QStringLiteral("picture unlinked"));
    if (changes.isEmpty())
        changes.append(QStringLiteral("bytes the editor does not show"));
    return changes.join(QStringLiteral(", "));
}

// A write in one line: what it changed of one player, how many players of
// several.
QString writeLine(const JournalEntry &entry)
{
    if (entry.players.size() != 1)
        return QStringLiteral("%1: %2 players").arg(describeWrite(entry)).arg(entry.players.size());
    const PlayerChange &change = entry.players.first();
    if (entry.label.isEmpty())
        return QStringLiteral("%1: %2").arg(describeWrite(entry), changesOf(change));
    return QStringLiteral("%1: %2: %3")
        .arg(describeWrite(entry), describeChange(change), changesOf(change));
}

// Undoes the count newest of the pending writes as one write, newest first,
// up to the first refusal.
int undoNewest(PlayerWrites &writes, const QList<JournalEntry> &pending, int count,
               QTextStream &out, QTextStream &err)
{
    QList<JournalEntry> newest;
    for (auto it = pending.crbegin(); it != pending.crend() && newest.size() < count; ++it)
        newest.append(*it);
    const PlayerWrites::Steps steps = writes.undoNewest(newest);
    for (const JournalEntry &entry : steps.undone)
        out << QStringLiteral("Undid %1\n").arg(writeLine(entry));
    if (!steps.undone.isEmpty() && !steps.journaled) {
        err << QStringLiteral("warning: the journal could not mark the %1 as undone: %2\n")
                   .arg(QLatin1String(steps.undone.size() == 1 ? "write" : "writes"),
                        steps.journaled.error().fullMessage());
    }
    const int undone = int(steps.undone.size());
    if (steps.refused) {
        const auto &[entry, error] = *steps.refused;
        err << QStringLiteral("%1: refused: the write of %2 was not undone: %3\n")
                   .arg(kProgram, describeWrite(entry), error.error.fullMessage());
        err << kProgram << ": " << error.onDisk << "\n";
        err << QStringLiteral("%1: %2 undone before it; the older writes were left "
                                  "alone.\n")
                       .arg(kProgram, plural(undone, "write was", "writes were"));
        return undone ? Partly : Failure;
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
        out << QStringLiteral("%1  %2\n").arg(it->seq, 4).arg(writeLine(*it));
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
    const Result<FileSet> files = openFileSet(line, err);
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
    noteOpenWindow(*files, err);
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
