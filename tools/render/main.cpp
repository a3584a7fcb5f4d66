#include "render.h"

#include "widgets/programlook.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStringList>
#include <QTextStream>

#include <cstring>

using namespace Puckdex;

namespace {

// True when the command line names a platform plugin (-platform NAME).
bool platformGiven(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    // The pictures need no display: without a platform of the user's choice
    // the windows are drawn off screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !platformGiven(argc, argv))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    applyProgramLook(app);
    QApplication::setApplicationName(QStringLiteral("puckdex-render"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Draws Puckdex's windows over an invented sample roster and saves them "
                       "as PNG files (%1).")
            .arg(Render::fileNames().join(QStringLiteral(", "))));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("OUTDIR"),
                                 QStringLiteral("Folder to write the pictures into; made when "
                                                "missing."));
    parser.process(app);

    QTextStream err(stderr);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        err << "puckdex-render: expected exactly one folder\n";
        err << parser.helpText();
        return 1;
    }

    QTextStream out(stdout);
    const Status status = Render::renderAll(args.first(), [&out](const QString &path) {
        out << "Wrote " << QDir::toNativeSeparators(path) << Qt::endl;
    });
    if (!status) {
        const FileError &error = status.error();
        err << "puckdex-render: " << (error.filePath.isEmpty() ? error.reason : error.fullMessage())
            << "\n";
        return 1;
    }
    return 0;
}
