#pragma once

#include "widgets/messagebox.h"

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>

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
            if (takesFocus)
                standInForTheBox();
            // Only questions take scripted answers; a plain message is just OK.
            if (!request.style.asksYesNo())
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

    void answer(Puckdex::MessageAnswer answer) { answers.append(answer); }

    // As a real box does on a desktop: each message takes the focus out of
    // the window that asked, the user lets go of the mouse button over the
    // box and answers it, and the window gets the focus back soon after.
    bool takesFocus = false;
    // Without a window manager nobody gives it back.
    bool givesFocusBack = true;

    QStringList texts() const
    {
        QStringList list;
        for (const Puckdex::MessageRequest &r : shown)
            list.append(r.text);
        return list;
    }

    void standInForTheBox() const
    {
        const QPointer<QWidget> asking = QApplication::activeWindow();
        QDialog box;
        box.setObjectName(QStringLiteral("messageStandIn"));
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        if (!QTest::qWaitForWindowActive(&box))
            qWarning("the stand-in message box did not become active");
        QTest::mouseRelease(&box, Qt::LeftButton);
        box.close();
        // The desktop gives the focus back a moment later, not before the
        // code that asked for the message has gone on.
        if (asking && givesFocusBack)
            QTimer::singleShot(0, asking, [asking] { asking->activateWindow(); });
    }

    QList<Puckdex::MessageRequest> shown;
    QList<Puckdex::MessageAnswer> answers;
    int unanswered = 0;
};
