#include "command.h"

#include "history/playerwrites.h"

#include "files/safefile.h"
#include "history/filelocks.h"
#include "history/takeover.h"
#include "history/writejournal.h"

#include <QFileInfo>

namespace Puckdex::Cli {

int runCommand(const Command &command, const QStringList &arguments, QTextStream &out,
               QTextStream &err)
{
    CommandLine line(command);
    if (const std::optional<int> done = line.parse(arguments, out, err))
        return *done;
    return command.run(line, out, err);
}

CommandLine::CommandLine(const Command &command) : m_command(command)
{
    m_parser.setApplicationDescription(wrapped(QLatin1String(command.help)));
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(m_helpOption);
    for (const Argument &argument : command.arguments)
        m_parser.addPositionalArgument(QLatin1String(argument.name), QLatin1String(argument.help));
    if (command.game)
        m_parser.addOption(m_gameOption);
    for (const Option &option : command.options) {
        m_parser.addOption(option.value.isEmpty()
                               ? QCommandLineOption(option.name, option.help)
                               : QCommandLineOption(option.name, option.help, option.value));
    }
}

std::optional<int> CommandLine::parse(const QStringList &arguments, QTextStream &out,
                                      QTextStream &err)
{
    if (!m_parser.parse(QStringList{kProgram} + arguments))
        return usageError(err, m_parser.errorText());
    if (m_parser.isSet(m_helpOption)) {
        out << helpText();
        return Success;
    }
    return checkArguments(err);
}

std::optional<int> CommandLine::checkArguments(QTextStream &err)
{
    const qsizetype expected = m_command.arguments.size();
    const qsizetype given = arguments().size();
    if (given != expected && !(m_command.lastOptional && given == expected - 1)) {
        return usageError(err, QStringLiteral("expected %1, got %2")
                                   .arg(plural(expected, "argument", "arguments"))
                                   .arg(given));
    }
    if (m_command.game && m_parser.isSet(m_gameOption)) {
        m_game = gameNumber(unquoted(m_parser.value(m_gameOption)));
        if (!m_game) {
            return usageError(err, QStringLiteral("--game needs a saved game's number from 0 "
                                                  "to 9999, not \"%1\"")
                                       .arg(unquoted(m_parser.value(m_gameOption))));
        }
    }
    return std::nullopt;
}

int CommandLine::usageError(QTextStream &err, const QString &message) const
{
    const QLatin1String command(m_command.name);
    err << kProgram << " " << command << ": " << message << "\n"
        << "Run \"" << kProgram << " " << command << " --help\" for its options.\n";
    return Failure;
}

QString CommandLine::helpText() const
{
    // The parser names the running executable; this names the command.
    const QString text = m_parser.helpText();
    return QStringLiteral("Usage: %1 %2 %3")
               .arg(kProgram, QLatin1String(m_command.name), QLatin1String(m_command.usage))
           + text.mid(text.indexOf(QLatin1Char('\n')));
}

QString unquoted(const QString &value)
{
    if (value.size() >= 2 && (value.front() == u'\'' || value.front() == u'"')
        && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

QStringList CommandLine::arguments() const
{
    QStringList given = m_parser.positionalArguments();
    for (QString &argument : given)
        argument = unquoted(argument);
    return given;
}

QString CommandLine::value(const char *option) const
{
    return unquoted(m_parser.value(QLatin1String(option)));
}

QStringList CommandLine::values(const char *option) const
{
    QStringList given = m_parser.values(QLatin1String(option));
    for (QString &value : given)
        value = unquoted(value);
    return given;
}

std::optional<int> gameNumber(const QString &given)
{
    bool ok = false;
    const int number = given.toInt(&ok);
    if (!ok || number < 0 || number > 9999)
        return std::nullopt;
    return number;
}

int fail(QTextStream &err, const FileError &error)
{
    err << kProgram << ": " << error.fullMessage() << "\n";
    return Failure;
}

void takeOverOlder(const FileSet &files, QTextStream &err)
{
    const Status taken = takeOverOlderHistories(WriteJournal::defaultFolder(), files);
    if (!taken) {
        err << "warning: the journal or backups kept of this roster under another spelling of "
               "its folder were not taken over this time: "
            << taken.error().fullMessage() << "\n";
    }
}

void noteOpenWindow(const FileSet &files, QTextStream &err)
{
    if (const auto window = folderClaimHolder(WriteJournal::defaultFolder(), files.folder))
        err << "note: " << window->describe() << " has this roster open; it will show these "
            << "changes\n";
}

Result<FileSet> openFileSet(const CommandLine &line, QTextStream &err)
{
    const Result<FileSet> files = findFileSet(line.argument(0), line.game());
    if (!files || files->kind == FileSetKind::None || files->keyFile.isEmpty())
        return files;
    const auto recovered = PlayerWrites(WriteJournal::defaultFolder(), *files).recover();
    if (!recovered) {
        err << kProgram << ": warning: an action that was interrupted could not be set back: "
            << recovered.error().fullMessage() << "\n";
    } else if (*recovered) {
        err << kProgram << ": " << (*recovered)->text() << "\n";
    }
    takeOverOlder(*files, err);
    return files;
}

Result<Roster> openRoster(const CommandLine &line, QTextStream &err)
{
    const Result<FileSet> files = openFileSet(line, err);
    if (!files)
        return files.error();
    return loadRoster(*files);
}

Result<int> teamNamed(const Roster &roster, const QString &given)
{
    bool isNumber = false;
    const int number = given.toInt(&isNumber);
    if (isNumber && roster.isTeam(number))
        return number;
    for (int team = 0; !isNumber && team < roster.teams.size(); ++team) {
        if (roster.teams[team].abbrev().trimmed().compare(given.trimmed(), Qt::CaseInsensitive)
            == 0)
            return team;
    }
    return FileError{roster.files.teamFile,
                     QStringLiteral("no team \"%1\"; give a number from 0 to %2 or an "
                                    "abbreviation (\"%3 teams\" lists them)")
                         .arg(given)
                         .arg(roster.teams.size() - 1)
                         .arg(kProgram)};
}

Status writeOutputFile(const QString &path, const QByteArray &bytes)
{
    return SafeFile::replace(QFileInfo(path).absoluteFilePath(), bytes);
}

QString wrapped(const QString &text)
{
    QString result;
    qsizetype lineLength = 0;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > 79) {
            result += QLatin1Char('\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            result += QLatin1Char(' ');
            ++lineLength;
        }
        result += word;
        lineLength += word.size();
    }
    return result;
}

} // namespace Puckdex::Cli
