#include "commands.h"

#include "playertable.h"
#include "standardstream.h"

#include "files/codepage.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace Puckdex::Cli {

namespace {

// What a CSV export is written as, for spreadsheets that want other than
// commas and UTF-8.
struct CsvFlavour
{
    QChar separator = u',';
    bool windows1252 = false;
};

// The flavour the options ask for, or the usage error that ends the command.
std::optional<int> csvFlavour(const CommandLine &line, bool json, CsvFlavour &flavour,
                              QTextStream &err)
{
    if (json && (line.isSet("separator") || line.isSet("encoding")))
        return line.usageError(err, QStringLiteral("--separator and --encoding are for CSV; "
                                                   "JSON is UTF-8 text"));
    // A separator by its character, its name, or a tab as "\t".
    static const QHash<QString, QChar> separators{
        {QStringLiteral(","), u','},    {QStringLiteral("comma"), u','},
        {QStringLiteral(";"), u';'},    {QStringLiteral("semicolon"), u';'},
        {QStringLiteral("\t"), u'\t'}, {QStringLiteral("\\t"), u'\t'},
        {QStringLiteral("tab"), u'\t'}};
    if (line.isSet("separator")) {
        const auto found = separators.constFind(line.value("separator").toLower());
        if (found == separators.constEnd())
            return line.usageError(err, QStringLiteral("--separator is \",\" (comma), \";\" "
                                                       "(semicolon) or tab, not \"%1\"")
                                            .arg(line.value("separator")));
        flavour.separator = *found;
    }
    const QString name = line.value("encoding").toLower().remove(QLatin1Char('-'));
    flavour.windows1252 = name == QLatin1String("windows1252") || name == QLatin1String("cp1252");
    if (line.isSet("encoding") && !flavour.windows1252 && name != QLatin1String("utf8"))
        return line.usageError(err, QStringLiteral("--encoding is utf-8 or windows-1252, not "
                                                   "\"%1\"")
                                        .arg(line.value("encoding")));
    return std::nullopt;
}

// Whether the export is JSON (--format, or a FILE ending in .json), or the
// usage error that ends the command.
std::optional<int> isJson(const CommandLine &line, bool &json, QTextStream &err)
{
    json = QFileInfo(line.value("output")).suffix().compare(QLatin1String("json"),
                                                            Qt::CaseInsensitive)
           == 0;
    if (!line.isSet("format"))
        return std::nullopt;
    const QString name = line.value("format").toLower();
    if (name != QLatin1String("csv") && name != QLatin1String("json"))
        return line.usageError(
            err, QStringLiteral("--format is csv or json, not \"%1\"").arg(line.value("format")));
    json = name == QLatin1String("json");
    return std::nullopt;
}

// Bytes to standard output as they are; a string stream (the tests') and a
// console get their text.
void writeBytes(QTextStream &out, const QByteArray &bytes, bool windows1252)
{
    const auto *standard = qobject_cast<const StandardStream *>(out.device());
    if (!windows1252) {
        out << QString::fromUtf8(bytes);
    } else if (!out.device() || (standard && standard->showsText())) {
        out << CodePage::decode(bytes);
    } else {
        out.flush();
        const QStringConverter::Encoding encoding = out.encoding();
        out.setEncoding(QStringConverter::Latin1); // one byte per character, as it is
        out << QString::fromLatin1(bytes);
        out.flush();
        out.setEncoding(encoding);
    }
}

// The players of the teams chosen (all when none is), as export writes them.
QList<Row> exportedRows(const Roster &roster, const QList<int> &teams, QTextStream &err,
                        int &incomplete)
{
    QList<Row> rows;
    for (const PlayerEntry &player : roster.teamPlayers()) {
        const int team = player.record.teamNumber();
        if (!teams.isEmpty() && !teams.contains(team))
            continue;
        const ReadRow read = readRow(roster.files.attFile, player, roster.teams[team].city());
        rows.append(read.row);
        if (read.ratingsError) {
            ++incomplete;
            err << "warning: " << describePlayer(player.offset, player.record)
                << ": hand and ratings left empty: " << read.ratingsError->message() << "\n";
        }
    }
    return rows;
}

int exportRoster(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    bool json = false;
    CsvFlavour flavour;
    if (const auto done = isJson(line, json, err))
        return *done;
    if (const auto done = csvFlavour(line, json, flavour, err))
        return *done;
    const Result<Roster> roster = openRoster(line, err);
    if (!roster)
        return fail(err, roster.error());
    QList<int> teams;
    for (const QString &given : line.values("team")) {
        const Result<int> number = teamNamed(*roster, given);
        if (!number)
            return fail(err, number.error());
        if (!teams.contains(*number))
            teams.append(*number);
    }
    int incomplete = 0;
    const QList<Row> rows = exportedRows(*roster, teams, err, incomplete);

    QByteArray bytes = json ? toJson(rows) : toCsv(rows, flavour.separator);
    if (flavour.windows1252) // the roster's texts come from the same code page
        bytes = CodePage::encode(QString::fromUtf8(bytes)).value_or(bytes);
    if (!line.isSet("output")) {
        writeBytes(out, bytes, flavour.windows1252);
    } else {
        if (const Status written = writeOutputFile(line.value("output"), bytes); !written)
            return fail(err, written.error());
        out << QStringLiteral("Exported %1 of %2 to %3.\n")
                   .arg(plural(rows.size(), "player", "players"),
                        plural(teams.isEmpty() ? roster->teams.size() : teams.size(), "team",
                               "teams"),
                        QDir::toNativeSeparators(line.value("output")));
    }
    return incomplete ? Partly : Success;
}

} // namespace

const Command &exportCommand()
{
    static const Command command{
        .name = "export",
        .synopsis = "export DIR",
        .summary = "every player of a team as CSV or JSON",
        .usage = "[options] DIR",
        .help = "Writes every player that belongs to a team, in key-file order, with every value "
                "as the editor shows it: CSV (a header line, then one line per player) or JSON "
                "(an array of objects). A goalie's skater ratings and a skater's goalie ratings "
                "are left empty.",
        .arguments = {kDirArgument},
        .game = true,
        .options = {{"format", "csv (the default) or json; json also when FILE ends in .json.",
                     "csv|json"},
                    {"output", "Writes to FILE instead of the standard output.", "FILE"},
                    {"team",
                     "Only the players of team T, its number or abbreviation; may be given "
                     "again.",
                     "T"},
                    {"separator", "The CSV cells' separator: \",\" (the default), \";\" or tab; also by "
                               "name: comma, semicolon, tab.",
                     ",|;|tab"},
                    {"encoding", "The CSV text's encoding: utf-8 (the default) or windows-1252.",
                     "utf-8|windows-1252"}},
        .run = &exportRoster,
    };
    return command;
}

} // namespace Puckdex::Cli
