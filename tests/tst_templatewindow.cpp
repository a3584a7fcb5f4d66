#include "templates/templatewindow.h"
#include "testfiles.h"

#include "widgets/programlook.h"
#include "widgets/windowsetup.h"
#include "player/valuerules.h"

#include "controls.h"
#include "messagescript.h"
#include "messagetexts.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Puckdex;

namespace {

constexpr int kSkaters = TemplateWindow::SkaterFieldCount;
constexpr int kGoalies = TemplateWindow::GoalieFieldCount;

// The templates a first run shows, by index.
const QStringList kSkaterDefaults = {"5", "0",  "160", "40", "40", "40", "40", "40", "40",
                                     "0", "40", "40",  "40", "40", "40", "40", "0"};
const QStringList kGoalieDefaults = {"5",  "0",  "160", "25", "25", "25",
                                     "25", "25", "25",  "25", "25", "25"};

QString boxName(bool goalie, int index)
{
    return QString(goalie ? "txtStdGoal_%1" : "txtStdFwd_%1").arg(index);
}

// Places as the window was designed, in twips.
struct Twips
{
    int left, top, width, height;
    QRect pixels() const { return QRect(twips(left), twips(top), twips(width), twips(height)); }
};

// Where each template box stands in its frame: index, left, top, width.
struct BoxPlace
{
    int index, left, top, width;
};
const BoxPlace kSkaterBoxes[] = {
    {0, 1320, 240, 255},   {1, 1680, 240, 375},   {2, 3480, 240, 495},   {3, 1560, 600, 495},
    {4, 3480, 600, 495},   {5, 1560, 960, 495},   {6, 3480, 960, 495},   {7, 1560, 1320, 495},
    {8, 3480, 1320, 495},  {9, 1560, 1680, 495},  {10, 3480, 1680, 495}, {11, 1560, 2040, 495},
    {12, 3480, 2040, 495}, {13, 1560, 2400, 495}, {14, 3480, 2400, 495}, {15, 1560, 2760, 495},
    {16, 3480, 2760, 495},
};
const BoxPlace kGoalieBoxes[] = {
    {0, 1320, 240, 255},  {1, 1680, 240, 375},  {2, 3480, 240, 495},   {3, 1560, 600, 495},
    {4, 3480, 600, 495},  {5, 1560, 960, 495},  {6, 3480, 960, 495},   {7, 1560, 1320, 495},
    {8, 3480, 1320, 495}, {9, 1560, 1680, 495}, {10, 3480, 1680, 495}, {11, 1560, 2040, 495},
};

// Each label and the box it names (the inches box shares "Height:").
struct LabelOf
{
    const char *name;
    int index;
};
const LabelOf kSkaterLabels[] = {
    {"lblStdFwdHeight", 0},      {"lblStdFwdWeight", 2},     {"lblStdFwdSpeed", 3},
    {"lblStdFwdAgility", 4},     {"lblStdFwdOffAware", 5},   {"lblStdFwdDefAware", 6},
    {"lblStdFwdStickHandle", 7}, {"lblStdFwdAgressive", 8},  {"lblStdFwdShootPass", 9},
    {"lblStdFwdEndurance", 10},  {"lblStdFwdShotPower", 11}, {"lblStdFwdChecking", 12},
    {"lblStdFwdPassing", 13},    {"lblStdFwdAccuracy", 14},  {"lblStdFwdFaceOff", 15},
    {"lblStdFwdFighting", 16},
};
const LabelOf kGoalieLabels[] = {
    {"lblStdGoalHeight", 0},      {"lblStdGoalWeight", 2},       {"lblStdGoalSpeed", 3},
    {"lblStdGoalAgility", 4},     {"lblStdGoalOffAware", 5},     {"lblStdGoalDefAware", 6},
    {"lblStdGoalStickLeft", 7},   {"lblStdGoalStickRight", 8},   {"lblStdGoalGloveLeft", 9},
    {"lblStdGoalGloveRight", 10}, {"lblStdGoalPuckControl", 11},
};

} // namespace

class TstTemplateWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<MessageScript> m_messages;
    std::unique_ptr<TemplateWindow> m_window;

    // Builds the window on the settings file and shows it, active, as the
    // editor would (shown, not run modally, so the test can drive it).
    void open()
    {
        m_window = std::make_unique<TemplateWindow>(m_path);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    QLineEdit *box(bool goalie, int index) const
    {
        return control<QLineEdit>(m_window.get(), goalie ? "txtStdGoal" : "txtStdFwd", index);
    }

    QStringList shown(bool goalie) const
    {
        QStringList texts;
        for (int i = 0; i < (goalie ? kGoalies : kSkaters); ++i)
            texts.append(box(goalie, i)->text());
        return texts;
    }

    // Puts text into a box as the user does: click into it, replace what is
    // there, type.
    void typeInto(QLineEdit *edit, const QString &text)
    {
        QTest::mouseClick(edit, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), edit);
        QTest::keyClick(edit, Qt::Key_Delete);
        QVERIFY(edit->text().isEmpty()); // the click selected the whole text
        QTest::keyClicks(edit, text);
    }

    void checkMessages(const QStringList &expected)
    {
        QCOMPARE(m_messages->texts(), expected);
        for (const MessageRequest &request : std::as_const(m_messages->shown)) {
            QCOMPARE(request.style, MessageStyle::Warning);
            QCOMPARE(request.title, QString("Puckdex"));
        }
    }

private slots:
    void initTestCase() { applyProgramLook(*qApp); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath("PUCKDEX.INI");
        m_messages = std::make_unique<MessageScript>();
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w != m_window.get() && w->isVisible())
                w->close();
        }
        m_window.reset();
        m_messages.reset();
        m_dir.reset();
    }

    // ---------------------------------------------------------------------
    // The window as designed

    void window_isFixedCentredDialog()
    {
        open();
        TemplateWindow &w = *m_window;
        QCOMPARE(w.objectName(), QString("frmStdPlayerAttrib"));
        QCOMPARE(w.windowTitle(), QString("Standard Player Attributes"));
        QCOMPARE(w.size(), QSize(twips(8928), twips(3528)));
        QCOMPARE(w.minimumSize(), w.size());
        QCOMPARE(w.maximumSize(), w.size());
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        // Centred before the first show, when the frame's width is not known yet.
        const QRect screen = w.screen()->geometry();
        QVERIFY(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 4);
        QVERIFY(qAbs(w.frameGeometry().center().y() - screen.center().y()) <= 4);
        QCOMPARE(QApplication::font(), programFont());
    }

    void controls_stayWhereDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("place");

        const auto add = [](const QString &name, const char *parent, Twips place) {
            QTest::newRow(qPrintable(name)) << name << QString(parent) << place.pixels();
        };
        add("fraStdFwd", "frmStdPlayerAttrib", {120, 120, 4215, 3255});
        add("fraGoalies", "frmStdPlayerAttrib", {4560, 120, 4215, 2535});
        add("cmdSave", "frmStdPlayerAttrib", {4680, 2880, 1935, 495});
        add("cmdCancel", "frmStdPlayerAttrib", {6720, 2880, 1935, 495});
        for (const BoxPlace &b : kSkaterBoxes)
            add(boxName(false, b.index), "fraStdFwd", {b.left, b.top, b.width, 285});
        for (const BoxPlace &b : kGoalieBoxes)
            add(boxName(true, b.index), "fraGoalies", {b.left, b.top, b.width, 285});
    }

    void controls_stayWhereDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, place);
        open();
        auto *control = m_window->findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget()->objectName(), parent);
        QCOMPARE(control->geometry(), place);
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            QCOMPARE(edit->maxLength(), 32767); // Qt's default: no limit of ours
    }

    void captions_areTheFieldsOwn()
    {
        open();
        QCOMPARE(control<QGroupBox>(m_window.get(), "fraStdFwd")->title(),
                 QString("Forwards and Defensemen:"));
        QCOMPARE(control<QGroupBox>(m_window.get(), "fraGoalies")->title(), QString("Goalies:"));
        QCOMPARE(control<QPushButton>(m_window.get(), "cmdSave")->text(), QString("&Save"));
        QCOMPARE(control<QPushButton>(m_window.get(), "cmdCancel")->text(), QString("Cancel"));
        // Enter presses no button.
        for (QPushButton *button : m_window->findChildren<QPushButton *>()) {
            QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));
            QVERIFY2(!button->autoDefault(), qPrintable(button->objectName()));
            const QString text = QString(button->text()).remove('&');
            QVERIFY2(button->fontMetrics().horizontalAdvance(text) <= button->width() - 8,
                     qPrintable(button->objectName()));
        }
        for (QGroupBox *frame : m_window->findChildren<QGroupBox *>()) {
            QVERIFY2(frame->fontMetrics().horizontalAdvance(frame->title()) <= frame->width() - 20,
                     qPrintable(frame->objectName()));
        }
    }

    void labels_nameTheirBox_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption");
        for (const LabelOf &l : kSkaterLabels) {
            QTest::newRow(l.name)
                << QString(l.name) << false << l.index
                << templateField(false, l.index).templateLabel.toString();
        }
        for (const LabelOf &l : kGoalieLabels) {
            QTest::newRow(l.name)
                << QString(l.name) << true << l.index
                << templateField(true, l.index).templateLabel.toString();
        }
    }

    // Each label sits on its box's row and ends just before the box, right
    // aligned, and its caption fits in the program's font.
    void labels_nameTheirBox()
    {
        QFETCH(QString, name);
        QFETCH(bool, goalie);
        QFETCH(int, index);
        QFETCH(QString, caption);
        open();
        auto *label = m_window->findChild<QLabel *>(name);
        QVERIFY(label);
        QLineEdit *edit = box(goalie, index);
        QCOMPARE(label->parentWidget(), edit->parentWidget());
        QVERIFY(!caption.isEmpty());
        QCOMPARE(label->text(), caption);
        QVERIFY(label->alignment() & Qt::AlignRight);

        const QRect l = label->geometry();
        const QRect b = edit->geometry();
        QVERIFY2(l.right() < b.left() && b.left() - l.right() <= 8,
                 qPrintable(QString("ends at %1, box at %2").arg(l.right()).arg(b.left())));
        QVERIFY(l.top() >= b.top() && l.bottom() <= b.bottom());
        QVERIFY(label->parentWidget()->rect().contains(l));
        for (QLineEdit *other : label->parentWidget()->findChildren<QLineEdit *>())
            QVERIFY2(!other->geometry().intersects(l), qPrintable(other->objectName()));

        QCOMPARE(label->font().pixelSize(), programFont().pixelSize());
        QCOMPARE(label->font().stretch(), programFont().stretch());
        const int needed = label->fontMetrics().horizontalAdvance(caption);
        QVERIFY2(needed <= label->contentsRect().width(),
                 qPrintable(QString("needs %1 px, has %2").arg(needed).arg(l.width())));
        QVERIFY(label->sizeHint().width() <= l.width());
        QVERIFY(label->sizeHint().height() <= l.height());
    }

    // ---------------------------------------------------------------------
    // Loading

    void noSettingsFile_showsDefaults()
    {
        open();
        QCOMPARE(shown(false), kSkaterDefaults);
        QCOMPARE(shown(true), kGoalieDefaults);
        for (int i = 0; i < kSkaters; ++i)
            QCOMPARE(m_window->fieldText(false, i), kSkaterDefaults.at(i));
        for (int i = 0; i < kGoalies; ++i)
            QCOMPARE(m_window->fieldText(true, i), kGoalieDefaults.at(i));
        QVERIFY(m_messages->shown.isEmpty());
        QVERIFY(!QFile::exists(m_path));
    }

    void storedValue_isShownOnTheGrid_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QByteArray>("savedLine");

        const auto ours = [](const char *entry) {
            return QByteArray("[Puckdex]\r\n") + entry + "\r\n";
        };
        QTest::newRow("999 is *") << ours("StandardForward3=999") << false << 3 << "*"
                                  << QByteArray("StandardForward3=999");
        QTest::newRow("goalie 999 is *") << ours("StandardGoalie11=999") << true << 11 << "*"
                                         << QByteArray("StandardGoalie11=999");
        QTest::newRow("goalie weight 300") << ours("StandardGoalie2=300") << true << 2 << "239"
                                           << QByteArray("StandardGoalie2=239");
        QTest::newRow("goalie weight 150") << ours("StandardGoalie2=150") << true << 2 << "155"
                                           << QByteArray("StandardGoalie2=155");
        QTest::newRow("skater weight 150") << ours("StandardForward2=150") << false << 2 << "160"
                                           << QByteArray("StandardForward2=160");
        QTest::newRow("bias 50") << ours("StandardForward9=50") << false << 9 << "53"
                                 << QByteArray("StandardForward9=53");
        QTest::newRow("fighting 40") << ours("StandardForward16=40") << false << 16 << "33"
                                     << QByteArray("StandardForward16=33");
        QTest::newRow("goalie rating 72")
            << ours("StandardGoalie7=72") << true << 7 << "70" << QByteArray("StandardGoalie7=70");
        QTest::newRow("abc speed") << ours("StandardForward5=abc") << false << 5 << "40"
                                   << QByteArray("StandardForward5=40");
        QTest::newRow("abc inches") << ours("StandardForward1=abc") << false << 1 << "0"
                                    << QByteArray("StandardForward1=0");
        QTest::newRow("abc feet") << ours("StandardForward0=abc") << false << 0 << "5"
                                  << QByteArray("StandardForward0=5");
        // Read as a whole number: the fraction and what follows are dropped.
        QTest::newRow("12.9 inches") << ours("StandardForward1=12.9") << false << 1 << "11"
                                     << QByteArray("StandardForward1=11");
        QTest::newRow("7.9 inches") << ours("StandardForward1=7.9") << false << 1 << "7"
                                    << QByteArray("StandardForward1=7");
        QTest::newRow("999 with a tail") << ours("StandardForward4=999x") << false << 4 << "*"
                                         << QByteArray("StandardForward4=999");
        QTest::newRow("another section's key")
            << QByteArray("[Other]\r\nStandardForward3=60\r\n[Puckdex]\r\nNHL96Path=C:\\x\r\n")
            << false << 3 << "40" << QByteArray("StandardForward3=40");
    }

    // A stored value is put on the field's limits and grid without a word,
    // the other fields keep their defaults, and Save writes what is shown.
    void storedValue_isShownOnTheGrid()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, goalie);
        QFETCH(int, index);
        QFETCH(QString, expected);
        QFETCH(QByteArray, savedLine);
        QVERIFY(writeFile(m_path, file));
        open();

        QStringList wanted = goalie ? kGoalieDefaults : kSkaterDefaults;
        wanted[index] = expected;
        QCOMPARE(shown(goalie), wanted);
        QCOMPARE(m_window->fieldText(goalie, index), expected);
        QCOMPARE(shown(!goalie), goalie ? kSkaterDefaults : kGoalieDefaults);
        QVERIFY(m_messages->shown.isEmpty());

        QTest::mouseClick(control<QPushButton>(m_window.get(), "cmdSave"), Qt::LeftButton);
        QVERIFY(!m_window->isVisible());
        QVERIFY(readFile(m_path).split('\n').contains(savedLine + '\r'));
        QVERIFY(m_messages->shown.isEmpty());
    }

    // ---------------------------------------------------------------------
    // Leaving a box

    void leavingABox_adjustsIt_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("speed 42") << false << 3 << "42"
                                  << "44" << QStringList{multipleOf(4)};
        QTest::newRow("speed 41") << false << 3 << "41"
                                  << "40" << QStringList{multipleOf(4)};
        QTest::newRow("speed 101") << false << 3 << "101"
                                   << "100" << QStringList{greaterThan(100)};
        QTest::newRow("speed emptied") << false << 3 << ""
                                       << "40" << QStringList{lessThan(40)};
        QTest::newRow("speed 076") << false << 3 << "076"
                                   << "76" << QStringList{};
        QTest::newRow("face-offs 39") << false << 15 << "39"
                                      << "40" << QStringList{lessThan(40)};
        QTest::newRow("bias 50") << false << 9 << "50"
                                 << "53" << QStringList{};
        QTest::newRow("bias 120") << false << 9 << "120"
                                  << "100" << QStringList{greaterThan(100)};
        QTest::newRow("fighting 40") << false << 16 << "40"
                                     << "33" << QStringList{};
        QTest::newRow("fighting emptied") << false << 16 << ""
                                          << "0" << QStringList{};
        QTest::newRow("speed 7*") << false << 3 << "7*"
                                  << "*" << QStringList{};
        QTest::newRow("weight *5") << false << 2 << "*5"
                                   << "*" << QStringList{};
        QTest::newRow("goalie 2*0") << true << 7 << "2*0"
                                    << "*" << QStringList{};
        QTest::newRow("inches emptied") << false << 1 << ""
                                        << "0" << QStringList{};
        QTest::newRow("inches .5") << false << 1 << ".5"
                                   << "1" << QStringList{multipleOf(1)};
        QTest::newRow("feet 7") << true << 0 << "7"
                                << "6" << QStringList{greaterThan(6)};
        QTest::newRow("skater weight 159") << false << 2 << "159"
                                           << "160" << QStringList{lessThan(160)};
        QTest::newRow("skater weight 254") << false << 2 << "254"
                                           << "254" << QStringList{};
        QTest::newRow("goalie weight 240") << true << 2 << "240"
                                           << "239" << QStringList{greaterThan(239)};
        QTest::newRow("goalie weight 155") << true << 2 << "155"
                                           << "155" << QStringList{};
        QTest::newRow("goalie speed 72") << true << 3 << "72"
                                         << "70" << QStringList{multipleOf(5)};
        QTest::newRow("goalie puck emptied") << true << 11 << ""
                                             << "25" << QStringList{lessThan(25)};
    }

    // The check runs when the user moves on; the move goes ahead.
    void leavingABox_adjustsIt()
    {
        QFETCH(bool, goalie);
        QFETCH(int, index);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(QStringList, messages);
        open();
        QLineEdit *edit = box(goalie, index);
        typeInto(edit, typed);
        QCOMPARE(edit->text(), typed); // nothing is checked while typing
        QVERIFY(m_messages->shown.isEmpty());

        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(edit->text(), expected);
        checkMessages(messages);
        QVERIFY(QApplication::focusWidget() != edit);
        QCOMPARE(m_window->fieldText(goalie, index), expected);
    }

    void clickingElsewhere_checksTheBoxLeft()
    {
        open();
        QLineEdit *speed = box(false, 3);
        typeInto(speed, "42");
        QTest::mouseClick(box(true, 5), Qt::LeftButton);
        QCOMPARE(speed->text(), QString("44"));
        checkMessages({multipleOf(4)});
        QCOMPARE(QApplication::focusWidget(), box(true, 5));
    }

    // ---------------------------------------------------------------------
    // Focus

    void window_opensOnCancel_andTabsInOrder()
    {
        open();
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(m_window.get(), "cmdCancel"));

        QStringList expected;
        for (int i = 0; i < kSkaters; ++i)
            expected.append(boxName(false, i));
        for (int i = 0; i < kGoalies; ++i)
            expected.append(boxName(true, i));
        expected << "cmdSave"
                 << "cmdCancel";
        QStringList visited;
        for (int step = 0; step < expected.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(visited, expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(m_window.get(), "cmdSave"));
        // Passing valid boxes says nothing and changes nothing.
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(shown(false), kSkaterDefaults);
        QCOMPARE(shown(true), kGoalieDefaults);
    }

    void enteringABox_selectsItsText_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("tab") << "tab";
        QTest::newRow("backtab") << "backtab";
        QTest::newRow("click") << "click";
    }

    void enteringABox_selectsItsText()
    {
        QFETCH(QString, how);
        QVERIFY(writeFile(m_path, "[Puckdex]\r\nStandardForward2=215\r\n"));
        open();
        QLineEdit *weight = box(false, 2);
        if (how == "tab") {
            QTest::mouseClick(box(false, 1), Qt::LeftButton);
            QTest::keyClick(box(false, 1), Qt::Key_Tab);
        } else if (how == "backtab") {
            QTest::mouseClick(box(false, 3), Qt::LeftButton);
            QTest::keyClick(box(false, 3), Qt::Key_Backtab);
        } else {
            QTest::mouseClick(weight, Qt::LeftButton, {}, QPoint(3, weight->height() / 2));
        }
        QCOMPARE(QApplication::focusWidget(), weight);
        QCOMPARE(weight->selectedText(), QString("215"));

        // A second click in a box that has the focus places the caret.
        QTest::mouseClick(weight, Qt::LeftButton, {}, QPoint(3, weight->height() / 2));
        QVERIFY(!weight->hasSelectedText());
    }

    void enterAndEscape_closeNothing()
    {
        open();
        QTest::keyClick(control<QPushButton>(m_window.get(), "cmdCancel"), Qt::Key_Escape);
        QVERIFY(m_window->isVisible());
        typeInto(box(false, 4), "60");
        QTest::keyClick(box(false, 4), Qt::Key_Return);
        QTest::keyClick(box(false, 4), Qt::Key_Enter);
        QTest::keyClick(box(false, 4), Qt::Key_Escape);
        QVERIFY(m_window->isVisible());
        QCOMPARE(QApplication::focusWidget(), box(false, 4));
        QVERIFY(!QFile::exists(m_path));
    }

    // Enter presses the button that has the focus: Cancel when the window
    // opens.
    void enterOnAFocusedButton_pressesIt()
    {
        open();
        typeInto(box(false, 4), "60");
        QTest::keyClick(box(false, 4), Qt::Key_Tab);
        control<QPushButton>(m_window.get(), "cmdCancel")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(control<QPushButton>(m_window.get(), "cmdCancel"), Qt::Key_Return);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(m_path));
    }

    // Save by its access key leaves the box being edited first, as a click
    // on it does: the box's rule runs before the file is written.
    void save_byItsAccessKey_checksTheBoxFirst_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("7*") << "7*" << "999" << QStringList{};
        QTest::newRow("42") << "42" << "44" << QStringList{multipleOf(4)};
        QTest::newRow("emptied") << "" << "40" << QStringList{lessThan(40)};
    }
    void save_byItsAccessKey_checksTheBoxFirst()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QStringList, messages);
        open();
        typeInto(box(false, 5), typed);
        QTest::keyClick(box(false, 5), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(QDialog::Accepted));
        checkMessages(messages);
        QVERIFY(readFile(m_path).contains("\r\nStandardForward5=" + stored.toLatin1() + "\r\n"));
    }

    // A press on Save or Cancel whose focus change shows a message: the
    // message takes the release, and the button acts once it is answered.
    void aClickSpentOnAMessage_goesAhead_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("Save") << true;
        QTest::newRow("Cancel") << false;
    }
    void aClickSpentOnAMessage_goesAhead()
    {
        QFETCH(bool, save);
        open();
        m_messages->takesFocus = true;
        typeInto(box(true, 2), "300");
        QPushButton *button = save ? control<QPushButton>(m_window.get(), "cmdSave")
                                   : control<QPushButton>(m_window.get(), "cmdCancel");
        QTest::mousePress(button, Qt::LeftButton);
        checkMessages({greaterThan(239)});
        QTRY_VERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(save ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(QFile::exists(m_path), save);
        if (save)
            QVERIFY(readFile(m_path).contains("\r\nStandardGoalie2=239\r\n"));
    }

    void frameClick_focusesTheWindow_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::newRow("skaters") << "fraStdFwd";
        QTest::newRow("goalies") << "fraGoalies";
    }

    // A click on a frame's own surface takes the focus to the window, which
    // leaves the box being edited (and checks it); a click on one of the
    // frame's labels does nothing.
    void frameClick_focusesTheWindow()
    {
        QFETCH(QString, frame);
        open();
        auto *group = m_window->findChild<QGroupBox *>(frame);
        QLineEdit *speed = box(false, 3);
        typeInto(speed, "42");

        auto *label = group->findChild<QLabel *>();
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), speed);
        QCOMPARE(speed->text(), QString("42"));

        const QPoint empty(6, group->height() - 6);
        QVERIFY(!group->childAt(empty));
        QTest::mouseClick(group, Qt::LeftButton, {}, empty);
        QCOMPARE(QApplication::focusWidget(), m_window.get());
        QCOMPARE(speed->text(), QString("44"));
        checkMessages({multipleOf(4)});
        QVERIFY(m_window->isVisible());

        // And Tab goes on from the window to the first stop.
        QTest::keyClick(m_window.get(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(m_window.get(), "cmdCancel"));
    }

    // ---------------------------------------------------------------------
    // Save and Cancel

    void save_writesAllKeysInOrder()
    {
        open();
        typeInto(box(false, 3), "*");
        typeInto(box(false, 9), "60");
        typeInto(box(true, 7), "52");
        // The click on Save leaves the box first: 52 goes to the file as 50.
        QTest::mouseClick(control<QPushButton>(m_window.get(), "cmdSave"), Qt::LeftButton);
        checkMessages({multipleOf(5)});
        // The press was spent on the message: the click goes ahead after it.
        QTRY_VERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(QDialog::Accepted));

        QStringList skaters = kSkaterDefaults;
        skaters[3] = "999";
        skaters[9] = "60";
        QStringList goalies = kGoalieDefaults;
        goalies[7] = "50";
        QByteArray expected = "[Puckdex]\r\n";
        for (int i = 0; i < kSkaters; ++i)
            expected += QString("StandardForward%1=%2\r\n").arg(i).arg(skaters[i]).toLatin1();
        for (int i = 0; i < kGoalies; ++i)
            expected += QString("StandardGoalie%1=%2\r\n").arg(i).arg(goalies[i]).toLatin1();
        QCOMPARE(readFile(m_path), expected);
    }

    void save_keepsTheRestOfTheFile()
    {
        const QByteArray before = "; written by hand\r\n"
                                  "[Puckdex]\r\n"
                                  "NHL96Path=C:\\Games\\NHL96\r\n"
                                  "StandardGoalie4=999\r\n"
                                  "\r\n"
                                  "; next comes another program\r\n"
                                  "[Other]\r\n"
                                  "StandardForward0=6\r\n"
                                  "Key=Value\r\n";
        QVERIFY(writeFile(m_path, before));
        open();
        QCOMPARE(box(true, 4)->text(), QString("*"));
        typeInto(box(false, 0), "6");
        QTest::mouseClick(control<QPushButton>(m_window.get(), "cmdSave"), Qt::LeftButton);
        QVERIFY(m_messages->shown.isEmpty());

        QByteArray keys;
        for (int i = 0; i < kSkaters; ++i) {
            keys += QString("StandardForward%1=%2\r\n")
                        .arg(i)
                        .arg(i == 0 ? QString("6") : kSkaterDefaults[i])
                        .toLatin1();
        }
        for (int i = 0; i < kGoalies; ++i) {
            if (i != 4) // the stored key keeps its line
                keys +=
                    QString("StandardGoalie%1=%2\r\n").arg(i).arg(kGoalieDefaults[i]).toLatin1();
        }
        const QByteArray expected = "; written by hand\r\n"
                                    "[Puckdex]\r\n"
                                    "NHL96Path=C:\\Games\\NHL96\r\n"
                                    "StandardGoalie4=999\r\n" +
                                    keys +
                                    "\r\n"
                                    "; next comes another program\r\n"
                                    "[Other]\r\n"
                                    "StandardForward0=6\r\n"
                                    "Key=Value\r\n";
        QCOMPARE(readFile(m_path), expected);
    }

    void save_failingWrite_staysOpenWithMessage()
    {
        // The settings "folder" is a file: nothing can be written below it.
        QVERIFY(writeFile(m_dir->filePath("folder"), "not a folder"));
        m_path = m_dir->filePath("folder/PUCKDEX.INI");
        open();
        QTest::mouseClick(control<QPushButton>(m_window.get(), "cmdSave"), Qt::LeftButton);
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_messages->shown.size(), 1);
        QCOMPARE(m_messages->shown.first().title, QStringLiteral("Puckdex"));
        QVERIFY(m_messages->shown.first().text.startsWith(kTemplatesNotSaved));
        QVERIFY(!QFile::exists(m_path));
        m_window->reject();
    }

    void cancel_writesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("messages");
        // The click on Cancel leaves the box like any other click; closing
        // the window does not check it.
        QTest::newRow("Cancel") << "cancel" << QStringList{greaterThan(239)};
        QTest::newRow("closed") << "close" << QStringList{};
    }

    // The edits are lost: the file stays byte for byte, and the next window
    // shows the file again.
    void cancel_writesNothing()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, messages);
        const QByteArray before = "[Puckdex]\n"
                                  "StandardForward3=64\n"
                                  "StandardForward5=999\n"
                                  "StandardGoalie2=200\n";
        QVERIFY(writeFile(m_path, before));
        open();
        typeInto(box(false, 3), "80");
        typeInto(box(false, 5), "60");
        typeInto(box(true, 2), "300");
        if (how == "cancel")
            QTest::mouseClick(control<QPushButton>(m_window.get(), "cmdCancel"), Qt::LeftButton);
        else
            m_window->close();
        QTRY_VERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(QDialog::Rejected));
        QCOMPARE(readFile(m_path), before);
        checkMessages(messages);

        open();
        QCOMPARE(box(false, 3)->text(), QString("64"));
        QCOMPARE(box(false, 5)->text(), QString("*"));
        QCOMPARE(box(true, 2)->text(), QString("200"));
    }
};

QTEST_MAIN(TstTemplateWindow)
#include "tst_templatewindow.moc"
