#include "player/playerdraft.h"

#include "player/ratingtemplates.h"
#include "player/valuerules.h"

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
    : m_offset(offset), m_goalie(records.goalie), m_team(&team), m_loaded(records.fields),
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
}

} // namespace Puckdex
