// puckdex-fuzz-corpus DIR: writes the seed inputs of every fuzz target into
// DIR/<target>/seed-*, made from the sample roster so that the fuzzers start
// from files shaped like the game's. Other files in DIR (kept findings) stay.

#include "fuzzinput.h"
#include "inputs.h"

#include "files/codepage.h"
#include "files/fileset.h"
#include "files/gamefiles.h"
#include "sampleroster.h"

#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <limits>

using namespace Puckdex;
using namespace Puckdex::Fuzz;

namespace {

class SeedFolder
{
public:
    SeedFolder(const QString &root, const QString &target) : m_dir(root + u'/' + target)
    {
        QDir().mkpath(m_dir.path());
        for (const QString &old : m_dir.entryList({QStringLiteral("seed-*")}, QDir::Files))
            m_dir.remove(old);
    }
    void add(const QByteArray &input)
    {
        const QString name = QStringLiteral("seed-%1").arg(++m_count, 2, 10, QLatin1Char('0'));
        writeWholeFile(m_dir.filePath(name), input);
    }

private:
    QDir m_dir;
    int m_count = 0;
};

// --- fuzz_gamefiles -------------------------------------------------------------

// A few teams, players and their ratings of a sample roster: small enough
// to mutate quickly, whole enough that offsets and team numbers mean something.
struct SmallRoster
{
    QByteArray teams;
    QByteArray key;
    QByteArray att;
};

// The first players of a roster with their attribute records packed behind
// a short header, their offsets moved to match.
SmallRoster smallRoster(const Sample::RosterImage &roster, int players)
{
    SmallRoster small;
    small.teams = roster.teamFile.left(3 * TeamRecord::Size + 100);
    small.att = roster.attFile.left(Sample::kAttribHeaderSize);
    for (int i = 0; i < players && i < roster.players.size(); ++i) {
        PlayerRecord player = roster.players[i].record;
        const int size = player.isGoalie() ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
        const QByteArray attribs = roster.attFile.mid(player.attribOffset(), size);
        player.setAttribOffset(qint32(small.att.size()));
        small.att += attribs;
        small.key += player.toByteArray();
    }
    return small;
}

InputWriter gameFilesInput(const SmallRoster &files, const QByteArray &index,
                           std::array<quint8, GameFilesInput::ControlSize> control)
{
    InputWriter w;
    for (const quint8 c : control)
        w.byte(c);
    w.chunk16(files.teams).chunk16(files.key).chunk16(files.att).chunk16(index);
    return w;
}

void offset(InputWriter &w, GameFilesInput::OffsetMode mode, quint32 value)
{
    w.byte(mode).u32(value);
}

// A name as fuzz_gamefiles takes it: its length, then its characters as
// UTF-16 or Windows-1252.
void name(InputWriter &w, const QString &text, bool utf16)
{
    w.byte(quint8(text.size()));
    if (utf16)
        w.bytes(QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
    else
        w.bytes(CodePage::encode(text).value_or(QByteArray()));
}

void fields(InputWriter &w, const QString &first, const QString &last, quint8 nameMode = 0)
{
    w.byte(nameMode);
    name(w, first, nameMode & 1);
    name(w, last, nameMode & 2);
    w.byte(0xFF);         // position stays
    w.byte(73).byte(190); // 6 feet 1, 190 pounds
    w.byte('N').byte(17).byte(1);
    for (int i = 0; i < 19; ++i)
        w.byte(quint8(i % 16));
    w.byte(6).byte(0);
}

// Grown into the second region; read and write back players found there.
QByteArray secondRegionSeed(const SmallRoster &a, const QByteArray &index)
{
    using namespace GameFilesInput;
    InputWriter w = gameFilesInput(a, index, {ShapedKey + 6, 20, 5, 7, 0, ReadAll});
    w.byte(ReadPlayer);
    offset(w, RegionTwoSlot, 3);
    w.byte(ReadAttribs).byte(0);
    offset(w, NthAttribOffset, 4);
    w.byte(WriteFields).byte(0);
    offset(w, NthPlayer, 770);
    w.byte(NoFault);
    fields(w, QStringLiteral("Anders"), QStringLiteral("Lindqvist"));
    w.byte(WriteFields).byte(GoalieKind);
    offset(w, NthPlayer, 0);
    w.byte(NoFault);
    fields(w, QStringLiteral("Sixteen Letters!"), QStringLiteral("Seventeen Letters"));
    return w.data();
}

// Writes that fail: read-only files, a device that fails halfway.
QByteArray failingWritesSeed(const SmallRoster &a, const QByteArray &index,
                             const Sample::RosterImage &one)
{
    using namespace GameFilesInput;
    InputWriter w = gameFilesInput(a, index, {ShapedKey + 7, 3, 1, 2, 3, ScanKey});
    w.byte(WritePlayer);
    offset(w, NthPlayer, 2);
    w.byte(HookPartial | (20 << 2)).bytes(one.keyFile.mid(600, 60));
    w.byte(WriteAttribs).byte(0);
    offset(w, NthAttribOffset, 2);
    w.byte(ReadOnlyFile).bytes(one.attFile.mid(8, 21));
    w.byte(WriteFields).byte(0);
    offset(w, NthPlayer, 5);
    w.byte(HookPartial | (9 << 2) | FaultOnAttFile);
    fields(w, QStringLiteral("Jean"), QStringLiteral("B\u00e9liveau"));
    w.byte(WriteFields).byte(0);
    offset(w, NthPlayer, 6);
    w.byte(HookReadOnly);
    fields(w, QStringLiteral("Jean"), QStringLiteral("Ratelle"));
    return w.data();
}

// Offsets beside the records: negative, between the regions, past the end.
QByteArray offsetsBesideRecordsSeed(const SmallRoster &b, const QByteArray &index,
                                    const Sample::RosterImage &two)
{
    using namespace GameFilesInput;
    InputWriter w = gameFilesInput(b, index, {ShapedKey + 5, 0, 0, 0, 0xFF, 0});
    w.byte(ReadPlayer);
    offset(w, RawOffset, quint32(-60));
    w.byte(ReadPlayer);
    offset(w, RawOffset, 45480);
    w.byte(WritePlayer);
    offset(w, NearEnd, 1);
    w.byte(NoFault).bytes(two.keyFile.left(60));
    w.byte(WriteAttribs).byte(GoalieKind);
    offset(w, NearEnd, 0);
    w.byte(NoFault).bytes(two.attFile.mid(8, 21));
    w.byte(WriteAttribs).byte(0);
    offset(w, NearEnd, 1);
    w.byte(NoFault).bytes(two.attFile.mid(8, 21));
    return w.data();
}

// Names the fields or the code page cannot take, and a backup.
QByteArray refusedNamesSeed(const SmallRoster &b, const QByteArray &index)
{
    using namespace GameFilesInput;
    InputWriter w = gameFilesInput(b, index, {0, 0, 4, 9, 0, ReadTeams | ScanKey});
    w.byte(WriteFields).byte(0);
    offset(w, NthPlayer, 1);
    w.byte(NoFault);
    fields(w, QStringLiteral("Seventeen letters"), QStringLiteral("Short"));
    w.byte(WriteFields).byte(0);
    offset(w, NthPlayer, 1);
    w.byte(NoFault);
    fields(w, QStringLiteral("Овечкин"), QStringLiteral("Ovechkin"), 1);
    w.byte(Backup).byte(1);
    return w.data();
}

void writeGameFilesSeeds(const QString &root)
{
    using namespace GameFilesInput;
    SeedFolder seeds(root, QStringLiteral("gamefiles"));
    const Sample::RosterImage one = Sample::buildRoster();
    const Sample::RosterImage two = Sample::buildRoster(7);
    const SmallRoster a = smallRoster(one, 30);
    const SmallRoster b = smallRoster(two, 12);

    QTemporaryDir saved;
    Sample::writeSavedGames(saved.path());
    const QByteArray index = readWholeFile(saved.filePath(Sample::IndexFileName));

    // As given: reads only.
    seeds.add(gameFilesInput(a, index, {0, 0, 0, 3, 1, ReadAll}).data());
    // A key file cut at the end of the first region.
    seeds.add(gameFilesInput(b, index, {ShapedKey + 2, 0, 11, 0, 2, ReadAll}).data());
    seeds.add(secondRegionSeed(a, index));
    seeds.add(failingWritesSeed(a, index, one));
    seeds.add(offsetsBesideRecordsSeed(b, index, two));
    seeds.add(refusedNamesSeed(b, index));
    // A saved game's files, and an index cut inside its header or an entry.
    for (const int cut : {60, 110 + 54 + 20}) {
        const QString prefix = savedGamePrefix(7);
        SmallRoster game;
        game.teams = readWholeFile(saved.filePath(prefix + FileNames::SavedTeams)).left(2000);
        game.key = readWholeFile(saved.filePath(prefix + FileNames::Key)).left(1200);
        game.att = readWholeFile(saved.filePath(prefix + FileNames::Att)).left(3000);
        seeds.add(gameFilesInput(game, index.left(cut), {0, 0, 2, 30, 1, ReadAll}).data());
    }
}

// --- fuzz_valuerules ------------------------------------------------------------

void writeValueRulesSeeds(const QString &root)
{
    using namespace ValueRulesInput;
    SeedFolder seeds(root, QStringLiteral("valuerules"));
    const double inf = std::numeric_limits<double>::infinity();
    struct Seed
    {
        const char *text;
        double raw;
        int upper, lower;
        double step;
    };
    const Seed plain[] = {
        {"72.5", 72.5, 100, 40, 4},
        {"7 5", 75, 100, 25, 5},
        {" \t\n7\t2\n ", 99.5, 100, 0, 6.6666},
        {"75abc", 50, 100, 0, 16.6666},
        {"&HFFFF", -1, 11, 0, 1},
        {"&h10000", 65536, 6, 5, 1},
        {"&O177777", 1e300, 254, 160, 1},
        {"&o7", -1e300, 239, 155, 1},
        {"1e308", inf, 100, 40, 4},
        {"-1D-5", -inf, 100, 25, 5},
        {"1.7976931348623157e308", std::nan(""), 100, 0, 6.6666},
        {"4.9e-324", 5e-324, 100, 0, 0},
        {"2.2250738585072014e-308", 2.5, 100, 0, -1},
        {"0.000000000000000000000000000000000000001", 3.5, 100, 0, 0.5},
        {"+3.", 101, 100, 0, 1},
        {".5", 39, 100, 40, 4},
        {"-", 0, 0, 0, 0},
        {"", 100.0001, 100, 0, 16.6666},
        {"99999999999999999999999999999999", 255.5, 32767, -32768, 1e-300},
        {"1,5", 14.99, 100, 0, 6.6666},
        {"--3", -0.0, 100, 0, 1e300},
    };
    for (const Seed &s : plain) {
        InputWriter w;
        w.byte(Latin1).real(s.raw).u16(quint16(s.upper)).u16(quint16(s.lower)).real(s.step);
        w.bytes(s.text);
        seeds.add(w.data());
    }
    // Text as it may come from the clipboard: UTF-8 and UTF-16.
    InputWriter utf8;
    utf8.byte(Utf8).real(80).u16(100).u16(40).real(4).bytes("\xef\xbc\x97\xef\xbc\x95 75");
    seeds.add(utf8.data());
    const QString wide = QStringLiteral("１２3\u00a04");
    InputWriter utf16;
    utf16.byte(Utf16).real(80).u16(100).u16(40).real(4);
    utf16.bytes(QByteArray(reinterpret_cast<const char *>(wide.utf16()), wide.size() * 2));
    seeds.add(utf16.data());
}

// --- fuzz_profilefile -----------------------------------------------------------

void writeProfileSeeds(const QString &root)
{
    using namespace ProfileInput;
    SeedFolder seeds(root, QStringLiteral("profilefile"));
    const QByteArray windows = "; Puckdex settings\r\n"
                               "[Other]\r\n"
                               "NHL96Path=D:\\Wrong\r\n"
                               "\r\n"
                               "[ Puckdex ]\r\n"
                               "nhl96path = C:\\Games\\NHL96  \r\n"
                               "NHL96Path=E:\\Second\r\n"
                               "; templates\r\n"
                               "StandardForward0=6\r\n"
                               "StandardGoalie11=\"100\"\r\n"
                               "\r\n"
                               "[puckdex]\r\n"
                               "NHL96Path=F:\\Third\r\n";
    const QByteArray unix = "[Puckdex]\nNHL96Path='/home/me/nhl96'\nStandardForward16=-12abc\n";
    QByteArray templates = "[Puckdex]\r\nNHL96Path=C:\\NHL96\\\r\n";
    for (int i = 0; i <= 16; ++i)
        templates +=
            "StandardForward" + QByteArray::number(i) + '=' + QByteArray::number(40 + i) + "\r\n";
    for (int i = 0; i <= 11; ++i)
        templates +=
            "StandardGoalie" + QByteArray::number(i) + " = " + QByteArray::number(25 + i) + "\r\n";

    struct Seed
    {
        quint8 mode;
        QByteArray section, key, value, file;
    };
    const Seed all[] = {
        {CodePage1252, "Puckdex", "NHL96Path", "C:\\Games\\NHL96", windows},
        {CodePage1252, "PUCKDEX", "NHL96PATH", " padded ", windows},
        {CodePage1252, "Other", "NewKey", "\"quoted\"", windows},
        {CodePage1252, "Puckdex", "StandardForward3", "72", templates},
        {CodePage1252, "Puckdex", "StandardGoalie0", "-5", templates},
        {CodePage1252, "Puckdex", "NHL96Path", "C:\\Caf\xe9\\NHL96", unix},
        {CodePage1252, "New Section", "Key", "a=b;c", unix.left(unix.size() - 1)},
        {CodePage1252, "Puckdex", "NHL96Path", "C:\\NHL96", ""},
        {CodePage1252, "Puckdex", "Bad=Key", "x", windows},
        {CodePage1252, "Sec]tion", "Key", "x", unix},
        {CodePage1252, "Puckdex", "NHL96Path", "line\r\nbreak", unix},
        {CodePage1252 | NoFile, "Puckdex", "NHL96Path", "C:\\NHL96", ""},
        {CodePage1252 | MissingFolder, "Puckdex", "NHL96Path", "C:\\NHL96", ""},
        {Utf8, "Puckdex", "NHL96Path", "C:\\\xd0\x98\xd0\xb3\xd1\x80\xd1\x8b", windows},
        {Latin1, "Puckdex", "StandardForward9", "'", "[Puckdex]\r\n=no name\r\nnot a key\r\n"},
    };
    for (const Seed &s : all) {
        InputWriter w;
        w.byte(s.mode).chunk8(s.section).chunk8(s.key).chunk8(s.value).bytes(s.file);
        seeds.add(w.data());
    }
}

// --- fuzz_codepage ----------------------------------------------------------------

void writeCodePageSeeds(const QString &root)
{
    SeedFolder seeds(root, QStringLiteral("codepage"));
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte.append(char(b));
    seeds.add(InputWriter().byte(0).bytes(everyByte).data());

    const Sample::RosterImage roster = Sample::buildRoster();
    for (const int i : {0, 3, 40}) {
        const Sample::SamplePlayer &player = roster.players.at(i);
        seeds.add(InputWriter()
                      .byte(0)
                      .bytes(player.record.toByteArray())
                      .bytes(player.lastName.toLatin1())
                      .data());
    }
    const QString unencodable = QStringLiteral("Hašek Čech Овечкин 🏒");
    seeds.add(InputWriter()
                  .byte(CodePageInput::Utf16Texts)
                  .bytes(roster.players.at(1).record.toByteArray())
                  .bytes(QByteArray(reinterpret_cast<const char *>(unencodable.utf16()),
                                    unencodable.size() * 2))
                  .data());
    seeds.add(InputWriter()
                  .byte(0)
                  .bytes(QByteArray(60, '\0'))
                  .bytes(QByteArray("NUL\0inside", 10))
                  .data());
    seeds.add(InputWriter().byte(0).data());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: puckdex-fuzz-corpus DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    writeGameFilesSeeds(root);
    writeValueRulesSeeds(root);
    writeProfileSeeds(root);
    writeCodePageSeeds(root);
    std::printf("Wrote the seed inputs to %s\n", argv[1]);
    return 0;
}
