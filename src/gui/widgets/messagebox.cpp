#include "widgets/messagebox.h"

#include <QMessageBox>
#include <QWidget>

namespace Puckdex {

namespace {

MessageBox::Handler &handler()
{
    static MessageBox::Handler current;
    return current;
}

int &counter()
{
    static int count = 0;
    return count;
}

QMessageBox::Icon iconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageAnswer MessageBox::show(QWidget *parent, const QString &text, MessageStyle style)
{
    ++counter();
    const MessageRequest request{QStringLiteral("Puckdex"), text, style};
    if (handler())
        return handler()(request);

    // The message texts keep their line breaks as written ("\n\r" among
    // them); on screen any of them is one break.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1String("\n\r"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));

    const bool yesNo = style.asksYesNo();
    QMessageBox box(iconOf(style.icon), request.title, shown,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (yesNo) {
        box.setDefaultButton(style.noIsDefault ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    const int answer = box.exec();
    // The window that asked gets the focus back, as on Windows; without a
    // window manager nothing else would give it back.
    if (parent && parent->window()->isVisible())
        parent->window()->activateWindow();
    if (!yesNo)
        return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

int MessageBox::shownCount()
{
    return counter();
}

void MessageBox::setHandler(Handler newHandler)
{
    handler() = std::move(newHandler);
}

} // namespace Puckdex
