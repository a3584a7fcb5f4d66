#include "editor/identitylists.h"

#include "editor/jerseykeys.h"
#include "widgets/messagebox.h"
#include "widgets/windowsetup.h"
#include "player/playerdraft.h"
#include "player/valuerules.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QStandardItemModel>

namespace Puckdex {

namespace {

// The texts of the jersey entries, one per number a player may wear, made
// once: every team choice refills the list.
const QStringList &jerseyEntryTexts()
{
    static const QStringList texts = [] {
        QStringList list;
        for (int number = kLowestJersey; number <= kHighestJersey; ++number)
            list.append(jerseyEntryText(number));
        return list;
    }();
    return texts;
}

} // namespace

IdentityLists::IdentityLists(QWidget *window, QComboBox *jerseys, QComboBox *positions,
                             QLabel *status)
    : QObject(window), m_window(window), m_jerseys(jerseys), m_positions(positions),
      m_status(status)
{
    for (const QChar letter : PlayerEdit::kPositionLetters)
        m_positions->addItem(QString(letter));
    m_positions->setCurrentIndex(-1);
    fitDropDownTo(m_jerseys, jerseyEntryTexts() + QStringList{TakenJerseyText});
    connect(m_jerseys, &QComboBox::currentIndexChanged, this, &IdentityLists::jerseyChosen);
    new JerseyKeys(m_jerseys, TakenJerseyText, [this](int number) { typedWorn(number); });
    connect(m_positions, &QComboBox::currentIndexChanged, this, &IdentityLists::positionChosen);
    // A refusal on the status line holds until the next thing the user does:
    // another number, or the focus moving on.
    connect(m_jerseys, &QComboBox::currentIndexChanged, this, &IdentityLists::clearRefusal);
    connect(qApp, &QApplication::focusChanged, this, &IdentityLists::clearRefusal);
}

qint64 IdentityLists::shownOffset() const
{
    return m_draft ? m_draft->offset() : -1;
}

void IdentityLists::showTeam(const TeamJerseys &team)
{
    m_team = team;
    showTeamWorn();
}

void IdentityLists::showTeamWorn()
{
    const QSet<int> worn = m_team.takenBesides(-1);
    FillJerseyList(QList<int>(worn.cbegin(), worn.cend()));
}

void IdentityLists::numberSaved(qint64 offset, int number)
{
    m_team.setNumber(offset, number);
}

void IdentityLists::FillJerseyList(const QList<int> &worn)
{
    const QSignalBlocker blocker(m_jerseys);
    m_jerseys->clear();
    // Refilled at every team choice: the 100 entries go into the list's model
    // at once, as addItem() would make them one by one; the team's numbers
    // are marked as they go in.
    QStringList texts = jerseyEntryTexts();
    for (const int number : worn) {
        // A number above 99 has no entry to mark.
        if (number < texts.size())
            texts[number] = TakenJerseyText;
    }
    if (auto *model = qobject_cast<QStandardItemModel *>(m_jerseys->model())) {
        QList<QStandardItem *> entries;
        entries.reserve(texts.size());
        for (int number = 0; number < texts.size(); ++number) {
            auto *entry = new QStandardItem(texts[number]);
            entry->setData(number, Qt::UserRole);
            entries.append(entry);
        }
        model->invisibleRootItem()->appendRows(entries);
    } else {
        for (int number = 0; number < texts.size(); ++number)
            m_jerseys->addItem(texts[number], number);
    }
    m_jerseys->setCurrentIndex(-1);
}

void IdentityLists::MarkJerseyTaken(int number)
{
    // A number above 99 has no entry to mark.
    const int entry = m_jerseys->findData(number);
    if (entry < 0)
        return;
    const QSignalBlocker blocker(m_jerseys);
    m_jerseys->setItemText(entry, TakenJerseyText);
}

void IdentityLists::show(PlayerDraft &draft)
{
    m_draft = &draft;
    setEnabled(true);
    const QSignalBlocker blocker(m_jerseys);
    // His numbers, as loaded and as now, are his own: no teammate's.
    const int jersey = *draft.fields().jerseyNumber;
    for (const int number : {int(*draft.loaded().jerseyNumber), jersey}) {
        if (const int entry = m_jerseys->findData(number); entry >= 0)
            m_jerseys->setItemText(entry, jerseyEntryText(number));
    }
    // A number above 99 has no entry: none is selected.
    m_jerseys->setCurrentIndex(m_jerseys->findData(jersey));
    SetPositionCombo();
}

void IdentityLists::SetPositionCombo()
{
    // A letter the game does not know selects nothing.
    const QSignalBlocker blocker(m_positions);
    m_positions->setCurrentIndex(
        int(PlayerEdit::kPositionLetters.indexOf(QLatin1Char(*m_draft->fields().position))));
}

void IdentityLists::showNoPlayer()
{
    m_draft = nullptr;
    showTeamWorn();
    clearPosition();
    setEnabled(false);
}

void IdentityLists::clear()
{
    m_draft = nullptr;
    {
        const QSignalBlocker jerseys(m_jerseys);
        m_jerseys->clear();
    }
    clearPosition();
    setEnabled(false);
}

void IdentityLists::clearPosition()
{
    // The combo box repaints itself even when nothing was selected; every
    // team choice clears it, mostly when it is clear already.
    if (m_positions->currentIndex() == -1)
        return;
    const QSignalBlocker positions(m_positions);
    m_positions->setCurrentIndex(-1);
}

void IdentityLists::setEnabled(bool enabled)
{
    for (QComboBox *list : {m_jerseys, m_positions}) {
        if (list->isEnabled() != enabled)
            list->setEnabled(enabled);
    }
}

void IdentityLists::jerseyChosen(int index)
{
    if (index < 0 || !m_draft)
        return;
    const int number = m_jerseys->itemData(index).toInt();
    if (!m_draft->setJersey(number))
        return;
    MessageBox::show(m_window,
                     QStringLiteral("Sorry, you cannot use \"**\" as a jersey number.\n\n")
                         + wearerText(number),
                     MessageStyle::Warning);
    const QSignalBlocker blocker(m_jerseys);
    m_jerseys->setCurrentIndex(m_jerseys->findData(*m_draft->fields().jerseyNumber));
    m_jerseys->setFocus();
}

QString IdentityLists::wearerText(int number) const
{
    const TeamJerseys::Wearer *mate = m_team.wearer(number, shownOffset());
    return mate ? wornNumberText(number, *mate) : QString();
}

void IdentityLists::typedWorn(int number)
{
    QApplication::beep();
    const QString wearer = wearerText(number);
    m_refusal = wearer.isEmpty() ? QStringLiteral("Number %1 is worn by a teammate.").arg(number)
                                 : wearer;
    m_status->setText(m_refusal);
}

void IdentityLists::clearRefusal()
{
    if (!m_refusal.isEmpty() && m_status->text() == m_refusal)
        m_status->clear();
    m_refusal.clear();
}

void IdentityLists::positionChosen(int index)
{
    // Every change the program makes is silent, so this is always the user's
    // pick; a goalie stays a goalie, and a skater a skater.
    if (index < 0 || !m_draft || m_draft->setPosition(m_positions->itemText(index)).isEmpty())
        return;
    MessageBox::show(m_window, PlayerEdit::positionRefusalMessage(m_draft->isGoalie()),
                     MessageStyle::Warning);
    SetPositionCombo();
}

} // namespace Puckdex
