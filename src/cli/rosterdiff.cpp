#include "rosterdiff.h"

#include <QDir>
#include <QHash>

namespace Puckdex::Cli {

namespace {

// A player as one roster shows him.
struct Shown
{
    Row row;
    QString label; // "Aldercombe / Ashard Osanick"
    std::optional<FileError> ratingsError;
};

std::optional<Shown> shownPlayer(const Roster &roster, const PlayerEntry &player)
{
    const int team = player.record.teamNumber();
    if (!roster.isTeam(team))
        return std::nullopt;
    Shown shown;
    const QString city = roster.teams[team].city();
    const ReadRow read = readRow(roster.files.attFile, player, city);
    shown.row = read.row;
    shown.ratingsError = read.ratingsError;
    shown.label = QStringLiteral("%1 / %2 %3")
                      .arg(city.trimmed(), player.record.firstName(), player.record.lastName());
    return shown;
}

// The import row that makes before into after: the offset and the changed
// cells.
Row patchRow(const Row &before, const Row &after, const QString &who, RosterDiff &diff)
{
    Row patch;
    patch[OffsetColumn] = after[OffsetColumn];
    for (int c = 0; c < kColumnCount; ++c) {
        if (before[c] == after[c])
            continue;
        patch[c] = after[c];
        if (after[c].isEmpty()) {
            diff.warnings.append(QStringLiteral("%1: %2 is empty in the second roster; an "
                                                "empty cell changes nothing on import")
                                     .arg(who, columns()[c].name));
        }
    }
    return patch;
}

} // namespace

Result<RosterDiff> diffRosters(const Roster &from, const Roster &to)
{
    if (from.teams.size() != to.teams.size()) {
        return FileError{to.files.teamFile,
                         QStringLiteral("holds %1, %2 holds %3: rosters of different layouts "
                                        "are not compared")
                             .arg(plural(to.teams.size(), "team", "teams"),
                                  QDir::toNativeSeparators(from.files.teamFile),
                                  plural(from.teams.size(), "team", "teams"))};
    }
    RosterDiff diff;
    QHash<qint64, const PlayerEntry *> inTo;
    for (const PlayerEntry &player : to.players)
        inTo.insert(player.offset, &player);
    QHash<qint64, bool> seen;

    for (const PlayerEntry &old : from.players) {
        seen.insert(old.offset, true);
        const auto other = inTo.constFind(old.offset);
        if (other == inTo.constEnd()) {
            if (from.isTeam(old.record.teamNumber()))
                diff.missing.append(describePlayer(old.offset, old.record));
            continue;
        }
        std::optional<Shown> before = shownPlayer(from, old);
        std::optional<Shown> after = shownPlayer(to, **other);
        if (!before && !after)
            continue; // a free agent in both: the editor shows him nowhere
        // A player of a team in one roster only still has his record in both;
        // his team cell says where he went.
        if (!before)
            before = Shown{unreadableRow({old.record.teamNumber(), QString(), old.offset},
                                         old.record),
                           after->label, std::nullopt};
        if (!after)
            after = Shown{unreadableRow({(*other)->record.teamNumber(), QString(), old.offset},
                                        (*other)->record),
                          before->label, std::nullopt};
        if (before->ratingsError || after->ratingsError) {
            const FileError &error =
                before->ratingsError ? *before->ratingsError : *after->ratingsError;
            diff.warnings.append(
                QStringLiteral("%1: hand and ratings not compared: %2")
                    .arg(describePlayer(old.offset, old.record), error.fullMessage()));
            clearRatings(before->row);
            clearRatings(after->row);
        }
        QStringList changes = cellChanges(before->row, after->row);
        const PlayerRecord &was = old.record;
        const PlayerRecord &is = (*other)->record;
        if (was.pictureCodeA() != is.pictureCodeA() || was.pictureCodeB() != is.pictureCodeB()) {
            changes.append(QStringLiteral("picture %1 %2 -> %3 %4")
                               .arg(was.pictureCodeA(), was.pictureCodeB(), is.pictureCodeA(),
                                    is.pictureCodeB()));
            diff.unlinkedPictures = true;
        }
        if (changes.isEmpty())
            continue;
        diff.patch.append(
            patchRow(before->row, after->row, describePlayer(old.offset, old.record), diff));
        for (const QString &change : changes)
            diff.lines.append(QStringLiteral("%1: %2").arg(before->label, change));
    }
    for (const PlayerEntry &player : to.players) {
        if (!seen.contains(player.offset) && to.isTeam(player.record.teamNumber()))
            diff.added.append(describePlayer(player.offset, player.record));
    }
    return diff;
}

} // namespace Puckdex::Cli
