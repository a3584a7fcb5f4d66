#pragma once

#include "dialogs/messagebox.h"

#include <QList>
#include <QStringList>

// Stands in for every message box while it lives: records what each box was
// asked to show and answers its questions (Yes / No) from a script, in
// order. A question with no scripted answer is answered No and counted, so
// a test can fail on it.
class MessageScript
{
public:
    MessageScript()
    {
        Puckdex::MessageBox::setHandler([this](const Puckdex::MessageRequest &request) {
            shown.append(request);
            // Only questions take scripted answers; a plain message is just OK.
            const bool yesNo = (request.style & 0x0F) == Puckdex::MessageStyle::YesNo;
            if (!yesNo)
                return Puckdex::MessageAnswer::Ok;
            if (!answers.isEmpty())
                return answers.takeFirst();
            ++unanswered;
            return Puckdex::MessageAnswer::No;
        });
    }
    ~MessageScript() { Puckdex::MessageBox::setHandler({}); }
    MessageScript(const MessageScript &) = delete;
    MessageScript &operator=(const MessageScript &) = delete;

    void answer(int code) { answers.append(code); }

    QStringList texts() const
    {
        QStringList list;
        for (const Puckdex::MessageRequest &r : shown)
            list.append(r.text);
        return list;
    }

    QList<Puckdex::MessageRequest> shown;
    QList<int> answers;
    int unanswered = 0;
};
