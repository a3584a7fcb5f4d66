#include "cli.h"
#include "files/platformsync.h"
#include "standardstream.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("puckdex-cli"));
    // Exports go to standard output byte for byte, line ends included; a
    // Windows console gets the text in its own characters instead.
    Puckdex::useBinaryStandardOutput();
    Puckdex::Cli::StandardStream standardOutput(stdout);
    Puckdex::Cli::StandardStream standardError(stderr);
    QTextStream out(&standardOutput);
    QTextStream err(&standardError);
    // The arguments as the system gives them: on Windows the wide command
    // line, whatever the code page.
    const int status = Puckdex::Cli::run(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}
