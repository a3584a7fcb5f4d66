#include "table/rostertable.h"

#include "files/gamefiles.h"
#include "player/playeredit.h"
#include "player/valuerules.h"

#include <QLocale>

namespace Puckdex {

using PlayerRow::columns;

namespace {

constexpr int kRatingColumns = PlayerRow::kColumnCount - PlayerRow::FirstRatingColumn;
constexpr int kColumns = RosterTable::FirstRating + kRatingColumns;

// The player row's column a table column shows.
int rowColumn(int column)
{
    static constexpr std::array<int, RosterTable::FirstRating> identity = {
        PlayerRow::LastNameColumn, PlayerRow::FirstNameColumn, PlayerRow::TeamColumn,
        PlayerRow::JerseyColumn,   PlayerRow::PositionColumn,  PlayerRow::HeightFeetColumn,
        PlayerRow::HeightInchesColumn, PlayerRow::WeightColumn, PlayerRow::RookieColumn,
        PlayerRow::HandColumn,
    };
    return column < RosterTable::FirstRating
               ? identity[std::size_t(column)]
               : PlayerRow::FirstRatingColumn + column - RosterTable::FirstRating;
}

// A label of the editor without its colon.
QString caption(const char *label)
{
    QString text = QString::fromLatin1(label);
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

QString columnCaption(int column)
{
    switch (column) {
    case RosterTable::Team:
        return QStringLiteral("Team");
    case RosterTable::Hand:
        return QStringLiteral("Shoots");
    case RosterTable::HeightFeet:
        return QStringLiteral("Height (ft)");
    case RosterTable::HeightInches:
        return QStringLiteral("Height (in)");
    default:
        break;
    }
    const PlayerRow::Column &shown = columns()[std::size_t(rowColumn(column))];
    return caption(shown.field ? shown.field->caption : shown.caption);
}

// The status-line help of a number's box, for a kind of player or for both.
QString columnHelp(int column)
{
    const PlayerField *field = columns()[std::size_t(rowColumn(column))].field;
    if (!field)
        return {};
    const FieldKind &skater = field->skater;
    const FieldKind &goalie = field->goalie;
    if (!goalie.applies())
        return QStringLiteral("Skaters: %1").arg(skater.rule->help);
    if (!skater.applies())
        return QStringLiteral("Goalies: %1").arg(goalie.rule->help);
    if (skater.rule->help == goalie.rule->help)
        return skater.rule->help.toString();
    return QStringLiteral("Skaters: %1\nGoalies: %2").arg(skater.rule->help, goalie.rule->help);
}

QString upperFirst(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

// A refusal as the status line says it: a sentence.
RosterTable::Entry refused(const QString &why)
{
    QString text = upperFirst(why);
    if (!text.endsWith(u'.'))
        text += u'.';
    return {RosterTable::Entry::Refused, text, false};
}

// A number as the import reads one: text is no number, and never becomes 0.
std::optional<double> typedNumber(QStringView text)
{
    const std::optional<QString> number = plainNumber(text, true);
    return number ? std::optional<double>(number->toDouble()) : std::nullopt;
}

} // namespace

struct RosterTable::TableRow
{
    qint64 offset = 0;
    int team = 0;
    // None when his ratings cannot be read: he is shown, not changed.
    std::optional<PlayerDraft> draft;
    QString unreadable;
    PlayerRow::Row cells;
};

RosterTable::RosterTable(QObject *parent) : QAbstractTableModel(parent) {}

RosterTable::~RosterTable() = default;

Status RosterTable::load(const FileSet &files, std::optional<int> team)
{
    beginResetModel();
    m_rows.clear();
    m_jerseys.clear();
    m_files = files;
    m_team = team;
    const auto finish = [this](Status status) {
        endResetModel();
        return status;
    };
    Result<QList<TeamRecord>> teams = GameFiles::listTeams(files.teamFile);
    if (!teams)
        return finish(teams.error());
    m_teamRecords = *teams;
    const Result<QList<PlayerEntry>> players = team
                                                   ? GameFiles::scanPlayers(files.keyFile, *team)
                                                   : GameFiles::scanAllPlayers(files.keyFile);
    if (!players)
        return finish(players.error());
    // The attribute file read once: each player's record is a slice of it.
    const Result<QByteArray> att = GameFiles::readWholeFile(files.attFile);
    if (!att)
        return finish(att.error());

    std::map<int, QList<PlayerEntry>> byTeam;
    for (const PlayerEntry &player : *players) {
        const int number = player.record.teamNumber();
        if (number >= 0 && number < m_teamRecords.size())
            byTeam[number].append(player);
    }
    for (const auto &[number, mates] : byTeam)
        m_jerseys[number] = std::make_unique<TeamJerseys>(mates);
    for (const PlayerEntry &player : *players) {
        const int number = player.record.teamNumber();
        if (number < 0 || number >= m_teamRecords.size())
            continue; // free agents: the editor does not reach them
        auto row = std::make_unique<TableRow>();
        row->offset = player.offset;
        row->team = number;
        const qint64 at = player.record.attribOffset();
        const int size = PlayerEdit::attribRecordSize(player.record.isGoalie());
        if (at < 0 || at > att->size() - size) {
            row->unreadable = QStringLiteral("his attribute record lies past the end of %1")
                                  .arg(files.attFile);
        } else {
            row->draft.emplace(player.offset, player.record,
                               PlayerEdit::attribsOf(player.record, player.record.isGoalie(),
                                                     QByteArrayView(*att).sliced(at, size)),
                               jerseys(number));
        }
        readRow(*row, player.record);
        m_rows.push_back(std::move(row));
    }
    return finish(Status());
}

TeamJerseys &RosterTable::jerseys(int team)
{
    std::unique_ptr<TeamJerseys> &mates = m_jerseys[team];
    if (!mates)
        mates = std::make_unique<TeamJerseys>();
    return *mates;
}

void RosterTable::readRow(TableRow &row, const PlayerRecord &key)
{
    const PlayerRow::Place place{row.team, m_teamRecords.value(row.team).city(), row.offset};
    row.cells = row.draft ? PlayerRow::shownRow(place, row.draft->isGoalie(), row.draft->fields())
                          : PlayerRow::unreadableRow(place, key);
    row.cells[PlayerRow::TeamColumn] = m_teamRecords.value(row.team).abbrev().trimmed();
}

void RosterTable::refresh(int row)
{
    TableRow &shown = *m_rows[std::size_t(row)];
    if (!shown.draft)
        return;
    readRow(shown, PlayerRecord()); // from his draft; the record is not read
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

int RosterTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RosterTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant RosterTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TableRow &row = *m_rows[std::size_t(index.row())];
    const int shown = rowColumn(index.column());
    const PlayerRow::Column &column = columns()[std::size_t(shown)];
    const QString &text = row.cells[std::size_t(shown)];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text;
    case SortRole:
        if (column.kind == PlayerRow::CellKind::Number && index.column() != Team)
            return text.isEmpty() ? -1.0 : QLocale::c().toDouble(text);
        return text;
    case Qt::TextAlignmentRole:
        return column.kind == PlayerRow::CellKind::Number && index.column() != Team
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        if (!row.draft)
            return QStringLiteral("His ratings cannot be read: %1.").arg(row.unreadable);
        if (column.field && column.field->of(row.draft->isGoalie()).applies())
            return column.field->of(row.draft->isGoalie()).rule->help.toString();
        return {};
    default:
        return {};
    }
}

QVariant RosterTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return columnCaption(section);
    if (role == Qt::ToolTipRole) {
        const QString help = columnHelp(section);
        return help.isEmpty() ? QVariant() : QVariant(help);
    }
    return {};
}

Qt::ItemFlags RosterTable::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const TableRow &row = *m_rows[std::size_t(index.row())];
    if (!row.draft || index.column() == Team)
        return flags;
    const PlayerField *field = columns()[std::size_t(rowColumn(index.column()))].field;
    if (field && !field->of(row.draft->isGoalie()).applies())
        return flags;
    return flags | Qt::ItemIsEditable;
}

bool RosterTable::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole)
        return false;
    m_lastEntry = enter(index, value.toString());
    const Entry &entry = m_lastEntry;
    if (!entry.message.isEmpty())
        emit said(entry.message);
    if (entry.renamed)
        emit renamed(index.row());
    return entry.kind == Entry::Changed || entry.kind == Entry::Adjusted;
}

RosterTable::Entry RosterTable::enter(const QModelIndex &index, QStringView text)
{
    if (!index.isValid() || index.model() != this)
        return {Entry::NotEditable, {}, false};
    TableRow &row = *m_rows[std::size_t(index.row())];
    if (!(flags(index) & Qt::ItemIsEditable)) {
        const QString name = nameAt(index.row());
        if (!row.draft)
            return {Entry::NotEditable,
                    QStringLiteral("The ratings of %1 cannot be read (%2): he is not changed here.")
                        .arg(name, row.unreadable),
                    false};
        if (index.column() == Team)
            return {Entry::NotEditable, QStringLiteral("A player's team is not changed here."),
                    false};
        return {Entry::NotEditable,
                QStringLiteral("%1 is not a rating of %2, a %3.")
                    .arg(columnCaption(index.column()), name,
                         QLatin1String(row.draft->isGoalie() ? "goalie" : "skater")),
                false};
    }
    const PlayerRow::Row before = row.cells;
    Entry entry = index.column() < HeightFeet || index.column() == Rookie || index.column() == Hand
                      ? enterIdentity(row, index.column(), text)
                      : enterNumber(row, index.column(), text);
    refresh(index.row());
    if (entry.kind == Entry::Changed && row.cells == before)
        entry.kind = Entry::Unchanged;
    return entry;
}

RosterTable::Entry RosterTable::enterIdentity(TableRow &row, int column, QStringView text)
{
    PlayerDraft &draft = *row.draft;
    switch (column) {
    case FirstName: {
        const PlayerEdit::StoredName name = draft.setFirstName(text);
        return name.refusal.isEmpty() ? Entry{Entry::Changed, {}, false} : refused(name.refusal);
    }
    case LastName: {
        const PlayerDraft::Rename rename = draft.setLastName(text);
        if (!rename.name.refusal.isEmpty())
            return refused(rename.name.refusal);
        return {Entry::Changed, {}, rename.askAboutPicture};
    }
    case Jersey: {
        const std::optional<double> number = typedNumber(text);
        if (!number || !isJerseyNumber(*number)) {
            return refused(QStringLiteral("\"%1\" is not a whole number from %2 to %3")
                               .arg(text.trimmed())
                               .arg(kLowestJersey)
                               .arg(kHighestJersey));
        }
        if (const TeamJerseys::Wearer *mate = draft.setJersey(int(*number)))
            return refused(wornNumberText(int(*number), *mate));
        jerseys(row.team).setNumber(row.offset, int(*number));
        return {Entry::Changed, {}, false};
    }
    case Position: {
        const QString refusal = draft.setPosition(text);
        return refusal.isEmpty() ? Entry{Entry::Changed, {}, false} : refused(refusal);
    }
    case Rookie:
        if (!draft.setRookie(text))
            return refused(QStringLiteral("rookie is Y or N, not \"%1\"").arg(text.trimmed()));
        return {Entry::Changed, {}, false};
    case Hand: {
        const std::optional<Puckdex::Hand> hand = handOfLetter(text);
        if (!hand) {
            return refused(QStringLiteral("shoots is %1 or %2, not \"%3\"")
                               .arg(handLetter(Puckdex::Hand::Left),
                                    handLetter(Puckdex::Hand::Right),
                                    text.trimmed()));
        }
        draft.setHand(*hand);
        return {Entry::Changed, {}, false};
    }
    default:
        return {Entry::NotEditable, {}, false};
    }
}

RosterTable::Entry RosterTable::enterNumber(TableRow &row, int column, QStringView text)
{
    const PlayerField &field = *columns()[std::size_t(rowColumn(column))].field;
    // Text is refused before the box's reading could make a number of it.
    const std::optional<QString> number = plainNumber(text, true);
    if (!number) {
        return refused(text.trimmed().isEmpty()
                           ? QStringLiteral("a number is needed here")
                           : QStringLiteral("\"%1\" is not a number").arg(text.trimmed()));
    }
    const PlayerEdit::CheckedNumber checked = row.draft->enterNumber(field, *number);
    if (checked.message.isEmpty() && number->toDouble() == checked.value)
        return {Entry::Changed, {}, false};
    // Moved onto the limits or the grid: said, never refused.
    const QString why = checked.message.isEmpty()
                            ? QStringLiteral("the nearest value the game keeps")
                            : checked.message.section(QStringLiteral("\r\n"), 0, 0);
    return {Entry::Adjusted,
            QStringLiteral("%1: %2 became %3 (%4).")
                .arg(columnCaption(column), text.trimmed().toString())
                .arg(checked.value)
                .arg(why),
            false};
}

QString RosterTable::cellName(const QModelIndex &index) const
{
    return nameAt(index.row()) + QStringLiteral(", ") + columnCaption(index.column());
}

int RosterTable::rowOf(qint64 offset) const
{
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        if (m_rows[r]->offset == offset)
            return int(r);
    }
    return -1;
}

const RosterTable::TableRow *RosterTable::rowAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[std::size_t(row)].get() : nullptr;
}

qint64 RosterTable::offsetAt(int row) const
{
    return rowAt(row) ? rowAt(row)->offset : -1;
}

int RosterTable::teamAt(int row) const
{
    return rowAt(row) ? rowAt(row)->team : -1;
}

QString RosterTable::nameAt(int row) const
{
    const TableRow *shown = rowAt(row);
    return shown ? shown->cells[PlayerRow::FirstNameColumn] + QLatin1Char(' ') +
                       shown->cells[PlayerRow::LastNameColumn]
                 : QString();
}

QString RosterTable::loadedNameAt(int row) const
{
    const TableRow *shown = rowAt(row);
    return shown && shown->draft ? shown->draft->loadedName() : nameAt(row);
}

bool RosterTable::isRowChanged(int row) const
{
    return rowAt(row) && rowAt(row)->draft && rowAt(row)->draft->changed();
}

bool RosterTable::revertRow(int row)
{
    if (!isRowChanged(row))
        return false;
    TableRow &shown = *m_rows[std::size_t(row)];
    shown.draft->revert();
    jerseys(shown.team).setNumber(shown.offset, *shown.draft->fields().jerseyNumber);
    refresh(row);
    return true;
}

void RosterTable::unlinkPicture(int row)
{
    if (rowAt(row) && rowAt(row)->draft)
        m_rows[std::size_t(row)]->draft->unlinkPicture();
}

std::optional<Result<PlayerWrites::Done, PlayerWriteError>>
RosterTable::saveRow(int row, PlayerWrites &writes)
{
    if (!isRowChanged(row))
        return std::nullopt;
    const FieldsWrite write = m_rows[std::size_t(row)]->draft->write();
    Result<PlayerWrites::Done, PlayerWriteError> done =
        writes.save(write);
    // Shown from then on as the files hold him, with nothing left to write.
    if (done) {
        reload({write.offset});
        return done;
    }
    // Another program wrote only bytes the table does not show: written
    // beside them.
    bool unshown = false;
    PlayerWriteError error = writeFailed(done.error(), {write.offset}, unshown);
    if (unshown)
        return saveRow(row, writes);
    return error;
}

std::optional<Result<PlayerWrites::Saved, PlayerWriteError>>
RosterTable::saveRows(const QList<int> &rows, PlayerWrites &writes, const QString &label)
{
    QList<FieldsWrite> changed;
    QList<qint64> offsets;
    for (const int row : rows) {
        if (isRowChanged(row)) {
            changed.append(m_rows[std::size_t(row)]->draft->write());
            offsets.append(m_rows[std::size_t(row)]->offset);
        }
    }
    if (changed.isEmpty())
        return std::nullopt;
    Result<PlayerWrites::Saved, PlayerWriteError> saved = writes.saveAll(changed, label);
    if (saved) {
        reload(offsets);
        return saved;
    }
    bool unshown = false;
    PlayerWriteError error = writeFailed(saved.error(), offsets, unshown);
    if (unshown)
        return saveRows(rows, writes, label);
    return error;
}

PlayerWriteError RosterTable::writeFailed(PlayerWriteError error, const QList<qint64> &written,
                                          bool &onlyUnshown)
{
    onlyUnshown = !error.changedPlayers.isEmpty();
    for (const qint64 offset : written) {
        const int at = rowOf(offset);
        if (at >= 0 && m_rows[std::size_t(at)]->draft)
            m_rows[std::size_t(at)]->draft->writeFailed(error, m_files.keyFile, m_files.attFile);
    }
    // Players another program wrote since their rows were read: shown as
    // the files hold them, with the entries it left alone.
    QStringList said;
    for (const qint64 offset : std::as_const(error.changedPlayers)) {
        const int at = rowOf(offset);
        const Result<PlayerRecord> key = GameFiles::readPlayer(m_files.keyFile, offset);
        const Result<PlayerEdit::AttribRecords> records =
            key ? PlayerEdit::readAttribs(m_files.attFile, *key)
                : Result<PlayerEdit::AttribRecords>(key.error());
        if (at < 0 || !records || !m_rows[std::size_t(at)]->draft) {
            onlyUnshown = false; // not read again: not to be written at once
            continue;
        }
        TableRow &row = *m_rows[std::size_t(at)];
        const QString name = row.draft->loadedName();
        const PlayerDraft::Rebased rebased = row.draft->rebase(*key, *records);
        jerseys(row.team).update(offset, *key);
        refresh(at);
        onlyUnshown = onlyUnshown && rebased.changedByOther.isEmpty();
        said.append(rebased.text(name));
    }
    if (!said.isEmpty())
        error.onDisk = said.join(QStringLiteral("\n\n"));
    return error;
}

void RosterTable::reload(const QList<qint64> &offsets)
{
    for (const qint64 offset : offsets) {
        const int at = rowOf(offset);
        if (at < 0)
            continue;
        TableRow &row = *m_rows[std::size_t(at)];
        const Result<PlayerRecord> key = GameFiles::readPlayer(m_files.keyFile, offset);
        if (!key)
            continue;
        const Result<PlayerEdit::AttribRecords> records =
            PlayerEdit::readAttribs(m_files.attFile, *key);
        row.draft.reset();
        if (records) {
            row.draft.emplace(offset, *key, *records, jerseys(row.team));
            row.unreadable.clear();
        } else {
            row.unreadable = records.error().reason;
        }
        // His number and names as written: a refusal names him as he is now.
        jerseys(row.team).update(offset, *key);
        readRow(row, *key);
        emit dataChanged(index(at, 0), index(at, kColumns - 1));
    }
}

} // namespace Puckdex
