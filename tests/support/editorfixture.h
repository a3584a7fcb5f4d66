#pragma once

#include "controls.h"
#include "editor/mainwindow.h"
#include "player/fieldtable.h"
#include "files/gamefiles.h"
#include "sampleroster.h"
#include "editor/programstate.h"
#include "startup/startup.h"
#include "testfiles.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

// The editor on a copy of the sample base rosters in a temporary folder,
// shown and active, with helpers that act as a user would.
class EditorFixture
{
public:
    QTemporaryDir dir;
    Puckdex::ProgramState state;
    std::unique_ptr<Puckdex::MainWindow> window;
    QByteArray originalKey;
    QByteArray originalAtt;

    // Writes the sample roster, lets patch change the files, then opens the
    // editor on them. False when something failed.
    bool open(const std::function<void(EditorFixture &)> &patch = {})
    {
        if (!dir.isValid() || !Puckdex::Sample::writeBaseRosters(dir.path()).ok())
            return false;
        if (patch)
            patch(*this);
        originalKey = key();
        originalAtt = att();
        const auto files = Puckdex::findFileSet(dir.path());
        if (!files)
            return false;
        state.GamePath = QDir::toNativeSeparators(dir.path());
        state.files = *files;
        state.VersionText = QStringLiteral(" v1.0 32-bit");
        window = std::make_unique<Puckdex::MainWindow>(state, settingsPath());
        if (!Puckdex::LoadTeamList(state, *window))
            return false;
        window->show();
        return QTest::qWaitForWindowActive(window.get());
    }

    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    // The editor's own settings file, beside the game files.
    QString settingsPath() const { return dir.filePath(QStringLiteral("PUCKDEX.INI")); }
    QByteArray key() const { return readFile(path("key.db")); }
    QByteArray att() const { return readFile(path("att.db")); }

    // The players of a team as the file holds them now.
    QList<Puckdex::PlayerEntry> players(int team) const
    {
        const auto scan = Puckdex::GameFiles::scanPlayers(path("key.db"), team);
        return scan ? *scan : QList<Puckdex::PlayerEntry>();
    }
    Puckdex::PlayerRecord player(qint64 offset) const
    {
        Puckdex::PlayerRecord record;
        record.assign(key().mid(offset, Puckdex::PlayerRecord::Size));
        return record;
    }
    // Rewrites the key record at offset after change() has had its way.
    void patchPlayer(qint64 offset, const std::function<void(Puckdex::PlayerRecord &)> &change)
    {
        QByteArray bytes = key();
        Puckdex::PlayerRecord record = player(offset);
        change(record);
        bytes.replace(offset, Puckdex::PlayerRecord::Size, record.toByteArray());
        QVERIFY(writeFile(path("key.db"), bytes));
    }

    // The window's controls by their object names (see controls.h).
    template <class T> T *control(const char *objectName) const
    {
        return ::control<T>(window.get(), objectName);
    }
    template <class T> T *control(const char *arrayName, int index) const
    {
        return ::control<T>(window.get(), arrayName, index);
    }
    // The box of a rating in its group's box array.
    QLineEdit *ratingBox(Puckdex::RatingGroup group, int box) const
    {
        switch (group) {
        case Puckdex::RatingGroup::AllPlayers:
            return control<QLineEdit>("txtAllPlayers", box);
        case Puckdex::RatingGroup::FwdDef:
            return control<QLineEdit>("txtFwdDef", box);
        case Puckdex::RatingGroup::Goalies:
            return control<QLineEdit>("txtGoalies", box);
        }
        return nullptr;
    }

    // Picks the team as a user does in the team list.
    bool chooseTeam(int teamNumber)
    {
        QComboBox *teams = control<QComboBox>("cboTeams");
        const int index = teams->findData(teamNumber);
        if (index < 0)
            return false;
        // The list takes the focus first, as a click or Tab gives it.
        teams->setFocus(Qt::MouseFocusReason);
        teams->setCurrentIndex(index);
        emit teams->activated(index);
        return true;
    }

    int rowOf(qint64 offset)
    {
        QListWidget *list = control<QListWidget>("lstPlayers");
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->data(Qt::UserRole).toLongLong() == offset)
                return row;
        }
        return -1;
    }

    // Clicks the player's entry in the player list.
    bool clickPlayer(qint64 offset)
    {
        QListWidget *list = control<QListWidget>("lstPlayers");
        const int row = rowOf(offset);
        if (row < 0)
            return false;
        activate(list);
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
        return true;
    }

    // The offset of the selected player entry, or -1.
    qint64 shownOffset()
    {
        const QList<QListWidgetItem *> selected =
            control<QListWidget>("lstPlayers")->selectedItems();
        return selected.isEmpty() ? -1 : selected.first()->data(Qt::UserRole).toLongLong();
    }

    // The offscreen platform does not give the focus back to the main window
    // when a modal window closes, as a desktop does; without that no focus
    // events reach its fields.
    static void activate(QWidget *w)
    {
        if (!w->window()->isActiveWindow()) {
            w->window()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w->window()));
        }
    }

    // Replaces a box's text as a user does: click into it, select all, type.
    static void type(QWidget *box, const QString &text)
    {
        activate(box);
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(box, Qt::Key_Delete);
        for (const QChar c : text) {
            // QTest maps only ASCII to keys; anything else goes as text.
            if (c.unicode() < 0x80)
                QTest::keyClick(box, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
};
