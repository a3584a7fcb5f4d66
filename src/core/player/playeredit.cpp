#include "player/playeredit.h"

#include "player/valuerules.h"
#include "files/codepage.h"

#include <QFileInfo>
#include <QStringList>

namespace Puckdex::PlayerEdit {

namespace {

QString fitProblem(const char *what, const QString &name, TextFit fit, int width)
{
    if (fit == TextFit::TooLong) {
        return QStringLiteral("%1 \"%2\" has %3 characters; the game stores %4")
            .arg(QLatin1String(what), name)
            .arg(name.size())
            .arg(width);
    }
    const qsizetype at = CodePage::firstUnencodable(name);
    return QStringLiteral("%1 \"%2\" has a character the game cannot store: \"%3\"")
        .arg(QLatin1String(what), name, at >= 0 ? name.mid(at, 1) : QString());
}

StoredName stored(const char *what, const QString &name,
                  TextFit (PlayerRecord::*set)(const QString &), int width)
{
    PlayerRecord probe;
    const TextFit fit = (probe.*set)(name);
    return {name, fit == TextFit::Ok ? QString() : fitProblem(what, name, fit, width)};
}

template <typename Attribs> Result<QByteArray> recordBytes(const Result<Attribs> &attribs)
{
    if (!attribs)
        return attribs.error();
    return attribs->toByteArray();
}

} // namespace

quint8 AttribRecords::byte(int index) const
{
    return goalie ? goalieAttribs.byte(index) : skaterAttribs.byte(index);
}

AttribRecords attribsOf(const PlayerRecord &player, bool goalie, QByteArrayView bytes)
{
    AttribRecords records;
    records.goalie = goalie;
    if (goalie) {
        records.goalieAttribs.assign(bytes);
        records.fields = fieldsOf(player, records.goalieAttribs);
    } else {
        records.skaterAttribs.assign(bytes);
        records.fields = fieldsOf(player, records.skaterAttribs);
    }
    return records;
}

Result<AttribRecords> readAttribs(const QString &attFile, const PlayerRecord &player)
{
    const Result<QByteArray> bytes =
        player.isGoalie() ? recordBytes(GameFiles::readGoalieAttribs(attFile, player.attribOffset()))
                          : recordBytes(GameFiles::readSkaterAttribs(attFile, player.attribOffset()));
    if (!bytes)
        return bytes.error();
    return attribsOf(player, player.isGoalie(), *bytes);
}

Result<int> playersWithoutRatings(const QString &keyFile, const QString &attFile, int teamCount)
{
    const Result<QList<PlayerEntry>> players = GameFiles::scanAllPlayers(keyFile);
    if (!players)
        return players.error();
    const qint64 size = QFileInfo(attFile).size();
    int without = 0;
    for (const PlayerEntry &player : *players) {
        const qint64 at = player.record.attribOffset();
        without += player.record.teamNumber() < teamCount
                   && (at < 0 || at > size - attribRecordSize(player.record.isGoalie()));
    }
    return without;
}

PlayerFields keyRecordFields(const PlayerRecord &player)
{
    return fieldsOf(player, SkaterAttribRecord());
}

ShownFields readForShowing(const QString &attFile, const PlayerRecord &player)
{
    const Result<AttribRecords> records = readAttribs(attFile, player);
    if (!records)
        return {keyRecordFields(player), records.error()};
    return {records->fields, std::nullopt};
}

CheckedNumber checkNumber(QStringView text, const FieldRule &rule)
{
    return checkValue(readNumber(text), rule, rule.mode);
}

CheckedNumber checkValue(double value, const FieldRule &rule, MessageMode mode)
{
    const AttributeAdjustment a = adjustValue(value, rule.upper, rule.lower, rule.step);
    return {a.value, adjustMessageAllowed(mode, a.reason)
                         ? adjustMessageText(a.reason, a.messageNumber)
                         : QString()};
}

QString positionLetterList()
{
    QStringList letters;
    for (const QChar letter : kPositionLetters)
        letters.append(letter);
    return letters.join(QStringLiteral(", "));
}

QString positionLetter(QStringView typed)
{
    const QString letter = typed.trimmed().toString().toUpper();
    return letter.size() == 1 && kPositionLetters.contains(letter) ? letter : QString();
}

QString positionRefusal(QStringView typed, bool goalie)
{
    const QString letter = positionLetter(typed);
    if (letter.isEmpty())
        return QStringLiteral("position \"%1\" is none of %2").arg(typed, positionLetterList());
    const bool toGoal = letter == u"G";
    if (goalie && !toGoal)
        return QStringLiteral("position %1: a goalie cannot play forward or defense").arg(letter);
    if (!goalie && toGoal)
        return QStringLiteral("position G: a forward or defenseman cannot play goal");
    return {};
}

QString positionRefusalMessage(bool goalie)
{
    return goalie ? QStringLiteral("Sorry, a Goalie cannot play Forward or Defense.")
                  : QStringLiteral("Sorry, a Forward or Defenseman can not play Goal.");
}

StoredName firstName(QStringView typed)
{
    return stored("first name", properCase(typed), &PlayerRecord::setFirstName,
                  PlayerRecord::FirstName.width);
}

StoredName lastName(QStringView typed)
{
    return stored("last name", raiseFirstCharacter(typed), &PlayerRecord::setLastName,
                  PlayerRecord::LastName.width);
}

char rookieFlag(QStringView typed)
{
    const QString flag = rookieText(typed);
    const char letter = flag.size() == 1 ? flag.at(0).toLatin1() : 0;
    return isRookieFlag(letter) ? letter : 0;
}

int shownRating(const PlayerFields &fields, const PlayerField &field, bool goalie)
{
    return shownFromStored(field.scale(goalie), fields.rating(field.group, field.box));
}

void storeRating(PlayerFields &fields, const PlayerField &field, bool goalie, double shown)
{
    fields.rating(field.group, field.box) = storedFromShown(field.scale(goalie), shown);
}

quint8 highestStoredRating(const PlayerField &field, bool goalie)
{
    return storedFromShown(field.scale(goalie), ruleFor(field, goalie).upper);
}

std::optional<StrayRating> strayRating(const PlayerField &field, bool goalie, quint8 stored)
{
    if (stored <= highestStoredRating(field, goalie))
        return std::nullopt;
    const int shown = shownFromStored(field.scale(goalie), stored);
    return StrayRating{shown, storedFromShown(field.scale(goalie), shown) == stored};
}

ShownNumbers shownNumbers(const PlayerFields &fields, bool goalie)
{
    ShownNumbers shown;
    shown[std::size_t(FieldId::HeightFeet)] = heightFeet(fields.heightInches);
    shown[std::size_t(FieldId::HeightInches)] = heightRestInches(fields.heightInches);
    shown[std::size_t(FieldId::Weight)] = fields.weightPounds;
    for (const PlayerField &field : kPlayerFields) {
        if (field.isRating() && field.of(goalie).applies())
            shown[std::size_t(field.id)] = shownRating(fields, field, goalie);
    }
    return shown;
}

void storeShownNumbers(PlayerFields &fields, const ShownNumbers &shown, bool goalie)
{
    const auto number = [&shown](FieldId id) { return shown[std::size_t(id)].value_or(0); };
    fields.heightInches =
        heightFromFeetAndInches(number(FieldId::HeightFeet), number(FieldId::HeightInches));
    fields.weightPounds = byteFromNumber(number(FieldId::Weight));
    for (const PlayerField &field : kPlayerFields) {
        if (field.isRating() && field.of(goalie).applies())
            storeRating(fields, field, goalie, number(field.id));
    }
}

} // namespace Puckdex::PlayerEdit
