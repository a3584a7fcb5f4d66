#include "history/playerwrites.h"

#include "files/gamefiles.h"
#include "history/filelocks.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

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

Result<BackupOutcome, BackupFailure> PlayerWrites::makeBackups() const
{
    BackupHistory history(m_folder, m_files);
    return Puckdex::makeBackups(m_files, history);
}

PlayerWrites::HeldLock PlayerWrites::lockJournal()
{
    if (!QFileInfo(QFileInfo(journal().path()).absolutePath()).isDir())
        return std::nullopt;
    return journal().lock();
}

Status PlayerWrites::record(JournalEntry &entry, HeldLock &held)
{
    if (!held)
        held = journal().lock();
    if (!*held)
        return held->error();
    return journal().append(entry, ***held);
}

Result<PlayerWrites::Done, PlayerWriteError>
PlayerWrites::save(qint64 offset, bool goalie, const PlayerFields &fields)
{
    auto held = lockJournal();
    const Result<WrittenPlayer, PlayerWriteError> written =
        writePlayerFields(m_files.keyFile, m_files.attFile, offset, goalie, fields);
    if (!written)
        return written.error();
    Done done{*written, JournalEntry::of(offset, goalie, *written), Status()};
    if (!done.entry.changesAnything())
        return done;
    m_undone.clear();
    done.journaled = record(done.entry, held);
    m_saves.append(done.entry);
    return done;
}

Result<PlayerWrites::Saved, PlayerWriteError>
PlayerWrites::saveAll(const QList<FieldsWrite> &writes, const QString &label)
{
    auto held = lockJournal();
    const Result<QList<PlayerChange>, PlayerWriteError> changes =
        writePlayersFields(m_files.keyFile, m_files.attFile, writes);
    if (!changes)
        return changes.error();
    Saved saved{JournalEntry::of(label, *changes), Status()};
    if (!saved.entry.changesAnything())
        return saved;
    m_undone.clear();
    saved.journaled = record(saved.entry, held);
    m_saves.append(saved.entry);
    return saved;
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
                              PlayerWriteError{now.error(), true,
                                               QStringLiteral("Nothing was written."), false});
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
    if (!back.isEmpty()) {
        const auto written = writeChangesOver(m_files.keyFile, m_files.attFile, back);
        if (!written) {
            steps.refused.emplace(steps.undone.first(), written.error());
            steps.undone.clear();
            return steps;
        }
    }
    QList<int> seqs;
    for (const JournalEntry &entry : std::as_const(steps.undone)) {
        if (entry.seq > 0) // a write the journal could not record has no number
            seqs.append(entry.seq);
        forget(entry);
    }
    if (!seqs.isEmpty()) {
        if (!held)
            held = journal().lock();
        steps.journaled = *held ? journal().markUndone(seqs, ***held) : Status(held->error());
    }
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
    const Result<QList<PlayerChange>, PlayerWriteError> again =
        entry.redo(m_files.keyFile, m_files.attFile);
    if (!again)
        return Result<Step, PlayerWriteError>(again.error());
    m_undone.removeLast();
    // Made again, it is a write of its own.
    JournalEntry redone = JournalEntry::of(entry.label, *again);
    const Status journaled = record(redone, held);
    m_saves.append(redone);
    return Result<Step, PlayerWriteError>(Step{entry, journaled});
}

} // namespace Puckdex
