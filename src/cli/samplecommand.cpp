#include "commands.h"

#include "sampleroster.h"

#include "files/fileset.h"

#include <QDir>

namespace Puckdex::Cli {

namespace {

// The files the sample writes: the base rosters, or the index and the saved
// games' files.
QStringList sampleFileNames(bool saved, const QList<int> &games)
{
    QStringList names;
    if (!saved)
        return {FileNames::BaseTeams, FileNames::Key, FileNames::Att};
    names.append(Sample::IndexFileName);
    for (const int game : games) {
        const QString prefix = savedGamePrefix(game);
        names << prefix + FileNames::SavedTeams << prefix + FileNames::Key
              << prefix + FileNames::Att;
    }
    return names;
}

// A team has about 27 players and at most 100, one for each jersey number.
constexpr int kMostExtraPlayers = 70;

int writeSample(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    const QString folder = line.argument(0);
    quint32 seedValue = Sample::kDefaultSeed;
    if (line.isSet("seed")) {
        bool ok = false;
        seedValue = line.value("seed").toUInt(&ok);
        if (!ok) {
            return line.usageError(err, QStringLiteral("--seed needs a whole number from 0 to "
                                                       "4294967295, not \"%1\"")
                                            .arg(line.value("seed")));
        }
    }
    int extra = 0;
    if (line.isSet("extra-players")) {
        bool ok = false;
        extra = line.value("extra-players").toInt(&ok);
        if (!ok || extra < 0 || extra > kMostExtraPlayers) {
            return line.usageError(err, QStringLiteral("--extra-players needs a whole number "
                                                       "from 0 to %1, not \"%2\"")
                                            .arg(kMostExtraPlayers)
                                            .arg(line.value("extra-players")));
        }
    }
    const bool saved = line.isSet("saved-game");
    const QList<int> games = Sample::defaultSavedGames();
    const QStringList names = sampleFileNames(saved, games);
    for (const QString &name : names) {
        if (const QString there = GameFolder::findFile(folder, name); !there.isEmpty()) {
            return fail(err, {QDir(folder).filePath(there),
                              QStringLiteral("already there; the sample never replaces a "
                                             "roster, so choose an empty folder")});
        }
    }
    const Status written = saved ? Sample::writeSavedGames(folder, games, seedValue)
                                 : Sample::writeBaseRosters(folder, seedValue, extra);
    if (!written)
        return fail(err, written.error());
    out << QStringLiteral("Wrote %1 to %2.\n")
               .arg(names.join(QStringLiteral(", ")),
                    QDir::toNativeSeparators(QDir(folder).absolutePath()));
    return Success;
}

} // namespace

const Command &sampleCommand()
{
    static const Command command{
        .name = "sample",
        .synopsis = "sample DIR",
        .summary = "writes an invented sample roster",
        .usage = "[options] DIR",
        .help = "Writes an invented roster (made-up teams and players) for trying out the "
                "editor and these commands. DIR is made when missing; files of a roster already "
                "there are never replaced.",
        .arguments = {kDirArgument},
        .options = {{"saved-game", "Writes saved games (an index and numbered files) instead of "
                                   "base rosters."},
                    {"seed",
                     QStringLiteral("Seed of the invented data (default %1).")
                         .arg(Sample::kDefaultSeed),
                     "N"},
                    {"extra-players",
                     QStringLiteral("Gives every team N more skaters (0 to %1), for a larger "
                                    "league; base rosters only.")
                         .arg(kMostExtraPlayers),
                     "N"}},
        .run = &writeSample,
    };
    return command;
}

} // namespace Puckdex::Cli
