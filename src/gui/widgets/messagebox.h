#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace Puckdex {

// What a message box shows besides its text: an icon, and OK alone or Yes
// and No.
enum class MessageIcon { None, Question, Exclamation };
enum class MessageButtons { Ok, YesNo };

struct MessageStyle
{
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // With Yes and No: No is the default button, so Enter answers No.
    bool noIsDefault = false;

    constexpr bool asksYesNo() const { return buttons == MessageButtons::YesNo; }
    friend constexpr bool operator==(const MessageStyle &, const MessageStyle &) = default;

    // The styles the program shows.
    static const MessageStyle Plain;            // text and OK
    static const MessageStyle Warning;          // exclamation mark and OK
    static const MessageStyle Question;         // question mark, Yes and No
    static const MessageStyle QuestionNoDefault; // the same with No the default
};
inline constexpr MessageStyle MessageStyle::Plain{};
inline constexpr MessageStyle MessageStyle::Warning{MessageIcon::Exclamation};
inline constexpr MessageStyle MessageStyle::Question{MessageIcon::Question, MessageButtons::YesNo};
inline constexpr MessageStyle MessageStyle::QuestionNoDefault{MessageIcon::Question,
                                                              MessageButtons::YesNo, true};

enum class MessageAnswer { Ok, Yes, No };

// One message as a window asked for it.
struct MessageRequest
{
    QString title;
    QString text;
    MessageStyle style;
};

// Every message box of the program goes through here. Tests install a
// handler that records each request and answers it, so no real box blocks
// them and they can check the exact text, icon and buttons.
class MessageBox
{
public:
    // A modal box titled "Puckdex" with the text, icon and buttons of style;
    // returns the button the user chose (OK for a box without a question).
    static MessageAnswer show(QWidget *parent, const QString &text, MessageStyle style);

    // How many boxes were asked for so far in this run, real or scripted.
    static int shownCount();

    using Handler = std::function<MessageAnswer(const MessageRequest &)>;
    // Replaces the real boxes by handler; an empty handler restores them.
    static void setHandler(Handler handler);
};

} // namespace Puckdex
