#include "history/playerwrites.h"

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

Result<PlayerWrites::Done, PlayerWriteError>
PlayerWrites::save(qint64 offset, bool goalie, const PlayerFields &fields)
{
    const Result<WrittenPlayer, PlayerWriteError> written =
        writePlayerFields(m_files.keyFile, m_files.attFile, offset, goalie, fields);
    if (!written)
        return written.error();
    Done done{*written, JournalEntry::of(offset, goalie, *written), Status()};
    if (!done.entry.changesAnything())
        return done;
    m_undone.clear();
    done.journaled = journal().append(done.entry);
    m_saves.append(done.entry);
    return done;
}

Result<PlayerWrites::Step, PlayerWriteError> PlayerWrites::undo(JournalEntry entry)
{
    const Result<WrittenPlayer, PlayerWriteError> back =
        entry.undo(m_files.keyFile, m_files.attFile);
    if (!back)
        return back.error();
    for (qsizetype i = m_saves.size() - 1; i >= 0; --i) {
        if (m_saves[i].seq == entry.seq && m_saves[i].offset == entry.offset) {
            m_saves.removeAt(i);
            m_undone.append(entry);
            break;
        }
    }
    return Step{entry, journal().markUndone(entry.seq)};
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
    const Result<WrittenPlayer, PlayerWriteError> again =
        entry.redo(m_files.keyFile, m_files.attFile);
    if (!again)
        return Result<Step, PlayerWriteError>(again.error());
    m_undone.removeLast();
    // Made again, it is a write of its own.
    JournalEntry redone = JournalEntry::of(entry.offset, entry.goalie, *again);
    const Status journaled = journal().append(redone);
    m_saves.append(redone);
    return Result<Step, PlayerWriteError>(Step{entry, journaled});
}

} // namespace Puckdex
