#include "player/playerdraft.h"

#include "files/gamefiles.h"
#include "player/playerrow.h"
#include "player/ratingtemplates.h"
#include "player/valuerules.h"

#include <algorithm>

namespace Puckdex {

namespace {

// Whether two sets of a player's fields write the same bytes (the weight
// class aside).
bool sameWrite(const PlayerFields &a, const PlayerFields &b)
{
    return a.firstName == b.firstName && a.lastName == b.lastName && a.position == b.position
           && a.heightInches == b.heightInches && a.weightPounds == b.weightPounds
           && a.rookieFlag == b.rookieFlag && a.jerseyNumber == b.jerseyNumber && a.hand == b.hand
           && a.allPlayers == b.allPlayers && a.fwdDef == b.fwdDef && a.goalies == b.goalies
           && a.unlinkPicture == b.unlinkPicture;
}

} // namespace

PlayerDraft::PlayerDraft(qint64 offset, const PlayerEdit::AttribRecords &records,
                         QString lastNameField, const TeamJerseys &team, Untouched untouched)
    : m_offset(offset), m_goalie(records.goalie), m_untouched(untouched),
      m_attRead(records.goalie ? records.goalieAttribs.toByteArray()
                               : records.skaterAttribs.toByteArray()),
      m_team(&team), m_loaded(records.fields),
      m_loadedNumbers(PlayerEdit::shownNumbers(records.fields, records.goalie)),
      m_storedWeightClass(records.goalie ? records.goalieAttribs.weightClass()
                                         : records.skaterAttribs.weightClass()),
      m_loadedLastNameField(std::move(lastNameField))
{
    if (untouched == Untouched::WriteShown)
        PlayerEdit::storeShownNumbers(m_loaded, m_loadedNumbers, m_goalie);
    revert();
}

PlayerDraft::PlayerDraft(qint64 offset, const PlayerRecord &key,
                         const PlayerEdit::AttribRecords &records, const TeamJerseys &team,
                         Untouched untouched)
    : PlayerDraft(offset, records, key.lastNameField(), team, untouched)
{
    m_keyRead = key.toByteArray();
}

QString PlayerDraft::loadedName() const
{
    return m_loaded.firstName + QLatin1Char(' ') + m_loaded.lastName;
}

std::optional<double> PlayerDraft::number(const PlayerField &field) const
{
    return m_numbers[std::size_t(field.id)];
}

PlayerEdit::StoredName PlayerDraft::setFirstName(QStringView typed)
{
    PlayerEdit::StoredName name = PlayerEdit::firstName(typed);
    if (name.refusal.isEmpty())
        m_fields.firstName = name.name;
    return name;
}

PlayerDraft::Rename PlayerDraft::setLastName(QStringView typed)
{
    Rename rename{PlayerEdit::lastName(typed), false};
    if (!rename.name.refusal.isEmpty())
        return rename;
    m_fields.lastName = rename.name.name;
    rename.askAboutPicture = lastNameChanged(rename.name.name, m_lastNameField);
    // Asked once per new name: the name given is the one the next compares with.
    if (rename.askAboutPicture) {
        m_lastNameField = rename.name.name.leftJustified(PlayerRecord::LastName.width,
                                                         QLatin1Char(' '), true);
    }
    return rename;
}

void PlayerDraft::unlinkPicture()
{
    m_fields.unlinkPicture = true;
}

const TeamJerseys::Wearer *PlayerDraft::setJersey(int number)
{
    if (const TeamJerseys::Wearer *mate = m_team->wearer(number, m_offset))
        return mate;
    m_fields.jerseyNumber = quint8(number);
    return nullptr;
}

QString PlayerDraft::setPosition(QStringView typed)
{
    QString refusal = PlayerEdit::positionRefusal(typed, m_goalie);
    m_fields.position = refusal.isEmpty() ? PlayerEdit::positionLetter(typed).at(0).toLatin1()
                                          : m_loaded.position;
    return refusal;
}

PlayerEdit::CheckedNumber PlayerDraft::check(const PlayerField &field, QStringView typed) const
{
    return PlayerEdit::checkNumber(typed, ruleFor(field, m_goalie));
}

void PlayerDraft::setNumber(const PlayerField &field, double number)
{
    setShown(field.id, number);
    if (field.id == FieldId::Weight)
        m_fields.weightClass = weightClass(int(number));
}

PlayerEdit::CheckedNumber PlayerDraft::enterNumber(const PlayerField &field, QStringView typed)
{
    const PlayerEdit::CheckedNumber checked = check(field, typed);
    setNumber(field, checked.value);
    return checked;
}

void PlayerDraft::setShown(FieldId id, double number)
{
    m_numbers[std::size_t(id)] = number;
    const auto shown = [this](FieldId of) { return m_numbers[std::size_t(of)].value_or(0); };
    const PlayerField &field = playerField(id);
    switch (id) {
    case FieldId::HeightFeet:
    case FieldId::HeightInches:
        m_fields.heightInches =
            heightFromFeetAndInches(shown(FieldId::HeightFeet), shown(FieldId::HeightInches));
        break;
    case FieldId::Weight:
        m_fields.weightPounds = byteFromNumber(number);
        break;
    default:
        if (field.of(m_goalie).applies())
            PlayerEdit::storeRating(m_fields, field, m_goalie, number);
        break;
    }
}

bool PlayerDraft::setRookie(QStringView typed)
{
    const char flag = PlayerEdit::rookieFlag(typed);
    if (flag)
        m_fields.rookieFlag = flag;
    return flag != 0;
}

void PlayerDraft::setRookieAnswer(bool rookie)
{
    m_fields.rookieFlag = rookieFlagOf(rookie);
}

void PlayerDraft::setHand(Hand hand)
{
    m_fields.hand = hand;
}

int PlayerDraft::applyTemplate(const std::function<QString(int index)> &textOf)
{
    int changed = 0;
    for (const PlayerField &field : kPlayerFields) {
        if (!field.of(m_goalie).applies())
            continue;
        const QString text = textOf(field.of(m_goalie).templateIndex);
        if (text == RatingTemplates::kUnchanged)
            continue;
        const double number = readNumber(text);
        changed += number != m_numbers[std::size_t(field.id)];
        setNumber(field, number);
    }
    return changed;
}

bool PlayerDraft::changed() const
{
    return !sameWrite(m_fields, m_loaded)
           || (m_fields.weightClass && *m_fields.weightClass != m_storedWeightClass);
}

void PlayerDraft::revert()
{
    m_fields = m_loaded;
    m_numbers = m_loadedNumbers;
    m_lastNameField = m_loadedLastNameField;
}

void PlayerDraft::saved(const WrittenPlayer &written)
{
    m_lastNameField = written.key.lastNameField();
    m_storedWeightClass = m_goalie ? written.goalie.weightClass() : written.skater.weightClass();
    m_keyRead = written.key.toByteArray();
    m_attRead = written.attBytes(m_goalie);
}

void PlayerDraft::writeFailed(const PlayerWriteError &error, const QString &keyFile,
                              const QString &attFile)
{
    if (error.diskUnchanged || m_keyRead.isEmpty())
        return;
    const Result<QList<QByteArray>> key = GameFiles::readPlayerRecords(keyFile, {m_offset});
    if (!key)
        return;
    PlayerRecord record;
    record.assign(m_keyRead);
    const Result<QList<QByteArray>> att = GameFiles::readAttribRecords(
        attFile, {{record.attribOffset(), qint64(m_attRead.size())}});
    if (!att)
        return;
    m_keyRead = key->first();
    m_attRead = att->first();
}

namespace {

// The values of a player one by one, as the editor shows them: a caption,
// the cells of his row that show it, and the fields that store it.
struct Value
{
    QString caption;
    QList<int> columns;
    std::function<void(PlayerFields &to, const PlayerFields &from)> copy;
};

QString captionOf(const PlayerRow::Column &column)
{
    QString caption = QString::fromLatin1(column.field ? column.field->caption : column.caption);
    if (caption.endsWith(QLatin1Char(':')))
        caption.chop(1);
    return caption;
}

QList<Value> valuesOf()
{
    using namespace PlayerRow;
    const auto member = [](auto field) {
        return [field](PlayerFields &to, const PlayerFields &from) { to.*field = from.*field; };
    };
    QList<Value> values = {
        {QStringLiteral("First Name"), {FirstNameColumn}, member(&PlayerFields::firstName)},
        {QStringLiteral("Last Name"), {LastNameColumn}, member(&PlayerFields::lastName)},
        {QStringLiteral("Jersey Number"), {JerseyColumn}, member(&PlayerFields::jerseyNumber)},
        {QStringLiteral("Position"), {PositionColumn}, member(&PlayerFields::position)},
        {QStringLiteral("Height"), {HeightFeetColumn, HeightInchesColumn},
         member(&PlayerFields::heightInches)},
        {QStringLiteral("Weight"), {WeightColumn},
         [](PlayerFields &to, const PlayerFields &from) {
             to.weightPounds = from.weightPounds;
             to.weightClass = from.weightClass;
         }},
        {QStringLiteral("Rookie"), {RookieColumn}, member(&PlayerFields::rookieFlag)},
        {QStringLiteral("Hand"), {HandColumn}, member(&PlayerFields::hand)},
    };
    for (int c = FirstRatingColumn; c < kColumnCount; ++c) {
        const PlayerField *field = columns()[std::size_t(c)].field;
        values.append({captionOf(columns()[std::size_t(c)]), {c},
                       [field](PlayerFields &to, const PlayerFields &from) {
                           to.rating(field->group, field->box) =
                               from.rating(field->group, field->box);
                       }});
    }
    return values;
}

} // namespace

QString PlayerDraft::Rebased::text(const QString &name) const
{
    QString said = QStringLiteral("Another program changed %1 since he was read here (%2), so he "
                                  "was not saved. He is now shown as the files hold him.")
                       .arg(name, changedByOther.join(QStringLiteral(", ")));
    if (!kept.isEmpty())
        said += QStringLiteral("\n\nYour changes to %1 are kept: they are saved when you leave "
                               "him again.")
                    .arg(kept.join(QStringLiteral(", ")));
    if (!letGo.isEmpty())
        said += QStringLiteral("\n\nYour changes to %1 were let go: the other program changed "
                               "them too.")
                    .arg(letGo.join(QStringLiteral(", ")));
    return said;
}

PlayerDraft::Rebased PlayerDraft::rebase(const PlayerRecord &key,
                                         const PlayerEdit::AttribRecords &records)
{
    PlayerDraft now(m_offset, key, records, *m_team, m_untouched);
    const PlayerRow::Place place{0, QString(), m_offset};
    const PlayerRow::Row loaded = PlayerRow::shownRow(place, m_goalie, m_loaded);
    const PlayerRow::Row mine = PlayerRow::shownRow(place, m_goalie, m_fields);
    const PlayerRow::Row theirs = PlayerRow::shownRow(place, now.m_goalie, now.m_loaded);
    const auto differ = [](const PlayerRow::Row &a, const PlayerRow::Row &b, const Value &value) {
        return std::any_of(value.columns.cbegin(), value.columns.cend(),
                           [&](int c) { return a[std::size_t(c)] != b[std::size_t(c)]; });
    };
    Rebased rebased;
    PlayerFields merged = now.m_fields;
    static const QList<Value> values = valuesOf();
    for (const Value &value : values) {
        const bool other = differ(loaded, theirs, value);
        const bool own = differ(loaded, mine, value);
        if (other)
            rebased.changedByOther.append(value.caption);
        // A goalie made a skater by another program keeps none of the
        // ratings typed for him as a goalie.
        if (own && !other && now.m_goalie == m_goalie) {
            value.copy(merged, m_fields);
            rebased.kept.append(value.caption);
        } else if (own && differ(mine, theirs, value)) {
            rebased.letGo.append(value.caption);
        }
    }
    merged.unlinkPicture = m_fields.unlinkPicture && !rebased.changedByOther.contains(
                                                         QStringLiteral("Last Name"));
    const QString lastNameField = m_lastNameField;
    const bool keepName = rebased.kept.contains(QStringLiteral("Last Name"));
    *this = std::move(now);
    m_fields = merged;
    m_numbers = PlayerEdit::shownNumbers(m_fields, m_goalie);
    if (keepName)
        m_lastNameField = lastNameField;
    return rebased;
}

} // namespace Puckdex
