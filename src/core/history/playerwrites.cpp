#include "history/playerwrites.h"

#include "files/gamefiles.h"
#include "files/safefile.h"
#include "history/filelocks.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <functional>

namespace Puckdex {

PlayerWrites::PlayerWrites(const QString &folder, const FileSet &files)
    : m_folder(folder), m_files(files)
{
}

WriteJournal &PlayerWrites::journal()
{
    if (!m_journal)
        m_journal.emplace(m_folder, m_files.folder, m_files.keyFile, m_files.attFile);
    return *m_journal;
}

Result<QList<JournalEntry>> PlayerWrites::pending()
{
    return journal().pending();
}

QString PlayerWrites::journalPath()
{
    return journal().path();
}

Result<BackupOutcome, BackupFailure> PlayerWrites::makeBackups()
{
    HeldLock held = lockJournal();
    BackupHistory history(m_folder, m_files);
    return Puckdex::makeBackups(m_files, history);
}

PlayerWrites::HeldLock PlayerWrites::lockJournal()
{
    if (!QFileInfo(QFileInfo(journal().path()).absolutePath()).isDir())
        return std::nullopt;
    HeldLock held = journal().lock();
    if (*held) {
        if (auto recovered = recoverUnder(***held); recovered && *recovered)
            m_recovered = **recovered;
    }
    return held;
}

void PlayerWrites::lockForAction(HeldLock &held)
{
    if (held)
        return;
    QDir().mkpath(QFileInfo(journal().path()).absolutePath());
    held = lockJournal();
    if (!held)
        held = Result<std::shared_ptr<FileLock>>(
            FileError{journal().path(), QStringLiteral("its folder could not be made")});
}

namespace {

// "an import of roster.csv", from a write's label.
QString withArticle(const QString &label)
{
    const bool vowel = !label.isEmpty() && QStringLiteral("aeiou").contains(label.at(0).toLower());
    return (vowel ? QStringLiteral("an ") : QStringLiteral("a ")) + label;
}

// What an action of the journal's entries is called while it is begun.
QString undoName(const QList<JournalEntry> &entries)
{
    if (entries.size() == 1)
        return QStringLiteral("an undo of ") + entries.first().playerName();
    return QStringLiteral("an undo of %1 writes").arg(entries.size());
}

} // namespace

Result<QList<PlayerChange>, PlayerWriteError>
PlayerWrites::perform(const QString &what, JournalEntry *write, const QList<int> &undone,
                      const QList<PlayerChange> &changes, HeldLock &held, Status &journaled)
{
    lockForAction(held);
    journaled = *held ? journal().begin(what, write, undone, ***held) : Status(held->error());
    const Result<QList<PlayerChange>, PlayerWriteError> written =
        commitChanges(m_files.keyFile, m_files.attFile, changes);
    if (!journaled)
        return written;
    if (!written) {
        // Every record holds what it held before, or the failure says
        // otherwise: the action is no write, and must not be set back again.
        journal().abandon(***held);
        return written;
    }
    journaled = journal().finish(***held);
    if (!journaled)
        journal().abandon(***held);
    return written;
}

Result<PlayerWrites::Done, PlayerWriteError> PlayerWrites::save(const FieldsWrite &write)
{
    auto held = lockJournal();
    const Result<QList<PlayerChange>, PlayerWriteError> planned =
        planPlayersFields(m_files.keyFile, m_files.attFile, {write});
    if (!planned)
        return planned.error();
    const PlayerChange &change = planned->first();
    Done done{writtenOf(change), JournalEntry::of(QString(), *planned), Status()};
    if (!change.changesAnything()) {
        // Nothing to record; the records are still written (and so checked).
        const auto written = commitChanges(m_files.keyFile, m_files.attFile, *planned);
        if (!written)
            return written.error();
        return done;
    }
    const auto written =
        perform(QStringLiteral("a save of ") + change.playerName(), &done.entry, {}, *planned,
                held, done.journaled);
    if (!written)
        return written.error();
    m_undone.clear();
    m_saves.append(done.entry);
    return done;
}

Result<PlayerWrites::Saved, PlayerWriteError>
PlayerWrites::saveAll(const QList<FieldsWrite> &writes, const QString &label)
{
    auto held = lockJournal();
    const Result<QList<PlayerChange>, PlayerWriteError> planned =
        planPlayersFields(m_files.keyFile, m_files.attFile, writes);
    if (!planned)
        return planned.error();
    Saved saved{JournalEntry::of(label, *planned), Status()};
    if (!saved.entry.changesAnything()) {
        const auto written = commitChanges(m_files.keyFile, m_files.attFile, *planned);
        if (!written)
            return written.error();
        return saved;
    }
    const auto written =
        perform(withArticle(label), &saved.entry, {}, *planned, held, saved.journaled);
    if (!written)
        return written.error();
    m_undone.clear();
    m_saves.append(saved.entry);
    return saved;
}

QString PlayerWrites::Recovered::text() const
{
    QString said = QStringLiteral("%1 was interrupted at %2; the roster was set back as it was "
                                  "before it.")
                       .arg(what.left(1).toUpper() + what.mid(1),
                            QLocale::system().toString(time.toLocalTime().time(),
                                                       QLocale::ShortFormat));
    if (!leftAlone.isEmpty()) {
        said += QStringLiteral(" The records of %1 held neither what it found nor what it was "
                               "to write, and were left as they are.")
                    .arg(leftAlone.join(QStringLiteral(", ")));
    }
    return said;
}

Result<std::optional<PlayerWrites::Recovered>, PlayerWriteError> PlayerWrites::recover()
{
    const std::optional<Recovered> before = takeRecovered();
    HeldLock held = lockJournal();
    if (held && !*held)
        return PlayerWriteError::nothingWritten(held->error());
    // Only under the lock: a live writer's new copy is not a stray one.
    if (held)
        removeStrayCopies();
    std::optional<Recovered> found = takeRecovered();
    return found ? found : before;
}

Result<std::optional<PlayerWrites::Recovered>, PlayerWriteError>
PlayerWrites::recoverUnder(const FileLock &held)
{
    // A journal that cannot be read is said by what reads its writes (undo).
    const Result<std::optional<UnfinishedAction>> unfinished = journal().unfinished();
    if (!unfinished || !*unfinished)
        return std::optional<Recovered>();
    const UnfinishedAction &action = **unfinished;
    Recovered recovered{action.what, action.time, 0, {}};
    if (action.restoreKept) {
        if (const Status back = restoreKept(*action.restoreKept); !back)
            return PlayerWriteError{back.error(), false,
                                    QStringLiteral("The roster may be partly restored."), false, {}};
        if (const Status dropped = journal().dropUnfinished(action, held); !dropped)
            return PlayerWriteError::nothingWritten(dropped.error());
        return std::optional<Recovered>(recovered);
    }
    QList<GameFiles::RecordRead> atts;
    QList<qint64> offsets;
    for (const PlayerChange &change : action.changes) {
        offsets.append(change.offset);
        atts.append({change.attribOffset, change.attAfter.size()});
    }
    const Result<QList<QByteArray>> keys = GameFiles::readPlayerRecords(m_files.keyFile, offsets);
    if (!keys)
        return PlayerWriteError::nothingWritten(keys.error());
    const Result<QList<QByteArray>> attNow = GameFiles::readAttribRecords(m_files.attFile, atts);
    if (!attNow)
        return PlayerWriteError::nothingWritten(attNow.error());
    // A record that holds the new bytes gets the old again; one that holds
    // the old was not reached; one that holds neither is not ours to touch.
    QList<PlayerChange> back;
    for (qsizetype i = 0; i < action.changes.size(); ++i) {
        const PlayerChange &change = action.changes[i];
        const QByteArray &key = keys->at(i);
        const QByteArray &att = attNow->at(i);
        if ((key != change.keyBefore && key != change.keyAfter)
            || (att != change.attBefore && att != change.attAfter))
            recovered.leftAlone.append(change.playerName());
        const PlayerChange setBack{change.offset, change.attribOffset, change.goalie, key, att,
                                   key == change.keyAfter ? change.keyBefore : key,
                                   att == change.attAfter ? change.attBefore : att};
        if (setBack.changesAnything())
            back.append(setBack);
    }
    if (!back.isEmpty()) {
        const auto written = commitChanges(m_files.keyFile, m_files.attFile, back);
        if (!written)
            return written.error();
    }
    recovered.setBack = int(back.size());
    if (const Status dropped = journal().dropUnfinished(action, held); !dropped)
        return PlayerWriteError{dropped.error(), false,
                                QStringLiteral("The roster was set back; the journal still holds "
                                               "the interrupted action."),
                                false, {}};
    return std::optional<Recovered>(recovered);
}

Status PlayerWrites::restoreKept(int generation)
{
    const BackupHistory history(m_folder, m_files);
    const Result<BackupGeneration> kept = history.find(QString::number(generation));
    if (!kept)
        return kept.error();
    const Result<QList<QByteArray>> files = history.filesOf(*kept);
    if (!files)
        return files.error();
    const QStringList paths = m_files.gameFiles();
    for (qsizetype i = 0; i < paths.size() && i < files->size(); ++i) {
        const Result<QByteArray> now = GameFiles::readWholeFile(paths[i]);
        if (now && *now == files->at(i))
            continue;
        if (const Status replaced = SafeFile::replace(paths[i], files->at(i), false); !replaced)
            return replaced;
    }
    return SafeFile::putFolderOnDisk(paths.first());
}

void PlayerWrites::removeStrayCopies()
{
    // SafeFile's new copies are named "." + the file's name + "." + six
    // letters or digits; only those of this roster's own files go: its game
    // files and their backups, its journal, and its backup history's files.
    static const QRegularExpression copy(QStringLiteral("^\\.(.+)\\.[a-z0-9]{6}$"));
    const auto removeIn = [](const QString &path, const std::function<bool(const QString &)> &ours) {
        const QDir folder(path);
        for (const QString &file : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QRegularExpressionMatch match = copy.match(file);
            if (match.hasMatch() && ours(match.captured(1)))
                QFile::remove(folder.filePath(file));
        }
    };
    QStringList names;
    for (const QString &name : m_files.names())
        names << name.toLower() << backupName(name).toLower();
    removeIn(m_files.folder, [&](const QString &name) { return names.contains(name.toLower()); });
    const QFileInfo journalFile(journal().path());
    removeIn(journalFile.absolutePath(),
             [&](const QString &name) { return name == journalFile.fileName(); });
    removeIn(BackupHistory(m_folder, m_files).path(), [](const QString &) { return true; });
}

void PlayerWrites::forget(const JournalEntry &entry)
{
    for (qsizetype i = m_saves.size() - 1; i >= 0; --i) {
        if (m_saves[i].seq == entry.seq && m_saves[i].time == entry.time) {
            m_saves.removeAt(i);
            m_undone.append(entry);
            return;
        }
    }
}

Result<PlayerWrites::Step, PlayerWriteError> PlayerWrites::undo(JournalEntry entry)
{
    Steps steps = undoNewest({entry});
    if (steps.refused)
        return steps.refused->second;
    return Step{entry, steps.journaled};
}

namespace {

// A player's two records, as they are or as undoing some writes leaves them.
struct Records
{
    QByteArray key, att;
};

// The records of every player the writes changed, as the files hold them
// now (each file read once).
Result<QHash<qint64, Records>> recordsNow(const FileSet &files, const QList<JournalEntry> &writes)
{
    QList<qint64> offsets;
    QList<GameFiles::RecordRead> atts;
    for (const JournalEntry &entry : writes) {
        for (const PlayerChange &change : entry.players) {
            if (offsets.contains(change.offset))
                continue;
            offsets.append(change.offset);
            atts.append({change.attribOffset, change.attAfter.size()});
        }
    }
    const Result<QList<QByteArray>> keys = GameFiles::readPlayerRecords(files.keyFile, offsets);
    if (!keys)
        return keys.error();
    const Result<QList<QByteArray>> attBytes = GameFiles::readAttribRecords(files.attFile, atts);
    if (!attBytes)
        return attBytes.error();
    QHash<qint64, Records> now;
    for (qsizetype i = 0; i < offsets.size(); ++i)
        now.insert(offsets[i], {keys->at(i), attBytes->at(i)});
    return now;
}

} // namespace

PlayerWrites::Steps PlayerWrites::undoNewest(const QList<JournalEntry> &newestFirst)
{
    Steps steps;
    if (newestFirst.isEmpty())
        return steps;
    auto held = lockJournal();
    const Result<QHash<qint64, Records>> now = recordsNow(m_files, newestFirst);
    if (!now) {
        steps.refused.emplace(newestFirst.first(),
                              PlayerWriteError::nothingWritten(now.error()));
        return steps;
    }
    // Each write in turn must find its records as it left them, once the
    // newer ones are taken back; the first that does not is refused whole.
    QHash<qint64, Records> state = *now;
    for (const JournalEntry &entry : newestFirst) {
        const bool several = entry.players.size() > 1;
        for (const PlayerChange &change : entry.players) {
            const Records &records = state[change.offset];
            if (records.key != change.keyAfter || records.att != change.attAfter) {
                const bool key = records.key != change.keyAfter;
                steps.refused.emplace(
                    entry, recordChangedSince(key ? m_files.keyFile : m_files.attFile,
                                              change.reversed(), several));
                break;
            }
        }
        if (steps.refused)
            break;
        for (const PlayerChange &change : entry.players)
            state[change.offset] = {change.keyBefore, change.attBefore};
        steps.undone.append(entry);
    }

    // What the writes taken back change, from the records as they are now.
    QList<PlayerChange> back;
    QSet<qint64> listed;
    for (const JournalEntry &entry : std::as_const(steps.undone)) {
        for (const PlayerChange &change : entry.players) {
            const Records &from = (*now)[change.offset];
            const Records &to = state[change.offset];
            if (listed.contains(change.offset) || (from.key == to.key && from.att == to.att))
                continue;
            listed.insert(change.offset);
            back.append({change.offset, change.attribOffset, change.goalie, from.key, from.att,
                         to.key, to.att});
        }
    }
    QList<int> seqs;
    for (const JournalEntry &entry : std::as_const(steps.undone)) {
        if (entry.seq > 0) // a write the journal could not record has no number
            seqs.append(entry.seq);
    }
    if (!back.isEmpty()) {
        const auto written =
            perform(undoName(steps.undone), nullptr, seqs, back, held, steps.journaled);
        if (!written) {
            steps.refused.emplace(steps.undone.first(), written.error());
            steps.undone.clear();
            return steps;
        }
    } else if (!seqs.isEmpty()) {
        lockForAction(held);
        steps.journaled = *held ? journal().markUndone(seqs, ***held) : Status(held->error());
    }
    for (const JournalEntry &entry : std::as_const(steps.undone))
        forget(entry);
    return steps;
}

std::optional<Result<PlayerWrites::Step, PlayerWriteError>> PlayerWrites::undoLastSave()
{
    if (m_saves.isEmpty())
        return std::nullopt;
    return undo(m_saves.last());
}

std::optional<Result<PlayerWrites::Step, PlayerWriteError>> PlayerWrites::redoLastUndo()
{
    if (m_undone.isEmpty())
        return std::nullopt;
    const JournalEntry entry = m_undone.last();
    auto held = lockJournal();
    const Result<QList<PlayerChange>, PlayerWriteError> planned =
        planChangesOver(m_files.keyFile, m_files.attFile, entry.players);
    if (!planned)
        return Result<Step, PlayerWriteError>(planned.error());
    // Made again, it is a write of its own.
    JournalEntry redone = JournalEntry::of(entry.label, *planned);
    Status journaled;
    const auto written = perform(QStringLiteral("a redo of ") + entry.playerName(), &redone, {},
                                 *planned, held, journaled);
    if (!written)
        return Result<Step, PlayerWriteError>(written.error());
    m_undone.removeLast();
    m_saves.append(redone);
    return Result<Step, PlayerWriteError>(Step{entry, journaled});
}

} // namespace Puckdex
