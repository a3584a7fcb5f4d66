// Names folded for a search, and the players whose names hold a text.

#include "player/namesearch.h"
#include "sampleroster.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Puckdex;

class TstNameSearch : public QObject
{
    Q_OBJECT

private slots:
    void folding_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folded");
        QTest::newRow("accents") << "Öberg" << "oberg";
        QTest::newRow("acute and grave") << "Hélène Lefèvre" << "helenelefevre";
        QTest::newRow("hyphen and blank alike") << "Jean-Luc" << "jeanluc";
        QTest::newRow("blank") << "jean luc" << "jeanluc";
        QTest::newRow("apostrophe") << "O'Neil" << "oneil";
        QTest::newRow("sharp s") << "Weiß" << "weiss";
        QTest::newRow("o with a stroke") << "Ørningley" << "orningley";
        QTest::newRow("l with a stroke") << "Łukasz" << "lukasz";
        QTest::newRow("caron") << "Šteraquist" << "steraquist";
        QTest::newRow("ligature") << "Æsir" << "aesir";
        QTest::newRow("nothing") << " - " << "";
    }
    void folding()
    {
        QFETCH(QString, name);
        QFETCH(QString, folded);
        QCOMPARE(foldedName(name), folded);
    }

    // Part of a first or last name, or of both; free agents and a text that
    // folds to nothing find no one.
    void findingPlayers()
    {
        QTemporaryDir dir;
        QVERIFY(Sample::writeBaseRosters(dir.path()).ok());
        const Sample::RosterImage roster = Sample::buildRoster();
        const QString keyFile = dir.filePath(QStringLiteral("key.db"));
        const int teams = int(roster.teams.size());
        const Sample::SamplePlayer *accented = nullptr;
        for (const Sample::SamplePlayer &p : roster.players) {
            if (p.record.teamNumber() < teams && foldedName(p.lastName) != p.lastName.toLower()) {
                accented = &p;
                break;
            }
        }
        QVERIFY(accented);
        const QString typed = foldedName(accented->lastName).toUpper();
        const QList<NameMatch> found = *findPlayers(keyFile, teams, typed);
        QVERIFY(std::any_of(found.cbegin(), found.cend(), [&](const NameMatch &m) {
            return m.offset == accented->keyOffset && m.team == accented->record.teamNumber();
        }));
        for (const NameMatch &m : found)
            QVERIFY(foldedName(QString(m.firstName + m.lastName)).contains(foldedName(typed)));
        const QString both = accented->firstName.right(2) + QLatin1Char(' ') +
                             accented->lastName.left(3);
        QVERIFY(!findPlayers(keyFile, teams, both)->isEmpty());
        QVERIFY(findPlayers(keyFile, teams, u"-")->isEmpty());
        QVERIFY(findPlayers(keyFile, 0, typed)->isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstNameSearch)
#include "tst_namesearch.moc"
