#include "dialogs/programlook.h"
#include "editor/mainwindow.h"
#include "startup/profilefile.h"
#include "startup/programstate.h"
#include "startup/startup.h"

#include <QApplication>

using namespace Puckdex;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Puckdex"));
    applyProgramLook(app);

    ProgramState state;
    Startup startup(state, settingsFilePath(), SingleInstance::defaultKey());
    const std::unique_ptr<MainWindow> window = startup.run();
    if (!window)
        return 0;
    window->show();
    return app.exec();
}
