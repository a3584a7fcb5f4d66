#include "controls.h"
#include "render.h"
#include "testfiles.h"

#include "dialogs/aboutwindow.h"
#include "widgets/programlook.h"
#include "dialogs/savedgamewindow.h"
#include "editor/mainwindow.h"
#include "dialogs/pictureprompt.h"
#include "files/fileset.h"
#include "player/ratings.h"
#include "sampleroster.h"
#include "editor/programstate.h"
#include "templates/templatewindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Puckdex;

namespace {

// Where a control lies in its window's picture.
QRect placeInWindow(const QWidget *control)
{
    return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

int distinctColours(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    return int(colours.size());
}

// Pixels dark enough to be text, inside area.
int inkIn(const QImage &image, const QRect &area)
{
    int ink = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            ink += qGray(image.pixel(x, y)) < 110 ? 1 : 0;
    }
    return ink;
}

// A box's inside, clear of its frame.
QRect insideOf(const QWidget *box)
{
    return placeInWindow(box).adjusted(3, 3, -3, -3);
}

// Pixels whose red stands out clearly from green and blue.
int redIn(const QImage &image, const QRect &area)
{
    int red = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            red += qRed(p) > 140 && qGreen(p) < 90 && qBlue(p) < 90 ? 1 : 0;
        }
    }
    return red;
}

// Runs of pixel rows in area that hold anything but the area's commonest
// colour: one per line of text in a list with room to spare.
int linesIn(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    }
    QRgb base = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            base = it.key();
            most = it.value();
        }
    }
    int lines = 0;
    bool inLine = false;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        bool marked = false;
        for (int x = area.left(); x <= area.right() && !marked; ++x)
            marked = image.pixel(x, y) != base;
        if (marked && !inLine)
            ++lines;
        inLine = marked;
    }
    return lines;
}

// Why an operation failed, for a failing check's message; QVERIFY2 builds
// its message even when the check passes.
template <typename Outcome> QByteArray why(const Outcome &outcome)
{
    return outcome.ok() ? QByteArray() : outcome.error().fullMessage().toLocal8Bit();
}

// The saved-game window widens beyond its design to show its caption and
// its games whole: its size as the sample's games fill it.
QSize savedGameWindowSize()
{
    QTemporaryDir folder;
    if (!Sample::writeSavedGames(folder.path()).ok())
        return {};
    const Result<SavedGameIndex> index = GameFolder::savedGames(folder.path());
    if (!index)
        return {};
    SavedGameWindow window;
    for (const SeasonIndexEntry &game : index->games)
        window.addGame(game.description(), game.gameNumber());
    return window.size();
}

} // namespace

class TstRender : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_out;
    QStringList m_written;
    ProgramState m_state;

    QImage load(const QString &file) const { return QImage(m_out.filePath(file)); }

private slots:
    void initTestCase()
    {
        applyProgramLook(*qApp);
        QVERIFY(m_out.isValid());
        const Status status = Render::renderAll(
            m_out.path(), [this](const QString &path) { m_written.append(path); });
        QVERIFY2(status.ok(), why(status).constData());
    }

    void writesEveryPictureOnceInOrder()
    {
        QStringList expected;
        for (const QString &name : Render::fileNames())
            expected.append(QDir(m_out.path()).filePath(name));
        QCOMPARE(m_written, expected);
        // Nothing else lands in the folder: the sample stays in its own.
        QCOMPARE(QDir(m_out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
                 expected.size());
    }

    void picture_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("main window") << Render::MainWindowFile << QSize(565, 425);
        QTest::newRow("main window, goalie") << Render::MainWindowGoalieFile << QSize(565, 425);
        QTest::newRow("game folder") << Render::GameFolderFile << QSize(169, 251);
        QTest::newRow("saved game") << Render::SavedGameFile << savedGameWindowSize();
        QTest::newRow("about") << Render::AboutFile << QSize(315, 98);
        QTest::newRow("template window") << Render::TemplateWindowFile << QSize(595, 235);
        QTest::newRow("picture prompt") << Render::PicturePromptFile << QSize(258, 179);
        QTest::newRow("roster table") << Render::RosterTableFile << QSize(820, 420);
    }
    void picture()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QVERIFY(QFile::exists(m_out.filePath(file)));
        const QImage image = load(file);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), size);
        // A window of background alone has one or two colours; text alone
        // brings dozens of shades.
        QVERIFY2(distinctColours(image) > 16, qPrintable(QString::number(distinctColours(image))));
    }

    void mainWindowShowsThePlayersNames()
    {
        MainWindow layout(m_state, QString());
        const QRect first = insideOf(control<QLineEdit>(&layout, "txtFirstName"));
        const QRect last = insideOf(control<QLineEdit>(&layout, "txtLastName"));
        const QImage skater = load(Render::MainWindowFile);
        const QImage goalie = load(Render::MainWindowGoalieFile);
        for (const QImage &image : {skater, goalie}) {
            QVERIFY(inkIn(image, first) > 10);
            QVERIFY(inkIn(image, last) > 10);
        }
        // Two players, not one shown twice.
        QVERIFY(skater.copy(last) != goalie.copy(last));
    }

    void mainWindowShowsTheRatingsOfHisKind()
    {
        MainWindow layout(m_state, QString());
        const QImage skater = load(Render::MainWindowFile);
        const QImage goalie = load(Render::MainWindowGoalieFile);
        for (int box = 0; box < 4; ++box) {
            const QRect place = insideOf(control<QLineEdit>(&layout, "txtAllPlayers", box));
            QVERIFY(inkIn(skater, place) > 0);
            QVERIFY(inkIn(goalie, place) > 0);
        }
        for (int box = 0; box < 10; ++box) {
            const QRect place = insideOf(control<QLineEdit>(&layout, "txtFwdDef", box));
            QVERIFY2(inkIn(skater, place) > 0, qPrintable(QString::number(box)));
            QCOMPARE(inkIn(goalie, place), 0);
        }
        for (int box = 0; box < 5; ++box) {
            const QRect place = insideOf(control<QLineEdit>(&layout, "txtGoalies", box));
            QCOMPARE(inkIn(skater, place), 0);
            QVERIFY2(inkIn(goalie, place) > 0, qPrintable(QString::number(box)));
        }
    }

    void savedGameWindowListsEveryGame()
    {
        SavedGameWindow layout;
        const QRect list = insideOf(control<QListWidget>(&layout, "lstSeasonToEdit"));
        QCOMPARE(linesIn(load(Render::SavedGameFile), list),
                 int(Sample::defaultSavedGames().size()));
    }

    void gameFolderWindowShowsFolders()
    {
        // The folder list's place, as the window was designed.
        const QRect tree(8 + 3, 8 + 3, 153 - 6, 77 - 6);
        QVERIFY(inkIn(load(Render::GameFolderFile), tree) > 50);
    }

    void aboutWindowShowsTheShieldAndName()
    {
        AboutWindow layout(QStringLiteral("Puckdex"), QStringLiteral(" v1.0 32-bit"));
        const QImage about = load(Render::AboutFile);
        QVERIFY(redIn(about, placeInWindow(control<QLabel>(&layout, "picAppIcon"))) > 30);
        QVERIFY(inkIn(about, placeInWindow(control<QLabel>(&layout, "lblAppName"))) > 30);
    }

    void templateWindowShowsEveryField()
    {
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        TemplateWindow layout(empty.filePath(QStringLiteral("PUCKDEX.INI")));
        const QImage image = load(Render::TemplateWindowFile);
        const QList<QLineEdit *> boxes = layout.findChildren<QLineEdit *>();
        QCOMPARE(boxes.size(), TemplateWindow::SkaterFieldCount + TemplateWindow::GoalieFieldCount);
        // Every field holds a number or the "*" of a field left alone.
        for (const QLineEdit *box : boxes)
            QVERIFY2(inkIn(image, insideOf(box)) > 0, qPrintable(box->objectName()));
    }

    void picturePromptAsksAboutTheRenamedPlayer()
    {
        PicturePrompt layout{QString()};
        const QImage image = load(Render::PicturePromptFile);
        // Old name, new name and the question take more than one line.
        QVERIFY(linesIn(image, placeInWindow(control<QLabel>(&layout, "lblDelPic"))) >= 2);
        QVERIFY(inkIn(image, insideOf(control<QPushButton>(&layout, "cmdYes"))) > 10);
    }

    void mainWindowLeavesTheFilesAsTheyWere()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(Render::writeSample(folder.path()).ok());
        const QByteArray key = readFile(folder.filePath(QStringLiteral("key.db")));
        const QByteArray att = readFile(folder.filePath(QStringLiteral("att.db")));
        QVERIFY(!key.isEmpty() && !att.isEmpty());
        for (const Render::Shown shown : {Render::Shown::Skater, Render::Shown::Goalie}) {
            const Result<QImage> image = Render::mainWindow(folder.path(), shown);
            QVERIFY2(image.ok(), why(image).constData());
        }
        QCOMPARE(readFile(folder.filePath(QStringLiteral("key.db"))), key);
        QCOMPARE(readFile(folder.filePath(QStringLiteral("att.db"))), att);
    }

    void missingGameFilesFailWithoutWaiting()
    {
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        // The program would ask the user here; the picture fails at once.
        const Result<QImage> main = Render::mainWindow(empty.path(), Render::Shown::Skater);
        QVERIFY(!main.ok());
        QCOMPARE(QDir(main.error().filePath), QDir(empty.path()));
        QVERIFY2(main.error().reason.contains(QStringLiteral("teams.db missing")),
                 qPrintable(main.error().reason));

        const Result<QImage> saved = Render::savedGameWindow(empty.path());
        QVERIFY(!saved.ok());
        QCOMPARE(QDir(saved.error().filePath), QDir(empty.path()));
    }

    void unwritableOutputFolderFails()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QStringList written;
        const Status status =
            Render::renderAll(blocker, [&written](const QString &path) { written.append(path); });
        QVERIFY(!status.ok());
        QCOMPARE(status.error().filePath, blocker);
        QVERIFY(written.isEmpty());
    }
};

QTEST_MAIN(TstRender)
#include "tst_render.moc"
