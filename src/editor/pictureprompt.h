#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class PicturePrompt;
}

namespace Puckdex {

struct ProgramState;

// Asks, after a player was renamed, whether the game should go on showing
// the old player's picture for him (frmDelPlayerPic), and lets the user make
// the answer stand for the rest of the run. Built afresh for each question.
class PicturePrompt : public QDialog
{
    Q_OBJECT

public:
    PicturePrompt(ProgramState &state, const QString &question, QWidget *parent = nullptr);
    ~PicturePrompt() override;

    Ui::PicturePrompt &ui() { return *m_ui; }

    void done(int result) override;
    // Closed without an answer (frame, Esc): the picture stays.
    void reject() override;

private:
    void fitQuestion();

    ProgramState &m_state;
    std::unique_ptr<Ui::PicturePrompt> m_ui;
};

// The question for a player loaded as oldName and now called newName.
QString picturePromptText(const QString &oldName, const QString &newName);

} // namespace Puckdex
