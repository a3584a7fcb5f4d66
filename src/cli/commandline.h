#pragma once

#include "cli.h"
#include "roster.h"

#include "history/backuphistory.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include <optional>

// What the commands of puckdex-cli share: the parsing of one command's line,
// the way failures are said, and opening the roster a command names.
namespace Puckdex::Cli {

inline const QString kProgram = QStringLiteral("puckdex-cli");

// Says the error on err; the exit status of a command that could do nothing.
int fail(QTextStream &err, const FileError &error);

// Puts a command's output into the file the user named, whole or not at
// all: written beside it, synced and read back before it takes the place of
// what was there.
Status writeOutputFile(const QString &path, const QByteArray &bytes);

// Words on lines of at most 79 characters; the parser shows a description as given.
QString wrapped(const QString &text);

// One command's options and arguments, with its own --help.
class CommandLine
{
public:
    CommandLine(const char *command, const char *usage, const char *description)
        : m_command(QLatin1String(command)), m_usage(QLatin1String(usage))
    {
        m_parser.setApplicationDescription(wrapped(QLatin1String(description)));
        m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        m_parser.addOption(m_help);
    }

    void addDir()
    {
        m_parser.addPositionalArgument(QStringLiteral("DIR"),
                                       QStringLiteral("The game folder with the roster files."));
    }
    void addGame()
    {
        m_parser.addOption(m_game);
        m_hasGame = true;
    }
    void add(const QCommandLineOption &option) { m_parser.addOption(option); }
    void addPositional(const char *name, const char *description)
    {
        m_parser.addPositionalArgument(QLatin1String(name), QLatin1String(description));
    }

    // The exit status when the command is done already (help shown, or the
    // command line is wrong); none when it is to run.
    std::optional<int> parse(const QStringList &arguments, int positionals, QTextStream &out,
                             QTextStream &err)
    {
        if (!m_parser.parse(QStringList{kProgram} + arguments))
            return usageError(err, m_parser.errorText());
        if (m_parser.isSet(m_help)) {
            out << helpText();
            return Success;
        }
        const qsizetype given = m_parser.positionalArguments().size();
        if (given != positionals && !(m_lastOptional && given == positionals - 1)) {
            return usageError(err, QStringLiteral("expected %1, got %2")
                                       .arg(plural(positionals, "argument", "arguments"))
                                       .arg(m_parser.positionalArguments().size()));
        }
        if (m_hasGame && m_parser.isSet(m_game)) {
            bool ok = false;
            const int number = m_parser.value(m_game).toInt(&ok);
            // The index holds a game's number in four characters.
            if (!ok || number < 0 || number > 9999) {
                return usageError(err, QStringLiteral("--game needs a saved game's number from 0 "
                                                      "to 9999, not \"%1\"")
                                           .arg(m_parser.value(m_game)));
            }
            m_gameNumber = number;
        }
        return std::nullopt;
    }

    // The last positional argument may be left out.
    void makeLastOptional() { m_lastOptional = true; }
    QStringList arguments() const { return m_parser.positionalArguments(); }
    QStringList values(const QCommandLineOption &option) const { return m_parser.values(option); }

    QString argument(int i) const { return m_parser.positionalArguments().at(i); }
    bool isSet(const QCommandLineOption &option) const { return m_parser.isSet(option); }
    QString value(const QCommandLineOption &option) const { return m_parser.value(option); }
    std::optional<int> game() const { return m_gameNumber; }

    int usageError(QTextStream &err, const QString &message) const
    {
        err << kProgram << " " << m_command << ": " << message << "\n"
            << "Run \"" << kProgram << " " << m_command << " --help\" for its options.\n";
        return Failure;
    }

private:
    QString helpText() const
    {
        // The parser names the running executable; this names the command.
        const QString text = m_parser.helpText();
        return QStringLiteral("Usage: %1 %2 %3").arg(kProgram, m_command, m_usage) +
               text.mid(text.indexOf(QLatin1Char('\n')));
    }

    QString m_command;
    QString m_usage;
    QCommandLineParser m_parser;
    QCommandLineOption m_help{{QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("Shows this help.")};
    QCommandLineOption m_game{QStringLiteral("game"),
                              QStringLiteral("Uses saved game N, as its saved-game index numbers "
                                             "it, instead of the base rosters."),
                              QStringLiteral("N")};
    bool m_hasGame = false;
    bool m_lastOptional = false;
    std::optional<int> m_gameNumber;
};

// The roster of the command's DIR (and --game).
Result<Roster> openRoster(const CommandLine &line);

// The commands over the write journal and the backups (historycommands.cpp).
int undoCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
int diffCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

// The commands over the kept backups (backupcommands.cpp).
int backupsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
int restoreCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
// The kept backups of the roster, beside the write journal.
BackupHistory historyOf(const FileSet &files);
// The files of a generation of the roster's backups, written into place:
// a file set to read like the roster's own.
Result<FileSet> generationFileSet(const FileSet &files, const BackupHistory &history,
                                  const BackupGeneration &generation, const QTemporaryDir &place);

} // namespace Puckdex::Cli
