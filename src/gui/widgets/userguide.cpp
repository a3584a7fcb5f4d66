#include "widgets/userguide.h"

#include "widgets/messagebox.h"
#include "widgets/systemshell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

namespace Puckdex {

namespace {

// Where an install puts the guide, relative to the programs' folder.
const char *const kGuidePlaces[] = {
    "user-guide.html",                     // the Windows zip and installer
    "../share/doc/puckdex/user-guide.html" // /usr/bin beside /usr/share, and the build tree
};

// Catches F1 before any control sees it: no control of the program uses it,
// and a modal window must not block it.
class HelpKey : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        // A key held down opens the guide once, not a page per repeat.
        if (!key->isAutoRepeat()) {
            auto *widget = qobject_cast<QWidget *>(watched);
            openUserGuide(widget ? widget->window() : nullptr);
        }
        return true;
    }
};

} // namespace

QString userGuidePath()
{
    const QDir programs(QCoreApplication::applicationDirPath());
    for (const char *place : kGuidePlaces) {
        const QFileInfo guide(programs.filePath(QString::fromLatin1(place)));
        if (guide.isFile())
            return guide.canonicalFilePath();
    }
    return {};
}

void openUserGuide(QWidget *parent)
{
    const QString guide = userGuidePath();
    if (guide.isEmpty()) {
        MessageBox::show(parent,
                         QStringLiteral("The user guide (user-guide.html) is not installed with "
                                        "Puckdex. Install Puckdex again to get it back."),
                         MessageStyle::Warning);
        return;
    }
    if (!SystemShell::openDocument(guide)) {
        MessageBox::show(parent,
                         QStringLiteral("No program could open the user guide. Open it in a "
                                        "web browser:\n%1")
                             .arg(QDir::toNativeSeparators(guide)),
                         MessageStyle::Warning);
    }
}

void installHelpKey(QApplication &app)
{
    app.installEventFilter(new HelpKey(&app));
}

} // namespace Puckdex
