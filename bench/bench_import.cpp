// An import of a whole league of some 1,500 players, as puckdex-cli makes it
// (the sheet read, every row judged by the editor's rules, the players
// written as one write, the journal entry), against its floor: the same
// records written into files already open, with one sync per file. The two
// take the league back and forth between the same two states, so every
// round changes every player.

#include "benchsupport.h"

#include "cli.h"
#include "files/gamefiles.h"
#include "files/platformsync.h"
#include "sampleroster.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

using namespace Puckdex;

namespace {

// Every team gets this many more players than the sample's: some 1,500.
constexpr int kExtraPlayers = 31;

struct League
{
    QString folder;
    QString sheets[2]; // to the changed state and back
    QByteArray keyImages[2], attImages[2];
    QList<qint64> keyOffsets;                 // the key records that change
    QList<std::pair<qint64, int>> attRecords; // the attribute records that change
};

int cli(const QStringList &arguments)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = Cli::run(arguments, outStream, errStream);
    errStream.flush();
    if (status != 0)
        std::fprintf(stderr, "puckdex-cli %s: %s\n", qPrintable(arguments.join(u' ')),
                     qPrintable(err));
    return status;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The league in both of its states, and the records that differ between them.
League makeLeague(const QTemporaryDir &dir)
{
    League league;
    league.folder = dir.filePath(QStringLiteral("league"));
    requireOk(Sample::writeBaseRosters(league.folder, Sample::kDefaultSeed, kExtraPlayers),
              "writing the league");
    const QString exported = dir.filePath(QStringLiteral("league.csv"));
    requireOk(cli({QStringLiteral("export"), league.folder, QStringLiteral("--output"), exported})
                  == 0,
              "exporting the league");
    const QString key = QDir(league.folder).filePath(QStringLiteral("key.db"));
    const QString att = QDir(league.folder).filePath(QStringLiteral("att.db"));
    league.keyImages[1] = readAll(key);
    league.attImages[1] = readAll(att);
    league.sheets[0] = dir.filePath(QStringLiteral("changed.csv"));
    league.sheets[1] = exported;
    QFile sheet(league.sheets[0]);
    const QByteArray changed = Sample::sheetChangingEveryone(readAll(exported));
    requireOk(sheet.open(QIODevice::WriteOnly) && sheet.write(changed) > 0, "writing the sheet");
    sheet.close();
    requireOk(cli({QStringLiteral("import"), league.folder, league.sheets[0],
                   QStringLiteral("--no-backup")})
                  == 0,
              "importing the sheet");
    league.keyImages[0] = readAll(key);
    league.attImages[0] = readAll(att);
    requireOk(cli({QStringLiteral("import"), league.folder, league.sheets[1],
                   QStringLiteral("--no-backup")})
                  == 0,
              "importing the league back");
    const Result<QList<PlayerEntry>> players = GameFiles::scanAllPlayers(key);
    requireOk(players.ok(), "reading the league");
    for (const PlayerEntry &player : *players) {
        const int attSize = player.record.isGoalie() ? GoalieAttribRecord::Size
                                                     : SkaterAttribRecord::Size;
        const qint64 at = player.record.attribOffset();
        if (league.keyImages[0].mid(player.offset, PlayerRecord::Size)
            != league.keyImages[1].mid(player.offset, PlayerRecord::Size))
            league.keyOffsets.append(player.offset);
        if (league.attImages[0].mid(at, attSize) != league.attImages[1].mid(at, attSize))
            league.attRecords.append({at, attSize});
    }
    return league;
}

void importLeague(benchmark::State &state, const League &league)
{
    int next = 0;
    for (auto _ : state) {
        if (cli({QStringLiteral("import"), league.folder, league.sheets[next],
                 QStringLiteral("--no-backup")})
            != 0) {
            skipOnError(state, {league.sheets[next], QStringLiteral("the import failed")});
            break;
        }
        next = 1 - next;
    }
    state.counters["players"] = double(league.attRecords.size());
}

// The floor: the same records written over the files already open, each
// file synced once.
void writeTheSameRecords(benchmark::State &state, const League &league)
{
    QFile key(QDir(league.folder).filePath(QStringLiteral("key.db")));
    QFile att(QDir(league.folder).filePath(QStringLiteral("att.db")));
    requireOk(key.open(QIODevice::ReadWrite) && att.open(QIODevice::ReadWrite),
              "opening the league");
    int next = 0;
    for (auto _ : state) {
        for (const auto &[at, size] : league.attRecords) {
            att.seek(at);
            att.write(league.attImages[next].constData() + at, size);
        }
        for (const qint64 at : league.keyOffsets) {
            key.seek(at);
            key.write(league.keyImages[next].constData() + at, PlayerRecord::Size);
        }
        if (!syncToDisk(att) || !syncToDisk(key)) {
            skipOnError(state, {key.fileName(), QStringLiteral("sync failed")});
            break;
        }
        next = 1 - next;
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
    // The journal goes beside a settings file of the benchmark's own.
    qputenv("PUCKDEX_INI", dir.filePath(QStringLiteral("PUCKDEX.INI")).toLocal8Bit());
    const League league = makeLeague(dir);
    benchmark::RegisterBenchmark("import_league", importLeague, league)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("import_league_floor", writeTheSameRecords, league)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
