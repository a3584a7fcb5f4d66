#include "sampleplayers.h"

#include "player/playeredit.h"
#include "player/ratings.h"
#include "player/valuerules.h"
#include "sampleroster.h"

#include <QStringView>

#include <algorithm>
#include <array>

namespace Puckdex::Sample {

namespace {

// Made-up places and nicknames; none is, or was, a league city or club.
constexpr std::array<QStringView, 34> kCities = {
    u"Port Averly",    u"Hollowmere",      u"Kestrel Bay",     u"Brindleton",    u"Cask Harbor",
    u"Marrowfield",    u"Dunmoor",         u"Ashgrove Falls",  u"Wexcombe",      u"Lake Temberly",
    u"Orrin Crossing", u"Saltvik",         u"Fenwick Reach",   u"Greyhaven",     u"Bramblecourt",
    u"Old Quarry",     u"Tarnholm",        u"Millbrook Sound", u"Corvallin",     u"Stonegate",
    u"Redfern Point",  u"Vellmar",         u"North Embry",     u"Gullspire",     u"Larkmoor",
    u"Copperdell",     u"Eastwatch Ridge", u"Pinecastle",      u"Val-Dorée",     u"Skjøldvik",
    u"Thistlewick",    u"Aldercombe",      u"Mossbank",        u"Quillan Ferry",
};

constexpr std::array<QStringView, 32> kTeamNames = {
    u"Lanterns",
    u"Ridgebacks",
    u"Tidewolves",
    u"Ironjaws",
    u"Marauders",
    u"Kestrels",
    u"Foxhounds",
    u"Harriers",
    u"Stormcrows",
    u"Longboats",
    u"Owls",
    u"Lumberjacks",
    u"Thunderhawks",
    u"Voyageurs",
    u"Narwhals",
    u"Ptarmigans",
    u"Frostbacks",
    u"Quarrymen",
    u"Riverhogs",
    u"Copperheads",
    u"Gale",
    u"Icebreakers",
    u"Sentinels",
    u"Wardens",
    u"Ramblers",
    u"Highlanders",
    u"Badgers",
    u"Bellringers",
    u"Sleet",
    u"Hornbills",
    u"Frozen Harbour Sea Otters",
    u"Grey Lantern Night Owls",
};

// Names are put together from pieces, so no one real is named by accident.
// A few pieces carry letters of the game's code page beyond ASCII.
constexpr std::array<QStringView, 33> kFirstStarts = {
    u"Al",  u"Bren", u"Cor", u"Dag", u"El",  u"Fen",  u"Gar", u"Hal",  u"Iv",  u"Jor", u"Kal",
    u"Lev", u"Mar",  u"Nil", u"Os",  u"Per", u"Quin", u"Ros", u"Sten", u"Tor", u"Ul",  u"Vic",
    u"Wen", u"Yan",  u"Zel", u"Ren", u"Bo",  u"Em",   u"Mik", u"An",   u"Tob", u"Lu",  u"Ar",
};
constexpr std::array<QStringView, 6> kAccentedFirstStarts = {
    u"Sør", u"Jö", u"Ré", u"Ås", u"Zoë", u"Mé",
};
constexpr std::array<QStringView, 11> kFirstMiddles = {
    u"", u"", u"", u"a", u"e", u"i", u"o", u"an", u"el", u"ar", u"en",
};
constexpr std::array<QStringView, 16> kFirstEnds = {
    u"o",   u"an",  u"in", u"ick", u"as",  u"en", u"ry", u"et",
    u"ard", u"ius", u"lé", u"yn",  u"ton", u"vi", u"ke", u"ël",
};
constexpr std::array<QStringView, 23> kLastStarts = {
    u"Ash",   u"Brack", u"Carr",  u"Dun",   u"Elling", u"Fross", u"Grim", u"Hollis",
    u"Ilves", u"Jark",  u"Kvist", u"Lind",  u"Mor",    u"Nord",  u"Ost",  u"Pell",
    u"Quill", u"Rask",  u"Sund",  u"Thorn", u"Vall",   u"Wick",  u"Zorn",
};
constexpr std::array<QStringView, 9> kAccentedLastStarts = {
    u"Bé", u"Gröd", u"Weiß", u"Lå", u"Dé", u"Ørn", u"Hägg", u"Brü", u"Šter",
};
constexpr std::array<QStringView, 10> kLastMiddles = {
    u"", u"", u"en", u"er", u"a", u"ing", u"el", u"o", u"ö", u"an",
};
constexpr std::array<QStringView, 18> kLastEnds = {
    u"son", u"berg", u"holm", u"ström", u"ey",    u"ton", u"ov",    u"ard", u"ski",
    u"ier", u"ault", u"mann", u"ley",   u"quist", u"by",  u"gaard", u"eau", u"ère",
};

constexpr std::array<QStringView, 12> kDescriptions = {
    u"Season 1996 - Week 12", u"Season 1996 - Week 3", u"Playoffs 1996 - Round 2",
    u"All-Star Break",        u"Trade Deadline",       u"Exhibition Series",
    u"Conference Final",      u"Midseason Standings",  u"Preseason Camp",
    u"Rivalry Weekend",       u"Holiday Tournament",   u"Spring Classic 1995",
};

// What a player's name must show, beyond being a name.
struct NameWish
{
    bool accentedFirst = false;
    bool accentedLast = false;
    int firstLength = 0; // exact length wanted, 0 for any
    int lastLength = 0;
};

bool isVowel(QChar c)
{
    return QStringView(u"aeiouyåäöøéèëüAEIOUYÅÄÖØÉÈËÜ").contains(c);
}

// The next piece of a name, drawn again while it would put two vowels side by
// side ("Zoëevi"), which reads as a typo rather than a name.
template <std::size_t N>
void appendPiece(Rng &rng, QString &name, const std::array<QStringView, N> &pieces)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QStringView piece = rng.pick(pieces);
        if (piece.isEmpty() || name.isEmpty() || !isVowel(name.back()) || !isVowel(piece.front())) {
            name += piece;
            return;
        }
    }
}

// A name of a start (one of the accented starts when asked, and now and then
// anyway), a middle and an end.
template <std::size_t S, std::size_t A, std::size_t M, std::size_t E>
QString drawName(Rng &rng, bool accented, const std::array<QStringView, S> &starts,
                 const std::array<QStringView, A> &accentedStarts,
                 const std::array<QStringView, M> &middles, const std::array<QStringView, E> &ends)
{
    QString name =
        (accented || rng.chance(8) ? rng.pick(accentedStarts) : rng.pick(starts)).toString();
    appendPiece(rng, name, middles);
    appendPiece(rng, name, ends);
    return name;
}

QString firstName(Rng &rng, bool accented)
{
    return drawName(rng, accented, kFirstStarts, kAccentedFirstStarts, kFirstMiddles, kFirstEnds);
}

QString lastName(Rng &rng, bool accented)
{
    return drawName(rng, accented, kLastStarts, kAccentedLastStarts, kLastMiddles, kLastEnds);
}

// A double-barrelled name of exactly length characters, so the full width of
// a name field gets used. Pieces are drawn until two fit; cutting a longer one
// is the last resort.
template <typename MakePart> QString nameOfLength(Rng &rng, int length, MakePart makePart)
{
    for (int attempt = 0; attempt < 5000; ++attempt) {
        const QString name = makePart(rng) + u'-' + makePart(rng);
        if (name.size() == length)
            return name;
    }
    QString name = makePart(rng);
    while (name.size() < length)
        name += makePart(rng).toLower();
    name.truncate(length);
    return name;
}

// The highest byte the rating's rule lets be stored (15; 6 for fighting,
// whose 7 and above read back otherwise).
int highest(const RatingField &field, bool goalie)
{
    return PlayerEdit::highestStoredRating(*ratingField(field.group, field.box), goalie);
}

// Around the player's overall quality, on the grid of the rating's bytes.
quint8 rating(Rng &rng, int quality, int highestByte)
{
    return static_cast<quint8>(std::clamp(quality + rng.between(-4, 4), 0, highestByte));
}

QByteArray makeAttribs(Rng &rng, bool goalie, int weight)
{
    const int quality = rng.between(3, 12);
    if (goalie) {
        GoalieAttribRecord attribs;
        for (int i = 0; i < GoalieAttribRecord::Size; ++i)
            attribs.setByte(i, rng.nonZeroByte());
        attribs.setHand(rng.chance(80) ? Hand::Left : Hand::Right);
        for (const RatingField &field : kGoalieRatingFields)
            attribs.setByte(field.byte, rating(rng, quality, highest(field, true)));
        attribs.setWeightClass(weightClass(weight));
        return attribs.toByteArray();
    }
    SkaterAttribRecord attribs;
    for (int i = 0; i < SkaterAttribRecord::Size; ++i)
        attribs.setByte(i, rng.nonZeroByte());
    attribs.setHand(rng.chance(60) ? Hand::Left : Hand::Right);
    for (const RatingField &field : kSkaterRatingFields) {
        // The bias and fighting ratings are anything their grids hold.
        const bool anyByte = field.scale == Scale::Bias || field.scale == Scale::Fighting;
        attribs.setByte(field.byte,
                        anyByte ? static_cast<quint8>(rng.between(0, highest(field, false)))
                                : rating(rng, quality, highest(field, false)));
    }
    attribs.setWeightClass(weightClass(weight));
    return attribs.toByteArray();
}

// Four characters of the game's picture reference, or "NONE".
void setPictureCode(Rng &rng, PlayerRecord &record, int offset, bool none)
{
    static constexpr char kNone[] = "NONE";
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int i = 0; i < 4; ++i) {
        const char c = none ? kNone[i] : kChars[rng.next() % (sizeof(kChars) - 1)];
        record.setByte(offset + i, static_cast<quint8>(c));
    }
}

Draft makePlayer(Rng &rng, int team, char position, quint8 jersey, const NameWish &wish = {})
{
    Draft draft;
    PlayerRecord &record = draft.record;
    // Noise first: whatever the fields below leave alone stays varied.
    for (int i = 0; i < PlayerRecord::Size; ++i)
        record.setByte(i, rng.nonZeroByte());
    record.setTeamNumber(static_cast<quint8>(team));
    record.setJerseyNumber(jersey);
    record.setPosition(position);

    const auto first = [&](Rng &r) { return firstName(r, wish.accentedFirst); };
    const auto last = [&](Rng &r) { return lastName(r, wish.accentedLast); };
    draft.firstName = wish.firstLength ? nameOfLength(rng, wish.firstLength, first) : first(rng);
    draft.lastName = wish.lastLength ? nameOfLength(rng, wish.lastLength, last) : last(rng);
    record.setFirstName(draft.firstName);
    record.setLastName(draft.lastName);
    record.setAttribOffset(0);

    const int pictures = rng.between(0, 9);
    setPictureCode(rng, record, PlayerRecord::PictureCodeA.offset, pictures < 2);
    setPictureCode(rng, record, PlayerRecord::PictureCodeB.offset, pictures < 4);

    const bool goalie = position == 'G';
    const int height = (rng.between(66, 83) + rng.between(66, 83) + 1) / 2;
    const int weight = goalie
                           ? std::clamp(158 + (height - 66) * 3 + rng.between(-5, 22), 155, 239)
                           : std::clamp(168 + (height - 66) * 3 + rng.between(-10, 28), 160, 254);
    record.setHeightInches(static_cast<quint8>(height));
    record.setWeightPounds(static_cast<quint8>(weight));
    record.setRookieFlag(rookieFlagOf(rng.chance(15)));

    draft.attribs = makeAttribs(rng, goalie, weight);
    return draft;
}

char freeAgentPosition(Rng &rng)
{
    const int roll = rng.between(0, 99);
    if (roll < 10)
        return 'G';
    if (roll < 40)
        return 'D';
    static constexpr std::array<char, 3> kForwards = {'L', 'C', 'R'};
    return rng.pick(kForwards);
}

TeamRecord makeTeam(Rng &rng, const QString &city, const QString &name, const QString &abbrev)
{
    TeamRecord team;
    for (int i = 0; i < TeamRecord::Size; ++i)
        team.setByte(i, rng.nonZeroByte());
    team.setAbbrev(abbrev);
    team.setTeamName(name);
    team.setCity(city);
    return team;
}

// Three capitals from the city's letters, unique among the teams.
QString abbrevFor(const QString &city, QStringList &taken)
{
    QString letters;
    for (const QChar c : city) {
        const QChar upper = c.toUpper();
        if (upper >= u'A' && upper <= u'Z')
            letters += upper;
    }
    for (qsizetype j = 1; j < letters.size(); ++j) {
        for (qsizetype k = j + 1; k < letters.size(); ++k) {
            const QString candidate = QString(letters[0]) + letters[j] + letters[k];
            if (!taken.contains(candidate)) {
                taken.append(candidate);
                return candidate;
            }
        }
    }
    for (char16_t c = u'A';; ++c) {
        const QString candidate = letters.left(2) + QChar(c);
        if (!taken.contains(candidate)) {
            taken.append(candidate);
            return candidate;
        }
    }
}

} // namespace

QList<TeamRecord> makeTeams(Rng &rng)
{
    QStringList cities;
    for (const QStringView c : kCities)
        cities.append(c.toString());
    rng.shuffle(cities);
    cities.resize(kTeamCount);
    if (std::is_sorted(cities.begin(), cities.end()))
        cities.swapItemsAt(0, 1);
    QStringList names;
    for (const QStringView n : kTeamNames)
        names.append(n.toString());
    rng.shuffle(names);
    QStringList abbrevs;
    QList<TeamRecord> teams;
    for (int t = 0; t < kTeamCount; ++t)
        teams.append(makeTeam(rng, cities[t], names[t], abbrevFor(cities[t], abbrevs)));
    return teams;
}

Draft makeFreeAgent(Rng &rng)
{
    return makePlayer(rng, rng.between(kFirstUnattachedTeam, kLastUnattachedTeam),
                      freeAgentPosition(rng), static_cast<quint8>(rng.between(0, 99)));
}

QList<Draft> makeTeamPlayers(Rng &rng, int team, int extra)
{
    QList<char> positions;
    positions.fill('G', rng.between(2, 3));
    positions.append(QList<char>(rng.between(8, 9), 'D'));
    for (const char forward : {'L', 'C', 'R'})
        positions.append(QList<char>(5, forward));
    if (rng.chance(50))
        positions.append(QList<char>{'L', 'C', 'R'}.at(rng.between(0, 2)));
    for (int i = 0; i < extra && positions.size() < 100; ++i)
        positions.append(QList<char>{'D', 'L', 'C', 'R'}.at(i % 4));

    QList<int> jerseys(100);
    for (int i = 0; i < 100; ++i)
        jerseys[i] = i;
    rng.shuffle(jerseys);

    QList<Draft> players;
    for (qsizetype i = 0; i < positions.size(); ++i) {
        NameWish wish;
        wish.accentedLast = i == 1;
        wish.accentedFirst = i == 2 && team % 3 == 0;
        // The widest names the fields take: 16 and 17 characters, no NUL.
        wish.firstLength = (i == 3 && team % 4 == 0) ? 16 : 0;
        wish.lastLength = (i == 4 && team % 4 == 1) ? 17 : 0;
        players.append(makePlayer(rng, team, positions[i], static_cast<quint8>(jerseys[i]), wish));
    }
    rng.shuffle(players);
    return players;
}

Draft makeLookAlike(Rng &rng)
{
    return makePlayer(rng, rng.between(0, kTeamCount - 1), freeAgentPosition(rng),
                      static_cast<quint8>(rng.between(0, 99)));
}

QStringList descriptionsFor(Rng &rng, qsizetype count)
{
    QStringList pool;
    for (const QStringView d : kDescriptions)
        pool.append(d.toString());
    rng.shuffle(pool);
    for (qsizetype i = pool.size(); i < count; ++i)
        pool.append(QStringLiteral("Season 1997 - Game %1").arg(i + 1));
    pool = pool.mid(0, count);
    if (pool.size() >= 2) {
        for (qsizetype j = 1; j < pool.size(); ++j) {
            if (pool[j].front() != pool[0].front()) {
                pool.swapItemsAt(1, j);
                break;
            }
        }
        if (pool[0].front() < pool[1].front())
            pool.swapItemsAt(0, 1);
    }
    return pool;
}

} // namespace Puckdex::Sample
