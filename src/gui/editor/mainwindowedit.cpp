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
    PlayerFields fields;
    m_form->collect(fields);
    // No entry selected (a letter the game does not know): the stored letter stays.
    if (m_ui->cboPosition->currentIndex() >= 0)
        fields.position = m_ui->cboPosition->currentText().at(0).toLatin1();
    // No entry selected (a number above 99): the stored number stays.
    const int jersey = m_ui->cboJerseyNum->currentIndex();
    if (jersey >= 0 && m_ui->cboJerseyNum->currentText() != TakenJerseyText)
        fields.jerseyNumber = quint8(jersey);
    fields.weightClass = m_weightClass;
    fields.unlinkPicture = m_pictureUnlinked;

    const bool goalie = m_form->isGoalie();
    const Result<PlayerWrites::Done, PlayerWriteError> written =
        writes().save(CurrentPlayerPos, goalie, fields);
    if (!written) {
        MessageBox::show(this,
                         QStringLiteral("%1 %2 could not be saved.\n\n%3")
                             .arg(m_ui->txtFirstName->text(), m_ui->txtLastName->text(),
                                  written.error().fullMessage()),
                         MessageStyle::Warning);
        return false;
    }
    CurrentPlayer = written->written.key;
    // A new first name may tell him from a namesake in the list.
    renameListEntry(CurrentPlayerPos, CurrentPlayer.firstName(), CurrentPlayer.lastName());
    if (goalie)
        CurrentGoalieAttribs = written->written.goalie;
    else
        CurrentSkaterAttribs = written->written.skater;
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
    const bool goalie = m_form->isGoalie();
    TemplateWindow &window = templates();
    m_form->applyTemplate(goalie, [&window, goalie](int index) {
        return window.fieldText(goalie, index);
    });
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

    const QString name = PlayerEdit::lastName(m_ui->txtLastName->text()).name;
    m_ui->txtLastName->setText(name);
    const qint64 exitOffset =
        exitIndex >= 0 ? list->item(exitIndex)->data(kOffsetRole).toLongLong() : -1;
    const bool changed = lastNameChanged(name, CurrentPlayer.lastNameField());
    if (changed) {
        askAboutPicture();
        // In memory the field is padded with blanks; the write pads with NULs.
        CurrentPlayer.setLastName(
            name.leftJustified(PlayerRecord::LastName.width, QLatin1Char(' '), true));
        renameListEntry(CurrentPlayerPos, CurrentPlayer.firstName(), name);
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
        selectPlayerRow(CurrentPlayerPos);
    }
}

void MainWindow::askAboutPicture()
{
    bool unlink = m_state.Pictures == PictureChoice::AlwaysDelete;
    if (m_state.Pictures == PictureChoice::AlwaysAsk) {
        QApplication::beep();
        PicturePrompt prompt(picturePromptText(CurrentPlayerName, m_form->shownName()), this);
        prompt.exec();
        activateWindow();
        unlink = prompt.answer().unlinkPicture;
        m_state.Pictures = prompt.answer().from;
    }
    if (unlink) {
        CurrentPlayer.unlinkPicture();
        m_pictureUnlinked = true;
    }
}

void MainWindow::jerseyChanged(int index)
{
    QComboBox *jerseys = m_ui->cboJerseyNum;
    if (index < 0)
        return;
    if (jerseys->itemText(index) == TakenJerseyText) {
        QString refusal = QStringLiteral("Sorry, you cannot use \"**\" as a jersey number.");
        if (const QString wearer = jerseyWearerText(index); !wearer.isEmpty())
            refusal += QStringLiteral("\n\n") + wearer;
        MessageBox::show(this, refusal, MessageStyle::Warning);
        const int last = CurrentPlayer.jerseyNumber();
        jerseys->setCurrentIndex(last < jerseys->count() ? last : -1);
        jerseys->setFocus();
        return;
    }
    CurrentPlayer.setJerseyNumber(quint8(index));
}

QString MainWindow::jerseyWearerText(int number) const
{
    if (m_teamIndex < 0)
        return {};
    const int team = m_ui->cboTeams->itemData(m_teamIndex).toInt();
    const Result<QList<PlayerEntry>> players = GameFiles::scanPlayers(m_state.keyFilePath(), team);
    if (!players)
        return {};
    const PlayerEntry *mate = PlayerEdit::jerseyWearer(*players, CurrentPlayerPos, number);
    return mate ? QStringLiteral("Number %1 is worn by %2 %3.")
                      .arg(number)
                      .arg(mate->record.firstName(), mate->record.lastName())
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

void MainWindow::updateWeightClass(int pounds)
{
    m_weightClass = weightClass(pounds);
    if (m_form->isGoalie())
        CurrentGoalieAttribs.setWeightClass(*m_weightClass);
    else
        CurrentSkaterAttribs.setWeightClass(*m_weightClass);
}

void MainWindow::positionChanged(int index)
{
    // Every change the program makes is silent, so this is always the user's
    // pick; a goalie stays a goalie, and a skater a skater.
    QComboBox *positions = m_ui->cboPosition;
    const bool goalie = CurrentPlayer.isGoalie();
    if (index < 0 || PlayerEdit::positionRefusal(positions->itemText(index), goalie).isEmpty())
        return;
    MessageBox::show(this, PlayerEdit::positionRefusalMessage(goalie), MessageStyle::Warning);
    if (goalie) {
        const QSignalBlocker blocker(positions);
        positions->setCurrentIndex(0);
    } else {
        SetPositionCombo();
    }
}

} // namespace Puckdex
