#pragma once

#include <QDialog>

#include <memory>
#include <optional>

namespace Ui {
class PicturePrompt;
}

namespace Puckdex {

// What happens to a renamed player's picture, standing for the rest of the
// run: the user is asked each time, or it is kept, or unlinked, silently.
enum class PictureChoice { AlwaysAsk, NeverDelete, AlwaysDelete };

// The user's answer to one question: this player's picture, and the choice
// that stands for later renames in the run.
struct PictureAnswer
{
    bool unlinkPicture = false; // No: the game stops showing the old picture
    PictureChoice from = PictureChoice::AlwaysAsk;
    // Cancel, where the question offers it: nothing is to be written.
    bool cancelled = false;
};

// Asks, after a player was renamed, whether the game should go on showing
// the old player's picture for him, and lets the user make
// the answer stand for the rest of the run. Built afresh for each question.
class PicturePrompt : public QDialog
{
    Q_OBJECT

public:
    // With cancellable, a Cancel button under the choices calls off what
    // led to the question (a paste into the roster table).
    explicit PicturePrompt(const QString &question, QWidget *parent = nullptr,
                           bool cancellable = false);
    ~PicturePrompt() override;

    // What the user answered; closed without an answer (frame, Esc), the
    // picture stays, or, where Cancel is offered, it is cancelled.
    PictureAnswer answer() const { return m_answer; }

    void done(int result) override;

private:
    void fitQuestion();
    void addCancel();

    bool m_cancellable;
    PictureAnswer m_answer;
    std::unique_ptr<Ui::PicturePrompt> m_ui;
};

// The question for a player loaded as oldName and now called newName.
QString picturePromptText(const QString &oldName, const QString &newName);

// Whether a renamed player's picture is let go: as the choice standing for
// the run says, or as the user answers the question (whose answer may then
// stand, in choice).
bool unlinkRenamedPicture(PictureChoice &choice, const QString &oldName, const QString &newName,
                          QWidget *parent);
// The same for a player renamed by a paste, where the question can cancel
// the paste: none then, and the standing choice stays as it was.
std::optional<bool> unlinkPastedPicture(PictureChoice &choice, const QString &oldName,
                                        const QString &newName, QWidget *parent);

} // namespace Puckdex
