#include "importer.h"
#include "namematcher.h"

#include "history/playerwrites.h"
#include "player/playerdraft.h"
#include "player/playeredit.h"
#include "player/valuerules.h"

#include <QHash>

#include <cmath>
#include <map>

namespace Puckdex::Cli {

namespace {

struct Player
{
    PlayerEntry disk;
    QString city;
    std::optional<FileError> ratingsError; // his attribute record cannot be read
    PlayerDraft draft;    // his edit after the rows accepted so far
    Row diskShown;        // shown(draft.loaded()), made once
    Row fieldsShown;      // shown(draft.fields()), made again whenever a row is accepted
    bool ordered = false; // in m_order already

    int team() const { return disk.record.teamNumber(); }
    bool goalie() const { return draft.isGoalie(); }
    Row shown(const PlayerFields &f) const
    {
        return shownRow({team(), city, disk.offset}, goalie(), f, !ratingsError);
    }
};

bool isWhole(double value)
{
    return std::isfinite(value) && std::floor(value) == value;
}

class Import
{
public:
    Import(const Roster &roster, const ImportOptions &options, QTextStream &out, QTextStream &err)
        : m_roster(roster), m_options(options), m_out(out), m_err(err),
          m_writes(WriteJournal::defaultFolder(), roster.files)
    {
        QHash<int, QList<PlayerEntry>> teams;
        for (const PlayerEntry &player : roster.teamPlayers()) {
            m_teamPlayers.insert(player.offset, player);
            teams[player.record.teamNumber()].append(player);
        }
        for (auto it = teams.cbegin(); it != teams.cend(); ++it)
            m_teams.emplace(it.key(), TeamJerseys(it.value()));
    }

    ImportStatus run(const QList<InputRow> &rows)
    {
        qsizetype refused = 0;
        const QList<InputRow> named = m_options.byName ? matchByName(rows, refused) : rows;
        QList<qint64> accepted;
        for (const InputRow &row : named) {
            if (!apply(row))
                ++refused;
            else
                accepted.append(readNumber(*row.cells[OffsetColumn]));
        }

        QList<std::pair<Player *, QStringList>> changed;
        for (const qint64 offset : std::as_const(m_order)) {
            Player &player = m_players.at(offset);
            const QStringList changes = changesOf(player);
            if (!changes.isEmpty())
                changed.append({&player, changes});
        }

        QString ofRows = plural(rows.size(), "row", "rows");
        if (m_options.byName) {
            // The rows matched whose player ends as he was.
            qsizetype unchanged = 0;
            for (const qint64 offset : std::as_const(accepted)) {
                unchanged += std::none_of(changed.cbegin(), changed.cend(), [&](const auto &c) {
                    return c.first->disk.offset == offset;
                });
            }
            ofRows += QStringLiteral(" (%1 matched by name, %2 unchanged)")
                          .arg(named.size())
                          .arg(unchanged);
        }
        if (m_options.dryRun) {
            for (const auto &[player, changes] : changed)
                printChange(*player, changes);
            m_out << QStringLiteral("Dry run: %1 would change, %2 refused, of %3; nothing was "
                                    "written.\n")
                         .arg(plural(changed.size(), "player", "players"),
                              plural(refused, "row", "rows"), ofRows);
            return refused ? SomeRefused : AllApplied;
        }

        if (!changed.isEmpty() && m_options.backups && !makeBackups())
            return NothingDone;
        if (!changed.isEmpty() && !write(changed))
            return NothingDone;
        m_out << QStringLiteral("%1 changed, %2 refused, of %3.\n")
                     .arg(plural(changed.size(), "player", "players"),
                          plural(refused, "row", "rows"), ofRows);
        return refused ? SomeRefused : AllApplied;
    }

    // Each row given the offset of the one player it names; a row that names
    // no one, or several, is refused with the candidates. The cells that
    // named him (names, jersey) change nothing. A dry run lists each match.
    QList<InputRow> matchByName(const QList<InputRow> &rows, qsizetype &refused)
    {
        QList<MatchTeam> teams;
        for (int n = 0; n < m_roster.teams.size(); ++n) {
            const TeamRecord &team = m_roster.teams[n];
            teams.append({n, team.abbrev().trimmed(), team.city(), team.teamName()});
        }
        QList<MatchPlayer> players;
        for (const PlayerEntry &p : m_roster.teamPlayers()) {
            players.append({p.record.teamNumber(), p.offset, p.record.firstName(),
                            p.record.lastName(), p.record.jerseyNumber()});
        }
        const NameMatcher matcher(teams, players);
        QList<InputRow> named;
        for (const InputRow &row : rows) {
            const NameMatcher::Found found =
                matcher.find({row.team, row.cells[LastNameColumn], row.cells[FirstNameColumn],
                              row.fullName, row.cells[JerseyColumn]});
            if (!found.offset) {
                m_err << QStringLiteral("refused: %1: %2\n").arg(row.where, found.refusal);
                ++refused;
                continue;
            }
            if (m_options.dryRun)
                m_out << QStringLiteral("%1 -> %2\n").arg(row.where, matcher.describe(*found.offset));
            InputRow given = row;
            given.cells[OffsetColumn] = QString::number(*found.offset);
            for (const int c : {FirstNameColumn, LastNameColumn, JerseyColumn})
                given.cells[c].reset();
            named.append(given);
        }
        return named;
    }

private:
    // False when the row is refused; then nothing of it applies.
    bool apply(const InputRow &row)
    {
        const QString offsetText = row.cells[OffsetColumn].value_or(QString());
        Player *player = nullptr;
        if (const std::optional<QString> problem = findPlayer(offsetText, player)) {
            refuse(row, offsetText.trimmed(), *problem);
            return false;
        }
        const QString where = QString::number(player->disk.offset);
        QStringList warnings;
        bool renamed = false;
        // The row's edit, kept only when the whole row is accepted.
        PlayerDraft next = player->draft;
        const InputRow given = withNamesTrimmed(row, *player, warnings);
        if (const std::optional<QString> problem = judge(given, *player, next, renamed, warnings)) {
            refuse(row, where, *problem);
            return false;
        }
        for (const QString &warning : std::as_const(warnings))
            m_err << QStringLiteral("warning: %1, offset %2: %3\n").arg(row.where, where, warning);

        if (renamed && m_options.unlinkRenamedPictures)
            next.unlinkPicture();
        if (next.fields().jerseyNumber != player->draft.fields().jerseyNumber)
            m_teams.at(player->team()).setNumber(player->disk.offset, *next.fields().jerseyNumber);
        player->draft = next;
        player->fieldsShown = player->shown(next.fields());
        if (!player->ordered) {
            player->ordered = true;
            m_order.append(player->disk.offset);
        }
        return true;
    }

    std::optional<QString> findPlayer(const QString &offsetText, Player *&player)
    {
        if (offsetText.trimmed().isEmpty())
            return QStringLiteral("the row gives no offset");
        const double value = readNumber(offsetText);
        const qint64 offset = isWhole(value) ? qint64(value) : -1;
        if (!isWhole(value) || !GameFiles::isPlayerOffset(offset))
            return QStringLiteral("no player record starts at that offset");
        if (const auto it = m_players.find(offset); it != m_players.end()) {
            player = &it->second;
            return std::nullopt;
        }
        const auto known = m_teamPlayers.constFind(offset);
        if (known == m_teamPlayers.constEnd()) {
            for (const PlayerEntry &entry : m_roster.players) {
                if (entry.offset == offset) {
                    return QStringLiteral("%1 belongs to no team (team number %2)")
                        .arg(describePlayer(offset, entry.record))
                        .arg(entry.record.teamNumber());
                }
            }
            return QStringLiteral("%1 holds no player record")
                .arg(fileNameOf(m_roster.files.keyFile));
        }

        // A player whose ratings cannot be read is shown by his key record
        // alone; a row may change that, not his ratings.
        const PlayerRecord &key = known->record;
        const Result<PlayerEdit::AttribRecords> read =
            PlayerEdit::readAttribs(m_roster.files.attFile, key);
        PlayerEdit::AttribRecords records;
        if (read) {
            records = *read;
        } else {
            records.goalie = key.isGoalie();
            records.fields = PlayerEdit::keyRecordFields(key);
        }
        Player loaded{*known,
                      m_roster.teams.at(key.teamNumber()).city(),
                      read ? std::nullopt : std::optional<FileError>(read.error()),
                      PlayerDraft(offset, key, records, m_teams.at(key.teamNumber()),
                                  PlayerDraft::Untouched::KeepStored),
                      {},
                      {},
                      false};
        loaded.diskShown = loaded.shown(loaded.draft.loaded());
        loaded.fieldsShown = loaded.diskShown;
        player = &m_players.emplace(offset, std::move(loaded)).first->second;
        return std::nullopt;
    }

    // The row with blanks at the ends of its name cells dropped, each with a
    // warning, unless the user keeps them. The export never writes them, so
    // they are a spreadsheet's or a typist's; a cell that equals the name as
    // shown is left as it is.
    InputRow withNamesTrimmed(const InputRow &row, const Player &player,
                              QStringList &warnings) const
    {
        InputRow trimmed = row;
        if (m_options.keepBlanks)
            return trimmed;
        const Row &shown = player.fieldsShown;
        for (const int c : {FirstNameColumn, LastNameColumn}) {
            std::optional<QString> &cell = trimmed.cells[c];
            if (!cell || *cell == shown[c] || cell->trimmed() == *cell)
                continue;
            warnings.append(QStringLiteral("%1 \"%2\" of %3 %4: the blanks at its ends were "
                                           "dropped (--keep-blanks keeps them)")
                                .arg(columns()[c].name, *cell, shown[FirstNameColumn],
                                     shown[LastNameColumn]));
            cell = cell->trimmed();
            if (cell->isEmpty())
                cell.reset();
        }
        return trimmed;
    }

    // What a row gives, against what the editor shows of the player so far.
    struct RowView
    {
        const InputRow &row;
        const Row &shown;

        const std::optional<QString> &given(int column) const { return row.cells[column]; }
        bool differs(int column) const { return given(column) && *given(column) != shown[column]; }
        bool numberDiffers(int column) const
        {
            return given(column) && readNumber(*given(column)) != readNumber(shown[column]);
        }
    };

    // The editor's check of a number leaving its box, its message a warning.
    static int adjust(const RowView &view, int column, const PlayerDraft &draft,
                      const PlayerField &field, QStringList &warnings)
    {
        const QString &cell = *view.given(column);
        const PlayerEdit::CheckedNumber checked = draft.check(field, cell);
        if (!checked.message.isEmpty()) {
            warnings.append(QStringLiteral("%1 %2: %3")
                                .arg(columns()[column].name, cell.trimmed(),
                                     checked.message.section(QStringLiteral("\r\n"), 0, 0)));
        }
        return checked.value;
    }

    // Sets into next what the row changes, or says why the row is refused.
    std::optional<QString> judge(const InputRow &row, const Player &player, PlayerDraft &next,
                                 bool &renamed, QStringList &warnings)
    {
        const RowView view{row, player.fieldsShown};
        if (view.numberDiffers(TeamColumn)) {
            return QStringLiteral("team %1: a player cannot change teams here; he plays for "
                                  "team %2")
                .arg(view.given(TeamColumn)->trimmed())
                .arg(player.team());
        }
        if (view.differs(CityColumn)) {
            return QStringLiteral("city \"%1\": a team's city cannot be changed here; his "
                                  "team's is \"%2\"")
                .arg(*view.given(CityColumn), view.shown[CityColumn]);
        }
        if (auto refusal = judgeIdentity(view, next, renamed))
            return refusal;
        if (auto refusal = judgeBody(view, next, warnings))
            return refusal;
        if (auto refusal = judgeRatings(view, player, next, warnings))
            return refusal;
        // The editor writes a player whole: his attribute record must be there.
        if (player.ratingsError && player.shown(next.fields()) != view.shown)
            return QStringLiteral("his ratings cannot be read: %1")
                .arg(player.ratingsError->reason);
        return std::nullopt;
    }

    // Names, jersey and position.
    static std::optional<QString> judgeIdentity(const RowView &view, PlayerDraft &next,
                                                bool &renamed)
    {
        if (view.differs(FirstNameColumn)) {
            const PlayerEdit::StoredName first = next.setFirstName(*view.given(FirstNameColumn));
            if (!first.refusal.isEmpty())
                return first.refusal;
        }
        if (view.differs(LastNameColumn)) {
            const PlayerDraft::Rename last = next.setLastName(*view.given(LastNameColumn));
            if (!last.name.refusal.isEmpty())
                return last.name.refusal;
            renamed = last.askAboutPicture;
        }
        if (view.numberDiffers(JerseyColumn)) {
            const double number = readNumber(*view.given(JerseyColumn));
            if (!isJerseyNumber(number)) {
                return QStringLiteral("jersey %1 is not a whole number from %2 to %3")
                    .arg(view.given(JerseyColumn)->trimmed())
                    .arg(kLowestJersey)
                    .arg(kHighestJersey);
            }
            if (const TeamJerseys::Wearer *mate = next.setJersey(int(number))) {
                return QStringLiteral("jersey %1 is worn by his teammate %2 %3 (offset %4)")
                    .arg(int(number))
                    .arg(mate->firstName, mate->lastName)
                    .arg(mate->offset);
            }
        }
        if (view.differs(PositionColumn)) {
            const QString typed = *view.given(PositionColumn);
            if (PlayerEdit::positionLetter(typed) != view.shown[PositionColumn]) {
                if (const QString refusal = next.setPosition(typed); !refusal.isEmpty())
                    return refusal;
            }
        }
        return std::nullopt;
    }

    // Height, weight and rookie flag.
    static std::optional<QString> judgeBody(const RowView &view, PlayerDraft &next,
                                            QStringList &warnings)
    {
        for (const int column : {HeightFeetColumn, HeightInchesColumn}) {
            if (view.numberDiffers(column)) {
                const PlayerField &field = *columns()[column].field;
                next.setNumber(field, adjust(view, column, next, field, warnings));
            }
        }
        if (view.numberDiffers(WeightColumn)) {
            const PlayerField &weight = playerField(FieldId::Weight);
            // The weight class follows a weight the row changes, and only then.
            const int pounds = adjust(view, WeightColumn, next, weight, warnings);
            if (pounds != next.fields().weightPounds)
                next.setNumber(weight, pounds);
        }
        if (view.differs(RookieColumn) && !next.setRookie(*view.given(RookieColumn)))
            return QStringLiteral("rookie \"%1\" is neither Y nor N").arg(*view.given(RookieColumn));
        return std::nullopt;
    }

    // Hand and ratings.
    static std::optional<QString> judgeRatings(const RowView &view, const Player &player,
                                               PlayerDraft &next, QStringList &warnings)
    {
        const bool ratingsGiven = view.given(HandColumn) || [&] {
            for (int c = FirstRatingColumn; c < kColumnCount; ++c) {
                if (view.given(c))
                    return true;
            }
            return false;
        }();
        if (player.ratingsError && ratingsGiven)
            return QStringLiteral("his ratings cannot be read: %1")
                .arg(player.ratingsError->reason);
        if (view.differs(HandColumn)) {
            const std::optional<Hand> hand = handOfLetter(*view.given(HandColumn));
            if (!hand) {
                return QStringLiteral("hand \"%1\" is neither %2 nor %3")
                    .arg(*view.given(HandColumn), handLetter(Hand::Left), handLetter(Hand::Right));
            }
            next.setHand(*hand);
        }
        for (int c = FirstRatingColumn; c < kColumnCount; ++c) {
            if (!view.given(c))
                continue;
            const PlayerField &field = *columns()[c].field;
            if (!field.of(player.goalie()).applies()) {
                return QLatin1String(player.goalie() ? "%1 is a skater's rating; he is a goalie"
                                                     : "%1 is a goalie's rating; he is a skater")
                    .arg(field.column);
            }
            if (!view.numberDiffers(c))
                continue;
            const int value = adjust(view, c, next, field, warnings);
            if (value != readNumber(view.shown[c]))
                next.setNumber(field, value);
        }
        return std::nullopt;
    }

    QStringList changesOf(const Player &player) const
    {
        QStringList changes =
            cellChanges(player.diskShown, player.fieldsShown);
        if (!changes.isEmpty() && player.draft.fields().unlinkPicture)
            changes.append(QStringLiteral("picture unlinked"));
        return changes;
    }

    void printChange(const Player &player, const QStringList &changes)
    {
        // Put together piece by piece: a name may hold a % of its own.
        QString line = describePlayer(player.disk.offset, player.disk.record);
        line += u", team ";
        line += QString::number(player.team());
        line += u": ";
        for (qsizetype i = 0; i < changes.size(); ++i) {
            if (i > 0)
                line += u", ";
            line += changes[i];
        }
        line += u'\n';
        m_out << line;
    }

    void refuse(const InputRow &row, const QString &offset, const QString &reason)
    {
        m_err << QStringLiteral("refused: %1, offset %2: %3\n")
                     .arg(row.where, offset.isEmpty() ? QStringLiteral("none") : offset, reason);
    }

    // Every changed player written as one write, one entry in the journal;
    // a failure writes none of them. A journal that could not record the
    // write for undo is said; it never stops the import.
    bool write(const QList<std::pair<Player *, QStringList>> &changed)
    {
        QList<FieldsWrite> writes;
        for (const auto &[player, changes] : changed)
            writes.append(player->draft.write());
        const QString label = m_options.source.isEmpty()
                                  ? QStringLiteral("import")
                                  : QStringLiteral("import of %1").arg(m_options.source);
        const auto saved = m_writes.saveAll(writes, label);
        if (!saved) {
            m_err << QStringLiteral("puckdex-cli: the import could not be written: %1\n")
                         .arg(saved.error().error.fullMessage());
            m_err << QStringLiteral("puckdex-cli: %1\n").arg(saved.error().onDisk);
            return false;
        }
        for (const auto &[player, changes] : changed)
            printChange(*player, changes);
        if (!saved->journaled) {
            m_err << QStringLiteral("warning: the write journal could not be written, so "
                                    "\"puckdex-cli undo\" cannot take back this import: %1\n")
                         .arg(saved->journaled.error().fullMessage());
        }
        return true;
    }

    bool makeBackups()
    {
        const auto made = m_writes.makeBackups();
        if (!made) {
            const BackupFailure &failure = made.error();
            m_err << (failure.historyFailed
                          ? QStringLiteral("puckdex-cli: the older backups could not be kept, so "
                                           "nothing was written: %1\n")
                                .arg(failure.error.fullMessage())
                          : QStringLiteral("puckdex-cli: the backup of %1 failed, so nothing was "
                                           "written: %2\n")
                                .arg(failure.name, failure.error.fullMessage()));
            return false;
        }
        if (made->keptGeneration)
            m_out << QStringLiteral("The older backups were kept as generation %1.\n")
                         .arg(*made->keptGeneration);
        if (made->firstNotKept)
            m_err << QStringLiteral("warning: the backups were made, but could not be kept in "
                                    "the backup history: %1\n")
                         .arg(made->firstNotKept->fullMessage());
        return true;
    }

    const Roster &m_roster;
    const ImportOptions m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    QHash<qint64, PlayerEntry> m_teamPlayers;
    // Jerseys as the accepted rows left them; the drafts hold on to them, so
    // they stay where they are (a map's nodes do not move).
    std::map<int, TeamJerseys> m_teams;
    std::map<qint64, Player> m_players; // the players the rows name
    QList<qint64> m_order;                  // in the order the rows first changed them
    PlayerWrites m_writes; // the backups, the writes and their journal
};

} // namespace

ImportStatus importRows(const Roster &roster, const QList<InputRow> &rows,
                        const ImportOptions &options, QTextStream &out, QTextStream &err)
{
    return Import(roster, options, out, err).run(rows);
}

} // namespace Puckdex::Cli
