#include "cli.h"
#include "files/platformsync.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("puckdex-cli"));
    // Exports go to standard output byte for byte, line ends included.
    Puckdex::useBinaryStandardOutput();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = Puckdex::Cli::run(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}
