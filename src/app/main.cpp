#include "widgets/programlook.h"
#include "editor/mainwindow.h"
#include "settings/profilefile.h"
#include "editor/programstate.h"
#include "startup/startup.h"

#include <QApplication>

using namespace Puckdex;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Puckdex"));
    // Lets desktops match the window to the installed menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.puckdex.puckdex"));
    applyProgramLook(app);

    ProgramState state;
    Startup startup(state, settingsFilePath(), SingleInstance::defaultKey());
    const std::unique_ptr<MainWindow> window = startup.run();
    if (!window)
        return 0;
    window->show();
    return app.exec();
}
