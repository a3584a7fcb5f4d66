// Rows of a sheet without offsets matched to the roster's players by team,
// names and jersey: folding, namesakes, each way of naming a team, the
// whole league, trades, and the refusals that name the candidates.

#include "namematcher.h"

#include <QTest>

using namespace Puckdex::Cli;

namespace {

const QList<MatchTeam> kTeams = {
    {0, QStringLiteral("PIN"), QStringLiteral("Pinecastle"), QStringLiteral("Highlanders")},
    {1, QStringLiteral("WEX"), QStringLiteral("Wexcombe"), QStringLiteral("Bellringers")},
    {2, QStringLiteral("SKJ"), QStringLiteral("Skjøldvik"), QStringLiteral("Frostbacks")},
};

const QList<MatchPlayer> kPlayers = {
    {0, 100, QStringLiteral("Lars"), QStringLiteral("Öberg"), 15},
    {0, 200, QStringLiteral("Karl"), QStringLiteral("Berg"), 12},
    {0, 300, QStringLiteral("Olle"), QStringLiteral("Berg"), 27},
    {1, 400, QStringLiteral("Jean-luc"), QStringLiteral("Picard"), 7},
    {1, 450, QStringLiteral("Karl"), QStringLiteral("Berg"), 12},
    {2, 500, QStringLiteral("Mats"), QStringLiteral("Sundin"), 13},
};

} // namespace

class TstNameMatcher : public QObject
{
    Q_OBJECT

private slots:
    void rows_data()
    {
        QTest::addColumn<QStringList>("cells"); // team, last, first, name, jersey; "-" for none
        QTest::addColumn<qint64>("offset");     // -1: refused
        QTest::addColumn<QString>("refusal");
        const auto row = [](const char *tag, QStringList cells, qint64 offset,
                            const char *refusal = "") {
            QTest::newRow(tag) << cells << offset << QString::fromUtf8(refusal);
        };
        row("typed without its accent", {"PIN", "oberg", "-", "-", "-"}, 100);
        row("the whole league, one of his name", {"-", "OBERG", "-", "-", "-"}, 100);
        row("team by number", {"0", "Öberg", "-", "-", "-"}, 100);
        row("team by city", {"pinecastle", "Öberg", "-", "-", "-"}, 100);
        row("team by name", {"Highlanders", "Öberg", "-", "-", "-"}, 100);
        row("team by city and name", {"Pinecastle Highlanders", "Öberg", "-", "-", "-"}, 100);
        row("a city with its accent left out", {"Skjoldvik", "Sundin", "-", "-", "-"}, 500);
        row("namesakes", {"PIN", "Berg", "-", "-", "-"}, -1,
            "'Berg' on PIN is Karl Berg (12) or Olle Berg (27); add a first name or a jersey");
        row("namesakes told apart by the first name", {"PIN", "berg", "olle", "-", "-"}, 300);
        row("namesakes told apart by the jersey", {"PIN", "Berg", "-", "-", "12"}, 200);
        row("namesakes on two teams", {"-", "Berg", "Karl", "-", "-"}, -1,
            "'Karl Berg' is Karl Berg (PIN, 12) or Karl Berg (WEX, 12); add a team, a first "
            "name or a jersey");
        row("hyphen and blank alike", {"WEX", "Picard", "jean luc", "-", "-"}, 400);
        row("one name cell, first then last", {"-", "-", "-", "jean luc picard", "-"}, 400);
        row("one name cell, last then first", {"-", "-", "-", "Picard, Jean-Luc", "-"}, 400);
        row("one name cell, a last name alone", {"PIN", "-", "-", "Oberg", "-"}, 100);
        row("traded, with his old team", {"PIN", "Sundin", "-", "-", "-"}, -1,
            "no player 'Sundin' on PIN; Mats Sundin (SKJ, 13) plays elsewhere");
        row("traded, no team given", {"-", "Sundin", "-", "-", "-"}, 500);
        row("no such player", {"-", "Nobody", "-", "-", "-"}, -1, "no player 'Nobody'");
        row("a jersey that is no one's", {"PIN", "Berg", "-", "-", "99"}, -1,
            "no player 'Berg (99)' on PIN");
        row("no such team", {"XYZ", "Öberg", "-", "-", "-"}, -1,
            "team 'XYZ' is none of the roster's teams (\"puckdex-cli teams\" lists them)");
        row("no name", {"PIN", "-", "Lars", "-", "-"}, -1,
            "the row names no player: a last name is needed");
        row("a jersey that is no number", {"PIN", "Berg", "-", "-", "twelve"}, -1,
            "jersey 'twelve' is not a whole number");
    }
    void rows()
    {
        QFETCH(QStringList, cells);
        QFETCH(qint64, offset);
        QFETCH(QString, refusal);
        const auto at = [&](int i) {
            return cells[i] == QLatin1String("-") ? std::nullopt : std::optional<QString>(cells[i]);
        };
        const NameMatcher matcher(kTeams, kPlayers);
        const NameMatcher::Found found = matcher.find({at(0), at(1), at(2), at(3), at(4)});
        QCOMPARE(found.offset.value_or(-1), offset);
        QCOMPARE(found.refusal, refusal);
    }

    void aMatchAsADryRunListsIt()
    {
        const NameMatcher matcher(kTeams, kPlayers);
        QCOMPARE(matcher.describe(100), QStringLiteral("Öberg, Lars (PIN, 15)"));
    }
};

QTEST_GUILESS_MAIN(TstNameMatcher)
#include "tst_namematcher.moc"
