#include "settings/profilefile.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <optional>

using namespace Puckdex;

namespace {

// A settings file as it might come from Windows, edited by hand: CRLF, comments, sections
// around ours, names in other cases, blanks around '=', quotes, a repeated key and section.
const QByteArray kWindowsFile = QByteArrayLiteral("; Puckdex settings\r\n"
                                                  "[Other]\r\n"
                                                  "NHL96Path=D:\\Wrong\r\n"
                                                  "\r\n"
                                                  "[ Puckdex ]\r\n"
                                                  "nhl96path = C:\\Games\\NHL96  \r\n"
                                                  "NHL96Path=E:\\Second\r\n"
                                                  "; StandardForward0=5\r\n"
                                                  "StandardForward0=6\r\n"
                                                  "Teams=Boston, Buffalo, Calgary\r\n"
                                                  "Padded=\"  in quotes  \"\r\n"
                                                  "Single='x'\r\n"
                                                  "Lonely=\"\r\n"
                                                  "Mixed=\"x'\r\n"
                                                  "Empty=\r\n"
                                                  "Player=Teemu S\xe9lanne \x80\r\n"
                                                  "just a line without equals\r\n"
                                                  "\r\n"
                                                  "[Later]\r\n"
                                                  "StandardForward1=9\r\n"
                                                  "[puckdex]\r\n"
                                                  "StandardForward2=7\r\n");

// Restores an environment variable however the test ends.
class EnvGuard
{
public:
    explicit EnvGuard(const char *name)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {}
    ~EnvGuard()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_old;
};

// writesIntoTheRightPlace's rows (before, section, key, value, after) where
// the written line goes: line ends, repeated keys and sections, comments, a
// missing section, an empty file.
void addPlacementRows()
{
    const QString p = QStringLiteral("P");
    const QString a = QStringLiteral("A");
    const QString b = QStringLiteral("B");
    const QString two = QStringLiteral("2");

    QTest::newRow("LF file stays LF")
        << QByteArray("[P]\nA=1\n") << p << b << two << QByteArray("[P]\nA=1\nB=2\n");
    QTest::newRow("no newline at the end")
        << QByteArray("[P]\nA=1") << p << b << two << QByteArray("[P]\nA=1\nB=2\n");
    QTest::newRow("replacing keeps the file's spelling and line end")
        << QByteArray("[p]\r\n  a = old \r\nB=1\r\n") << p << a << two
        << QByteArray("[p]\r\na=2\r\nB=1\r\n");
    QTest::newRow("replacing the last line without newline")
        << QByteArray("[P]\r\nA=1") << p << a << two << QByteArray("[P]\r\nA=2");
    QTest::newRow("first of a repeated key")
        << QByteArray("[P]\nA=1\nA=3\n") << p << a << two << QByteArray("[P]\nA=2\nA=3\n");
    QTest::newRow("first of a repeated section")
        << QByteArray("[P]\nA=1\n[Q]\n[P]\nB=1\n") << p << b << two
        << QByteArray("[P]\nA=1\nB=2\n[Q]\n[P]\nB=1\n");
    QTest::newRow("blank lines and comments before the next section stay after")
        << QByteArray("[P]\r\nA=1\r\n; about Q\r\n\r\n[Q]\r\nX=1\r\n") << p << b << two
        << QByteArray("[P]\r\nA=1\r\nB=2\r\n; about Q\r\n\r\n[Q]\r\nX=1\r\n");
    QTest::newRow("section without keys") << QByteArray("[P]\r\n\r\n[Q]\r\n") << p << a << two
                                          << QByteArray("[P]\r\nA=2\r\n\r\n[Q]\r\n");
    QTest::newRow("commented key is not rewritten")
        << QByteArray("[P]\n;A=1\n") << p << a << two << QByteArray("[P]\nA=2\n;A=1\n");
    QTest::newRow("missing section goes at the end")
        << QByteArray("[Q]\nA=1\n\n") << p << a << two << QByteArray("[Q]\nA=1\n\n[P]\nA=2\n");
    QTest::newRow("missing section, no newline at the end")
        << QByteArray("[Q]\r\nA=1") << p << a << two << QByteArray("[Q]\r\nA=1\r\n[P]\r\nA=2\r\n");
    QTest::newRow("key before any section is not ours")
        << QByteArray("A=1\n[Q]\n") << p << a << two << QByteArray("A=1\n[Q]\n[P]\nA=2\n");
    QTest::newRow("empty file gets CRLF")
        << QByteArray() << p << a << two << QByteArray("[P]\r\nA=2\r\n");
}

// writesIntoTheRightPlace's rows on how a value is written (raw, code page,
// quotes, UTF-8) and on the bytes around it that stay: lone CRs, mixed line
// ends, a byte-order mark.
void addValueRows()
{
    const QString p = QStringLiteral("P");
    const QString a = QStringLiteral("A");
    const QString b = QStringLiteral("B");
    const QString two = QStringLiteral("2");

    QTest::newRow("bytes of other lines kept")
        << QByteArrayLiteral("[Q]\nX=\x81\x9d\xff\0end\n[P]\nA=1\n") << p << a << two
        << QByteArrayLiteral("[Q]\nX=\x81\x9d\xff\0end\n[P]\nA=2\n");
    QTest::newRow("value stored raw")
        << QByteArray("[P]\n") << p << a << QStringLiteral("C:\\Games\\NHL96,x")
        << QByteArray("[P]\nA=C:\\Games\\NHL96,x\n");
    QTest::newRow("windows-1252 value")
        << QByteArray("[P]\n") << p << a << QStringLiteral("Sélanne €")
        << QByteArray("[P]\nA=S\xe9lanne \x80\n");
    QTest::newRow("blanks at the ends are quoted")
        << QByteArray("[P]\n") << p << a << QStringLiteral(" x ") << QByteArray("[P]\nA=\" x \"\n");
    QTest::newRow("a value's own quotes are quoted")
        << QByteArray("[P]\n") << p << a << QStringLiteral("'x'") << QByteArray("[P]\nA=\"'x'\"\n");
    QTest::newRow("empty value") << QByteArray("[P]\nA=1\n") << p << a << QString()
                                 << QByteArray("[P]\nA=\n");
    QTest::newRow("lone CR file: key found, not added twice")
        << QByteArray("[P]\rA=1\rB=1\r") << p << a << two << QByteArray("[P]\rA=2\rB=1\r");
    QTest::newRow("lone CR file: new key keeps CR")
        << QByteArray("[P]\rA=1") << p << b << two << QByteArray("[P]\rA=1\rB=2\r");
    QTest::newRow("mixed line ends each kept") << QByteArray("[Q]\r\nX=1\n[P]\rA=1\r\n") << p << a
                                               << two << QByteArray("[Q]\r\nX=1\n[P]\rA=2\r\n");
    QTest::newRow("byte-order mark before the section")
        << QByteArray("\xEF\xBB\xBF[P]\r\nA=1\r\n") << p << a << two
        << QByteArray("\xEF\xBB\xBF[P]\r\nA=2\r\n");
    QTest::newRow("a key that starts with the mark's bytes is no mark")
        << QByteArray("[P]\n") << p << QStringLiteral("ï»¿Aè") << two
        << QByteArray("[P]\n\xEF\xBB\xBF" "A\xE8=2\n");
    QTest::newRow("the mark stays when its line is rewritten")
        << QByteArray("\xEF\xBB\xBF[P]\r\n") << p << a << two
        << QByteArray("\xEF\xBB\xBF[P]\r\nA=2\r\n");
    QTest::newRow("a Cyrillic folder is written in UTF-8")
        << QByteArray("[P]\n") << p << a << QStringLiteral("/home/Овечкин/NHL96")
        << QByteArray("[P]\nA=/home/\xD0\x9E\xD0\xB2\xD0\xB5\xD1\x87\xD0\xBA\xD0\xB8"
                      "\xD0\xBD/NHL96\n");
    QTest::newRow("a Polish folder is written in UTF-8")
        << QByteArray("[P]\n") << p << a << QStringLiteral("Gry/Łódź")
        << QByteArray("[P]\nA=Gry/\xC5\x81\xC3\xB3" "d\xC5\xBA\n");
    QTest::newRow("windows-1252 bytes that could pass for UTF-8 are written in UTF-8")
        << QByteArray("[P]\n") << p << a << QStringLiteral("Ã©")
        << QByteArray("[P]\nA=\xC3\x83\xC2\xA9\n");
}

} // namespace

class TstProfileFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString freshPath()
    {
        static int counter = 0;
        return m_dir.filePath(QStringLiteral("case%1/PUCKDEX.INI").arg(++counter));
    }
    QString fileWith(const QByteArray &bytes)
    {
        const QString path = freshPath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!writeFile(path, bytes))
            qFatal("cannot prepare a test file");
        return path;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void readsWindowsStyleFile_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QString &section, const QString &key,
                            const QString &expected) {
            QTest::newRow(name) << section << key << expected;
        };
        const QString ours = QStringLiteral("Puckdex");
        row("backslashes, other case, blanks, first of two", ours, QStringLiteral("NHL96Path"),
            QStringLiteral("C:\\Games\\NHL96"));
        row("caller's case does not matter", QStringLiteral("PUCKDEX"), QStringLiteral("nHl96PaTh"),
            QStringLiteral("C:\\Games\\NHL96"));
        row("blanks around caller's names", QStringLiteral(" Puckdex "),
            QStringLiteral(" NHL96Path "), QStringLiteral("C:\\Games\\NHL96"));
        row("other section", QStringLiteral("other"), QStringLiteral("nhl96path"),
            QStringLiteral("D:\\Wrong"));
        row("commented key is skipped", ours, QStringLiteral("StandardForward0"),
            QStringLiteral("6"));
        row("commas are plain text", ours, QStringLiteral("Teams"),
            QStringLiteral("Boston, Buffalo, Calgary"));
        row("double quotes stripped, inner blanks kept", ours, QStringLiteral("Padded"),
            QStringLiteral("  in quotes  "));
        row("single quotes stripped", ours, QStringLiteral("Single"), QStringLiteral("x"));
        row("a lone quote stays", ours, QStringLiteral("Lonely"), QStringLiteral("\""));
        row("unlike quotes stay", ours, QStringLiteral("Mixed"), QStringLiteral("\"x'"));
        row("empty value is not the default", ours, QStringLiteral("Empty"), QString());
        row("windows-1252", ours, QStringLiteral("Player"), QStringLiteral("Teemu Sélanne €"));
        row("section after ours", QStringLiteral("Later"), QStringLiteral("StandardForward1"),
            QStringLiteral("9"));
        row("second copy of a section is ignored", ours, QStringLiteral("StandardForward2"),
            QStringLiteral("<default>"));
        row("missing key", ours, QStringLiteral("StandardGoalie0"), QStringLiteral("<default>"));
        row("line without equals is no key", ours, QStringLiteral("just a line without equals"),
            QStringLiteral("<default>"));
        row("missing section", QStringLiteral("Nowhere"), QStringLiteral("NHL96Path"),
            QStringLiteral("<default>"));
        row("comment is no section", QStringLiteral("; Puckdex settings"),
            QStringLiteral("NHL96Path"), QStringLiteral("<default>"));
    }
    void readsWindowsStyleFile()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const ProfileFile file(fileWith(kWindowsFile));
        QCOMPARE(file.readString(section, key, QStringLiteral("<default>")), expected);
    }

    void rewritesOnlyWhatItOwns()
    {
        const QString path = fileWith(kWindowsFile);
        ProfileFile file(path);
        QVERIFY2(file.writeString(u"Puckdex", u"NHL96Path", QStringLiteral("F:\\NHL 96, new")),
                 qPrintable(file.errorString()));
        QVERIFY2(file.writeString(u"PUCKDEX", u"StandardGoalie0", QStringLiteral("6")),
                 qPrintable(file.errorString()));
        QVERIFY(file.errorString().isEmpty());

        QByteArray expected = kWindowsFile;
        expected.replace("nhl96path = C:\\Games\\NHL96  \r\n", "nhl96path=F:\\NHL 96, new\r\n");
        expected.replace("just a line without equals\r\n",
                         "StandardGoalie0=6\r\njust a line without equals\r\n");
        QCOMPARE(readFile(path), expected);
        QCOMPARE(file.readString(u"Puckdex", u"NHL96Path"), QStringLiteral("F:\\NHL 96, new"));
    }

    void writesIntoTheRightPlace_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        addPlacementRows();
        addValueRows();
    }
    void writesIntoTheRightPlace()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const QString path = fileWith(before);
        ProfileFile file(path);
        QVERIFY2(file.writeString(section, key, value), qPrintable(file.errorString()));
        QCOMPARE(readFile(path), after);
        QCOMPARE(file.readString(section, key, QStringLiteral("<default>")), value);
    }

    void valuesRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        for (const QString &value :
             {QString(), QStringLiteral(" lead"), QStringLiteral("trail\t"),
              QStringLiteral("\"q\""), QStringLiteral("'s'"), QStringLiteral("\"\""),
              QStringLiteral("\""), QStringLiteral("\"x'"), QStringLiteral("a=b=c"),
              QStringLiteral("; not a comment"), QStringLiteral("[not a section]"),
              QStringLiteral("C:\\Games\\NHL96\\"), QStringLiteral("Sélanne"),
              QStringLiteral("/home/Овечкин/Игры"), QStringLiteral("Ã©"), QStringLiteral("€ and €"),
              QStringLiteral("日本/ゲーム"), QStringLiteral("Sélanne 😀")}) {
            QTest::newRow(qPrintable(QLatin1Char('<') + value + QLatin1Char('>'))) << value;
        }
    }
    void valuesRoundTrip()
    {
        QFETCH(QString, value);
        ProfileFile file(freshPath());
        QVERIFY2(file.writeString(u"Puckdex", u"Key", value), qPrintable(file.errorString()));
        QCOMPARE(file.readString(u"Puckdex", u"Key", QStringLiteral("<default>")), value);
    }

    void readsIntegers_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("expected");
        constexpr int intMax = std::numeric_limits<int>::max();
        constexpr int intMin = std::numeric_limits<int>::min();
        QTest::newRow("plain") << QByteArray("N=42") << 42;
        QTest::newRow("trailing text") << QByteArray("N=12abc") << 12;
        QTest::newRow("leading blanks") << QByteArray("N=  7") << 7;
        QTest::newRow("negative") << QByteArray("N=-3") << -3;
        QTest::newRow("plus sign") << QByteArray("N=+5") << 5;
        QTest::newRow("leading zeros") << QByteArray("N=007") << 7;
        QTest::newRow("fraction stops") << QByteArray("N=1.5") << 1;
        QTest::newRow("hex is not read") << QByteArray("N=0x10") << 0;
        QTest::newRow("no digits") << QByteArray("N=abc") << 0;
        QTest::newRow("empty") << QByteArray("N=") << 0;
        QTest::newRow("sign alone") << QByteArray("N=-") << 0;
        QTest::newRow("blank after sign") << QByteArray("N=- 3") << 0;
        QTest::newRow("quoted") << QByteArray("N=\" 42\"") << 42;
        QTest::newRow("template star marker") << QByteArray("N=999") << 999;
        QTest::newRow("int max") << QByteArray("N=2147483647") << intMax;
        QTest::newRow("just above int max") << QByteArray("N=2147483648") << intMax;
        QTest::newRow("int min") << QByteArray("N=-2147483648") << intMin;
        QTest::newRow("just below int min") << QByteArray("N=-2147483649") << intMin;
        QTest::newRow("huge") << QByteArray("N=" + QByteArray(400, '9')) << intMax;
        QTest::newRow("huge negative") << QByteArray("N=-" + QByteArray(400, '9')) << intMin;
        QTest::newRow("missing key") << QByteArray("M=5") << -77;
        QTest::newRow("commented key") << QByteArray(";N=5") << -77;
    }
    void readsIntegers()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, expected);
        const ProfileFile file(fileWith("[Puckdex]\r\n" + line + "\r\n"));
        QCOMPARE(file.readInt(u"Puckdex", u"N", -77), expected);
    }

    void missingFileReadsDefaultsAndFirstWriteCreatesIt()
    {
        const QString path = m_dir.filePath(QStringLiteral("new/deeper/PUCKDEX.INI"));
        ProfileFile file(path);
        QCOMPARE(file.readString(u"Puckdex", u"NHL96Path"), QString());
        QCOMPARE(file.readString(u"Puckdex", u"NHL96Path", QStringLiteral("x")),
                 QStringLiteral("x"));
        QCOMPARE(file.readInt(u"Puckdex", u"StandardForward2", 160), 160);
        QVERIFY(!QFile::exists(path)); // reading never creates the file

        QVERIFY2(file.writeString(u"Puckdex", u"NHL96Path", QStringLiteral("C:\\NHL96")),
                 qPrintable(file.errorString()));
        QCOMPARE(readFile(path), QByteArray("[Puckdex]\r\nNHL96Path=C:\\NHL96\r\n"));
    }

    void unreadableFileReadsAsEmpty()
    {
        // A folder in the file's place cannot be read as a file.
        const QString path = m_dir.filePath(QStringLiteral("folder-in-the-way"));
        QVERIFY(QDir().mkpath(path));
        const ProfileFile file(path);
        QCOMPARE(file.readString(u"Puckdex", u"NHL96Path", QStringLiteral("d")),
                 QStringLiteral("d"));
        QCOMPARE(file.readInt(u"Puckdex", u"N", 3), 3);
    }

    void everyReadSeesTheDisk()
    {
        const QString path = fileWith("[Puckdex]\r\nN=1\r\n");
        const ProfileFile reader(path);
        ProfileFile writer(path);
        QCOMPARE(reader.readInt(u"Puckdex", u"N", 0), 1);
        QVERIFY(writer.writeString(u"Puckdex", u"N", QStringLiteral("2")));
        QCOMPARE(reader.readInt(u"Puckdex", u"N", 0), 2);
        QVERIFY(writeFile(path, "[Puckdex]\nN=3\n"));
        QCOMPARE(reader.readInt(u"Puckdex", u"N", 0), 3);
    }

    void cutsToTheLegacyLength_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("short") << 10 << 10;
        QTest::newRow("exactly the limit") << 127 << 127;
        QTest::newRow("one over") << 128 << 127;
        QTest::newRow("long") << 300 << 127;
    }
    void cutsToTheLegacyLength()
    {
        QFETCH(int, stored);
        QFETCH(int, expected);
        QByteArray value(stored, 'a');
        value[stored - 1] = 'z';
        const ProfileFile file(fileWith("[Puckdex]\r\nNHL96Path=" + value + "\r\n"));
        const QString read =
            file.readString(u"Puckdex", u"NHL96Path", {}, ProfileFile::LegacyValueLimit);
        QCOMPARE(read, QString::fromLatin1(value.left(expected)));
        // Without a limit nothing is cut; the default is cut like a stored value.
        QCOMPARE(file.readString(u"Puckdex", u"NHL96Path").size(), stored);
        QCOMPARE(file.readString(u"Puckdex", u"Missing", QString(stored, u'd'),
                                 ProfileFile::LegacyValueLimit),
                 QString(expected, u'd'));
    }

    void refusesWhatItCannotStore_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString p = QStringLiteral("Puckdex");
        const QString k = QStringLiteral("NHL96Path");
        QTest::newRow("broken UTF-16") << p << k << (QStringLiteral("a") + QChar(0xD800));
        QTest::newRow("line break in value") << p << k << QStringLiteral("a\r\nB=1");
        QTest::newRow("bare LF in value") << p << k << QStringLiteral("a\nb");
        QTest::newRow("line break in key") << p << QStringLiteral("K\nX") << QStringLiteral("1");
        QTest::newRow("equals in key") << p << QStringLiteral("K=X") << QStringLiteral("1");
        QTest::newRow("comment key") << p << QStringLiteral(";K") << QStringLiteral("1");
        QTest::newRow("bracket in section") << QStringLiteral("P]x") << k << QStringLiteral("1");
        QTest::newRow("empty key") << p << QStringLiteral("  ") << QStringLiteral("1");
        QTest::newRow("empty section") << QString() << k << QStringLiteral("1");
    }
    void refusesWhatItCannotStore()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QString path = fileWith(kWindowsFile);
        ProfileFile file(path);
        QVERIFY(!file.writeString(section, key, value));
        QVERIFY(!file.errorString().isEmpty());
        QCOMPARE(readFile(path), kWindowsFile);
        // A later good write clears the error.
        QVERIFY(file.writeString(u"Puckdex", u"N", QStringLiteral("1")));
        QVERIFY(file.errorString().isEmpty());
    }

    void failedWriteLeavesFilesAlone()
    {
        // The folder cannot be created: its would-be parent is a regular file.
        const QString blocker = fileWith("not a folder");
        ProfileFile underFile(blocker + QStringLiteral("/sub/PUCKDEX.INI"));
        QVERIFY(!underFile.writeString(u"Puckdex", u"N", QStringLiteral("1")));
        QVERIFY(!underFile.errorString().isEmpty());
        QCOMPARE(readFile(blocker), QByteArray("not a folder"));

        // The path names a folder.
        const QString folder = m_dir.filePath(QStringLiteral("is-a-folder"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeFile(folder + QStringLiteral("/inside.txt"), "kept"));
        ProfileFile onFolder(folder);
        QVERIFY(!onFolder.writeString(u"Puckdex", u"N", QStringLiteral("1")));
        QVERIFY(!onFolder.errorString().isEmpty());
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(readFile(folder + QStringLiteral("/inside.txt")), QByteArray("kept"));
    }

    void failedWriteInReadOnlyFolderKeepsOldFile()
    {
        const QString path = fileWith(kWindowsFile);
        const QString folder = QFileInfo(path).absolutePath();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        QFile probe(folder + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            QSKIP("folder permissions are not enforced here (running as root, or on Windows, "
                  "where a folder has no read-only mark)");
        }
        ProfileFile file(path);
        QVERIFY(!file.writeString(u"Puckdex", u"NHL96Path", QStringLiteral("X")));
        QVERIFY(!file.errorString().isEmpty());
        QCOMPARE(readFile(path), kWindowsFile);
    }

    void settingsPathHonoursEnvironment()
    {
        const EnvGuard guard("PUCKDEX_INI");
        const QString chosen = m_dir.filePath(QStringLiteral("chosen/MY.INI"));
        qputenv("PUCKDEX_INI", QFile::encodeName(chosen));
        QCOMPARE(settingsFilePath(), chosen);

        const QString appName = QCoreApplication::applicationName();
        const auto restoreName =
            qScopeGuard([&] { QCoreApplication::setApplicationName(appName); });
        QCoreApplication::setApplicationName(QStringLiteral("Puckdex"));
        const QString standard =
            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
            QStringLiteral("/PUCKDEX.INI");
        QVERIFY(standard.contains(QStringLiteral("Puckdex")));

        qputenv("PUCKDEX_INI", QByteArray());
        QCOMPARE(settingsFilePath(), standard);
        qunsetenv("PUCKDEX_INI");
        QCOMPARE(settingsFilePath(), standard);
    }
};

QTEST_GUILESS_MAIN(TstProfileFile)
#include "tst_profilefile.moc"
