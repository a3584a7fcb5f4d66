#include "widgets/programlook.h"
#include "widgets/userguide.h"
#include "editor/mainwindow.h"
#include "settings/profilefile.h"
#include "editor/programstate.h"
#include "startup/programanswers.h"
#include "startup/startup.h"
#include "files/platformsync.h"

#include <QApplication>

#include <cstdio>

using namespace Puckdex;

int main(int argc, char *argv[])
{
    // --help and --version are answered before Qt looks for a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const std::optional<QString> answer = answerWithoutWindow(arguments)) {
        attachParentConsole();
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Puckdex"));
    // Lets desktops match the window to the installed menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.puckdex.puckdex"));
    applyProgramLook(app);
    installHelpKey(app);

    ProgramState state;
    Startup startup(state, settingsFilePath(), SingleInstance::defaultKey());
    const std::unique_ptr<MainWindow> window = startup.run();
    if (!window)
        return 0;
    window->show();
    return app.exec();
}
