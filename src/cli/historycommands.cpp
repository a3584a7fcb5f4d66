#include "commandline.h"

#include "playertable.h"
#include "rosterdiff.h"

#include "files/fileset.h"
#include "history/writejournal.h"
#include "player/playeredit.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <array>

namespace Puckdex::Cli {

namespace {

// The journal of the roster's file set, beside the window's settings file.
WriteJournal journalOf(const FileSet &files)
{
    return WriteJournal(WriteJournal::defaultFolder(), files.folder, files.keyFile, files.attFile);
}

// "offset 9300 (Vicvi Hollisenson), saved 2026-12-07 16:40:12 UTC"
QString describeWrite(const JournalEntry &entry)
{
    PlayerRecord after;
    after.assign(entry.keyAfter);
    return QStringLiteral("%1, saved %2")
        .arg(describePlayer(entry.offset, after),
             entry.time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'")));
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
int undoNewest(const FileSet &files, const WriteJournal &journal,
               const QList<JournalEntry> &pending, int count, QTextStream &out, QTextStream &err)
{
    WriteJournal marks = journal;
    int undone = 0;
    for (auto it = pending.crbegin(); it != pending.crend() && undone < count; ++it) {
        const Result<WrittenPlayer, PlayerWriteError> back = it->undo(files.keyFile, files.attFile);
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
        if (const Status marked = marks.markUndone(it->seq); !marked) {
            err << QStringLiteral("warning: the journal could not mark the write as undone: "
                                  "%1\n")
                       .arg(marked.error().fullMessage());
        }
    }
    if (undone < count) {
        out << QStringLiteral("%1 undone; the journal holds no older write.\n")
                   .arg(plural(undone, "write", "writes"));
        return Partly;
    }
    return Success;
}

// The backup copies of a roster's three files, as its start-up or an import
// made them.
Result<FileSet> backupsOf(const FileSet &files)
{
    FileSet backups = files;
    for (QString *file : {&backups.teamFile, &backups.keyFile, &backups.attFile}) {
        const QString name = backupName(QFileInfo(*file).fileName());
        if (GameFolder::findFile(files.folder, name).isEmpty()) {
            return FileError{QDir(files.folder).filePath(name),
                             QStringLiteral("no backup copy there; give a second roster to "
                                            "compare with")};
        }
        *file = GameFolder::resolve(files.folder, name);
    }
    return backups;
}

// The saved games of A and B that --game names (given once, both sides'),
// or none when the command line is wrong.
std::optional<std::array<std::optional<int>, 2>>
diffGames(const CommandLine &line, const QStringList &gameTexts, QTextStream &err)
{
    std::array<std::optional<int>, 2> game;
    if (gameTexts.size() > 2) {
        line.usageError(err, QStringLiteral("--game is given at most twice"));
        return std::nullopt;
    }
    for (int i = 0; i < gameTexts.size(); ++i) {
        bool ok = false;
        const int number = gameTexts[i].toInt(&ok);
        if (!ok || number < 0 || number > 9999) {
            line.usageError(err, QStringLiteral("--game needs a saved game's number from 0 to "
                                                "9999, not \"%1\"")
                                     .arg(gameTexts[i]));
            return std::nullopt;
        }
        game[i] = number;
    }
    if (gameTexts.size() == 1)
        game[1] = game[0];
    return game;
}

// A kept generation of the roster's backups, written into place.
Result<FileSet> keptFiles(const FileSet &files, const QString &which, const QTemporaryDir &place)
{
    const BackupHistory history = historyOf(files);
    const Result<BackupGeneration> generation = history.find(which);
    if (!generation)
        return generation.error();
    return generationFileSet(files, history, *generation, place);
}

// Roster A against roster B; without B (and a second game), A's backups
// (or the kept generation that generation names) against A.
Result<RosterDiff> compare(const QStringList &folders,
                           const std::array<std::optional<int>, 2> &game, bool twoGames,
                           const QString &generation)
{
    const Result<FileSet> fromFiles = findFileSet(folders[0], game[0]);
    if (!fromFiles)
        return fromFiles.error();
    Result<FileSet> first = fromFiles;
    Result<FileSet> second = fromFiles;
    const QTemporaryDir place;
    if (folders.size() == 2 || twoGames)
        second = findFileSet(folders.value(1, folders[0]), game[1]);
    else if (!generation.isEmpty())
        first = keptFiles(*fromFiles, generation, place);
    else
        first = backupsOf(*fromFiles); // from the copies to the roster
    if (!first)
        return first.error();
    if (!second)
        return second.error();
    const Result<Roster> from = loadRoster(*first);
    if (!from)
        return from.error();
    const Result<Roster> to = loadRoster(*second);
    if (!to)
        return to.error();
    return diffRosters(*from, *to);
}

// The differences as lines of text, with a summary.
QString diffText(const RosterDiff &diff)
{
    QString text;
    for (const QString &change : diff.lines)
        text += change + QLatin1Char('\n');
    for (const QString &player : diff.missing)
        text += QStringLiteral("only in A: %1\n").arg(player);
    for (const QString &player : diff.added)
        text += QStringLiteral("only in B: %1\n").arg(player);
    text += diff.isEmpty() ? QStringLiteral("No differences.\n")
                           : QStringLiteral("%1 of %2; %3 only in A, %4 only in B.\n")
                                 .arg(plural(diff.lines.size(), "changed value", "changed values"),
                                      plural(diff.patch.size(), "player", "players"))
                                 .arg(diff.missing.size())
                                 .arg(diff.added.size());
    return text;
}

// Says the differences as text, CSV or JSON, on out or into outputFile.
int writeDiff(const RosterDiff &diff, const QString &kind, const QString &outputFile,
              QTextStream &out, QTextStream &err)
{
    for (const QString &warning : diff.warnings)
        err << "warning: " << warning << "\n";
    QByteArray bytes;
    if (kind == QLatin1String("text")) {
        bytes = diffText(diff).toUtf8();
    } else {
        for (const QString &player : diff.missing + diff.added)
            err << "warning: " << player << " is in one roster only; a patch cannot carry "
                << "that\n";
        if (diff.unlinkedPictures) {
            err << "warning: some renamed players' pictures were unlinked; apply the patch "
                << "with \"import --unlink-renamed-pictures\" to do the same\n";
        }
        bytes = kind == QLatin1String("csv") ? toCsv(diff.patch) : toJson(diff.patch);
    }
    if (outputFile.isEmpty()) {
        out << QString::fromUtf8(bytes);
    } else {
        if (const Status written = writeOutputFile(outputFile, bytes); !written)
            return fail(err, written.error());
        out << QStringLiteral("Wrote %1 of %2 to %3.\n")
                   .arg(plural(diff.lines.size(), "changed value", "changed values"),
                        plural(diff.patch.size(), "player", "players"),
                        QDir::toNativeSeparators(outputFile));
    }
    return diff.isEmpty() ? Success : Partly;
}

} // namespace

int undoCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("undo", "[options] DIR",
                     "Takes back the newest player writes of the window and of import on this "
                     "roster, from the write journal kept beside the settings file: each "
                     "player's two records get their previous bytes back, but only while they "
                     "still hold exactly the bytes that write left. Exit status 0: every step "
                     "undone; 1: some steps undone, then one refused; 2: nothing undone.");
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("Lists the writes that can be undone, newest "
                                                 "first; changes nothing."));
    const QCommandLineOption steps(QStringLiteral("steps"),
                                   QStringLiteral("Undoes the N newest writes (1 when not "
                                                  "given), newest first."),
                                   QStringLiteral("N"));
    line.addDir();
    line.addGame();
    line.add(list);
    line.add(steps);
    if (const auto done = line.parse(arguments, 1, out, err))
        return *done;
    int count = 1;
    if (line.isSet(steps)) {
        bool ok = false;
        count = line.value(steps).toInt(&ok);
        if (!ok || count < 1)
            return line.usageError(err, QStringLiteral("--steps needs a number from 1 up, not "
                                                       "\"%1\"")
                                            .arg(line.value(steps)));
    }
    const Result<FileSet> files = findFileSet(line.argument(0), line.game());
    if (!files)
        return fail(err, files.error());
    const WriteJournal journal = journalOf(*files);
    const Result<QList<JournalEntry>> pending = journal.pending();
    if (!pending)
        return fail(err, pending.error());

    if (line.isSet(list)) {
        for (auto it = pending->crbegin(); it != pending->crend(); ++it)
            out << QStringLiteral("%1  %2: %3\n")
                       .arg(it->seq, 4)
                       .arg(describeWrite(*it), changesOf(*it));
        out << QStringLiteral("%1 to undo (journal %2).\n")
                   .arg(plural(pending->size(), "write", "writes"),
                        QDir::toNativeSeparators(journal.path()));
        return Success;
    }
    if (pending->isEmpty()) {
        err << kProgram << ": nothing to undo: the journal "
            << QDir::toNativeSeparators(journal.path()) << " holds no write of this roster "
            << "that is not undone already\n";
        return Failure;
    }
    return undoNewest(*files, journal, *pending, count, out, err);
}

int diffCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandLine line("diff", "[options] A [B]",
                     "Lists every player whose shown values differ from roster A to roster B, "
                     "one line per changed value; without B, from A's backup copies (.bak) to "
                     "A, or from a kept generation of them (--from). Players are matched by "
                     "the offset of their key record. As CSV or JSON it writes the export's "
                     "columns with only the offset and the changed values filled: "
                     "\"puckdex-cli import OTHER FILE\" makes the same changes to another "
                     "roster. Exit status 0: no differences; 1: differences; 2: could not "
                     "compare.");
    const QCommandLineOption games(QStringLiteral("game"),
                                   QStringLiteral("Uses saved game N instead of the base "
                                                  "rosters; given twice, the first is A's and "
                                                  "the second B's (B may then be left out: "
                                                  "two saved games of one folder)."),
                                   QStringLiteral("N"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("text (the default), csv or json; csv or "
                                                   "json also when FILE ends so."),
                                    QStringLiteral("text|csv|json"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("Writes to FILE instead of the standard "
                                                   "output."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("Compares from generation N of A's kept "
                                                 "backups (see \"backups\"), or the first, "
                                                 "instead of its .bak copies."),
                                  QStringLiteral("N|first"));
    line.addPositional("A", "The game folder of the roster to compare from.");
    line.addPositional("B", "The game folder of the roster to compare to.");
    line.makeLastOptional();
    line.add(games);
    line.add(from);
    line.add(format);
    line.add(output);
    if (const auto done = line.parse(arguments, 2, out, err))
        return *done;

    const QStringList gameTexts = line.values(games);
    const auto game = diffGames(line, gameTexts, err);
    if (!game)
        return Failure;

    QString kind = QFileInfo(line.value(output)).suffix().toLower();
    if (line.isSet(format))
        kind = line.value(format).toLower();
    if (kind != QLatin1String("csv") && kind != QLatin1String("json"))
        kind = QStringLiteral("text");
    if (line.isSet(format) && kind != line.value(format).toLower())
        return line.usageError(
            err,
            QStringLiteral("--format is text, csv or json, not \"%1\"").arg(line.value(format)));

    if (line.isSet(from) && (line.arguments().size() == 2 || gameTexts.size() == 2))
        return line.usageError(err, QStringLiteral("--from compares A with its own kept "
                                                   "backups; give no B and one --game at most"));
    const Result<RosterDiff> diff =
        compare(line.arguments(), *game, gameTexts.size() == 2, line.value(from));
    if (!diff)
        return fail(err, diff.error());

    return writeDiff(*diff, kind, line.isSet(output) ? line.value(output) : QString(), out, err);
}

} // namespace Puckdex::Cli
