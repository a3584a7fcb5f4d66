// The floor of start-up to the main window: the two windows a start shows,
// built from their .ui definitions through the same generated ui_*.h as the
// program's, with the program's look (font, frame style, window icon)
// applied as the program applies it, and no logic: the game-folder window is
// shown modal, left as OK leaves it once it has been painted, and the main
// window is shown after it; the program ends once the main window has been
// painted, as Puckdex does under PUCKDEX_QUIT_AFTER_PAINT=main. Nothing is
// read or written: no settings, no folder list, no game files, no lock.
//
//   puckdex-ui-windows

#include "ui_gamefolderwindow.h"
#include "ui_mainwindow.h"

#include "widgets/programlook.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace {

// The same hook as the program's (bench/quitafterpaint.cpp): an event
// filter on the application that acts, queued, on the first paint of each
// window.
class QuitAfterPaint : public QObject
{
public:
    using QObject::QObject;

    QPointer<QDialog> folder;
    QPointer<QWidget> main;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        if (folder && watched == folder) {
            QTimer::singleShot(0, folder, [window = folder] {
                if (window)
                    window->accept();
            });
            folder = nullptr;
        } else if (main && watched == main) {
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            main = nullptr;
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Puckdex::applyProgramLook(app);
    auto *hook = new QuitAfterPaint(&app);
    app.installEventFilter(hook);

    // As a start has it: the folder window gone before the main window is
    // built.
    {
        QDialog folder;
        Ui::GameFolderWindow folderUi;
        folderUi.setupUi(&folder);
        hook->folder = &folder;
        folder.exec();
    }
    QWidget main;
    Ui::MainWindow mainUi;
    mainUi.setupUi(&main);
    hook->main = &main;
    main.show();
    return app.exec();
}
