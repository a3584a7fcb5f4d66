#include "quitafterpaint.h"

#include "dialogs/gamefolderwindow.h"
#include "dialogs/messagebox.h"
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

} // namespace

void installQuitAfterPaint(QApplication &app)
{
    const QString mode = qEnvironmentVariable("PUCKDEX_QUIT_AFTER_PAINT");
    if (!mode.isEmpty())
        app.installEventFilter(new QuitAfterPaint(mode, &app));
}

} // namespace Puckdex
