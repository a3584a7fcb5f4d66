// The file layer against the floor of the machine, side by side in one run:
// scanning a team's players against reading the file and touching one byte
// per record, and leaving a player (both records written durably and read
// back, then the next player read) against the bare writes and syncs.

#include "benchsupport.h"

#include "files/gamefiles.h"
#include "files/platformsync.h"
#include "player/recordwrites.h"
#include "sampleroster.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Puckdex;

namespace {

constexpr int kScannedTeam = 0;

qint64 recordCount(qint64 fileSize)
{
    if (fileSize <= GameFiles::KeyRegionOneEnd)
        return fileSize / PlayerRecord::Size;
    return GameFiles::KeyRegionOneEnd / PlayerRecord::Size +
           (fileSize - GameFiles::KeyRegionTwoStart) / PlayerRecord::Size;
}

void setCounters(benchmark::State &state, qint64 fileSize)
{
    state.SetItemsProcessed(state.iterations() * recordCount(fileSize));
    state.SetBytesProcessed(state.iterations() * fileSize);
    state.counters["records"] = double(recordCount(fileSize));
}

void scanPlayers(benchmark::State &state, const QString &keyFile)
{
    for (auto _ : state) {
        const Result<QList<PlayerEntry>> players = GameFiles::scanPlayers(keyFile, kScannedTeam);
        if (!players && !skipOnError(state, players.error()))
            break;
        benchmark::DoNotOptimize(players->constData());
    }
    setCounters(state, QFileInfo(keyFile).size());
}

// The floor: the whole file in one read into memory that is already there,
// then one byte of every record.
void readWholeFile(benchmark::State &state, const QString &keyFile)
{
    const qint64 size = QFileInfo(keyFile).size();
    QByteArray buffer(size, '\0');
    for (auto _ : state) {
        QFile file(keyFile);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ||
            file.read(buffer.data(), size) != size) {
            skipOnError(state, {keyFile, file.errorString()});
            break;
        }
        unsigned touched = 0;
        for (qint64 at = 0; at + PlayerRecord::Size <= size; at += PlayerRecord::Size)
            touched += static_cast<quint8>(buffer[at]);
        benchmark::DoNotOptimize(touched);
    }
    setCounters(state, size);
}

struct Roster
{
    QString keyFile;
    QString attFile;
    // A skater and a goalie of one team, left in turn.
    std::array<PlayerEntry, 2> players;
    // What the window's boxes hold for each of them.
    std::array<PlayerFields, 2> fields;
    std::array<QByteArray, 2> attribBytes;
};

// Leaving the shown player writes his records back durably, reading both
// afresh first and after; then the next player's two records are read.
void leavePlayer(benchmark::State &state, const Roster &roster)
{
    int shown = 0;
    for (auto _ : state) {
        const PlayerEntry &left = roster.players[shown];
        const Result<WrittenPlayer, PlayerWriteError> written =
            writePlayerFields(roster.keyFile, roster.attFile, left.offset, left.record.isGoalie(),
                              roster.fields[shown]);
        if (!written && !skipOnError(state, written.error().error))
            break;

        shown = 1 - shown;
        const PlayerEntry &next = roster.players[shown];
        const Result<PlayerRecord> player = GameFiles::readPlayer(roster.keyFile, next.offset);
        if (!player && !skipOnError(state, player.error()))
            break;
        if (player->isGoalie())
            benchmark::DoNotOptimize(
                GameFiles::readGoalieAttribs(roster.attFile, player->attribOffset()));
        else
            benchmark::DoNotOptimize(
                GameFiles::readSkaterAttribs(roster.attFile, player->attribOffset()));
    }
}

// The floor of leaving a player: the same two records written over
// themselves and each synced to the disk, the files already open.
void syncTwoRecords(benchmark::State &state, const Roster &roster)
{
    QFile key(roster.keyFile);
    QFile att(roster.attFile);
    requireOk(key.open(QIODevice::ReadWrite) && att.open(QIODevice::ReadWrite),
              "opening the roster");
    int shown = 0;
    for (auto _ : state) {
        const PlayerEntry &left = roster.players[shown];
        key.seek(left.offset);
        key.write(left.record.toByteArray());
        const bool keySynced = syncToDisk(key);
        att.seek(left.record.attribOffset());
        att.write(roster.attribBytes[shown]);
        if (!keySynced || !syncToDisk(att)) {
            skipOnError(state, {roster.keyFile, QStringLiteral("sync failed")});
            break;
        }
        shown = 1 - shown;
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    QTemporaryDir dir;
    requireOk(dir.isValid(), "making a temporary folder");
    requireOk(Sample::writeBaseRosters(dir.path()), "writing the sample roster");
    const QString sampleKey = dir.filePath(QStringLiteral("key.db"));
    const QString key100k = dir.filePath(QStringLiteral("key-100k.db"));
    const QString key1m = dir.filePath(QStringLiteral("key-1m.db"));
    requireOk(Sample::writeKeyFile(key100k, 100'000), "writing 100,000 records");
    requireOk(Sample::writeKeyFile(key1m, 1'000'000), "writing 1,000,000 records");

    const std::pair<const char *, QString> keyFiles[] = {
        {"sample", sampleKey}, {"100k", key100k}, {"1m", key1m}};
    for (const auto &[name, path] : keyFiles) {
        benchmark::RegisterBenchmark((std::string("scan/") + name).c_str(), scanPlayers, path)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("scan_floor/") + name).c_str(), readWholeFile,
                                     path)
            ->Unit(benchmark::kMicrosecond);
    }

    // Leaving a player rewrites the roster: a copy of its own.
    const QString rosterDir = dir.filePath(QStringLiteral("leave"));
    requireOk(Sample::writeBaseRosters(rosterDir), "writing the sample roster");
    Roster roster;
    roster.keyFile = QDir(rosterDir).filePath(QStringLiteral("key.db"));
    roster.attFile = QDir(rosterDir).filePath(QStringLiteral("att.db"));
    const Result<QList<PlayerEntry>> team = GameFiles::scanPlayers(roster.keyFile, kScannedTeam);
    requireOk(team.ok(), "scanning the sample roster");
    const auto skater = std::find_if(team->begin(), team->end(),
                                     [](const PlayerEntry &p) { return !p.record.isGoalie(); });
    const auto goalie = std::find_if(team->begin(), team->end(),
                                     [](const PlayerEntry &p) { return p.record.isGoalie(); });
    requireOk(skater != team->end() && goalie != team->end(), "finding a skater and a goalie");
    roster.players = {*skater, *goalie};
    const auto skaterAttribs =
        GameFiles::readSkaterAttribs(roster.attFile, skater->record.attribOffset());
    const auto goalieAttribs =
        GameFiles::readGoalieAttribs(roster.attFile, goalie->record.attribOffset());
    requireOk(skaterAttribs.ok() && goalieAttribs.ok(), "reading the ratings");
    roster.fields = {fieldsOf(skater->record, *skaterAttribs),
                     fieldsOf(goalie->record, *goalieAttribs)};
    roster.attribBytes = {skaterAttribs->toByteArray(), goalieAttribs->toByteArray()};
    benchmark::RegisterBenchmark("leave_player", leavePlayer, roster)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("leave_player_floor", syncTwoRecords, roster)
        ->Unit(benchmark::kMicrosecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
