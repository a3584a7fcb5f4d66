#include "sampleroster.h"

#include "gamedb/fileset.h"
#include "gamedb/gamefiles.h"
#include "gamedb/ratings.h"

#include <QDir>
#include <QFile>
#include <QStringView>

#include <algorithm>
#include <array>

namespace Puckdex::Sample {

namespace {

// splitmix64: tiny, fast and the same on every platform and library version,
// which std::rand and the standard distributions are not.
class Rng
{
public:
    explicit Rng(quint64 seed) : m_state(seed) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // lo to hi, both included.
    int between(int lo, int hi)
    {
        return lo + static_cast<int>(next() % static_cast<quint64>(hi - lo + 1));
    }
    bool chance(int percent) { return between(0, 99) < percent; }
    // Never 0, so an unused byte cannot pass for a cleared one.
    quint8 nonZeroByte() { return static_cast<quint8>(between(1, 255)); }
    QByteArray nonZeroBytes(int count)
    {
        QByteArray bytes(count, Qt::Uninitialized);
        for (char &b : bytes)
            b = static_cast<char>(nonZeroByte());
        return bytes;
    }

    template <typename T, std::size_t N> const T &pick(const std::array<T, N> &items)
    {
        return items[next() % N];
    }

    template <typename T> void shuffle(QList<T> &items)
    {
        for (qsizetype i = items.size() - 1; i > 0; --i)
            items.swapItemsAt(i, static_cast<qsizetype>(next() % static_cast<quint64>(i + 1)));
    }

private:
    quint64 m_state;
};

constexpr qint64 kRegionOneRecords = GameFiles::KeyRegionOneEnd / PlayerRecord::Size;
constexpr qint64 kGapSize = GameFiles::KeyRegionTwoStart - GameFiles::KeyRegionOneEnd;

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

QString firstName(Rng &rng, bool accented)
{
    QString name =
        (accented || rng.chance(8) ? rng.pick(kAccentedFirstStarts) : rng.pick(kFirstStarts))
            .toString();
    appendPiece(rng, name, kFirstMiddles);
    appendPiece(rng, name, kFirstEnds);
    return name;
}

QString lastName(Rng &rng, bool accented)
{
    QString name =
        (accented || rng.chance(8) ? rng.pick(kAccentedLastStarts) : rng.pick(kLastStarts))
            .toString();
    appendPiece(rng, name, kLastMiddles);
    appendPiece(rng, name, kLastEnds);
    return name;
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

quint8 weightClassOf(int pounds)
{
    return static_cast<quint8>(pounds < 165 ? 0 : (pounds - 160) / 5);
}

// Around the player's overall quality, on the 0 to 15 grid of the ratings.
quint8 rating(Rng &rng, int quality)
{
    return static_cast<quint8>(std::clamp(quality + rng.between(-4, 4), 0, 15));
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
            attribs.setByte(field.byte, rating(rng, quality));
        attribs.setWeightClass(weightClassOf(weight));
        return attribs.toByteArray();
    }
    SkaterAttribRecord attribs;
    for (int i = 0; i < SkaterAttribRecord::Size; ++i)
        attribs.setByte(i, rng.nonZeroByte());
    attribs.setHand(rng.chance(60) ? Hand::Left : Hand::Right);
    for (const RatingField &field : kSkaterRatingFields) {
        switch (field.scale) {
        case Scale::Bias:
            attribs.setByte(field.byte, static_cast<quint8>(rng.between(0, 15)));
            break;
        case Scale::Fighting:
            // Stored 7 and above read back differently; the game writes 0 to 6.
            attribs.setByte(field.byte, static_cast<quint8>(rng.between(0, 6)));
            break;
        default:
            attribs.setByte(field.byte, rating(rng, quality));
            break;
        }
    }
    attribs.setWeightClass(weightClassOf(weight));
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

struct Draft
{
    PlayerRecord record;
    QString firstName;
    QString lastName;
    QByteArray attribs; // 17 bytes for a goalie, 21 for anyone else
};

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
    record.setRookieFlag(rng.chance(15) ? 'Y' : 'N');

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

Draft makeFreeAgent(Rng &rng)
{
    return makePlayer(rng, rng.between(kFirstUnattachedTeam, kLastUnattachedTeam),
                      freeAgentPosition(rng), static_cast<quint8>(rng.between(0, 99)));
}

// A team's players, in the order its block of the key file lists them.
QList<Draft> makeTeamPlayers(Rng &rng, int team)
{
    QList<char> positions;
    positions.fill('G', rng.between(2, 3));
    positions.append(QList<char>(rng.between(8, 9), 'D'));
    for (const char forward : {'L', 'C', 'R'})
        positions.append(QList<char>(5, forward));
    if (rng.chance(50))
        positions.append(QList<char>{'L', 'C', 'R'}.at(rng.between(0, 2)));

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

template <typename T> void appendRecord(QByteArray &out, const T &record)
{
    out.append(reinterpret_cast<const char *>(record.bytes().data()), T::Size);
}

// The bytes between the key file's regions: records that look like players of
// real teams, so a scan that strays into the gap shows itself.
QByteArray makeGap(Rng &rng, const QList<qint32> &attribOffsets)
{
    QByteArray gap;
    gap.reserve(kGapSize);
    while (gap.size() + PlayerRecord::Size <= kGapSize) {
        Draft ghost = makePlayer(rng, rng.between(0, kTeamCount - 1), freeAgentPosition(rng),
                                 static_cast<quint8>(rng.between(0, 99)));
        if (!attribOffsets.isEmpty())
            ghost.record.setAttribOffset(
                attribOffsets.at(rng.between(0, attribOffsets.size() - 1)));
        appendRecord(gap, ghost.record);
    }
    gap.append(rng.nonZeroBytes(kGapSize - gap.size()));
    return gap;
}

Status writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return FileError{path, file.errorString()};
    if (file.write(bytes) != bytes.size())
        return FileError{path, file.errorString()};
    if (!file.flush())
        return FileError{path, file.errorString()};
    return {};
}

Status makeFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return FileError{folder, QStringLiteral("The folder cannot be created")};
    return {};
}

Status writeRoster(const QString &folder, const QString &teamName, const QString &keyName,
                   const QString &attName, quint32 seed)
{
    const RosterImage roster = buildRoster(seed);
    const QDir dir(folder);
    if (Status s = writeWholeFile(dir.filePath(teamName), roster.teamFile); !s)
        return s;
    if (Status s = writeWholeFile(dir.filePath(keyName), roster.keyFile); !s)
        return s;
    return writeWholeFile(dir.filePath(attName), roster.attFile);
}

quint64 mix(quint64 value)
{
    return Rng(value).next();
}

// Descriptions in an order no sort keeps: the first two start with different
// capitals, the larger first.
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

} // namespace

RosterImage buildRoster(quint32 seed)
{
    Rng rng(seed);
    RosterImage roster;

    // Teams, in a file order that is not the alphabetical one.
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
    for (int t = 0; t < kTeamCount; ++t) {
        const TeamRecord team = makeTeam(rng, cities[t], names[t], abbrevFor(cities[t], abbrevs));
        roster.teams.append(team);
        appendRecord(roster.teamFile, team);
    }

    // Most of each team in the first region of the key file, two to four of
    // its players in the second.
    QList<QList<Draft>> blocks;
    QList<Draft> regionTwo;
    for (int t = 0; t < kTeamCount; ++t) {
        QList<Draft> players = makeTeamPlayers(rng, t);
        for (int moved = rng.between(2, 4); moved > 0; --moved)
            regionTwo.append(players.takeAt(rng.between(0, players.size() - 1)));
        blocks.append(players);
    }
    rng.shuffle(blocks);
    rng.shuffle(regionTwo);
    for (int extra = rng.between(8, 14); extra > 0; --extra)
        regionTwo.append(makeFreeAgent(rng));

    QList<Draft> regionOne;
    for (const QList<Draft> &block : std::as_const(blocks))
        regionOne.append(block);
    // Free agents between the teams' players fill the region to its last record.
    while (regionOne.size() < kRegionOneRecords)
        regionOne.insert(rng.between(0, regionOne.size()), makeFreeAgent(rng));

    // Attribute records one after another, in an order of their own.
    QList<Draft *> byAttribOrder;
    for (Draft &d : regionOne)
        byAttribOrder.append(&d);
    for (Draft &d : regionTwo)
        byAttribOrder.append(&d);
    rng.shuffle(byAttribOrder);
    roster.attFile = rng.nonZeroBytes(kAttribHeaderSize);
    QList<qint32> attribOffsets;
    for (Draft *d : std::as_const(byAttribOrder)) {
        const auto offset = static_cast<qint32>(roster.attFile.size());
        d->record.setAttribOffset(offset);
        attribOffsets.append(offset);
        roster.attFile.append(d->attribs);
    }

    const auto place = [&roster](const Draft &d) {
        roster.players.append({roster.keyFile.size(), d.firstName, d.lastName, d.record});
        appendRecord(roster.keyFile, d.record);
    };
    for (const Draft &d : std::as_const(regionOne))
        place(d);
    roster.keyFile.append(makeGap(rng, attribOffsets));
    for (const Draft &d : std::as_const(regionTwo))
        place(d);
    return roster;
}

Status writeBaseRosters(const QString &folder, quint32 seed)
{
    if (Status s = makeFolder(folder); !s)
        return s;
    return writeRoster(folder, FileNames::BaseTeams, FileNames::Key, FileNames::Att, seed);
}

QList<int> defaultSavedGames()
{
    return {3, 7, 12};
}

quint32 savedGameSeed(quint32 seed, int gameNumber)
{
    return static_cast<quint32>(mix((quint64(seed) << 32) | static_cast<quint32>(gameNumber)));
}

Status writeSavedGames(const QString &folder, const QList<int> &gameNumbers, quint32 seed)
{
    const QString indexPath = QDir(folder).filePath(IndexFileName);
    for (const int number : gameNumbers) {
        if (number < 0 || number > 9999)
            return FileError{indexPath,
                             QStringLiteral("Game number %1 does not fit the index").arg(number)};
    }
    if (Status s = makeFolder(folder); !s)
        return s;

    Rng rng(mix(seed) ^ 0x4E4458ULL);
    QByteArray index = rng.nonZeroBytes(GameFiles::IndexHeaderSize);
    const QStringList descriptions = descriptionsFor(rng, gameNumbers.size());
    for (qsizetype i = 0; i < gameNumbers.size(); ++i) {
        const int number = gameNumbers[i];
        SeasonIndexEntry entry;
        for (int b = 0; b < SeasonIndexEntry::Size; ++b)
            entry.setByte(b, rng.nonZeroByte());
        // The game writes its numbers in more than one way; the reader takes
        // the leading digits and skips blanks.
        switch (i % 3) {
        case 0: // "3" and NULs
            entry.setGameNumberText(QString::number(number));
            break;
        case 1: // "   7"
            entry.setGameNumberText(QStringLiteral("%1").arg(number, 4));
            break;
        default: // "12  "
            entry.setGameNumberText(QStringLiteral("%1").arg(number, -4));
            break;
        }
        entry.setDescription(descriptions[i]);
        appendRecord(index, entry);

        const QString prefix = savedGamePrefix(number);
        if (Status s = writeRoster(folder, prefix + FileNames::SavedTeams, prefix + FileNames::Key,
                                   prefix + FileNames::Att, savedGameSeed(seed, number));
            !s)
            return s;
    }
    return writeWholeFile(indexPath, index);
}

qint64 keyFileSize(qint64 recordCount)
{
    if (recordCount <= kRegionOneRecords)
        return recordCount * PlayerRecord::Size;
    return GameFiles::KeyRegionTwoStart + (recordCount - kRegionOneRecords) * PlayerRecord::Size;
}

Status writeKeyFile(const QString &path, qint64 recordCount, quint32 seed)
{
    if (recordCount < 0)
        return FileError{path,
                         QStringLiteral("A key file cannot hold %1 records").arg(recordCount)};

    // Building every name anew would dominate the time for a million records;
    // a pool of finished records, renumbered as they are copied, is enough.
    Rng rng(seed);
    constexpr int kPoolSize = 1024;
    QList<PlayerRecord> pool;
    pool.reserve(kPoolSize);
    for (int i = 0; i < kPoolSize; ++i)
        pool.append(makeFreeAgent(rng).record);

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return FileError{path, file.errorString()};

    constexpr qsizetype kBlockSize = 4096 * PlayerRecord::Size;
    QByteArray block;
    block.reserve(kBlockSize + kGapSize);
    const auto flush = [&]() -> bool {
        const bool written = file.write(block) == block.size();
        block.clear();
        return written;
    };
    for (qint64 i = 0; i < recordCount; ++i) {
        if (i == kRegionOneRecords)
            block.append(makeGap(rng, {}));
        PlayerRecord record = pool[static_cast<qsizetype>(rng.next() % kPoolSize)];
        const quint64 roll = rng.next();
        // Most players on one of the teams, the rest free agents.
        constexpr quint64 kUnattachedTeams = kLastUnattachedTeam - kFirstUnattachedTeam + 1;
        const quint64 team = (roll & 0xFF) < 218
                                 ? (roll >> 8) % kTeamCount
                                 : kFirstUnattachedTeam + (roll >> 8) % kUnattachedTeams;
        record.setTeamNumber(static_cast<quint8>(team));
        record.setJerseyNumber(static_cast<quint8>((roll >> 24) % 100));
        record.setAttribOffset(static_cast<qint32>(kAttribHeaderSize + (i % 1000000) * 21));
        appendRecord(block, record);
        if (block.size() >= kBlockSize && !flush())
            return FileError{path, file.errorString()};
    }
    if (!block.isEmpty() && !flush())
        return FileError{path, file.errorString()};
    if (!file.flush())
        return FileError{path, file.errorString()};
    return {};
}

} // namespace Puckdex::Sample
