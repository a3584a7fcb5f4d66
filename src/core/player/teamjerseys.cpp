#include "player/teamjerseys.h"

namespace Puckdex {

TeamJerseys::TeamJerseys(const QList<PlayerEntry> &team)
{
    m_wearers.reserve(team.size());
    for (const PlayerEntry &player : team) {
        m_wearers.append({player.offset, player.record.jerseyNumber(), player.record.firstName(),
                          player.record.lastName()});
    }
}

const TeamJerseys::Wearer *TeamJerseys::wearer(int number, qint64 offset) const
{
    for (const Wearer &mate : m_wearers) {
        if (mate.offset != offset && mate.number == number)
            return &mate;
    }
    return nullptr;
}

QSet<int> TeamJerseys::takenBesides(qint64 offset) const
{
    QSet<int> taken;
    for (const Wearer &mate : m_wearers) {
        if (mate.offset != offset)
            taken.insert(mate.number);
    }
    return taken;
}

void TeamJerseys::setNumber(qint64 offset, int number)
{
    for (Wearer &player : m_wearers) {
        if (player.offset == offset)
            player.number = number;
    }
}

void TeamJerseys::update(qint64 offset, const PlayerRecord &player)
{
    for (Wearer &mate : m_wearers) {
        if (mate.offset == offset)
            mate = {offset, player.jerseyNumber(), player.firstName(), player.lastName()};
    }
}

QString wornNumberText(int number, const TeamJerseys::Wearer &mate)
{
    return QStringLiteral("Number %1 is worn by %2 %3.")
        .arg(number)
        .arg(mate.firstName, mate.lastName);
}

} // namespace Puckdex
