#include "sampleroster.h"

#include "gamedb/fileset.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <QTextStream>

using namespace Puckdex;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("puckdex-sample"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes invented NHL 96 rosters for trying out and testing Puckdex."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QStringLiteral("Folder to write into; made when missing."));
    const QCommandLineOption savedGame(
        QStringLiteral("saved-game"),
        QStringLiteral("Write a saved-game set (index and numbered files) instead of the base "
                       "rosters."));
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Seed of the invented data (default %1).").arg(Sample::kDefaultSeed),
        QStringLiteral("N"));
    parser.addOption(savedGame);
    parser.addOption(seed);
    parser.process(app);

    QTextStream err(stderr);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        err << "puckdex-sample: expected exactly one folder\n";
        err << parser.helpText();
        return 1;
    }
    const QString folder = args.first();

    quint32 seedValue = Sample::kDefaultSeed;
    if (parser.isSet(seed)) {
        bool ok = false;
        seedValue = parser.value(seed).toUInt(&ok);
        if (!ok) {
            err << "puckdex-sample: the seed must be a whole number from 0 to 4294967295, not \""
                << parser.value(seed) << "\"\n";
            return 1;
        }
    }

    QString what;
    Status status;
    if (parser.isSet(savedGame)) {
        const QList<int> games = Sample::defaultSavedGames();
        status = Sample::writeSavedGames(folder, games, seedValue);
        QStringList numbers;
        for (const int number : games)
            numbers.append(QString::number(number));
        what = QStringLiteral("saved games %1 with index %2")
                   .arg(numbers.join(QStringLiteral(", ")), Sample::IndexFileName);
    } else {
        status = Sample::writeBaseRosters(folder, seedValue);
        what = QStringLiteral("base rosters %1, %2, %3")
                   .arg(FileNames::BaseTeams, FileNames::Key, FileNames::Att);
    }
    if (!status) {
        err << "puckdex-sample: " << status.error().fullMessage() << "\n";
        return 1;
    }
    QTextStream(stdout) << "Wrote " << what << " (seed " << seedValue << ") to "
                        << QDir::toNativeSeparators(QDir(folder).absolutePath()) << "\n";
    return 0;
}
