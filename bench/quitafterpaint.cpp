// For the start-up benchmark (bench/run.sh) only, and linked into the program
// only in the benchmark build: PUCKDEX_QUIT_AFTER_PAINT "folder" ends the
// run, through the folder window's own exit question, once that window has
// been painted; "main" has the folder window take its stored folder with OK
// once painted and ends once the main window has been painted. Unset,
// nothing is installed. It installs itself as the application starts.

#include "dialogs/gamefolderwindow.h"
#include "widgets/messagebox.h"
#include "editor/mainwindow.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace Puckdex {

namespace {

class QuitAfterPaint : public QObject
{
public:
    QuitAfterPaint(const QString &mode, QObject *parent)
        : QObject(parent), m_mainToo(mode == QLatin1String("main"))
    {}

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

void installQuitAfterPaint()
{
    const QString mode = qEnvironmentVariable("PUCKDEX_QUIT_AFTER_PAINT");
    if (!mode.isEmpty())
        qApp->installEventFilter(new QuitAfterPaint(mode, qApp));
}

Q_COREAPP_STARTUP_FUNCTION(installQuitAfterPaint)

} // namespace

} // namespace Puckdex
