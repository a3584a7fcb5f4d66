// What `cmake --install` puts in place, which is also what the Debian package
// holds: the programs, and on freedesktop systems the desktop entry, the
// AppStream data, the icons, the manual pages and the user guide. The build
// is installed into a temporary prefix once; the user's system is never
// touched.

#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <cmath>

namespace {

const QString kSourceDir = QStringLiteral(PUCKDEX_SOURCE_DIR);
const QString kBuildDir = QStringLiteral(PUCKDEX_BUILD_DIR);
const QString kAppId = QStringLiteral(PUCKDEX_APP_ID);
const QString kVersion = QStringLiteral(PUCKDEX_VERSION);
constexpr bool kHasCli = PUCKDEX_HAS_CLI;
const QList<int> kIconSizes = {16, 32, 48, 64, 128, 256};

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        result.err = process.errorString().toLocal8Bit();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QStringList programs()
{
    QStringList names{QStringLiteral("puckdex")};
    if (kHasCli)
        names.append(QStringLiteral("puckdex-cli"));
    return names;
}

// The keys of the [Desktop Entry] group.
QHash<QString, QString> desktopEntry(const QString &path)
{
    QHash<QString, QString> keys;
    bool inEntry = false;
    for (const QByteArray &raw : readFile(path).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inEntry && eq > 0 && !line.startsWith(QLatin1Char('#')))
            keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return keys;
}

// Share of the two pictures' coverage that differs, 0 (same) to 1.
double coverageDifference(const QImage &a, const QImage &b)
{
    double difference = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            difference += std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))) / 255.0;
    }
    return difference / (a.width() * a.height());
}

} // namespace

class TstInstall : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_prefix;
    QStringList m_files; // installed files, relative to the prefix, sorted

    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }
    QString iconPath(int size) const
    {
        return installed(
            QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId));
    }
    static void needFreedesktop()
    {
#if !defined(Q_OS_UNIX) || defined(Q_OS_MACOS)
        QSKIP("desktop entries, icons and manual pages are installed on freedesktop systems only");
#endif
    }

private slots:
    void initTestCase()
    {
#if defined(Q_OS_WIN)
        QSKIP("the install runs CMake, a program of the building system; on Windows the "
              "install tree is the zip, whose files tools/windows/zip.sh checks");
#endif
        QVERIFY(m_prefix.isValid());
        const Run install =
            run(QStringLiteral(PUCKDEX_CMAKE), {QStringLiteral("--install"), kBuildDir,
                                                QStringLiteral("--prefix"), m_prefix.path()});
        QVERIFY2(install.exitCode == 0, install.out + install.err);
        QDirIterator it(m_prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            m_files.append(QDir(m_prefix.path()).relativeFilePath(it.next()));
        m_files.sort();
    }

    // A file missing here is missing from the package; a file too many (a
    // test, a static library, the sample writer) would ship to every user.
    void installsExactlyTheProgramsAndTheirDesktopFiles()
    {
        QStringList expected;
#if defined(Q_OS_MACOS)
        expected = m_files.filter(QRegularExpression(QStringLiteral("^puckdex\\.app/")));
        QVERIFY(!expected.isEmpty());
        if (kHasCli)
            expected.append(QStringLiteral("bin/puckdex-cli"));
#else
        for (const QString &program : programs())
            expected.append(QStringLiteral("bin/") + program);
#if defined(Q_OS_WIN)
        for (QString &program : expected)
            program += QStringLiteral(".exe");
#else
        expected.append(QStringLiteral("share/applications/%1.desktop").arg(kAppId));
        expected.append(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId));
        expected.append(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId));
        for (int size : kIconSizes)
            expected.append(QDir(m_prefix.path()).relativeFilePath(iconPath(size)));
        for (const QString &program : programs())
            expected.append(QStringLiteral("share/man/man1/%1.1.gz").arg(program));
        expected.append(QStringLiteral("share/doc/puckdex/user-guide.md"));
        expected.append(QStringLiteral("share/doc/puckdex/user-guide.html"));
        const QDir pictures(kSourceDir + QStringLiteral("/docs/images"));
        for (const QString &picture : pictures.entryList({QStringLiteral("*.png")}, QDir::Files))
            expected.append(QStringLiteral("share/doc/puckdex/images/") + picture);
#endif
#endif
        expected.sort();
        QCOMPARE(m_files, expected);
    }

    void icon_data()
    {
        QTest::addColumn<int>("size");
        for (int size : kIconSizes)
            QTest::newRow(qPrintable(QStringLiteral("%1 px").arg(size))) << size;
    }
    // Every size is the same shield: the large one scaled down must cover
    // nearly the same pixels (good sizes differ by under 0.5 %, a mirrored
    // one by 6 %), so a stale or misplaced picture stands out.
    void icon()
    {
        needFreedesktop();
        QFETCH(int, size);
        const QImage image(iconPath(size));
        QVERIFY2(!image.isNull(), qPrintable(iconPath(size)));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, size - 1)), 0);
        const QImage largest =
            QImage(iconPath(256))
                .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double difference = coverageDifference(image, largest);
        QVERIFY2(difference < 0.02, qPrintable(QString::number(difference)));
    }

    // The window's own icon (built into the program) and the desktop's must
    // not drift apart.
    void desktopIconMatchesTheWindowIcon()
    {
        needFreedesktop();
        const QImage window(kSourceDir + QStringLiteral("/resources/icons/puckdex-32.png"));
        const QImage desktop(iconPath(32));
        QCOMPARE(window.size(), desktop.size());
        const double difference = coverageDifference(window, desktop);
        QVERIFY2(difference < 0.02, qPrintable(QString::number(difference)));
    }

    void desktopEntry()
    {
        needFreedesktop();
        const QHash<QString, QString> entry =
            ::desktopEntry(installed(QStringLiteral("share/applications/%1.desktop").arg(kAppId)));
        QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Puckdex"));
        QCOMPARE(entry.value(QStringLiteral("Terminal")), QStringLiteral("false"));
        QVERIFY(entry.value(QStringLiteral("Categories"))
                    .split(QLatin1Char(';'))
                    .contains(QStringLiteral("Game")));
        // Started by name from PATH: the program must be one that is installed.
        const QString exec = entry.value(QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0);
        QVERIFY2(m_files.contains(QStringLiteral("bin/") + exec), qPrintable(exec));
        QCOMPARE(entry.value(QStringLiteral("Icon")), kAppId);
    }

    void metainfo()
    {
        needFreedesktop();
        QFile file(installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString id, launchable, newestRelease;
        QSet<QString> binaries;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const auto name = xml.name();
            if (name == QLatin1String("id"))
                id = xml.readElementText();
            else if (name == QLatin1String("launchable"))
                launchable = xml.readElementText();
            else if (name == QLatin1String("binary"))
                binaries.insert(xml.readElementText());
            else if (name == QLatin1String("release") && newestRelease.isEmpty())
                newestRelease = xml.attributes().value(QLatin1String("version")).toString();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(id, kAppId);
        QCOMPARE(launchable, kAppId + QStringLiteral(".desktop"));
        // Releases are listed newest first; a new version needs its entry.
        QCOMPARE(newestRelease, kVersion);
        for (const QString &program : programs())
            QVERIFY2(binaries.contains(program), qPrintable(program));
    }

    void manPage_data()
    {
        QTest::addColumn<QString>("program");
        for (const QString &program : programs())
            QTest::newRow(qPrintable(program)) << program;
    }
    void manPage()
    {
        needFreedesktop();
        QFETCH(QString, program);
        const QString source = kBuildDir + QStringLiteral("/man/%1.1").arg(program);
        const Run unpacked =
            run(QStringLiteral("gzip"),
                {QStringLiteral("-dc"),
                 installed(QStringLiteral("share/man/man1/%1.1.gz").arg(program))});
        QVERIFY2(unpacked.exitCode == 0, unpacked.err);
        QCOMPARE(unpacked.out, readFile(source));
        const QString title = QString::fromUtf8(readFile(source)).section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(
            title.startsWith(QStringLiteral(".TH ") + program.toUpper() + QStringLiteral(" 1 ")),
            qPrintable(title));
        QVERIFY2(title.contains(QStringLiteral("\"Puckdex %1\"").arg(kVersion)), qPrintable(title));
    }

    // Each command the manual page gives is one the program knows.
    // The window program answers --help and --version on the terminal with
    // no display to open a window on (and a platform that would need one).
    void windowProgramAnswersWithoutADisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expected");
        QTest::newRow("--version") << "--version" << QStringLiteral("puckdex %1\n").arg(kVersion);
        QTest::newRow("-v") << "-v" << QStringLiteral("puckdex %1\n").arg(kVersion);
        QTest::newRow("--help") << "--help" << "Usage: puckdex [--help] [--version]\n";
        QTest::newRow("-h") << "-h" << "Usage: puckdex [--help] [--version]\n";
    }
    void windowProgramAnswersWithoutADisplay()
    {
        QFETCH(QString, option);
        QFETCH(QString, expected);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(kBuildDir + QStringLiteral("/bin/puckdex"), {option});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        QVERIFY2(out.startsWith(expected), qPrintable(out));
        QCOMPARE(process.readAllStandardError(), QByteArray());
    }

    void cliManPageNamesItsCommands()
    {
        if (!kHasCli)
            QSKIP("puckdex-cli is not part of this build");
        const QString source =
            QString::fromUtf8(readFile(kBuildDir + QStringLiteral("/man/puckdex-cli.1")));
        static const QRegularExpression synopsisLine(QStringLiteral("^\\.B puckdex-cli ([a-z]+)$"),
                                                     QRegularExpression::MultilineOption);
        QStringList commands;
        for (auto it = synopsisLine.globalMatch(source); it.hasNext();)
            commands.append(it.next().captured(1));
        QCOMPARE(commands.size(), 10);
        const Run help =
            run(kBuildDir + QStringLiteral("/bin/puckdex-cli"), {QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        for (const QString &command : commands)
            QVERIFY2(help.out.contains(command.toUtf8()), qPrintable(command));
        const Run version =
            run(kBuildDir + QStringLiteral("/bin/puckdex-cli"), {QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QVERIFY2(version.out.contains(kVersion.toUtf8()), version.out);
    }

    // The desktop's own checkers, where this machine has them (the build's
    // package list installs both on Debian).
    void validator_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << "desktop-file-validate"
            << QStringList{installed(QStringLiteral("share/applications/%1.desktop").arg(kAppId))};
        QTest::newRow("metainfo")
            << "appstreamcli"
            << QStringList{"validate", "--no-net",
                           installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId))};
        for (const QString &program : programs()) {
            QTest::newRow(qPrintable(program + QStringLiteral(" manual page")))
                << "groff"
                << QStringList{"-man", "-ww", "-z",
                               kBuildDir + QStringLiteral("/man/%1.1").arg(program)};
        }
    }
    void validator()
    {
        needFreedesktop();
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        const QString path = QStandardPaths::findExecutable(tool);
        if (path.isEmpty())
            QSKIP(qPrintable(tool + QStringLiteral(" is not installed")));
        const Run check = run(path, arguments);
        QVERIFY2(check.exitCode == 0 && check.err.trimmed().isEmpty(), check.out + check.err);
    }

    // Pictures the guides show must exist, in the source and in the installed
    // copy of the user guide.
    void guidePictures_data()
    {
        QTest::addColumn<QString>("guide");
        QTest::addColumn<QString>("pictureRoot");
        QTest::newRow("README") << kSourceDir + QStringLiteral("/README.md") << kSourceDir;
        QTest::newRow("user guide") << kSourceDir + QStringLiteral("/docs/user-guide.md")
                                    << kSourceDir + QStringLiteral("/docs");
        QTest::newRow("installed user guide")
            << installed(QStringLiteral("share/doc/puckdex/user-guide.md"))
            << installed(QStringLiteral("share/doc/puckdex"));
    }
    void guidePictures()
    {
        QFETCH(QString, guide);
        QFETCH(QString, pictureRoot);
        if (guide.startsWith(m_prefix.path()))
            needFreedesktop();
        const QString text = QString::fromUtf8(readFile(guide));
        QVERIFY2(!text.isEmpty(), qPrintable(guide));
        static const QRegularExpression picture(
            QStringLiteral("!\\[[^\\]]*\\]\\(([^)\\s]+\\.png)\\)"));
        int count = 0;
        for (auto it = picture.globalMatch(text); it.hasNext(); ++count) {
            const QString file = it.next().captured(1);
            QVERIFY2(QFile::exists(pictureRoot + QLatin1Char('/') + file), qPrintable(file));
        }
        QVERIFY(count > 0);
    }

    // The page F1 opens, where the program looks for it beside the
    // installed programs: every picture it shows is installed beside it and
    // every link of its contents leads to a heading.
    void installedGuidePageHoldsItsPicturesAndAnchors()
    {
        needFreedesktop();
        const QString page = installed(QStringLiteral("bin/../share/doc/puckdex/user-guide.html"));
        const QString html = QString::fromUtf8(readFile(page));
        QVERIFY2(html.startsWith(QLatin1String("<!DOCTYPE html>")), qPrintable(page));
        static const QRegularExpression picture(QStringLiteral("<img src=\"([^\"]+)\""));
        int pictures = 0;
        for (auto it = picture.globalMatch(html); it.hasNext(); ++pictures) {
            const QString file = it.next().captured(1);
            QVERIFY2(QFile::exists(QFileInfo(page).absolutePath() + QLatin1Char('/') + file),
                     qPrintable(file));
        }
        static const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
        int links = 0;
        for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
            const QString anchor = it.next().captured(1);
            QVERIFY2(html.contains(QStringLiteral(" id=\"%1\"").arg(anchor)), qPrintable(anchor));
        }
        QVERIFY(pictures > 0);
        QVERIFY(links > 10);
    }
};

QTEST_GUILESS_MAIN(TstInstall)
#include "testfiles.h"
#include "tst_install.moc"
