// The roster table's model: the cells it shows, each entry through the
// editor's rules, a pasted block, and rows written and taken back.

#include "bytecompare.h"
#include "players.h"
#include "sampleroster.h"
#include "table/cellblock.h"
#include "table/rostertable.h"
#include "testfiles.h"

#include "files/fileset.h"
#include "files/gamefiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Puckdex;

class TstRosterTable : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FileSet m_files;
    RosterTable m_table;
    QList<PlayerEntry> m_team;

    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QByteArray bytes(const char *name) const { return readFile(path(name)); }

    // The row of the first skater or goalie of the team shown.
    int rowOf(bool goalie, int skip = 0) const
    {
        return m_table.rowOf(firstOf(m_team, goalie, skip)->offset);
    }
    QString cell(int row, int column) const { return m_table.index(row, column).data().toString(); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(Sample::writeBaseRosters(m_dir.path()).ok());
        m_files = *findFileSet(m_dir.path());
        QVERIFY(m_table.load(m_files, 0).ok());
        m_team = *GameFiles::scanPlayers(m_files.keyFile, 0);
    }

    // A row a player of the team; the other kind's ratings blank and not
    // editable; the team by its abbreviation; captions and help from the
    // editor's labels and rules.
    void cellsShown()
    {
        QCOMPARE(m_table.rowCount(), m_team.size());
        QCOMPARE(m_table.columnCount(), RosterTable::FirstRating + 19);
        const int skater = rowOf(false);
        const int goalie = rowOf(true);
        const PlayerRecord first = firstOf(m_team, false)->record;
        QCOMPARE(cell(skater, RosterTable::LastName), first.lastName());
        QCOMPARE(cell(skater, RosterTable::Team),
                 (*GameFiles::listTeams(m_files.teamFile))[0].abbrev().trimmed());
        const auto header = [&](int column, int role) {
            return m_table.headerData(column, Qt::Horizontal, role).toString();
        };
        QCOMPARE(header(RosterTable::LastName, Qt::DisplayRole), QStringLiteral("Last Name"));
        QCOMPARE(header(RosterTable::FirstRating, Qt::DisplayRole), QStringLiteral("Speed"));
        QCOMPARE(header(RosterTable::FirstRating, Qt::ToolTipRole),
                 QStringLiteral("Skaters: Must be between 40 and 100 and a multiple of 4\n"
                                "Goalies: Must be between 25 and 100 and a multiple of 5"));
        int skaterOnly = 0;
        int goalieOnly = 0;
        for (int c = RosterTable::FirstRating; c < m_table.columnCount(); ++c) {
            const bool skaterCell = m_table.flags(m_table.index(skater, c)) & Qt::ItemIsEditable;
            const bool goalieCell = m_table.flags(m_table.index(goalie, c)) & Qt::ItemIsEditable;
            QCOMPARE(cell(skater, c).isEmpty(), !skaterCell);
            QCOMPARE(cell(goalie, c).isEmpty(), !goalieCell);
            skaterOnly += skaterCell && !goalieCell;
            goalieOnly += goalieCell && !skaterCell;
        }
        QCOMPARE(skaterOnly, 10);
        QCOMPARE(goalieOnly, 5);
        QVERIFY(!(m_table.flags(m_table.index(skater, RosterTable::Team)) & Qt::ItemIsEditable));
        // Numbers sort by value, an empty cell below them all.
        QCOMPARE(m_table.index(goalie, RosterTable::FirstRating + 4)
                     .data(RosterTable::SortRole)
                     .toDouble(),
                 -1.0);
    }

    // Each entry through the editor's rules: numbers moved onto the limits
    // and grid and said, names stored as the editor stores them, refusals
    // said with the cell left as it was.
    void entries_data()
    {
        QTest::addColumn<bool>("goalie");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown"); // empty: as before
        QTest::addColumn<QString>("said");  // a part of the message
        using E = RosterTable::Entry;
        const int speed = RosterTable::FirstRating;
        QTest::newRow("speed off the grid") << false << speed << "93" << int(E::Adjusted) << "92"
                                            << "Speed: 93 became 92 (Attribute must be a multiple of 4).";
        QTest::newRow("speed above the top") << false << speed << "200" << int(E::Adjusted)
                                             << "100" << "may not be greater than 100";
        QTest::newRow("goalie speed") << true << speed << "93" << int(E::Adjusted) << "95"
                                      << "multiple of 5";
        QTest::newRow("speed on the grid") << false << speed << " 64 " << int(E::Changed) << "64"
                                           << "";
        // Text is no number: refused, never read as 0 and moved onto a limit.
        QTest::newRow("a cell range as height")
            << false << int(RosterTable::HeightInches) << "D2:F2" << int(E::Refused) << ""
            << "\"D2:F2\" is not a number.";
        QTest::newRow("a name as speed") << false << speed << "Moose, Karl" << int(E::Refused)
                                         << "" << "\"Moose, Karl\" is not a number.";
        QTest::newRow("an exponent") << false << speed << "6E1" << int(E::Refused) << ""
                                     << "not a number";
        QTest::newRow("digits then text") << false << speed << "64abc" << int(E::Refused) << ""
                                          << "not a number";
        QTest::newRow("nothing") << false << speed << " " << int(E::Refused) << ""
                                 << "A number is needed here.";
        QTest::newRow("a decimal comma") << false << speed << "64,0" << int(E::Changed) << "64"
                                         << "";
        QTest::newRow("a fraction on the grid") << false << int(RosterTable::Weight) << "200.4"
                                                << int(E::Adjusted) << "200" << "200.4 became 200";
        QTest::newRow("a jersey as text") << false << int(RosterTable::Jersey) << "7 7"
                                          << int(E::Refused) << "" << "not a whole number";
        QTest::newRow("weight") << false << int(RosterTable::Weight) << "300" << int(E::Adjusted)
                                << "254" << "Weight: 300 became 254";
        QTest::newRow("first name") << false << int(RosterTable::FirstName) << "jEAN"
                                    << int(E::Changed) << "Jean" << "";
        QTest::newRow("a name too long") << false << int(RosterTable::LastName)
                                         << "Abcdefghijklmnopqrstuvwxyz" << int(E::Refused) << ""
                                         << "characters";
        QTest::newRow("position") << false << int(RosterTable::Position) << "c" << int(E::Changed)
                                  << "C" << "";
        QTest::newRow("skater to goal") << false << int(RosterTable::Position) << "G"
                                        << int(E::Refused) << "" << "cannot play goal";
        QTest::newRow("no jersey") << false << int(RosterTable::Jersey) << "1a"
                                   << int(E::Refused) << "" << "not a whole number from 0 to 99";
        QTest::newRow("rookie") << false << int(RosterTable::Rookie) << "y" << int(E::Changed)
                                << "Y" << "";
        QTest::newRow("no rookie flag") << false << int(RosterTable::Rookie) << "maybe"
                                        << int(E::Refused) << "" << "Rookie is Y or N";
        QTest::newRow("hand") << false << int(RosterTable::Hand) << "l" << int(E::Changed) << "L"
                              << "";
        QTest::newRow("hand as it is") << false << int(RosterTable::Hand) << "r"
                                       << int(E::Unchanged) << "R" << "";
        QTest::newRow("a goalie's rating") << false << int(RosterTable::FirstRating + 14) << "50"
                                           << int(E::NotEditable) << "" << "a skater";
        QTest::newRow("team") << false << int(RosterTable::Team) << "3" << int(E::NotEditable)
                              << "" << "team is not changed";
    }
    void entries()
    {
        QFETCH(bool, goalie);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(int, kind);
        QFETCH(QString, shown);
        QFETCH(QString, said);
        const int row = rowOf(goalie);
        const QString before = cell(row, column);
        const RosterTable::Entry entry = m_table.enter(m_table.index(row, column), typed);
        QCOMPARE(int(entry.kind), kind);
        QCOMPARE(cell(row, column), shown.isEmpty() ? before : shown);
        QVERIFY2(entry.message.contains(said), qPrintable(entry.message));
        QCOMPARE(entry.message.isEmpty(), said.isEmpty());
        QCOMPARE(m_table.isRowChanged(row), cell(row, column) != before);
    }

    // A teammate's number is refused with his name; once a row takes a
    // number, the team's other rows cannot take it too before it is written.
    void aWornNumberIsRefused()
    {
        const int first = rowOf(false);
        const int second = rowOf(false, 1);
        const QString worn = cell(second, RosterTable::Jersey);
        RosterTable::Entry entry = m_table.enter(m_table.index(first, RosterTable::Jersey), worn);
        QCOMPARE(int(entry.kind), int(RosterTable::Entry::Refused));
        QCOMPARE(entry.message, QStringLiteral("Number %1 is worn by %2 %3.")
                                    .arg(worn, cell(second, RosterTable::FirstName),
                                         cell(second, RosterTable::LastName)));
        int free = 0;
        while (m_table.rowCount() && [&] {
            for (int r = 0; r < m_table.rowCount(); ++r)
                if (cell(r, RosterTable::Jersey) == QString::number(free))
                    return true;
            return false;
        }())
            ++free;
        entry = m_table.enter(m_table.index(first, RosterTable::Jersey), QString::number(free));
        QCOMPARE(int(entry.kind), int(RosterTable::Entry::Changed));
        entry = m_table.enter(m_table.index(second, RosterTable::Jersey), QString::number(free));
        QCOMPARE(int(entry.kind), int(RosterTable::Entry::Refused));
        // Set back, the number is free again.
        QVERIFY(m_table.revertRow(first));
        entry = m_table.enter(m_table.index(second, RosterTable::Jersey), QString::number(free));
        QCOMPARE(int(entry.kind), int(RosterTable::Entry::Changed));

        // A teammate renamed and written is named as he is now.
        QVERIFY(m_table.revertRow(second));
        PlayerWrites writes(m_dir.filePath(QStringLiteral("journal")), m_files);
        m_table.enter(m_table.index(second, RosterTable::LastName), u"Renamed");
        QVERIFY(m_table.saveRow(second, writes).value());
        entry = m_table.enter(m_table.index(first, RosterTable::Jersey), worn);
        QVERIFY2(entry.message.endsWith(QStringLiteral(" Renamed.")), qPrintable(entry.message));
    }

    // A block as a spreadsheet copies it: CRLF or LF lines, cells in quotes
    // (inner quotes doubled) taken out of them, a cell that only begins
    // with a quote read as it stands.
    void blocksFromASpreadsheet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QStringList>>("block");
        using B = QList<QStringList>;
        QTest::newRow("quoted tab, last cell empty")
            << "64\t\"a\tb\"\t\r\n\"say \"\"hi\"\"\"\t2\t3\r\n"
            << B{{"64", "a\tb", ""}, {"say \"hi\"", "2", "3"}};
        QTest::newRow("a quoted line break") << "\"a\nb\"\tc\n" << B{{"a\nb", "c"}};
        QTest::newRow("an opening quote never closed")
            << "\"Moose, Karl\tBerg, Lars\n" << B{{"\"Moose, Karl", "Berg, Lars"}};
        QTest::newRow("text after the closing quote")
            << "\"Moose\" Karl\tBerg\n" << B{{"\"Moose\" Karl", "Berg"}};
        QTest::newRow("a quote inside a cell") << "O\"Neil\t7" << B{{"O\"Neil", "7"}};
        QTest::newRow("an unclosed quote before a line break")
            << "\"a\nb\tc\n" << B{{"\"a"}, {"b", "c"}};
        QTest::newRow("a lone quote") << "\"" << B{{"\""}};
        QTest::newRow("an empty quoted cell") << "\"\"\tx\n" << B{{"", "x"}};
        QTest::newRow("a trailing tab, no line end") << "1\t" << B{{"1", ""}};
        QTest::newRow("LF lines, no last line end") << "1\t2\n3\t4" << B{{"1", "2"}, {"3", "4"}};
        QTest::newRow("an empty line") << "1\n\n2\n" << B{{"1"}, {""}, {"2"}};
    }
    void blocksFromASpreadsheet()
    {
        QFETCH(QString, text);
        QFETCH(QList<QStringList>, block);
        QCOMPARE(CellBlock::parse(text), block);
    }

    // What copy makes comes back whole, the way a spreadsheet would take
    // it: a cell holding a quote, a tab or a line break in quotes.
    void blocksCopiedComeBackWhole()
    {
        const QList<QStringList> block = {{"\"Moose, Karl", "Berg, Lars"},
                                          {"\"Moose\"", "a\tb"},
                                          {"two\r\nlines", ""},
                                          {"O'Neil", "plain"}};
        const QString text = CellBlock::text(block);
        QCOMPARE(text, QStringLiteral("\"\"\"Moose, Karl\"\tBerg, Lars\n"
                                      "\"\"\"Moose\"\"\"\t\"a\tb\"\n"
                                      "\"two\r\nlines\"\t\n"
                                      "O'Neil\tplain\n"));
        QCOMPARE(CellBlock::parse(text), block);
    }

    // A 3 x 4 block pasted over three skaters' speed to offensive
    // awareness and one column past: each cell through the rules, counted.
    void aPastedBlock()
    {
        QList<QList<QModelIndex>> cells;
        QList<int> rows;
        for (int skip = 0; skip < 3; ++skip) {
            rows.append(rowOf(false, skip));
            QList<QModelIndex> line;
            for (int c = 0; c < 4; ++c)
                line.append(m_table.index(rows.last(), RosterTable::FirstRating + c));
            cells.append(line);
        }
        const QList<QStringList> block = {{"64", "93", "60", "60"},
                                          {"64", "64", "64", "64"},
                                          {"100", "40", "44", "48", "52"}};
        for (const int row : rows)
            QVERIFY(m_table.enter(m_table.index(row, RosterTable::FirstRating), u"44").kind !=
                    RosterTable::Entry::Refused);
        const RosterTable::Paste done = m_table.paste(cells, block);
        QCOMPARE(done.adjusted, 1);
        QCOMPARE(done.skipped, 1);
        QCOMPARE(done.refused, 0);
        QCOMPARE(done.changedRows, rows);
        QCOMPARE(cell(rows[0], RosterTable::FirstRating + 1), QStringLiteral("92"));
        QVERIFY2(done.summary().contains(QStringLiteral("1 of them moved onto the game's limits")),
                 qPrintable(done.summary()));
    }

    // Two names pasted onto Speed and Agility, beside a number onto
    // Checking: the names are refused by player and column and leave the
    // cells as they were; the number goes in, and only its row is to write.
    void textPastedOntoNumbers()
    {
        const int row = rowOf(false);
        const int other = rowOf(false, 1);
        const QString speed = cell(row, RosterTable::FirstRating);
        const QString agility = cell(other, RosterTable::FirstRating + 1);
        const RosterTable::Paste done = m_table.paste(
            {{m_table.index(row, RosterTable::FirstRating),
              m_table.index(row, RosterTable::FirstRating + 1)},
             {m_table.index(other, RosterTable::FirstRating),
              m_table.index(other, RosterTable::FirstRating + 1)}},
            {{"Moose, Karl", "64"}, {"100", "Berg, Lars"}});
        QCOMPARE(done.refused, 2);
        QCOMPARE(done.changed, 2);
        QCOMPARE(done.adjusted, 0);
        QCOMPARE(cell(row, RosterTable::FirstRating), speed);
        QCOMPARE(cell(other, RosterTable::FirstRating + 1), agility);
        const QString caption = m_table.headerData(RosterTable::FirstRating + 1, Qt::Horizontal)
                                    .toString();
        QCOMPARE(done.refusals,
                 (QStringList{m_table.nameAt(row) + ", Speed: \"Moose, Karl\" is not a number.",
                              m_table.nameAt(other) + ", " + caption +
                                  ": \"Berg, Lars\" is not a number."}));
        QVERIFY2(done.summary().startsWith(QStringLiteral("Pasted: 2 values changed, 2 refused")),
                 qPrintable(done.summary()));
    }

    // A row written changes that player's records and nothing else; a paste
    // is one write, and taking it back restores the three files byte for
    // byte.
    void rowsWrittenAndTakenBack()
    {
        const QByteArray team = bytes("teams.db");
        const QByteArray key = bytes("key.db");
        const QByteArray att = bytes("att.db");
        PlayerWrites writes(m_dir.filePath(QStringLiteral("journal")), m_files);

        const int row = rowOf(false);
        const PlayerEntry player = *firstOf(m_team, false);
        QVERIFY(!m_table.saveRow(row, writes));
        QCOMPARE(m_table.enter(m_table.index(row, RosterTable::FirstRating), u"100").kind,
                 RosterTable::Entry::Changed);
        const auto saved = m_table.saveRow(row, writes);
        QVERIFY(saved && *saved);
        QVERIFY(!m_table.isRowChanged(row));
        QCOMPARE(bytes("key.db"), key);
        QByteArray expectedAtt = att;
        const qint64 at = player.record.attribOffset();
        QByteArray changed = bytes("att.db");
        expectedAtt.replace(at, SkaterAttribRecord::Size, changed.mid(at, SkaterAttribRecord::Size));
        COMPARE_BYTES(changed, expectedAtt);
        QVERIFY(changed != att);

        const QByteArray keyBeforePaste = bytes("key.db");
        const QByteArray attBeforePaste = bytes("att.db");
        QList<int> rows = {rowOf(false, 1), rowOf(true)};
        for (const int r : rows)
            QVERIFY(m_table.enter(m_table.index(r, RosterTable::FirstName), u"Pasted").kind ==
                    RosterTable::Entry::Changed);
        const auto pasted = m_table.saveRows(rows, writes, QStringLiteral("paste into the table"));
        QVERIFY(pasted && *pasted);
        QCOMPARE((*pasted)->entry.players.size(), 2);
        QCOMPARE(cell(rows[1], RosterTable::FirstName), QStringLiteral("Pasted"));
        QVERIFY(bytes("key.db") != keyBeforePaste);

        const auto undone = writes.undoLastSave();
        QVERIFY(undone && *undone);
        QList<qint64> offsets;
        for (const PlayerChange &change : (*undone)->entry.players)
            offsets.append(change.offset);
        m_table.reload(offsets);
        COMPARE_BYTES(bytes("key.db"), keyBeforePaste);
        COMPARE_BYTES(bytes("att.db"), attBeforePaste);
        COMPARE_BYTES(bytes("teams.db"), team);
        QCOMPARE(cell(rows[1], RosterTable::FirstName), firstOf(m_team, true)->record.firstName());
    }

    // A player whose attribute record lies past the end of a file cut short
    // is shown from his key record and cannot be changed.
    void aPlayerWhoseRatingsCannotBeRead()
    {
        const PlayerEntry last = m_team.last();
        QVERIFY(writeFile(path("att.db"), bytes("att.db").left(last.record.attribOffset() + 3)));
        QVERIFY(m_table.load(m_files, 0).ok());
        const int row = m_table.rowOf(last.offset);
        QCOMPARE(cell(row, RosterTable::LastName), last.record.lastName());
        QCOMPARE(cell(row, RosterTable::FirstRating), QString());
        QVERIFY(!(m_table.flags(m_table.index(row, RosterTable::FirstName)) & Qt::ItemIsEditable));
        const RosterTable::Entry entry = m_table.enter(m_table.index(row, RosterTable::FirstName), u"X");
        QCOMPARE(int(entry.kind), int(RosterTable::Entry::NotEditable));
        QVERIFY2(entry.message.contains(QStringLiteral("cannot be read")), qPrintable(entry.message));
    }

    // A row whose player another program wrote since the row was read is
    // not written over: the row shows him as the files hold him, with its
    // own entries where the other left the value alone, and the next write
    // saves them beside the other's change. A paste over him likewise.
    void aRowAnotherProgramWroteIsNotWrittenOver_data()
    {
        QTest::addColumn<bool>("paste");
        QTest::newRow("a row left") << false;
        QTest::newRow("a paste") << true;
    }
    void aRowAnotherProgramWroteIsNotWrittenOver()
    {
        QFETCH(bool, paste);
        PlayerWrites writes(m_dir.filePath(QStringLiteral("journal")), m_files);
        const int row = rowOf(false);
        const int other = rowOf(false, 1);
        const PlayerEntry player = *firstOf(m_team, false);
        QCOMPARE(m_table.enter(m_table.index(row, RosterTable::FirstRating + 1), u"100").kind,
                 RosterTable::Entry::Changed);
        QCOMPARE(m_table.enter(m_table.index(other, RosterTable::FirstName), u"Pasted").kind,
                 RosterTable::Entry::Changed);
        // Another program sets his speed to 100 (stored as 48 in the record).
        QByteArray att = bytes("att.db");
        const qint64 speedByte = player.record.attribOffset() + 1;
        att[speedByte] = char(att.at(speedByte) == 12 ? 11 : 12);
        QVERIFY(writeFile(path("att.db"), att));
        const QString speed = cell(row, RosterTable::FirstRating);
        const QByteArray key = bytes("key.db");

        const auto failed = paste ? m_table.saveRows({row, other}, writes, "paste into the table")
                                         .value()
                                         .error()
                                   : m_table.saveRow(row, writes).value().error();
        QCOMPARE(failed.changedPlayers, QList<qint64>{player.offset});
        QVERIFY2(failed.onDisk.contains(QLatin1String("Another program changed"))
                     && failed.onDisk.contains(QLatin1String("(Speed)"))
                     && failed.onDisk.contains(QLatin1String("Your changes to Agility are kept")),
                 qPrintable(failed.onDisk));
        COMPARE_BYTES(bytes("att.db"), att);
        COMPARE_BYTES(bytes("key.db"), key);
        QVERIFY(cell(row, RosterTable::FirstRating) != speed);
        QCOMPARE(cell(row, RosterTable::FirstRating + 1), QStringLiteral("100"));
        QVERIFY(m_table.isRowChanged(row));

        QVERIFY(m_table.saveRow(row, writes).value().ok());
        const QByteArray saved = bytes("att.db");
        QCOMPARE(saved.at(speedByte), att.at(speedByte));
        QVERIFY(saved.at(speedByte + 1) != att.at(speedByte + 1));
    }

    // Every team's players at once, the free agents left out.
    void theWholeLeague()
    {
        QVERIFY(m_table.load(m_files, std::nullopt).ok());
        const QList<TeamRecord> teams = *GameFiles::listTeams(m_files.teamFile);
        int players = 0;
        const QList<PlayerEntry> all = *GameFiles::scanAllPlayers(m_files.keyFile);
        for (const PlayerEntry &p : all)
            players += p.record.teamNumber() < teams.size();
        QCOMPARE(m_table.rowCount(), players);
    }
};

QTEST_GUILESS_MAIN(TstRosterTable)
#include "tst_rostertable.moc"
