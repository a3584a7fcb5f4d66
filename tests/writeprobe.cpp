// puckdex-writeprobe FOLDER OFFSET
// puckdex-writeprobe --setting INI VALUE
//
// Writes back the player whose key record lies at OFFSET of FOLDER/key.db,
// with a new weight and speed, through the editor's own write routine; or
// stores VALUE as the game folder in the settings file INI, one replacement
// of that file. Says what came of it: "saved" on standard output, or the
// file and the reason on standard error. The fault tests run it as an
// ordinary user, whom the system's permission checks stop where they never
// stop root, and under a library that records the syncs it asks for.
//
// Exit codes: 0 saved, 10 the write failed, 11 the player could not be read,
// 12 wrong arguments.

#include "player/valuerules.h"
#include "files/gamefiles.h"
#include "player/recordwrites.h"
#include "settings/profilefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace Puckdex;

namespace {

constexpr int kSaved = 0;
constexpr int kWriteFailed = 10;
constexpr int kReadFailed = 11;
constexpr int kUsage = 12;

// The changes the probe makes, the same for every run so a test can make
// them too and compare whole files.
constexpr quint8 kWeight = 200;
constexpr quint8 kTopRating = 15;

int writePlayer(const QDir &folder, qint64 offset, QTextStream &err)
{
    const QString keyFile = folder.filePath(QStringLiteral("key.db"));
    const QString attFile = folder.filePath(QStringLiteral("att.db"));

    const Result<PlayerRecord> player = GameFiles::readPlayer(keyFile, offset);
    if (!player) {
        err << player.error().fullMessage() << '\n';
        return kReadFailed;
    }
    const bool goalie = player->isGoalie();
    PlayerFields fields;
    if (goalie) {
        const Result<GoalieAttribRecord> attribs =
            GameFiles::readGoalieAttribs(attFile, player->attribOffset());
        if (!attribs) {
            err << attribs.error().fullMessage() << '\n';
            return kReadFailed;
        }
        fields = fieldsOf(*player, *attribs);
    } else {
        const Result<SkaterAttribRecord> attribs =
            GameFiles::readSkaterAttribs(attFile, player->attribOffset());
        if (!attribs) {
            err << attribs.error().fullMessage() << '\n';
            return kReadFailed;
        }
        fields = fieldsOf(*player, *attribs);
    }

    fields.weightPounds = kWeight;
    fields.weightClass = weightClass(kWeight);
    fields.rating(RatingGroup::AllPlayers, 0) = kTopRating;
    const Result<WrittenPlayer, PlayerWriteError> written =
        writePlayerFields(keyFile, attFile, offset, goalie, fields);
    if (!written) {
        err << written.error().error.fullMessage() << '\n';
        return kWriteFailed;
    }
    return kSaved;
}

int writeSetting(const QString &ini, const QString &value, QTextStream &err)
{
    ProfileFile settings(ini);
    if (!settings.writeString(u"Puckdex", u"NHL96Path", value)) {
        err << settings.errorString() << '\n';
        return kWriteFailed;
    }
    return kSaved;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    bool isNumber = false;
    const qint64 offset = args.size() == 3 ? args.at(2).toLongLong(&isNumber) : -1;
    int code = kUsage;
    if (args.size() == 4 && args.at(1) == QLatin1String("--setting"))
        code = writeSetting(args.at(2), args.at(3), err);
    else if (isNumber)
        code = writePlayer(QDir(args.at(1)), offset, err);
    else
        err << "usage: puckdex-writeprobe FOLDER OFFSET | --setting INI VALUE\n";
    if (code == kSaved)
        out << "saved\n";
    return code;
}
