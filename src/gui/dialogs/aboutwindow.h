#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AboutWindow;
}

namespace Puckdex {

// The About window: the program's icon, its name and version, and
// two fixed lines about who made it. Built afresh for every showing.
class AboutWindow : public QDialog
{
    Q_OBJECT

public:
    // mainCaption is the main window's caption, versionText the run's
    // version suffix (" v1.0 32-bit"); the name line joins them as given.
    AboutWindow(const QString &mainCaption, const QString &versionText, QWidget *parent = nullptr);
    ~AboutWindow() override;

private:
    std::unique_ptr<Ui::AboutWindow> m_ui;
};

} // namespace Puckdex
