#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace Puckdex {

// Message box style codes: add them up, as in 4 + 32 + 256.
namespace MessageStyle {
inline constexpr int OkOnly = 0;
inline constexpr int YesNo = 4;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int SecondButtonDefault = 256;
} // namespace MessageStyle

// Answer codes.
namespace MessageAnswer {
inline constexpr int Ok = 1;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace MessageAnswer

// One message as a window asked for it.
struct MessageRequest
{
    QString title;
    QString text;
    int style = 0;
};

// Every message box of the program goes through here. Tests install a
// handler that records each request and answers it, so no real box blocks
// them and they can check the exact text, icon and buttons.
class MessageBox
{
public:
    // A modal box titled "Puckdex" with the text, icon and buttons of style;
    // returns the answer code.
    static int show(QWidget *parent, const QString &text, int style);

    // How many boxes were asked for so far in this run, real or scripted.
    static int shownCount();

    using Handler = std::function<int(const MessageRequest &)>;
    // Replaces the real boxes by handler; an empty handler restores them.
    static void setHandler(Handler handler);
};

} // namespace Puckdex
