#pragma once

#include "player/fieldtable.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

class QLineEdit;

namespace Ui {
class TemplateWindow;
}

namespace Puckdex {

// The standard rating templates: one for skaters, one
// for goalies, each field a whole number on the editor's grid for the same
// player field or "*" for "leave the player's value alone". There is no
// template object besides this window: its boxes are the working copy that
// applying a template reads, filled from the settings file when the window
// is built and written back only by Save.
class TemplateWindow : public QDialog
{
    Q_OBJECT

public:
    static constexpr int SkaterFieldCount = templateFieldCount(false);
    static constexpr int GoalieFieldCount = templateFieldCount(true);

    // Reads both templates from the settings file at settingsPath; stored
    // values off their field's limits or grid are moved onto them silently.
    explicit TemplateWindow(const QString &settingsPath, QWidget *parent = nullptr);
    ~TemplateWindow() override;

    // The text of txtStdGoal / txtStdFwd index: a whole number or "*".
    QString fieldText(bool goalie, int index) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct TemplateBox
    {
        QLineEdit *box;
        const FieldKind *field; // the field for the template's kind of player
        QString key;            // StandardForward<i> or StandardGoalie<i>
    };

    const TemplateBox *boxOf(const QObject *object) const;
    void load();
    void save();
    void checkField(const TemplateBox &field);

    QString m_settingsPath;
    std::unique_ptr<Ui::TemplateWindow> m_ui;
    // The skater fields 0 to 16, then the goalie fields 0 to 11: the order in
    // which they are read and saved.
    std::vector<TemplateBox> m_boxes;
    // The box that a mouse press has just given the focus: its whole text is
    // selected once the press has placed the caret.
    QLineEdit *m_clickFocused = nullptr;
};

} // namespace Puckdex
