#pragma once

#include "player/teamjerseys.h"

#include <QList>
#include <QObject>

class QComboBox;
class QLabel;
class QWidget;

namespace Puckdex {

class PlayerDraft;

// The editor's jersey and position lists: the chosen team's numbers marked
// worn ("**"), and the shown player's number and position, each pick the
// user makes set into his draft or refused with the message the rules owe.
// It holds the team's numbers, which the shown player's draft checks his
// jersey against.
class IdentityLists : public QObject
{
public:
    IdentityLists(QWidget *window, QComboBox *jerseys, QComboBox *positions, QLabel *status);

    const TeamJerseys &team() const { return m_team; }
    // The team's numbers, each marked worn, no player shown; none at all
    // when the team's players could not be read.
    void showTeam(const TeamJerseys &team);
    // A player's number is his from now on (he was saved with it).
    void numberSaved(qint64 offset, int number);
    // Marks a number worn: the number of the player let go, as the next one
    // is shown.
    void MarkJerseyTaken(int number);

    // The shown player's number and position, his own numbers (as loaded
    // and as now) no teammate's; his picks go to the draft, which must
    // outlive the showing (until showNoPlayer() or clear()).
    void show(PlayerDraft &draft);
    // No player: the team's numbers stay marked, the lists off.
    void showNoPlayer();
    // Both lists emptied and off, no team.
    void clear();

private:
    void FillJerseyList(const QList<int> &worn);
    // The jersey list afresh, every number the team wears marked.
    void showTeamWorn();
    void setEnabled(bool enabled);
    void SetPositionCombo();
    void clearPosition();
    void jerseyChosen(int index);
    void positionChosen(int index);
    void typedWorn(int number);
    void clearRefusal();
    // "Number 12 is worn by First Last." for a teammate's number; empty
    // when no teammate wears it.
    QString wearerText(int number) const;
    qint64 shownOffset() const;

    QWidget *m_window;
    QComboBox *m_jerseys;
    QComboBox *m_positions;
    QLabel *m_status;
    TeamJerseys m_team;
    PlayerDraft *m_draft = nullptr;
    // What the status line was given to say of a worn number typed, until
    // the next action clears it.
    QString m_refusal;
};

} // namespace Puckdex
