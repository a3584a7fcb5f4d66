#pragma once

#include "dialogs/messagebox.h"

#include <QString>

class QWidget;

namespace Puckdex {

inline const QString ExitQuestion = QStringLiteral("Do you want to exit ?");
// Question icon, Yes and No, No the default.
inline constexpr int ExitQuestionStyle =
    MessageStyle::Question + MessageStyle::YesNo + MessageStyle::SecondButtonDefault;
// Passed by the main window's Exit button: end without asking.
inline constexpr int ExitWithoutAsking = 666;

// Asks prompt in a box of the given style; true when the program is to end
// (a Yes, or ExitWithoutAsking). Ending is up to the caller: it closes its
// window without any further handling.
inline bool ConfirmExit(QWidget *parent, const QString &prompt, int buttons)
{
    if (buttons == ExitWithoutAsking)
        return true;
    return MessageBox::show(parent, prompt, buttons) == MessageAnswer::Yes;
}

} // namespace Puckdex
