#pragma once

#include "player/playeredit.h"
#include "player/recordwrites.h"
#include "player/teamjerseys.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace Puckdex {

// One edit of one player, as every front end makes it: his fields as they
// were loaded and as they are now, changed one entry at a time by the
// editor's rules, each change answering what the user must be told. His
// team's numbers come from the TeamJerseys given, which must outlive the
// draft. What it holds is written by PlayerWrites (write()).
class PlayerDraft
{
public:
    // How a number the draft was not given is written back: as the stored
    // byte it was read as (the import), or as the editor shows it, put
    // through its box (a rating byte the scale cannot show exactly is then
    // written as the value shown).
    enum class Untouched {
        KeepStored,
        WriteShown,
    };

    PlayerDraft(qint64 offset, const PlayerEdit::AttribRecords &records, QString lastNameField,
                const TeamJerseys &team, Untouched untouched = Untouched::WriteShown);
    // From his key record and the attribute record of his kind.
    PlayerDraft(qint64 offset, const PlayerRecord &key, const PlayerEdit::AttribRecords &records,
                const TeamJerseys &team, Untouched untouched = Untouched::WriteShown);

    qint64 offset() const { return m_offset; }
    bool isGoalie() const { return m_goalie; }
    // His fields now, and as they were loaded.
    const PlayerFields &fields() const { return m_fields; }
    const PlayerFields &loaded() const { return m_loaded; }
    // "First Last" as he was loaded.
    QString loadedName() const;
    // The number a numeric field shows now; none for a rating not his kind's.
    std::optional<double> number(const PlayerField &field) const;
    const TeamJerseys &team() const { return *m_team; }

    // A typed first name set as it is stored (proper case), unless it cannot
    // be stored; the refusal says why.
    PlayerEdit::StoredName setFirstName(QStringView typed);
    // A typed last name set as it is stored (its first character raised).
    // A new name is asked about his picture: the game shows a renamed
    // player's picture unless it is let go (unlinkPicture()).
    struct Rename
    {
        PlayerEdit::StoredName name;
        bool askAboutPicture = false;
    };
    Rename setLastName(QStringView typed);
    void unlinkPicture();

    // A number for him to wear; refused (and nothing set) when a teammate
    // wears it: the wearer.
    const TeamJerseys::Wearer *setJersey(int number);
    // A typed position; refused when it is no position letter or would make
    // a goalie a skater or a skater a goalie: why (empty when set). A
    // refused position puts back the letter he was loaded with, not the
    // last one set.
    QString setPosition(QStringView typed);

    // A typed number checked by its field's rule: what the rule lets stand,
    // and the message its mode owes. setNumber() then sets it; the weight
    // class follows every weight set, changed or not (as the editor's weight
    // box recomputes it whenever it is left).
    PlayerEdit::CheckedNumber check(const PlayerField &field, QStringView typed) const;
    void setNumber(const PlayerField &field, double number);
    // Both in one, as the editor does when a box is left.
    PlayerEdit::CheckedNumber enterNumber(const PlayerField &field, QStringView typed);

    // A typed rookie flag, Y or N in either case; false (and nothing set)
    // for anything else, which the editor asks about: the answer is set
    // with setRookieAnswer().
    bool setRookie(QStringView typed);
    void setRookieAnswer(bool rookie);
    void setHand(Hand hand);

    // A rating template set into the fields of his kind it covers: textOf
    // gives the text of a place of his kind's template, and one that leaves
    // the value alone ("*") changes nothing. Its numbers are taken as they
    // stand (the template window checked them); a weight brings its class.
    // Returns how many values it changed.
    int applyTemplate(const std::function<QString(int index)> &textOf);

    // Whether writing him would change anything, and his fields set back to
    // how they were loaded.
    bool changed() const;
    void revert();

    // His fields as PlayerWrites writes them, with the records they were
    // read from: the write refuses records another program changed since.
    FieldsWrite write() const { return {m_offset, m_goalie, m_fields, m_keyRead, m_attRead}; }
    // His records as a write left them: a last name compares with the one
    // written from now on, and the next write goes over these records.
    void saved(const WrittenPlayer &written);

    // A write of his that failed and left his records other than they were
    // (a torn record that could not be put back): the next write goes over
    // them as they are now, not as another program's change.
    void writeFailed(const PlayerWriteError &error, const QString &keyFile,
                     const QString &attFile);

    // Another program changed his records since they were read: the draft
    // starts again from the records as they are now, keeping this draft's
    // own entries where the other program left the value alone. Each list
    // holds the values' captions ("Speed", "Last Name"): those the other
    // program changed, the user's entries kept, and the user's entries let
    // go because the other program changed the same value otherwise.
    struct Rebased
    {
        QStringList changedByOther;
        QStringList kept;
        QStringList letGo;

        // What the user is told of a player (named as he was read): that
        // nothing was saved, what the other program changed, and what
        // became of his own entries.
        QString text(const QString &name) const;
    };
    Rebased rebase(const PlayerRecord &key, const PlayerEdit::AttribRecords &records);

private:
    void setShown(FieldId id, double number);

    qint64 m_offset;
    bool m_goalie;
    Untouched m_untouched;
    // His records as they were read or last written.
    QByteArray m_keyRead;
    QByteArray m_attRead;
    const TeamJerseys *m_team;
    PlayerFields m_loaded;
    PlayerFields m_fields;
    PlayerEdit::ShownNumbers m_loadedNumbers;
    PlayerEdit::ShownNumbers m_numbers;
    // The weight class his attribute record holds.
    quint8 m_storedWeightClass;
    // His last name's stored field, padded as stored: a new name is one that
    // differs from it.
    QString m_loadedLastNameField;
    QString m_lastNameField;
};

} // namespace Puckdex
