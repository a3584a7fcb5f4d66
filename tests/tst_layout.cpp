#include "dialogs/aboutwindow.h"
#include "dialogs/savedgamewindow.h"
#include "widgets/programlook.h"
#include "widgets/windowsetup.h"
#include "editor/mainwindow.h"
#include "player/ratings.h"
#include "editor/programstate.h"

#include "controls.h"
#include "messagescript.h"
#include "modalhelper.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QAbstractItemView>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <QTest>

#include <memory>

using namespace Puckdex;

namespace {

// Places and sizes as the windows were designed, in twips.
struct Twips
{
    int left, top, width, height;
    QRect pixels() const { return QRect(twips(left), twips(top), twips(width), twips(height)); }
};

// What a text box must show in full: its widest entry.
const QString kThreeDigits = QStringLiteral("888");

QString withoutAccessKey(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

// The room QLineEdit leaves for its text: the contents less the style's
// frame and the control's own margins (2 pixels a side, 1 above and below).
QSize textRoom(QLineEdit *edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QRect contents = edit->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                               .marginsRemoved(edit->textMargins());
    return contents.size() - QSize(2 * 2, 2 * 1);
}

// The widgets of a window that show a caption the user must be able to read.
QList<QWidget *> captionedControls(QWidget *window)
{
    QList<QWidget *> controls;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (auto *label = qobject_cast<QLabel *>(w); label && !label->text().isEmpty())
            controls.append(w);
        else if (qobject_cast<QAbstractButton *>(w))
            controls.append(w);
    }
    return controls;
}

QString tooNarrow(QWidget *control, const QString &text, int needed, int room)
{
    return QStringLiteral("%1 \"%2\" needs %3 px, has %4")
        .arg(control->objectName(), text)
        .arg(needed)
        .arg(room);
}

// Why a caption does not fit its control, or empty when it does. Labels
// must show their text in full; buttons their caption inside the room the
// style leaves beside the radio dot or inside the bevel.
QString clipping(QWidget *control)
{
    if (auto *label = qobject_cast<QLabel *>(control)) {
        const QSize wanted = label->sizeHint();
        if (wanted.width() > label->width())
            return tooNarrow(label, label->text(), wanted.width(), label->width());
        if (wanted.height() > label->height())
            return tooNarrow(label, label->text() + QStringLiteral(" (height)"), wanted.height(),
                             label->height());
        return {};
    }
    auto *button = qobject_cast<QAbstractButton *>(control);
    if (!button)
        return {};
    const QString text = withoutAccessKey(button->text());
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<QRadioButton *>(button)) {
        contents = QStyle::SE_RadioButtonContents;
        const int dot =
            button->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &option, button);
        if (dot > button->height())
            return tooNarrow(button, text + QStringLiteral(" (dot height)"), dot, button->height());
    } else if (auto *push = qobject_cast<QPushButton *>(button); push && push->isDefault()) {
        option.features |= QStyleOptionButton::DefaultButton;
    }
    const int room = button->style()->subElementRect(contents, &option, button).width();
    const int needed = button->fontMetrics().boundingRect(text).width();
    if (needed > room)
        return tooNarrow(button, text, needed, room);
    if (button->fontMetrics().height() > button->height())
        return tooNarrow(button, text + QStringLiteral(" (height)"), button->fontMetrics().height(),
                         button->height());
    return {};
}

// A frame's title sits on its top border, indented, between two gaps.
QString titleClipping(QGroupBox *frame)
{
    const int titleWidth = frame->fontMetrics().horizontalAdvance(frame->title());
    const int room = frame->width() - 2 * 10;
    return titleWidth > room ? tooNarrow(frame, frame->title(), titleWidth, room) : QString();
}

} // namespace

class TstLayout : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<MessageScript> m_messages;

    void addControl(const char *name, const char *className, const char *parent, Twips place,
                    const QString &text, int maxLength, bool enabled,
                    const QString &widest = QString())
    {
        QTest::newRow(name) << QString::fromLatin1(name) << QByteArray(className)
                            << QString::fromLatin1(parent) << place.pixels() << text << maxLength
                            << enabled << widest;
    }

    void addRatingGroup(const char *group, const char *frame,
                        const std::vector<std::pair<QPoint, Twips>> &places,
                        const char *const *captions)
    {
        for (int i = 0; i < int(places.size()); ++i) {
            const QByteArray box = QByteArray("txt") + group + '_' + QByteArray::number(i);
            const QByteArray label = QByteArray("lbl") + group + '_' + QByteArray::number(i);
            const QPoint at = places[i].first;
            addControl(box.constData(), "QLineEdit", frame, {at.x(), at.y(), 495, 285}, QString(),
                       3, false, kThreeDigits);
            addControl(label.constData(), "QLabel", frame, places[i].second,
                       QString::fromLatin1(captions[i]), -1, false);
        }
    }

    // mainWindow_controls' rows for the team and the player's identity.
    void addIdentityControls(const char *top)
    {
        addControl("cboTeams", "QComboBox", top, {120, 120, 1455, 315}, {}, -1, true);
        addControl("lblName", "QLabel", top, {1680, 165, 975, 195}, "Team Name:", -1, true);
        addControl("txtName", "QLineEdit", top, {2760, 120, 2055, 285}, {}, 32767, false);
        addControl("lblCity", "QLabel", top, {4920, 165, 285, 195}, "City:", -1, true);
        addControl("txtCity", "QLineEdit", top, {5280, 120, 1215, 285}, {}, 32767, false);
        addControl("lblAbbrev", "QLabel", top, {6600, 165, 975, 195}, "Abbreviation:", -1, true);
        addControl("txtAbbrev", "QLineEdit", top, {7680, 120, 615, 285}, {}, 32767, false,
                   QStringLiteral("WWW"));
        addControl("lstPlayers", "QListWidget", top, {120, 720, 1452, 3504}, {}, -1, false);

        addControl("lblFirstName", "QLabel", top, {1680, 765, 855, 195}, "First Name:", -1, true);
        addControl("txtFirstName", "QLineEdit", top, {2640, 720, 1335, 285}, {}, 16, false);
        addControl("lblLastName", "QLabel", top, {1680, 1125, 855, 195}, "Last Name:", -1, true);
        addControl("txtLastName", "QLineEdit", top, {2640, 1080, 1335, 285}, {}, 17, false);
        addControl("lblJerseyNum", "QLabel", top, {4080, 765, 1215, 195}, "Jersey Number:", -1,
                   true);
        addControl("cboJerseyNum", "QComboBox", top, {5400, 720, 615, 315}, {}, -1, false);
        addControl("lblPosition", "QLabel", top, {4560, 1128, 732, 192}, "Position:", -1, true);
        addControl("cboPosition", "QComboBox", top, {5400, 1080, 615, 315}, {}, -1, false);
        addControl("fraHanded", "QGroupBox", top, {6360, 720, 1695, 615}, {}, -1, false);
        addControl("optShootsLeft", "QRadioButton", "fraHanded", {120, 240, 585, 195}, "Left", -1,
                   false);
        addControl("optShootsRight", "QRadioButton", "fraHanded", {960, 240, 675, 195}, "Right", -1,
                   false);
        addControl("lblHeight", "QLabel", top, {1920, 1605, 630, 195}, "Height:", -1, true);
        addControl("txtHeightFeet", "QLineEdit", top, {2640, 1560, 255, 285}, {}, 1, false,
                   QStringLiteral("8"));
        addControl("txtHeightInches", "QLineEdit", top, {3000, 1560, 375, 285}, {}, 2, false,
                   QStringLiteral("88"));
        addControl("lblWeight", "QLabel", top, {4680, 1605, 615, 195}, "Weight:", -1, true);
        addControl("txtWeight", "QLineEdit", top, {5400, 1560, 495, 285}, {}, 3, false,
                   kThreeDigits);
        addControl("lblRookie", "QLabel", top, {6720, 1605, 615, 195}, "Rookie:", -1, true);
        addControl("txtRookie", "QLineEdit", top, {7440, 1560, 255, 285}, {}, 1, false,
                   QStringLiteral("N"));
    }

    // mainWindow_controls' rows for the three rating frames and their boxes.
    void addRatingControls(const char *top)
    {
        addControl("fraAllPlayers", "QGroupBox", top, {1680, 2040, 2535, 2175},
                   "Applies To All Players:", -1, false);
        addControl("fraFwdDef", "QGroupBox", top, {4440, 2040, 3855, 2175},
                   "Forwards and Defensemen Only:", -1, false);
        addControl("fraGoalies", "QGroupBox", top, {120, 4440, 8175, 735}, "Goalies Only:", -1,
                   false);
        addRatingGroup("AllPlayers", "fraAllPlayers",
                       {{{1800, 240}, {120, 285, 1590, 195}},
                        {{1800, 600}, {120, 645, 1590, 195}},
                        {{1800, 960}, {120, 1005, 1590, 195}},
                        {{1800, 1320}, {108, 1368, 1608, 192}}},
                       kAllPlayersCaptions.data());
        addRatingGroup("FwdDef", "fraFwdDef",
                       {{{1560, 240}, {360, 285, 1095, 195}},
                        {{1560, 600}, {240, 645, 1215, 195}},
                        {{1560, 960}, {120, 1005, 1335, 195}},
                        {{1560, 1320}, {480, 1365, 975, 195}},
                        {{1560, 1680}, {480, 1725, 990, 195}},
                        {{3120, 240}, {2160, 285, 855, 195}},
                        {{3120, 600}, {2280, 645, 735, 195}},
                        {{3120, 960}, {2160, 1005, 855, 195}},
                        {{3120, 1320}, {2160, 1365, 855, 195}},
                        {{3120, 1680}, {2280, 1725, 735, 195}}},
                       kFwdDefCaptions.data());
        addRatingGroup("Goalies", "fraGoalies",
                       {{{960, 240}, {120, 285, 735, 195}},
                        {{2520, 240}, {1560, 285, 855, 195}},
                        {{4080, 240}, {3120, 285, 855, 195}},
                        {{5760, 240}, {4680, 285, 1005, 195}},
                        {{7440, 240}, {6360, 285, 975, 195}}},
                       kGoaliesCaptions.data());
    }

private slots:
    void initTestCase() { applyProgramLook(*qApp); }

    void init()
    {
        m_messages = std::make_unique<MessageScript>();
        m_state = std::make_unique<ProgramState>();
        m_window = std::make_unique<MainWindow>(*m_state, QString());
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w != m_window.get() && w->isVisible())
                w->close();
        }
        m_window.reset();
        m_state.reset();
        m_messages.reset();
    }

    // On Debian the captions are measured in DejaVu Sans's regular face,
    // narrowed by Qt, whichever other DejaVu faces the machine has.
    void programFont_isNarrowDejaVuBook()
    {
        const QFontInfo info(QApplication::font());
        if (info.family() != QLatin1String("DejaVu Sans"))
            QSKIP("DejaVu Sans is not installed");
        QCOMPARE(info.styleName(), QStringLiteral("Book"));
        QCOMPARE(info.pixelSize(), 10);
        QCOMPARE(QApplication::font().stretch(), 85);
        QVERIFY(!QApplication::font().bold());
    }

    // Windows hands lists and drop-down lists fonts of their own; they keep
    // the program's, which the layout is measured with.
    void listsKeepTheProgramFontAgainstTheSystemsOwn()
    {
        const QFont program = QApplication::font();
        const QFont systems(QStringLiteral("Serif"), 20);
        QApplication::setFont(systems, "QListWidget");
        QApplication::setFont(systems, "QComboBox");
        MainWindow window(*m_state, QString());
        window.ensurePolished();
        const QFont list = control<QListWidget>(&window, "lstPlayers")->font();
        const QFont teams = control<QComboBox>(&window, "cboTeams")->font();
        QApplication::setFont(program, "QListWidget");
        QApplication::setFont(program, "QComboBox");
        QCOMPARE(list, program);
        QCOMPARE(teams, program);
    }

    // The jersey list opens wide enough for its entries beside its scroll
    // bar, under each style the machine has.
    void jerseyDropDownFitsItsEntries_data()
    {
        QTest::addColumn<QString>("styleName");
        for (const QString &key : QStyleFactory::keys())
            QTest::newRow(qPrintable(key)) << key;
    }
    void jerseyDropDownFitsItsEntries()
    {
        QFETCH(QString, styleName);
        const QString before = QApplication::style()->name();
        QApplication::setStyle(styleName);
        {
            MainWindow window(*m_state, QString());
            window.show();
            QComboBox *jerseys = control<QComboBox>(&window, "cboJerseyNum");
            jerseys->addItems({QStringLiteral(" 99"), QStringLiteral("**")});
            jerseys->showPopup();
            QAbstractItemView *view = jerseys->view();
            QTRY_VERIFY(view->isVisible());
            const int scrollBar = view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
            QVERIFY2(view->width() >= view->fontMetrics().horizontalAdvance(QStringLiteral(" 99"))
                                          + scrollBar + 4,
                     qPrintable(QStringLiteral("%1 px").arg(view->width())));
            QVERIFY(view->width() > jerseys->width());
            jerseys->hidePopup();
        }
        QApplication::setStyle(before);
        applyProgramLook(*qApp);
    }

    // The team list and the saved games sort as the user's language does:
    // case and accents do not put a name after Z.
    void listsSortByTheCollator()
    {
        const QStringList names{"Zug", "\u00C9dmonton", "boston", "Calgary"};
        const QStringList sorted{"boston", "Calgary", "\u00C9dmonton", "Zug"};
        QList<TeamRecord> teams;
        for (const QString &name : names) {
            TeamRecord team;
            QCOMPARE(team.setCity(name), TextFit::Ok);
            teams.append(team);
        }
        m_window->setTeams(teams);
        QComboBox *list = control<QComboBox>(m_window.get(), "cboTeams");
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown.append(list->itemText(i));
        QCOMPARE(shown, sorted);
        QCOMPARE(list->itemData(0).toInt(), 2);

        SavedGameWindow games;
        for (int i = 0; i < names.size(); ++i)
            games.addGame(names[i], i + 1);
        QListWidget *entries = control<QListWidget>(&games, "lstSeasonToEdit");
        shown.clear();
        for (int i = 0; i < entries->count(); ++i)
            shown.append(entries->item(i)->text().section(" (game", 0, 0));
        QCOMPARE(shown, sorted);
    }

    void mainWindow_isFixedAndTitled()
    {
        MainWindow &w = *m_window;
        QCOMPARE(w.objectName(), QStringLiteral("frmPuckdex"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Puckdex"));
        QCOMPARE(w.size(), QSize(565, 425));
        QCOMPARE(w.minimumSize(), QSize(565, 425));
        QCOMPARE(w.maximumSize(), QSize(565, 425));
        QVERIFY(!(w.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QVERIFY(!w.windowIcon().isNull());
    }

    void mainWindow_controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("className");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxLength");  // -1: not a text box
        QTest::addColumn<bool>("enabled");   // as the window opens
        QTest::addColumn<QString>("widest"); // an entry the box shows in full

        const char *top = "frmPuckdex";
        addIdentityControls(top);
        addRatingControls(top);
        addControl("cmdStdAttrib", "QPushButton", top, {120, 5400, 2775, 375},
                   "&Configure Standard Player Attributes", -1, true);
        addControl("cmdApplyStd", "QPushButton", top, {3120, 5400, 2295, 375},
                   "&Apply Standard Attributes", -1, false);
        addControl("cmdAbout", "QPushButton", top, {5640, 5400, 1215, 375}, "About...", -1, true);
        addControl("cmdExit", "QPushButton", top, {7080, 5400, 1215, 375}, "E&xit", -1, true);
        addControl("lblStatus", "QLabel", top, {120, 6000, 8175, 255}, {}, -1, true);
    }

    void mainWindow_controls()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, className);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(int, maxLength);
        QFETCH(bool, enabled);
        QFETCH(QString, widest);

        QWidget *control = m_window->findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(QByteArray(control->metaObject()->className()), className);
        QCOMPARE(control->parentWidget()->objectName(), parent);
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->isEnabled(), enabled);
        // A box inside a frame is disabled through the frame alone, so that
        // enabling the frame brings its boxes back.
        if (parent != QLatin1String("frmPuckdex"))
            QVERIFY(control->isEnabledTo(control->parentWidget()));

        if (auto *label = qobject_cast<QLabel *>(control)) {
            QCOMPARE(label->text(), text);
            if (name != QLatin1String("lblStatus"))
                QVERIFY(label->alignment() & Qt::AlignRight);
        } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            QCOMPARE(button->text(), text);
        } else if (auto *frame = qobject_cast<QGroupBox *>(control)) {
            QCOMPARE(frame->title(), text);
            QVERIFY(!frame->isCheckable());
        } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
            QVERIFY(!combo->isEditable());
        }

        auto *edit = qobject_cast<QLineEdit *>(control);
        QCOMPARE(edit ? edit->maxLength() : -1, maxLength);
        if (edit && !widest.isEmpty()) {
            const QSize needed = edit->fontMetrics().boundingRect(widest).size();
            const QSize room = textRoom(edit);
            QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                     qPrintable(QStringLiteral("\"%1\" needs %2 x %3 px, the box leaves %4 x %5")
                                    .arg(widest)
                                    .arg(needed.width())
                                    .arg(needed.height())
                                    .arg(room.width())
                                    .arg(room.height())));
        }
    }

    // The keys the user types go into text boxes, not into an invisible
    // default button; the hand's right button reads "Right" before its dot.
    void mainWindow_buttonDetails()
    {
        for (QPushButton *button : m_window->findChildren<QPushButton *>()) {
            QVERIFY2(!button->autoDefault(), qPrintable(button->objectName()));
            QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));
        }
        QCOMPARE(control<QRadioButton>(m_window.get(), "optShootsRight")->layoutDirection(),
                 Qt::RightToLeft);
        QCOMPARE(control<QRadioButton>(m_window.get(), "optShootsLeft")->layoutDirection(),
                 Qt::LeftToRight);
        QVERIFY(control<QLabel>(m_window.get(), "lblStatus")->frameShape() == QFrame::Panel ||
                control<QLabel>(m_window.get(), "lblStatus")->frameShape() == QFrame::Box);
        QVERIFY(control<QLabel>(m_window.get(), "lblStatus")->frameWidth() > 0);
    }

    // Every focusable control, in the keyboard order of the design.
    void mainWindow_tabChain()
    {
        QStringList expected = {QStringLiteral("cmdExit"),         QStringLiteral("cboTeams"),
                                QStringLiteral("lstPlayers"),      QStringLiteral("txtFirstName"),
                                QStringLiteral("txtLastName"),     QStringLiteral("cboJerseyNum"),
                                QStringLiteral("cboPosition"),     QStringLiteral("optShootsLeft"),
                                QStringLiteral("optShootsRight"),  QStringLiteral("txtHeightFeet"),
                                QStringLiteral("txtHeightInches"), QStringLiteral("txtWeight"),
                                QStringLiteral("txtRookie")};
        for (int i = 0; i < 4; ++i)
            expected.append(QStringLiteral("txtAllPlayers_%1").arg(i));
        for (int i = 0; i < 10; ++i)
            expected.append(QStringLiteral("txtFwdDef_%1").arg(i));
        for (int i = 0; i < 5; ++i)
            expected.append(QStringLiteral("txtGoalies_%1").arg(i));
        expected << QStringLiteral("txtAbbrev") << QStringLiteral("txtName")
                 << QStringLiteral("txtCity") << QStringLiteral("cmdStdAttrib")
                 << QStringLiteral("cmdApplyStd") << QStringLiteral("cmdAbout");

        QStringList chain;
        QWidget *w = control<QPushButton>(m_window.get(), "cmdExit");
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain.append(w->objectName());
            w = w->nextInFocusChain();
        } while (w != control<QPushButton>(m_window.get(), "cmdExit"));
        QCOMPARE(chain, expected);
    }

    // As the window opens only the team list and three buttons take input:
    // Exit holds the focus, visibly, and Tab walks those four, in the design's order.
    void mainWindow_tabAtOpen()
    {
        MainWindow &w = *m_window;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(&w, "cmdExit"));
        QVERIFY(w.testAttribute(Qt::WA_KeyboardFocusChange));

        const QList<QWidget *> order = {
            control<QComboBox>(&w, "cboTeams"), control<QPushButton>(&w, "cmdStdAttrib"),
            control<QPushButton>(&w, "cmdAbout"), control<QPushButton>(&w, "cmdExit")};
        for (QWidget *next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(&w, "cmdAbout"));
        QVERIFY(m_messages->shown.isEmpty());
    }

    void mainWindow_accessKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("button");
        QTest::newRow("Alt+C") << int(Qt::Key_C) << QStringLiteral("cmdStdAttrib");
        QTest::newRow("Alt+A") << int(Qt::Key_A) << QStringLiteral("cmdApplyStd");
        QTest::newRow("Alt+X") << int(Qt::Key_X) << QStringLiteral("cmdExit");
    }

    // Pressed with the window's own click handlers cut off: only whether the
    // key reaches its button is of interest here.
    void mainWindow_accessKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, button);
        MainWindow &w = *m_window;
        auto *target = w.findChild<QPushButton *>(button);
        QVERIFY(target);
        target->setEnabled(true);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        for (QPushButton *b : w.findChildren<QPushButton *>())
            b->disconnect(SIGNAL(clicked(bool)));
        QSignalSpy clicked(target, &QAbstractButton::clicked);
        QTest::keyClick(&w, Qt::Key(key), Qt::AltModifier);
        QTRY_COMPARE(clicked.count(), 1);
    }

    // Captions measured in the font the program runs with; a design that was
    // sized for a narrow bitmap face must still show every letter.
    void mainWindow_captionsFit()
    {
        QStringList clipped;
        for (QWidget *control : captionedControls(m_window.get())) {
            if (const QString why = clipping(control); !why.isEmpty())
                clipped.append(why);
        }
        for (QGroupBox *frame : m_window->findChildren<QGroupBox *>()) {
            if (const QString why = titleClipping(frame); !why.isEmpty())
                clipped.append(why);
        }
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1String("; "))));
    }

    // Frames are drawn as designed: the border 6 pixels down, the title on it
    // (the line running through the title's middle, broken where the title
    // sits, whole elsewhere), and option buttons with a 13-pixel dot.
    void mainWindow_framesCarryTheirTitleOnTheBorder_data()
    {
        QTest::addColumn<QString>("frame");
        for (const char *name : {"fraAllPlayers", "fraFwdDef", "fraGoalies", "fraHanded"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void mainWindow_framesCarryTheirTitleOnTheBorder()
    {
        QFETCH(QString, frame);
        auto *box = m_window->findChild<QGroupBox *>(frame);
        QVERIFY(box);
        if (box->title().isEmpty()) // the hand frame, until a player is shown
            box->setTitle(QStringLiteral("Shoots:"));
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        QStyle *style = box->style();
        const QRect border =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
        const QRect title =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        QCOMPARE(border.top(), 6);
        QCOMPARE(border.left(), 0);
        QVERIFY2(title.top() < border.top() && title.bottom() > border.top(),
                 qPrintable(QStringLiteral("title %1..%2").arg(title.top()).arg(title.bottom())));
        QVERIFY(title.left() >= 6);
        QVERIFY(title.width() >= box->fontMetrics().horizontalAdvance(box->title()));

        const QImage image = box->grab().toImage();
        const QColor background = box->palette().color(QPalette::Window);
        const auto inked = [&](int x, int y) { return image.pixelColor(x, y) != background; };
        // The top line, left of the title and right of it, and the left side.
        QVERIFY(inked(4, border.top()));
        QVERIFY(inked(title.right() + 8, border.top()));
        QVERIFY(inked(0, border.top() + 10));
        // Under the title's gap the line is not drawn: the gap's first and
        // last columns are background on the line's row.
        QVERIFY(!inked(title.left() - 1, border.top()));
        QVERIFY(!inked(title.right() + 1, border.top()));
        // Nothing above the line but the title.
        for (int x = 0; x < image.width(); ++x) {
            if (x < title.left() - 2 || x > title.right() + 2)
                QVERIFY2(!inked(x, border.top() - 2), qPrintable(QString::number(x)));
        }

        for (QRadioButton *option : {control<QRadioButton>(m_window.get(), "optShootsLeft"),
                                     control<QRadioButton>(m_window.get(), "optShootsRight")}) {
            QCOMPARE(
                option->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, option),
                13);
            QCOMPARE(
                option->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, option),
                13);
        }
    }

    // The hand frame's caption changes with the player's position.
    void mainWindow_handCaptionsFit_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("goalie") << QStringLiteral("Glove Hand:");
        QTest::newRow("skater") << QStringLiteral("Shoots:");
    }

    void mainWindow_handCaptionsFit()
    {
        QFETCH(QString, caption);
        control<QGroupBox>(m_window.get(), "fraHanded")->setTitle(caption);
        const QString why = titleClipping(control<QGroupBox>(m_window.get(), "fraHanded"));
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void about_window()
    {
        AboutWindow about(QStringLiteral("Puckdex"), QStringLiteral(" v1.0 32-bit"),
                          m_window.get());
        QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Puckdex"));
        QCOMPARE(about.size(), QSize(twips(4728), twips(1470)));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QVERIFY(!(about.windowFlags() & Qt::WindowMinMaxButtonsHint));

        const QList<std::pair<QWidget *, Twips>> places = {
            {control<QLabel>(&about, "picAppIcon"), {120, 120, 615, 495}},
            {control<QLabel>(&about, "lblAppName"), {960, 120, 3615, 240}},
            {control<QLabel>(&about, "lblCompanyName"), {960, 360, 3615, 240}},
            {control<QLabel>(&about, "lblEmail"), {360, 840, 3015, 195}},
            {control<QLabel>(&about, "lblGuide"), {360, 1200, 4215, 195}},
            {control<QPushButton>(&about, "cmdOK"), {3840, 720, 735, 375}}};
        for (const auto &[control, place] : places)
            QCOMPARE(control->geometry(), place.pixels());

        QCOMPARE(control<QLabel>(&about, "lblAppName")->text(),
                 QStringLiteral("Puckdex v1.0 32-bit"));
        QVERIFY(control<QLabel>(&about, "lblAppName")->font().bold());
        QVERIFY(control<QLabel>(&about, "lblCompanyName")->font().bold());
        QVERIFY(!control<QLabel>(&about, "lblEmail")->font().bold());
        QVERIFY(!control<QLabel>(&about, "lblCompanyName")->text().isEmpty());
        QVERIFY(!control<QLabel>(&about, "lblEmail")->text().isEmpty());
        QCOMPARE(control<QPushButton>(&about, "cmdOK")->text(), QStringLiteral("OK"));
        QVERIFY(control<QPushButton>(&about, "cmdOK")->isDefault());

        QCOMPARE(control<QLabel>(&about, "picAppIcon")->frameShape(), QFrame::NoFrame);
        const QPixmap icon = control<QLabel>(&about, "picAppIcon")->pixmap();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.size(), QSize(32, 32));
        // Line art on a transparent ground: the corner is clear, the
        // drawing is red.
        const QImage image = icon.toImage();
        QCOMPARE(qAlpha(image.pixel(0, 31)), 0);
        bool red = false;
        for (int y = 0; y < image.height() && !red; ++y) {
            for (int x = 0; x < image.width() && !red; ++x) {
                const QColor c = image.pixelColor(x, y);
                red = c.alpha() == 255 && c.red() > 150 && c.green() < 60 && c.blue() < 60;
            }
        }
        QVERIFY(red);
    }

    void about_captionsFit()
    {
        AboutWindow about(QStringLiteral("Puckdex"), QStringLiteral(" v1.0 32-bit"),
                          m_window.get());
        QStringList clipped;
        for (QWidget *control : captionedControls(&about)) {
            if (const QString why = clipping(control); !why.isEmpty())
                clipped.append(why);
        }
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1String("; "))));
    }

    void about_closes_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK clicked") << QStringLiteral("click");
        QTest::newRow("Enter") << QStringLiteral("return");
        QTest::newRow("keypad Enter") << QStringLiteral("enter");
    }

    // Opened twice from the same main window, built afresh each time, and
    // closed the way the user closes it; the main window keeps its focus
    // where it was.
    void about_closes()
    {
        QFETCH(QString, how);
        MainWindow &w = *m_window;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget *caller = control<QPushButton>(&w, "cmdAbout");
        caller->setFocus();

        const QStringList versions = {QStringLiteral(" v1.0 32-bit"), QStringLiteral(" v1.0")};
        for (const QString &version : versions) {
            AboutWindow about(w.windowTitle(), version, &w);
            bool acted = false;
            whenModalShown(QStringLiteral("frmAbout"), [&](QWidget *modal) {
                acted = true;
                auto *ok = modal->findChild<QPushButton *>(QStringLiteral("cmdOK"));
                if (how == QLatin1String("click"))
                    QTest::mouseClick(ok, Qt::LeftButton);
                else
                    QTest::keyClick(QApplication::focusWidget(), how == QLatin1String("return")
                                                                     ? Qt::Key_Return
                                                                     : Qt::Key_Enter);
                // A window that ignored the user is closed here, so a
                // failure cannot hang the run.
                if (modal->isVisible())
                    QTimer::singleShot(0, modal,
                                       [modal] { static_cast<QDialog *>(modal)->done(-1); });
            });
            const int result = about.exec();
            QVERIFY(acted);
            QCOMPARE(result, int(QDialog::Accepted));
            QVERIFY(!about.isVisible());
            QCOMPARE(control<QLabel>(&about, "lblAppName")->text(),
                     QStringLiteral("Puckdex") + version);
            QCOMPARE(w.focusWidget(), caller);
        }
    }
};

QTEST_MAIN(TstLayout)
#include "tst_layout.moc"
