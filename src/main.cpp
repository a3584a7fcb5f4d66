#include "dialogs/gamefolderwindow.h"
#include "dialogs/messagebox.h"
#include "dialogs/programlook.h"
#include "editor/mainwindow.h"
#include "startup/profilefile.h"
#include "startup/programstate.h"
#include "startup/startup.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using namespace Puckdex;

namespace {

// For the start-up benchmark (bench/run.sh) only: PUCKDEX_QUIT_AFTER_PAINT
// "folder" ends the run, through the folder window's own exit question,
// once that window has been painted; "main" has the folder window take its
// stored folder with OK once painted and ends once the main window has been
// painted. Unset, as for every user, nothing is installed.
class QuitAfterPaint : public QObject
{
public:
    explicit QuitAfterPaint(const QString &mode) : m_mainToo(mode == QLatin1String("main")) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        // Queued, so the window's children are painted first.
        if (auto *folder = qobject_cast<GameFolderWindow *>(watched);
            folder && folder != m_folder) {
            m_folder = folder;
            QTimer::singleShot(0, folder, [folder, mainToo = m_mainToo] {
                if (mainToo) {
                    if (auto *ok = folder->findChild<QPushButton *>(QStringLiteral("cmdOK")))
                        ok->click();
                    return;
                }
                MessageBox::setHandler([](const MessageRequest &) { return MessageAnswer::Yes; });
                folder->close();
            });
        } else if (m_mainToo && qobject_cast<MainWindow *>(watched)) {
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    bool m_mainToo;
    QPointer<GameFolderWindow> m_folder;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Puckdex"));
    // Lets desktops match the window to the installed menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.puckdex.puckdex"));
    applyProgramLook(app);

    const QString quitMode = qEnvironmentVariable("PUCKDEX_QUIT_AFTER_PAINT");
    QuitAfterPaint quitAfterPaint(quitMode);
    if (!quitMode.isEmpty())
        app.installEventFilter(&quitAfterPaint);

    ProgramState state;
    Startup startup(state, settingsFilePath(), SingleInstance::defaultKey());
    const std::unique_ptr<MainWindow> window = startup.run();
    if (!window)
        return 0;
    window->show();
    return app.exec();
}
