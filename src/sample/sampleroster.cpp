#include "sampleroster.h"

#include "files/fileset.h"
#include "files/gamefiles.h"
#include "sampleplayers.h"
#include "samplerng.h"

#include <QDir>
#include <QFile>

namespace Puckdex::Sample {

namespace {

constexpr qint64 kRegionOneRecords = GameFiles::KeyRegionOneEnd / PlayerRecord::Size;
constexpr qint64 kGapSize = GameFiles::KeyRegionTwoStart - GameFiles::KeyRegionOneEnd;

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
        Draft ghost = makeLookAlike(rng);
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
                   const QString &attName, quint32 seed, int extraPerTeam = 0)
{
    const RosterImage roster = buildRoster(seed, extraPerTeam);
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
} // namespace
RosterImage buildRoster(quint32 seed, int extraPerTeam)
{
    Rng rng(seed);
    RosterImage roster;

    // Teams, in a file order that is not the alphabetical one.
    roster.teams = makeTeams(rng);
    for (const TeamRecord &team : std::as_const(roster.teams))
        appendRecord(roster.teamFile, team);

    // Most of each team in the first region of the key file, two to four of
    // its players in the second.
    QList<QList<Draft>> blocks;
    QList<Draft> regionTwo;
    for (int t = 0; t < kTeamCount; ++t) {
        QList<Draft> players = makeTeamPlayers(rng, t, extraPerTeam);
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
    // A league larger than the first region goes on in the second.
    if (regionOne.size() > kRegionOneRecords) {
        regionTwo = regionOne.mid(kRegionOneRecords) + regionTwo;
        regionOne.resize(kRegionOneRecords);
    }
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

Status writeBaseRosters(const QString &folder, quint32 seed, int extraPerTeam)
{
    if (Status s = makeFolder(folder); !s)
        return s;
    return writeRoster(folder, FileNames::BaseTeams, FileNames::Key, FileNames::Att, seed,
                       extraPerTeam);
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


QByteArray sheetChangingEveryone(const QByteArray &exported)
{
    const QList<QByteArray> lines = exported.split('\n');
    const QList<QByteArray> header = lines.first().trimmed().split(',');
    const qsizetype offset = header.indexOf("offset"), weight = header.indexOf("weight"),
                    speed = header.indexOf("speed");
    QByteArray sheet = "offset,weight,speed\r\n";
    for (const QByteArray &line : lines.mid(1)) {
        const QList<QByteArray> cells = line.trimmed().split(',');
        if (cells.size() == header.size())
            sheet += cells[offset] + ',' + (cells[weight] == "200" ? "201" : "200") + ','
                     + (cells[speed] == "60" ? "80" : "60") + "\r\n";
    }
    return sheet;
}

} // namespace Puckdex::Sample
