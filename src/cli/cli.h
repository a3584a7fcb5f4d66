#pragma once

#include <QStringList>
#include <QTextStream>

namespace Puckdex::Cli {

// Exit statuses shared by the commands; import and check give 1 a meaning
// of their own (rows refused, findings).
enum ExitStatus {
    Success = 0,
    Partly = 1,
    Failure = 2, // nothing could be done: bad arguments, unreadable files
};

// Runs one command line, arguments without the program's name ("export",
// "DIR", "--format", "json"): results to out, warnings and errors to err.
// Returns the exit status.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace Puckdex::Cli
