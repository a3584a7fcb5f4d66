#pragma once

#include "widgets/messagebox.h"

#include <QString>

class QWidget;

namespace Puckdex {

inline const QString ExitQuestion = QStringLiteral("Do you want to exit ?");
// Question icon, Yes and No, No the default.
inline constexpr MessageStyle ExitQuestionStyle = MessageStyle::QuestionNoDefault;

// Asks prompt in the exit question's box; true (a Yes) when the program is
// to end. Ending is up to the caller: it closes its window without any
// further handling. The main window's Exit button ends without asking.
inline bool ConfirmExit(QWidget *parent, const QString &prompt)
{
    return MessageBox::show(parent, prompt, ExitQuestionStyle) == MessageAnswer::Yes;
}

} // namespace Puckdex
