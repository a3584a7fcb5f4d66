#include "dialogs/startupdialog.h"

#include "dialogs/confirmexit.h"

#include <QCloseEvent>

namespace Puckdex {

void StartupDialog::askExit()
{
    if (ConfirmExit(this, ExitQuestion)) {
        m_ended = true;
        done(Rejected);
        return;
    }
    focusAfterNo();
}

void StartupDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
    askExit();
}

} // namespace Puckdex
