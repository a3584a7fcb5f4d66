#include "checker.h"

#include "files/codepage.h"
#include "player/playeredit.h"
#include "player/valuerules.h"

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
    report.add(QStringLiteral("%1: the last %2 bytes are no complete %3 record "
                                          "(one has %4)")
                               .arg(fileNameOf(path))
                               .arg(tail)
                               .arg(QLatin1String(record))
                               .arg(recordSize));
}

// The hand and ratings of his attribute record that the editor would never
// write: each rating against its field's rule.
void checkRatings(CheckReport &report, const QString &who, const PlayerEdit::AttribRecords &records)
{
    if (!isHandByte(records.handByte())) {
        report.add(QStringLiteral("%1: hand byte %2 is neither %3 (left) nor %4 (right)")
                                   .arg(who)
                                   .arg(records.handByte())
                                   .arg(handByte(Hand::Left))
                                   .arg(handByte(Hand::Right)));
    }
    const bool goalie = records.goalie;
    for (const RatingField &rating : ratingFieldsOf(goalie)) {
        const PlayerField &field = *ratingField(rating.group, rating.box);
        const quint8 stored = records.byte(rating.byte);
        const std::optional<PlayerEdit::StrayRating> stray =
            PlayerEdit::strayRating(field, goalie, stored);
        if (!stray)
            continue;
        if (stray->readsBack) {
            report.add(QStringLiteral("%1: %2 shows %3 (byte %4), above %5")
                           .arg(who, field.column)
                           .arg(stray->shown)
                           .arg(stored)
                           .arg(ruleFor(field, goalie).upper),
                       QStringLiteral("%1: %2 of %n players shows above %3")
                           .arg(who.section(u':', 0, 0), field.column)
                           .arg(ruleFor(field, goalie).upper));
        } else {
            // It reads back as another byte, and the editor never writes it.
            report.add(QStringLiteral("%1: %2 byte %3 (shows %4); the game's range "
                                                  "is 0 to %5")
                           .arg(who, field.column)
                           .arg(stored)
                           .arg(stray->shown)
                           .arg(PlayerEdit::highestStoredRating(field, goalie)),
                       QStringLiteral("%1: the %2 byte of %n players lies outside the game's "
                                      "range, 0 to %3")
                           .arg(who.section(u':', 0, 0), field.column)
                           .arg(PlayerEdit::highestStoredRating(field, goalie)));
        }
    }
}

// What is unsound in a player's key record alone.
void checkKeyRecord(CheckReport &report, const QString &inKey, const PlayerRecord &player)
{
    const int shortest = shortestHeight();
    const int tallest = tallestHeight();
    if (!isJerseyNumber(player.jerseyNumber())) {
        report.add(QStringLiteral("%1: jersey %2 is above %3")
                                   .arg(inKey)
                                   .arg(player.jerseyNumber())
                                   .arg(kHighestJersey));
    }
    if (!PlayerEdit::kPositionLetters.contains(QLatin1Char(player.position()))) {
        report.add(QStringLiteral("%1: position %2 is none of %3")
                                   .arg(inKey, letterByte(quint8(player.position())),
                                        PlayerEdit::positionLetterList()));
    }
    if (!isRookieFlag(player.rookieFlag())) {
        report.add(QStringLiteral("%1: rookie flag %2 is neither %3 nor %4")
                                   .arg(inKey, letterByte(quint8(player.rookieFlag())),
                                        shownRookieFlag(rookieFlagOf(true)),
                                        shownRookieFlag(rookieFlagOf(false))));
    }
    if (player.heightInches() < shortest || player.heightInches() > tallest) {
        report.add(QStringLiteral("%1: height %2 (%3 inches) is outside %4 to %5")
                                   .arg(inKey, feetAndInches(player.heightInches()))
                                   .arg(player.heightInches())
                                   .arg(feetAndInches(shortest), feetAndInches(tallest)));
    }
    const bool goalie = player.isGoalie();
    const FieldRule &weight = weightRule(goalie);
    if (player.weightPounds() < weight.lower || player.weightPounds() > weight.upper) {
        report.add(
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
        const QMap<int, QList<PlayerEntry>> shared = jerseysWornTwice(roster.playersOf(team));
        for (auto it = shared.cbegin(); it != shared.cend(); ++it) {
            QStringList wearers;
            for (const PlayerEntry &entry : it.value())
                wearers.append(describePlayer(entry.offset, entry.record));
            report.add(QStringLiteral("%1: team %2 (%3): jersey %4 is worn by %5")
                                       .arg(keyName)
                                       .arg(team)
                                       .arg(roster.teams[team].abbrev())
                                       .arg(it.key())
                                       .arg(wearers.join(QStringLiteral(" and "))));
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
                report.add(QStringLiteral("%1: team number %2 matches no team")
                                           .arg(inKey)
                                           .arg(player.teamNumber()));
            }
        }
        checkKeyRecord(report, inKey, player);

        const qint64 attribOffset = player.attribOffset();
        const int attribSize = PlayerEdit::attribRecordSize(goalie);
        if (attribOffset < 0 || attribOffset > attSize - attribSize) {
            report.add(QStringLiteral("%1: his attribute record at %2 (%3 bytes) lies "
                                                  "outside %4, which ends at byte %5")
                                       .arg(inKey)
                                       .arg(attribOffset)
                                       .arg(attribSize)
                                       .arg(attName)
                                       .arg(attSize),
                       QStringLiteral("%1: the attribute records of %n players lie outside %2, "
                                      "which ends at byte %3: their ratings cannot be read")
                           .arg(keyName, attName)
                           .arg(attSize));
            continue;
        }
        const Result<PlayerEdit::AttribRecords> records =
            PlayerEdit::readAttribs(files.attFile, player);
        if (!records)
            return records.error();
        checkRatings(report, inAtt, *records);
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

QStringList CheckReport::lines(bool verbose) const
{
    if (verbose)
        return findings;
    QStringList lines;
    QStringList said;
    for (qsizetype i = 0; i < findings.size(); ++i) {
        if (said.contains(kinds[i]))
            continue;
        said.append(kinds[i]);
        const qsizetype count = kinds.count(kinds[i]);
        lines.append(count == 1 ? findings[i]
                                : QString(kinds[i]).replace(QLatin1String("%n"),
                                                            QString::number(count))
                                      + QStringLiteral(" (--verbose lists each)"));
    }
    return lines;
}

} // namespace Puckdex::Cli
