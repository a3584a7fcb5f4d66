// The editor window's identity rules beyond the form's boxes (the last
// name's rename and picture, jersey and position), the write-back of the
// shown player, and the buttons and the end of the program.
#include "editor/mainwindow.h"

#include "ui_mainwindow.h"

#include "dialogs/aboutwindow.h"
#include "widgets/messagebox.h"
#include "widgets/windowsetup.h"
#include "dialogs/pictureprompt.h"
#include "editor/playerform.h"
#include "player/valuerules.h"
#include "files/gamefiles.h"
#include "dialogs/confirmexit.h"
#include "editor/programstate.h"
#include "templates/templatewindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QSignalBlocker>
#include <QTimer>

namespace Puckdex {

bool MainWindow::WritePlayerData()
{
    const FieldsWrite write = m_draft->write();
    const Result<PlayerWrites::Done, PlayerWriteError> written =
        writes().save(write.offset, write.goalie, write.fields);
    if (!written) {
        MessageBox::show(this,
                         QStringLiteral("%1 %2 could not be saved.\n\n%3")
                             .arg(write.fields.firstName, write.fields.lastName,
                                  written.error().fullMessage()),
                         MessageStyle::Warning);
        return false;
    }
    m_draft->saved(written->written);
    m_team.setNumber(write.offset, *write.fields.jerseyNumber);
    // A new first name may tell him from a namesake in the list.
    const PlayerRecord &key = written->written.key;
    renameListEntry(write.offset, key.firstName(), key.lastName());
    recordSave(*written);
    return true;
}

bool MainWindow::endWithoutSaving()
{
    return MessageBox::show(this,
                            QStringLiteral("Do you want to exit without saving this player ?"),
                            MessageStyle::QuestionNoDefault)
           == MessageAnswer::Yes;
}

void MainWindow::exitClicked()
{
    m_form->leaveFocusedField();
    if (isPlayerShown() && !WritePlayerData() && !endWithoutSaving())
        return;
    if (ConfirmExit(this, QString(), ExitConfirmation::WithoutAsking)) {
        m_ending = true;
        close();
        QCoreApplication::quit();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing through the frame leaves the field being edited without a
    // focus change: check it first, so no unchecked entry reaches the files.
    if (!m_ending)
        m_form->leaveFocusedField();
    if (!m_ending && isPlayerShown() && !WritePlayerData() && !endWithoutSaving()) {
        event->ignore();
        return;
    }
    m_ending = true;
    event->accept();
}

void MainWindow::aboutClicked()
{
    AboutWindow about(QStringLiteral("Puckdex"), m_state.VersionText, this);
    about.exec();
    activateWindow();
}

TemplateWindow &MainWindow::templates()
{
    if (!m_templates)
        m_templates = std::make_unique<TemplateWindow>(m_settingsPath, this);
    return *m_templates;
}

void MainWindow::templatesClicked()
{
    templates().exec();
    m_templates.reset();
    activateWindow();
}

void MainWindow::applyTemplateClicked()
{
    const bool goalie = m_draft->isGoalie();
    TemplateWindow &window = templates();
    m_draft->applyTemplate([&window, goalie](int index) { return window.fieldText(goalie, index); });
    m_form->show(*m_draft);
    m_ui->lstPlayers->setFocus();
}

void MainWindow::lastNameEntered()
{
    LastNameEntryIndex = selectedRow();
    m_renaming = true;
}

void MainWindow::lastNameLeftBy(Qt::FocusReason reason)
{
    if (reason == Qt::MouseFocusReason && QApplication::focusWidget() == m_ui->lstPlayers) {
        // A click into the player list: let it pick its entry first (the
        // list leaves the pick alone while the name is being edited), then
        // rename and move on to the picked player.
        QTimer::singleShot(0, this, &MainWindow::lastNameLeft);
        return;
    }
    lastNameLeft();
}

void MainWindow::lastNameLeft()
{
    m_renaming = false;
    // A box emptied and disabled by a team change is not being left by the user.
    if (!m_form->countsLeaving(m_ui->txtLastName))
        return;
    QListWidget *list = m_ui->lstPlayers;
    const int exitIndex = selectedRow();

    const PlayerDraft::Rename rename = m_draft->setLastName(m_ui->txtLastName->text());
    if (!rename.name.refusal.isEmpty())
        MessageBox::show(this, rename.name.refusal, MessageStyle::Warning);
    m_ui->txtLastName->setText(m_draft->fields().lastName);
    const qint64 exitOffset =
        exitIndex >= 0 ? list->item(exitIndex)->data(kOffsetRole).toLongLong() : -1;
    const bool changed = rename.askAboutPicture;
    if (changed) {
        askAboutPicture();
        renameListEntry(m_draft->offset(), m_draft->fields().firstName, m_draft->fields().lastName);
        list->update();
    }

    if (exitIndex != LastNameEntryIndex && exitOffset >= 0) {
        // The user picked another player while renaming this one: write this
        // player back and load that one, once.
        selectPlayerRow(exitOffset);
        playerChosen();
        return;
    }
    if (changed) {
        // The renamed player stays shown, his entry selected at its new place.
        selectPlayerRow(m_draft->offset());
    }
}

void MainWindow::askAboutPicture()
{
    bool unlink = m_state.Pictures == PictureChoice::AlwaysDelete;
    if (m_state.Pictures == PictureChoice::AlwaysAsk) {
        QApplication::beep();
        PicturePrompt prompt(picturePromptText(m_draft->loadedName(), m_form->shownName()), this);
        prompt.exec();
        activateWindow();
        unlink = prompt.answer().unlinkPicture;
        m_state.Pictures = prompt.answer().from;
    }
    if (unlink)
        m_draft->unlinkPicture();
}

void MainWindow::jerseyChanged(int index)
{
    QComboBox *jerseys = m_ui->cboJerseyNum;
    if (index < 0 || !m_draft)
        return;
    const int number = jerseys->itemData(index).toInt();
    if (m_draft->setJersey(number)) {
        MessageBox::show(this,
                         QStringLiteral("Sorry, you cannot use \"**\" as a jersey number.\n\n")
                             + jerseyWearerText(number),
                         MessageStyle::Warning);
        const QSignalBlocker blocker(jerseys);
        showIdentity();
        jerseys->setFocus();
    }
}

QString MainWindow::jerseyWearerText(int number) const
{
    const TeamJerseys::Wearer *mate = m_team.wearer(number, shownOffset());
    return mate ? QStringLiteral("Number %1 is worn by %2 %3.")
                      .arg(number)
                      .arg(mate->firstName, mate->lastName)
                : QString();
}

void MainWindow::jerseyTypedWorn(int number)
{
    QApplication::beep();
    const QString wearer = jerseyWearerText(number);
    m_ui->lblStatus->setText(wearer.isEmpty()
                                 ? QStringLiteral("Number %1 is worn by a teammate.").arg(number)
                                 : wearer);
}

void MainWindow::positionChanged(int index)
{
    // Every change the program makes is silent, so this is always the user's
    // pick; a goalie stays a goalie, and a skater a skater.
    if (index < 0 || !m_draft
        || m_draft->setPosition(m_ui->cboPosition->itemText(index)).isEmpty())
        return;
    MessageBox::show(this, PlayerEdit::positionRefusalMessage(m_draft->isGoalie()),
                     MessageStyle::Warning);
    SetPositionCombo();
}

} // namespace Puckdex
