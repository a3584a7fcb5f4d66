#include "dialogs/startupdialog.h"

#include "startup/confirmexit.h"

#include <QCloseEvent>

namespace Puckdex {

void StartupDialog::askExit()
{
    if (ConfirmExit(this, ExitQuestion, ExitQuestionStyle)) {
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
