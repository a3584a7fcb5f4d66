#include "checker.h"

#include "player/valuerules.h"
#include "files/codepage.h"
#include "player/playeredit.h"
#include "player/scales.h"
#include "playertable.h"

#include <QFileInfo>
#include <QMap>
#include <QSet>

namespace Puckdex::Cli {

namespace {

// A byte that should hold a letter: its value, and the character when it
// shows one.
QString letterByte(quint8 byte)
{
    if (byte < 0x20 || byte == 0x7F)
        return QStringLiteral("byte %1").arg(byte);
    return QStringLiteral("\"%1\" (byte %2)")
        .arg(CodePage::decode(QByteArray(1, char(byte))))
        .arg(byte);
}

QString columnNameOf(const RatingField &rating)
{
    const PlayerField *field = ratingField(rating.group, rating.box);
    return field ? QString(field->column) : QString();
}

QString feetAndInches(int inches)
{
    return QStringLiteral("%1'%2\"")
        .arg(heightFeet(quint8(inches)))
        .arg(heightRestInches(quint8(inches)));
}

void checkTail(CheckReport &report, const QString &path, qint64 tail, const char *record,
               int recordSize)
{
    if (tail == 0)
        return;
    report.findings.append(QStringLiteral("%1: the last %2 bytes are no complete %3 record "
                                          "(one has %4)")
                               .arg(fileNameOf(path))
                               .arg(tail)
                               .arg(QLatin1String(record))
                               .arg(recordSize));
}

template <typename Attribs, std::size_t N>
void checkRatings(CheckReport &report, const QString &who, const Attribs &attribs,
                  const std::array<RatingField, N> &table)
{
    if (attribs.byte(0) > 1) {
        report.findings.append(QStringLiteral("%1: hand byte %2 is neither 0 (left) nor 1 (right)")
                                   .arg(who)
                                   .arg(attribs.byte(0)));
    }
    for (const RatingField &field : table) {
        const quint8 stored = attribs.byte(field.byte);
        if (field.scale == Scale::Fighting) {
            // 7 and above read back differently and are never written.
            if (stored >= 7) {
                report.findings.append(QStringLiteral("%1: fighting byte %2 (shows %3); the "
                                                      "game's range is 0 to 6")
                                           .arg(who)
                                           .arg(stored)
                                           .arg(shownFromStored(field.scale, stored)));
            }
            continue;
        }
        const int shown = shownFromStored(field.scale, stored);
        if (shown > 100) {
            report.findings.append(QStringLiteral("%1: %2 shows %3 (byte %4), above 100")
                                       .arg(who, columnNameOf(field))
                                       .arg(shown)
                                       .arg(stored));
        }
    }
}

// What is unsound in a player's key record alone.
void checkKeyRecord(CheckReport &report, const QString &inKey, const PlayerRecord &player)
{
    const int shortest = heightFeetRule().lower * 12 + heightInchesRule().lower;
    const int tallest = heightFeetRule().upper * 12 + heightInchesRule().upper;
    if (player.jerseyNumber() > 99) {
        report.findings.append(
            QStringLiteral("%1: jersey %2 is above 99").arg(inKey).arg(player.jerseyNumber()));
    }
    if (!PlayerEdit::kPositionLetters.contains(QLatin1Char(player.position()))) {
        report.findings.append(QStringLiteral("%1: position %2 is none of G, D, L, C, R")
                                   .arg(inKey, letterByte(quint8(player.position()))));
    }
    if (player.rookieFlag() != 'Y' && player.rookieFlag() != 'N') {
        report.findings.append(QStringLiteral("%1: rookie flag %2 is neither Y nor N")
                                   .arg(inKey, letterByte(quint8(player.rookieFlag()))));
    }
    if (player.heightInches() < shortest || player.heightInches() > tallest) {
        report.findings.append(QStringLiteral("%1: height %2 (%3 inches) is outside %4 to %5")
                                   .arg(inKey, feetAndInches(player.heightInches()))
                                   .arg(player.heightInches())
                                   .arg(feetAndInches(shortest), feetAndInches(tallest)));
    }
    const bool goalie = player.isGoalie();
    const FieldRule &weight = weightRule(goalie);
    if (player.weightPounds() < weight.lower || player.weightPounds() > weight.upper) {
        report.findings.append(
            QStringLiteral("%1: weight %2 pounds is outside %3 to %4 for a "
                           "%5")
                .arg(inKey)
                .arg(player.weightPounds())
                .arg(weight.lower)
                .arg(weight.upper)
                .arg(goalie ? QStringLiteral("goalie") : QStringLiteral("skater")));
    }
}

// Numbers two players of one team wear.
void checkJerseys(CheckReport &report, const Roster &roster, const QString &keyName)
{
    for (int team = 0; team < roster.teams.size(); ++team) {
        QMap<int, QStringList> wearers;
        for (const PlayerEntry &entry : roster.playersOf(team))
            wearers[entry.record.jerseyNumber()].append(describePlayer(entry.offset, entry.record));
        for (auto it = wearers.cbegin(); it != wearers.cend(); ++it) {
            if (it.value().size() < 2)
                continue;
            report.findings.append(QStringLiteral("%1: team %2 (%3): jersey %4 is worn by %5")
                                       .arg(keyName)
                                       .arg(team)
                                       .arg(roster.teams[team].abbrev())
                                       .arg(it.key())
                                       .arg(it.value().join(QStringLiteral(" and "))));
        }
    }
}

} // namespace

Result<CheckReport> checkRoster(const Roster &roster, const CheckOptions &options)
{
    CheckReport report;
    const FileSet &files = roster.files;
    const QString keyName = fileNameOf(files.keyFile);
    const QString attName = fileNameOf(files.attFile);

    checkTail(report, files.teamFile, GameFiles::teamFileTail(QFileInfo(files.teamFile).size()),
              "team", TeamRecord::Size);
    checkTail(report, files.keyFile, GameFiles::keyFileTail(QFileInfo(files.keyFile).size()),
              "player", PlayerRecord::Size);
    if (!files.indexFile.isEmpty()) {
        checkTail(report, files.indexFile,
                  GameFiles::indexFileTail(QFileInfo(files.indexFile).size()), "saved-game",
                  SeasonIndexEntry::Size);
    }

    const qint64 attSize = QFileInfo(files.attFile).size();
    qsizetype unattached = 0;
    QSet<int> unattachedTeams;

    for (const PlayerEntry &entry : roster.players) {
        const PlayerRecord &player = entry.record;
        const bool goalie = player.isGoalie();
        const QString who = describePlayer(entry.offset, player);
        const QString inKey = keyName + QStringLiteral(": ") + who;
        const QString inAtt = attName + QStringLiteral(": ") + who;

        if (!roster.isTeam(player.teamNumber())) {
            ++unattached;
            unattachedTeams.insert(player.teamNumber());
            if (options.strict) {
                report.findings.append(QStringLiteral("%1: team number %2 matches no team")
                                           .arg(inKey)
                                           .arg(player.teamNumber()));
            }
        }
        checkKeyRecord(report, inKey, player);

        const qint64 attribOffset = player.attribOffset();
        const int attribSize = goalie ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
        if (attribOffset < 0 || attribOffset > attSize - attribSize) {
            report.findings.append(QStringLiteral("%1: his attribute record at %2 (%3 bytes) lies "
                                                  "outside %4, which ends at byte %5")
                                       .arg(inKey)
                                       .arg(attribOffset)
                                       .arg(attribSize)
                                       .arg(attName)
                                       .arg(attSize));
            continue;
        }
        if (goalie) {
            const Result<GoalieAttribRecord> attribs =
                GameFiles::readGoalieAttribs(files.attFile, attribOffset);
            if (!attribs)
                return attribs.error();
            checkRatings(report, inAtt, *attribs, kGoalieRatingFields);
        } else {
            const Result<SkaterAttribRecord> attribs =
                GameFiles::readSkaterAttribs(files.attFile, attribOffset);
            if (!attribs)
                return attribs.error();
            checkRatings(report, inAtt, *attribs, kSkaterRatingFields);
        }
    }

    checkJerseys(report, roster, keyName);

    if (unattached > 0 && !options.strict) {
        QList<int> numbers = unattachedTeams.values();
        std::sort(numbers.begin(), numbers.end());
        report.notes.append(QStringLiteral("%1 with a team number that matches no team (%2 to "
                                           "%3): free agents, whom the editor cannot reach; "
                                           "--strict lists each")
                                .arg(plural(unattached, "player", "players"))
                                .arg(numbers.first())
                                .arg(numbers.last()));
    }
    return report;
}

} // namespace Puckdex::Cli
