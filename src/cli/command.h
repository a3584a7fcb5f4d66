#pragma once

#include "cli.h"
#include "roster.h"

#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

// How a command of puckdex-cli is declared: its name and line in the
// overview, its help, its arguments and options, and the function that runs
// it on its parsed command line. And what the commands share: opening the
// roster a command names and saying why it failed.
namespace Puckdex::Cli {

inline const QString kProgram = QStringLiteral("puckdex-cli");

// An option: its name, its help line, and the name of its value (none for
// a switch).
struct Option
{
    Option(const char *name, const char *help, const char *value = "")
        : Option(name, QLatin1String(help), value)
    {
    }
    Option(const char *name, const QString &help, const char *value = "")
        : name(QLatin1String(name)), help(help), value(QLatin1String(value))
    {
    }

    QString name;
    QString help;
    QString value;
};

// An argument by its place: its name and help line.
struct Argument
{
    const char *name;
    const char *help;
};

// The game folder that most commands take first.
inline constexpr Argument kDirArgument{"DIR", "The game folder with the roster files."};

class CommandLine;

struct Command
{
    const char *name;     // as typed: "players"
    const char *synopsis; // the overview's: "players DIR --team T"
    const char *summary;  // the overview's words about it
    const char *usage;    // its help's, after the name: "[options] DIR --team T"
    const char *help;     // its help's description
    QList<Argument> arguments = {};
    bool lastOptional = false; // the last argument may be left out
    bool game = false;         // takes --game N: saved game N instead of the base rosters
    QList<Option> options = {};
    // Runs the command; returns its exit status.
    int (*run)(const CommandLine &line, QTextStream &out, QTextStream &err) = nullptr;
};

// Runs a command on its arguments: its help, the usage error of a wrong
// line, or its run function.
int runCommand(const Command &command, const QStringList &arguments, QTextStream &out,
               QTextStream &err);

// One command's line, parsed by its declaration.
class CommandLine
{
public:
    explicit CommandLine(const Command &command);

    // The exit status when the command is done already (help shown, or the
    // command line is wrong); none when it is to run.
    std::optional<int> parse(const QStringList &arguments, QTextStream &out, QTextStream &err);

    // The arguments and option values as typed, one pair of quotes around
    // each taken off (unquoted()).
    QStringList arguments() const;
    QString argument(int i) const { return arguments().at(i); }
    bool isSet(const char *option) const { return m_parser.isSet(QLatin1String(option)); }
    QString value(const char *option) const;
    QStringList values(const char *option) const;
    std::optional<int> game() const { return m_game; }

    // Says what is wrong with the line and where its help is; the exit
    // status of a command that could do nothing.
    int usageError(QTextStream &err, const QString &message) const;

private:
    QString helpText() const;
    std::optional<int> checkArguments(QTextStream &err);

    const Command &m_command;
    QCommandLineParser m_parser;
    QCommandLineOption m_helpOption{{QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Shows this help.")};
    QCommandLineOption m_gameOption{QStringLiteral("game"),
                                    QStringLiteral("Uses saved game N, as its saved-game index "
                                                   "numbers it, instead of the base rosters."),
                                    QStringLiteral("N")};
    std::optional<int> m_game;
};

// A value without one pair of quotes, single or double, around the whole of
// it: cmd passes --separator ';' on with its quotes, and a path that a user
// quoted for the shell may reach the program quoted all the same.
QString unquoted(const QString &value);

// A saved game's number as --game gives it, or none when it is no number
// from 0 to 9999 (the index holds a game's number in four characters).
std::optional<int> gameNumber(const QString &given);

// Says the error on err; the exit status of a command that could do nothing.
int fail(QTextStream &err, const FileError &error);

// The file set, and the roster, of the command's DIR (and --game). An
// action a killed writer left unfinished in it is set back first, and said
// on err; then the journal and backups older runs kept of it under another
// spelling of the folder are taken over (takeOverOlder()).
Result<FileSet> openFileSet(const CommandLine &line, QTextStream &err);
Result<Roster> openRoster(const CommandLine &line, QTextStream &err);

// Says on err that the window has the roster open, naming its process,
// when it does: a write of an import or an undo goes on all the same.
void noteOpenWindow(const FileSet &files, QTextStream &err);

// Takes over the journal and backup history that older runs kept of the
// roster under another spelling of its folder (takeOverOlderHistories());
// when that cannot be done, says so as a warning: nothing is lost, and the
// next opening tries again.
void takeOverOlder(const FileSet &files, QTextStream &err);

// The team a --team value names, its number or its abbreviation in any
// case, or why there is none.
Result<int> teamNamed(const Roster &roster, const QString &given);

// Puts a command's output into the file the user named, whole or not at
// all: written beside it, synced and read back before it takes the place of
// what was there.
Status writeOutputFile(const QString &path, const QByteArray &bytes);

// Words on lines of at most 79 characters; the parser shows a description as given.
QString wrapped(const QString &text);

} // namespace Puckdex::Cli
