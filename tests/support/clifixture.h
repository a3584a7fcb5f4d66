#pragma once

#include "cli.h"
#include "files/codepage.h"
#include "sampleroster.h"
#include "testfiles.h"

#include <QDir>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <functional>

// What the suites of puckdex-cli's commands share: running a command as a
// function of the cli library, the sample roster's export computed straight
// from its bytes, its players picked by kind, spreadsheets made of that
// export, and the fixture of a fresh roster copy.

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

inline Outcome cli(const QStringList &arguments)
{
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    outcome.status = Puckdex::Cli::run(arguments, out, err);
    out.flush();
    err.flush();
    return outcome;
}

inline const Puckdex::Sample::RosterImage &sample()
{
    static const Puckdex::Sample::RosterImage image = Puckdex::Sample::buildRoster();
    return image;
}

inline const QString kHeader = QStringLiteral(
    "team,city,offset,first_name,last_name,jersey,position,height_ft,height_in,weight,rookie,"
    "hand,speed,agility,off_awareness,def_awareness,stick_handling,aggressiveness,"
    "shoot_pass_bias,endurance,shot_power,checking,passing,accuracy,face_offs,fighting,"
    "stick_left,stick_right,glove_left,glove_right,puck_control");

// Where each rating lives in the attribute records and how its byte shows:
// written out here from the record layouts, apart from the program's tables.
struct RatingByte
{
    const char *column;
    int byte;
    char scale; // g goalie, s skater, b bias, f fighting
};
inline const RatingByte kSkaterBytes[] = {
    {"speed", 1, 's'},
    {"agility", 2, 's'},
    {"off_awareness", 10, 's'},
    {"def_awareness", 11, 's'},
    {"stick_handling", 6, 's'},
    {"aggressiveness", 12, 's'},
    {"shoot_pass_bias", 14, 'b'},
    {"endurance", 13, 's'},
    {"shot_power", 4, 's'},
    {"checking", 5, 's'},
    {"passing", 9, 's'},
    {"accuracy", 7, 's'},
    {"face_offs", 19, 's'},
    {"fighting", 20, 'f'},
};
inline const RatingByte kGoalieBytes[] = {
    {"speed", 6, 'g'},          {"agility", 7, 'g'},     {"off_awareness", 10, 'g'},
    {"def_awareness", 11, 'g'}, {"stick_left", 3, 'g'},  {"stick_right", 4, 'g'},
    {"glove_left", 2, 'g'},     {"glove_right", 1, 'g'}, {"puck_control", 16, 'g'},
};

inline int shownValue(char scale, int x)
{
    switch (scale) {
    case 'g':
        return 5 * x + 25;
    case 's':
        return 4 * x + 40;
    case 'b':
        return int(std::floor(x * 6.6666 + 0.1));
    default:
        if (x == 7)
            return 0;
        return int(std::floor((x < 7 ? x : x - 7) * 16.6666 + 0.01));
    }
}

inline quint8 keyByte(const Puckdex::Sample::SamplePlayer &player, int index)
{
    return player.record.byte(index);
}

inline qint32 attribOffsetOf(const Puckdex::Sample::SamplePlayer &player)
{
    return qFromLittleEndian<qint32>(player.record.bytes().data() + 36);
}

inline bool isGoalie(const Puckdex::Sample::SamplePlayer &player)
{
    return keyByte(player, 2) == 'G';
}

// The players of the sample that belong to a team, in key-file order.
inline QList<Puckdex::Sample::SamplePlayer> teamPlayers(const Puckdex::Sample::RosterImage &image)
{
    QList<Puckdex::Sample::SamplePlayer> players;
    for (const Puckdex::Sample::SamplePlayer &player : image.players) {
        if (keyByte(player, 0) < image.teams.size())
            players.append(player);
    }
    return players;
}

// One player's export row computed straight from the roster's bytes.
inline QMap<QString, QString> expectedRow(const Puckdex::Sample::RosterImage &image,
                                          const Puckdex::Sample::SamplePlayer &player)
{
    QMap<QString, QString> row;
    const int team = keyByte(player, 0);
    row["team"] = QString::number(team);
    row["city"] = image.teams[team].city();
    row["offset"] = QString::number(player.keyOffset);
    row["first_name"] = player.firstName;
    row["last_name"] = player.lastName;
    row["jersey"] = QString::number(keyByte(player, 1));
    row["position"] = QChar(keyByte(player, 2));
    row["height_ft"] = QString::number(keyByte(player, 56) / 12);
    row["height_in"] = QString::number(keyByte(player, 56) % 12);
    row["weight"] = QString::number(keyByte(player, 57));
    row["rookie"] = keyByte(player, 58) == 'Y' ? "Y" : "N";
    const qint32 at = attribOffsetOf(player);
    const auto att = [&](int index) { return quint8(image.attFile.at(at + index)); };
    row["hand"] = att(0) == 0 ? "L" : "R";
    if (isGoalie(player)) {
        for (const RatingByte &r : kGoalieBytes)
            row[QLatin1String(r.column)] = QString::number(shownValue(r.scale, att(r.byte)));
    } else {
        for (const RatingByte &r : kSkaterBytes)
            row[QLatin1String(r.column)] = QString::number(shownValue(r.scale, att(r.byte)));
    }
    return row;
}

// The sample's texts hold no comma or quote, so a line splits at commas.
inline QList<QStringList> csvLines(const QString &text)
{
    QList<QStringList> lines;
    for (const QString &line : text.split("\r\n", Qt::SkipEmptyParts))
        lines.append(line.split(','));
    return lines;
}

inline QString csvText(const QList<QStringList> &lines)
{
    QString text;
    for (const QStringList &line : lines)
        text += line.join(',') + "\r\n";
    return text;
}

// Picks a sample team player: the first in key-file order that suits.
inline const Puckdex::Sample::SamplePlayer &
firstPlayer(const std::function<bool(const Puckdex::Sample::SamplePlayer &)> &suits)
{
    static const QList<Puckdex::Sample::SamplePlayer> players = teamPlayers(sample());
    for (const Puckdex::Sample::SamplePlayer &player : players) {
        if (suits(player))
            return player;
    }
    qFatal("no sample player suits");
}

inline const Puckdex::Sample::SamplePlayer &firstSkater()
{
    return firstPlayer([](const Puckdex::Sample::SamplePlayer &p) { return !isGoalie(p); });
}

inline const Puckdex::Sample::SamplePlayer &firstGoalie()
{
    return firstPlayer(isGoalie);
}

inline const Puckdex::Sample::SamplePlayer &teammateOf(const Puckdex::Sample::SamplePlayer &player)
{
    return firstPlayer([&](const Puckdex::Sample::SamplePlayer &p) {
        return keyByte(p, 0) == keyByte(player, 0) && p.keyOffset != player.keyOffset &&
               !isGoalie(p);
    });
}

// A jersey number nobody of the player's team wears.
inline int freeJersey(const Puckdex::Sample::SamplePlayer &player)
{
    QSet<int> worn;
    for (const Puckdex::Sample::SamplePlayer &p : teamPlayers(sample())) {
        if (keyByte(p, 0) == keyByte(player, 0))
            worn.insert(keyByte(p, 1));
    }
    for (int number = 0;; ++number) {
        if (!worn.contains(number))
            return number;
    }
}

inline QString number(qint64 value)
{
    return QString::number(value);
}

// His place among the exported rows, from 0.
inline qsizetype exportIndex(const Puckdex::Sample::SamplePlayer &player)
{
    const QList<Puckdex::Sample::SamplePlayer> players = teamPlayers(sample());
    for (qsizetype i = 0; i < players.size(); ++i) {
        if (players[i].keyOffset == player.keyOffset)
            return i;
    }
    return -1;
}

// The sample's export line by line, computed from its bytes; only the
// players of teams when any are given.
inline QList<QStringList> expectedExport(const QList<int> &teams = {})
{
    const QStringList columns = kHeader.split(',');
    QList<QStringList> lines{columns};
    for (const Puckdex::Sample::SamplePlayer &player : teamPlayers(sample())) {
        if (!teams.isEmpty() && !teams.contains(keyByte(player, 0)))
            continue;
        const QMap<QString, QString> row = expectedRow(sample(), player);
        QStringList cells;
        for (const QString &column : columns)
            cells.append(row.value(column));
        lines.append(cells);
    }
    return lines;
}

// The sample's export as a spreadsheet saves it, the first skater edited.
struct Sheet
{
    QChar separator = ',';
    QString encoding = "utf-8";           // or "utf-8 mark", "windows-1252", "utf-16 mark"
    QMap<QString, QString> header = {};   // a column's words in the sheet's header
    QMap<QString, QString> edits = {};    // the first skater's cells, by column
    int emptyColumns = 0;                 // at the end of every line
    QString strayCell = {};               // in the first skater's last empty column
    QMap<QString, QString> extraRow = {}; // a row after the players with these cells only
    int emptyRows = 0;                    // rows of empty cells at the end
    QList<int> teams = {};                // only their players
};

inline QByteArray sheetBytes(const Sheet &sheet)
{
    QList<QStringList> lines = expectedExport(sheet.teams);
    const QStringList columns = lines.first();
    for (QString &name : lines.first())
        name = sheet.header.value(name, name);
    const auto filled = [&](QStringList &line, const QMap<QString, QString> &cells) {
        for (auto it = cells.cbegin(); it != cells.cend(); ++it)
            line[columns.indexOf(it.key())] = it.value();
    };
    const auto skater = std::find_if(lines.begin(), lines.end(), [](const QStringList &line) {
        return line.at(2) == number(firstSkater().keyOffset);
    });
    if (skater != lines.end())
        filled(*skater, sheet.edits);
    if (!sheet.extraRow.isEmpty())
        filled(lines.emplace_back(columns.size()), sheet.extraRow);
    for (int i = 0; i < sheet.emptyRows; ++i)
        lines.append(QStringList(columns.size()));
    for (QStringList &line : lines)
        line += QStringList(sheet.emptyColumns);
    if (!sheet.strayCell.isEmpty())
        lines[exportIndex(firstSkater()) + 1].last() = sheet.strayCell;
    QString text;
    for (QStringList &line : lines) {
        for (QString &cell : line) {
            if (cell.contains(sheet.separator) || cell.startsWith(' ') || cell.endsWith(' '))
                cell = '"' + cell + '"';
        }
        text += line.join(sheet.separator) + "\r\n";
    }
    if (sheet.encoding == "windows-1252")
        return Puckdex::CodePage::encode(text).value();
    if (sheet.encoding == "utf-16 mark") {
        QByteArray bytes = "\xFF\xFE";
        for (const QChar c : text)
            bytes += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
        return bytes;
    }
    return (sheet.encoding == "utf-8 mark" ? "\xEF\xBB\xBF" : "") + text.toUtf8();
}

// The sample base rosters and saved games in a temporary folder, written
// afresh for each test (freshRosters, from the suite's init), and what the
// tests do with them.
class CliFixture
{
protected:
    QTemporaryDir m_dir;
    QString m_base;
    QString m_saved;

    // A fresh copy of the sample base rosters and saved games for each test.
    void freshRosters()
    {
        m_base = m_dir.filePath("base");
        m_saved = m_dir.filePath("saved");
        QDir(m_base).removeRecursively();
        QDir(m_saved).removeRecursively();
        QVERIFY(Puckdex::Sample::writeBaseRosters(m_base).ok());
        QVERIFY(Puckdex::Sample::writeSavedGames(m_saved).ok());
    }

    QString file(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    QString base(const char *name) const { return QDir(m_base).filePath(QLatin1String(name)); }

    static QMap<QString, QByteArray> gameFiles(const QString &folder)
    {
        QMap<QString, QByteArray> files;
        for (const char *name : {"teams.db", "key.db", "att.db"})
            files.insert(name, readFile(QDir(folder).filePath(name)));
        return files;
    }

    struct Change
    {
        qint64 offset;
        QString column;
        QString value;
    };
    // Imports the changes as a user's CSV would, one row per player.
    Outcome import(const QString &folder, const QList<Change> &changes,
                   const QStringList &extra = {})
    {
        QStringList columns{"offset"};
        QMap<qint64, QMap<QString, QString>> rows;
        for (const Change &c : changes) {
            if (!columns.contains(c.column))
                columns.append(c.column);
            rows[c.offset][c.column] = c.value;
        }
        QList<QStringList> lines{columns};
        for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
            QStringList cells{number(it.key())};
            for (const QString &column : columns.mid(1))
                cells.append(it->value(column));
            lines.append(cells);
        }
        if (!writeFile(file("changes.csv"), csvText(lines).toUtf8()))
            QTest::qFail("changes.csv could not be written", __FILE__, __LINE__);
        return cli(QStringList{"import", folder, file("changes.csv")} + extra);
    }
};
