#pragma once

#include "files/gamefiles.h"

#include <QObject>
#include <QString>

class QListWidget;
class QListWidgetItem;

namespace Puckdex {

// The editor's list of the chosen team's players: one entry per player,
// holding where his key record lies and his names, its text and place
// following from the names (namesakes told apart), and a text the list
// cuts shown whole as its tooltip. It also keeps the list's
// own keys and clicks: the right button opens its menu without picking the
// row under it, and with no player picked the first Up or Down picks the
// entry that has the focus frame. Every change it makes is silent; a pick
// is the user's.
class PlayerList : public QObject
{
public:
    explicit PlayerList(QListWidget *list);

    // The team's players listed afresh, none picked.
    void fill(const QList<PlayerEntry> &players);
    void clear();
    // A player's entry under new names, moved to its place.
    void rename(qint64 offset, const QString &firstName, const QString &lastName);
    // Picks a player's entry (an offset not listed changes nothing), or
    // none.
    void select(qint64 offset);
    void clearSelection();

    // The picked entry's row, and the player of a row; -1 for none.
    int selectedRow() const;
    qint64 offsetAt(int row) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

    // An entry's name when the list's width cuts it; empty when it shows
    // whole.
    QString cutName(const QListWidgetItem &entry) const;

private:
    void relist();

    QListWidget *m_list;
};

} // namespace Puckdex
