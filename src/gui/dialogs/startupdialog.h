#pragma once

#include <QDialog>

namespace Puckdex {

// A window of the start-up sequence (game folder, saved game). It is left by
// its OK button or by ending the program: Esc does nothing, and closing it
// through its frame asks the exit question as its exit button does.
class StartupDialog : public QDialog
{
    Q_OBJECT

public:
    using QDialog::QDialog;

    // True once the user answered Yes to the exit question.
    bool programEnded() const { return m_ended; }

public slots:
    void reject() override {}

protected:
    // "Do you want to exit ?"; Yes closes the window and ends the program,
    // No puts the focus back with focusAfterNo().
    void askExit();
    virtual void focusAfterNo() = 0;

    void closeEvent(QCloseEvent *event) override;

private:
    bool m_ended = false;
};

} // namespace Puckdex
