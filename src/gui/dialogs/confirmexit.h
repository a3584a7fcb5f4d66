#pragma once

#include "widgets/messagebox.h"

#include <QString>

class QWidget;

namespace Puckdex {

inline const QString ExitQuestion = QStringLiteral("Do you want to exit ?");
// Question icon, Yes and No, No the default.
inline constexpr MessageStyle ExitQuestionStyle = MessageStyle::QuestionNoDefault;

// Whether ConfirmExit asks first; the main window's Exit button ends at once.
enum class ExitConfirmation { Ask, WithoutAsking };

// Asks prompt in the exit question's box; true when the program is to end
// (a Yes, or WithoutAsking). Ending is up to the caller: it closes its
// window without any further handling.
inline bool ConfirmExit(QWidget *parent, const QString &prompt, ExitConfirmation how)
{
    if (how == ExitConfirmation::WithoutAsking)
        return true;
    return MessageBox::show(parent, prompt, ExitQuestionStyle) == MessageAnswer::Yes;
}

} // namespace Puckdex
