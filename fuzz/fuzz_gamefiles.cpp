// The file layer over damaged game files: team, key, attribute and index
// files of any content and size, read and written at offsets taken from the
// input, with read-only files and writes that fail halfway. Every result is
// held against a plain model of the file formats, and after every write the
// files must differ from before only inside the record written, or, when the
// write was refused, not at all.

#include "fuzzinput.h"
#include "inputs.h"

#include "files/codepage.h"
#include "files/fileset.h"
#include "files/gamefiles.h"
#include "player/recordwrites.h"
#include "player/ratings.h"

#include <QFileInfo>

#include <array>
#include <cstring>

using namespace Puckdex;
using namespace Puckdex::Fuzz;
using namespace Puckdex::Fuzz::GameFilesInput;

namespace {

constexpr qint64 kPlayerSize = PlayerRecord::Size;

struct Paths
{
    QString team = scratchPath(QStringLiteral("teams.db"));
    QString key = scratchPath(QStringLiteral("key.db"));
    QString att = scratchPath(QStringLiteral("att.db"));
    QString index = scratchPath(QStringLiteral("games.ndx"));
};

// --- The model ----------------------------------------------------------------

bool isSlot(qint64 offset)
{
    if (offset >= 0 && offset < GameFiles::KeyRegionOneEnd)
        return offset % kPlayerSize == 0;
    return offset >= GameFiles::KeyRegionTwoStart &&
           (offset - GameFiles::KeyRegionTwoStart) % kPlayerSize == 0;
}

// Every complete record slot of a key file of this size, in file order.
QList<qint64> slotsOf(qint64 size)
{
    QList<qint64> starts;
    starts.reserve(size / kPlayerSize + 1);
    for (qint64 p = 0;; p += kPlayerSize) {
        if (p == GameFiles::KeyRegionOneEnd)
            p = GameFiles::KeyRegionTwoStart;
        if (p + kPlayerSize > size)
            return starts;
        starts.append(p);
    }
}

bool fits(const QByteArray &file, qint64 offset, qint64 size)
{
    return offset >= 0 && offset <= file.size() - size;
}

template <typename R> bool holds(const R &record, const QByteArray &file, qint64 offset)
{
    return fits(file, offset, R::Size) &&
           std::memcmp(record.bytes().data(), file.constData() + offset, R::Size) == 0;
}

qint32 int32At(const QByteArray &bytes, qint64 offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

// The key file grown or cut to one of the sizes around the region ends. Grown
// files repeat the given records in every slot and through the gap, so the
// gap holds look-alikes that a scan must never report.
QByteArray shapeKeyFile(const QByteArray &given, quint8 shape, quint8 regionTwoRecords)
{
    if (shape < ShapedKey)
        return given;
    const qint64 two = GameFiles::KeyRegionTwoStart;
    const std::array<qint64, KeyShapeCount> sizes = {
        GameFiles::KeyRegionOneEnd - kPlayerSize,
        GameFiles::KeyRegionOneEnd - 1,
        GameFiles::KeyRegionOneEnd,
        GameFiles::KeyRegionOneEnd + 1,
        two - 1,
        two,
        two + kPlayerSize * regionTwoRecords,
        two + kPlayerSize * regionTwoRecords + regionTwoRecords % kPlayerSize,
    };
    const qint64 size = sizes[(shape - ShapedKey) % KeyShapeCount];
    if (size <= given.size())
        return given.left(size);

    QByteArray tile = given.left(given.size() / kPlayerSize * kPlayerSize);
    if (tile.isEmpty())
        tile = given.leftJustified(kPlayerSize, '\0', true);
    const qint64 tileRecords = tile.size() / kPlayerSize;
    QByteArray shaped(size, '\0');
    qint64 record = 0;
    const auto fill = [&](qint64 from, qint64 to) {
        for (qint64 p = from; p < to; p += kPlayerSize, ++record) {
            const qint64 n = qMin(kPlayerSize, to - p);
            std::memcpy(shaped.data() + p, tile.constData() + (record % tileRecords) * kPlayerSize,
                        n);
        }
    };
    fill(0, qMin(size, two));
    fill(two, size);
    std::memcpy(shaped.data(), given.constData(), given.size());
    return shaped;
}

// --- Reads --------------------------------------------------------------------

void checkTeams(const Paths &paths, const QByteArray &teams, int readNumber)
{
    const auto listed = GameFiles::listTeams(paths.team);
    FUZZ_CHECK(listed.ok());
    FUZZ_CHECK(listed->size() == teams.size() / TeamRecord::Size);
    for (qsizetype i = 0; i < listed->size(); ++i) {
        const TeamRecord &team = listed->at(i);
        FUZZ_CHECK(holds(team, teams, i * TeamRecord::Size));
        // The names shown in the team list must be there to show.
        FUZZ_CHECK(team.city().size() <= TeamRecord::City.width);
        FUZZ_CHECK(team.abbrev().size() <= TeamRecord::Abbrev.width);
    }
    const auto one = GameFiles::readTeam(paths.team, readNumber);
    const qint64 offset = qint64(readNumber) * TeamRecord::Size;
    FUZZ_CHECK(one.ok() == fits(teams, offset, TeamRecord::Size));
    if (one)
        FUZZ_CHECK(holds(*one, teams, offset));
    else
        FUZZ_CHECK(!one.error().reason.isEmpty());
}

void checkScan(const Paths &paths, const QByteArray &key, const QList<qint64> &starts, int team)
{
    const auto scan = GameFiles::scanPlayers(paths.key, team);
    FUZZ_CHECK(scan.ok());
    qsizetype found = 0;
    for (const qint64 slot : starts) {
        if (quint8(key.at(slot)) != team)
            continue;
        FUZZ_CHECK(found < scan->size());
        const PlayerEntry &entry = scan->at(found++);
        FUZZ_CHECK(entry.offset == slot);
        FUZZ_CHECK(holds(entry.record, key, slot));
    }
    FUZZ_CHECK(found == scan->size());
}

void checkAllPlayers(const Paths &paths, const QByteArray &key, const QList<qint64> &starts)
{
    const auto all = GameFiles::scanAllPlayers(paths.key);
    FUZZ_CHECK(all.ok());
    FUZZ_CHECK(all->size() == starts.size());
    for (qsizetype i = 0; i < all->size(); ++i) {
        FUZZ_CHECK(all->at(i).offset == starts[i]);
        FUZZ_CHECK(holds(all->at(i).record, key, starts[i]));
    }
}

void checkSavedGames(const Paths &paths, const QByteArray &index)
{
    const auto games = GameFiles::listSavedGames(paths.index);
    FUZZ_CHECK(games.ok());
    const qint64 header = GameFiles::IndexHeaderSize;
    const qint64 expected = index.size() < header ? 0 : (index.size() - header) / 54;
    FUZZ_CHECK(games->size() == expected);
    for (qsizetype i = 0; i < games->size(); ++i) {
        const SeasonIndexEntry &game = games->at(i);
        FUZZ_CHECK(holds(game, index, header + i * SeasonIndexEntry::Size));
        FUZZ_CHECK(game.gameNumber() >= 0 && game.gameNumber() <= 9999);
        FUZZ_CHECK(savedGamePrefix(game.gameNumber()).size() <= 5);
    }
}

void checkReadPlayer(const Paths &paths, const QByteArray &key, qint64 offset)
{
    const auto player = GameFiles::readPlayer(paths.key, offset);
    FUZZ_CHECK(player.ok() == (isSlot(offset) && fits(key, offset, kPlayerSize)));
    if (player)
        FUZZ_CHECK(holds(*player, key, offset));
    else
        FUZZ_CHECK(!player.error().reason.isEmpty());
}

void checkReadAttribs(const Paths &paths, const QByteArray &att, bool goalie, qint64 offset)
{
    if (goalie) {
        const auto attribs = GameFiles::readGoalieAttribs(paths.att, offset);
        FUZZ_CHECK(attribs.ok() == fits(att, offset, GoalieAttribRecord::Size));
        if (attribs)
            FUZZ_CHECK(holds(*attribs, att, offset));
    } else {
        const auto attribs = GameFiles::readSkaterAttribs(paths.att, offset);
        FUZZ_CHECK(attribs.ok() == fits(att, offset, SkaterAttribRecord::Size));
        if (attribs)
            FUZZ_CHECK(holds(*attribs, att, offset));
    }
}

// --- Writes -------------------------------------------------------------------

struct Fault
{
    FaultKind kind = NoFault;
    int failAfter = 0;
    bool onAttFile = false;

    explicit Fault(quint8 b)
        : kind(FaultKind(b & 3)), failAfter((b >> 2) & 31), onAttFile(b & FaultOnAttFile)
    {}
    // Whether a write of size bytes into this file never completes.
    bool blocks(qint64 size) const
    {
        return kind == ReadOnlyFile || kind == HookReadOnly ||
               (kind == HookPartial && failAfter < size);
    }
    // How many of the record's bytes reach the file before the write fails.
    qint64 landed(qint64 size) const
    {
        return kind == HookPartial ? qMin<qint64>(failAfter, size) : 0;
    }
};

// Puts a fault on one file for the length of one operation.
class FaultScope
{
public:
    FaultScope(const Fault &fault, const QString &path) : m_path(path)
    {
        if (fault.kind == ReadOnlyFile) {
            m_permissions = QFile::permissions(path);
            FUZZ_CHECK(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup |
                                                       QFile::ReadOther));
        } else if (fault.kind != NoFault) {
            GameFiles::WriteFault simulated;
            simulated.readOnly = fault.kind == HookReadOnly;
            simulated.failAfterBytes = fault.kind == HookPartial ? fault.failAfter : -1;
            simulated.reason = QStringLiteral("simulated device failure");
            GameFiles::setWriteFaultHook(
                [path, simulated](const QString &target,
                                  qint64) -> std::optional<GameFiles::WriteFault> {
                    if (target == path)
                        return simulated;
                    return std::nullopt;
                });
        }
    }
    ~FaultScope()
    {
        if (m_permissions)
            QFile::setPermissions(m_path, m_permissions);
        GameFiles::setWriteFaultHook({});
    }
    FaultScope(const FaultScope &) = delete;
    FaultScope &operator=(const FaultScope &) = delete;

private:
    QString m_path;
    QFileDevice::Permissions m_permissions;
};

// The file after a write of record at offset: the first landed bytes of it
// replaced (all of them for a complete write).
QByteArray afterWrite(QByteArray file, qint64 offset, const QByteArray &record, qint64 landed)
{
    file.replace(offset, landed, record.left(landed));
    return file;
}

// What a write of size bytes at offset must leave in the file: the whole
// record when the write could go ahead, its landed part when it failed
// halfway, and nothing at all when it was refused.
QByteArray expectedAfter(const QByteArray &before, bool allowed, const Fault &fault, qint64 offset,
                         const QByteArray &record)
{
    if (!allowed)
        return before;
    const qint64 size = record.size();
    return afterWrite(before, offset, record, fault.blocks(size) ? fault.landed(size) : size);
}

template <typename R, typename Write>
void checkRecordWrite(const QString &path, QByteArray &file, qint64 offset, bool offsetAllowed,
                      const Fault &fault, const QByteArray &bytes, Write write)
{
    R record;
    record.assign(bytes.leftJustified(R::Size, '\0', true));
    const QByteArray expected = expectedAfter(file, offsetAllowed && fits(file, offset, R::Size),
                                              fault, offset, record.toByteArray());
    Status status;
    {
        FaultScope scope(fault, path);
        status = write(path, offset, record);
    }
    const QByteArray after = readWholeFile(path);
    FUZZ_CHECK(status.ok() ==
               (offsetAllowed && fits(file, offset, R::Size) && !fault.blocks(R::Size)));
    FUZZ_CHECK(status.ok() || !status.error().reason.isEmpty());
    FUZZ_CHECK(after == expected);
    file = after;
}

QString takeName(InputReader &in, bool utf16)
{
    const int length = in.byte() % 20; // up to three past either field's width
    if (!utf16)
        return CodePage::decode(in.bytes(length));
    QString name;
    for (int i = 0; i < length; ++i)
        name.append(QChar(char16_t(in.u16())));
    return name;
}

PlayerFields takeFields(InputReader &in)
{
    PlayerFields fields;
    const quint8 nameMode = in.byte();
    fields.firstName = takeName(in, nameMode & 1);
    fields.lastName = takeName(in, nameMode & 2);
    const quint8 position = in.byte();
    if (position < 5)
        fields.position = "GDLCR"[position];
    else if (position != 0xFF)
        fields.position = char(position);
    fields.heightInches = in.byte();
    fields.weightPounds = in.byte();
    fields.rookieFlag = char(in.byte());
    if (const quint8 jersey = in.byte(); jersey != 0xFF)
        fields.jerseyNumber = jersey;
    fields.hand = in.byte() & 1 ? Hand::Right : Hand::Left;
    for (quint8 &b : fields.allPlayers)
        b = in.byte();
    for (quint8 &b : fields.fwdDef)
        b = in.byte();
    for (quint8 &b : fields.goalies)
        b = in.byte();
    if (const quint8 weightClass = in.byte(); weightClass != 0xFF)
        fields.weightClass = weightClass;
    fields.unlinkPicture = in.byte() & 1;
    return fields;
}

std::optional<QByteArray> fieldText(const QString &text, int width)
{
    if (text.size() > width)
        return std::nullopt;
    const std::optional<QByteArray> bytes = CodePage::encode(text);
    if (!bytes)
        return std::nullopt;
    return bytes->leftJustified(width, '\0');
}

// The key record as the fields must leave it, set byte by byte from the
// record layout; every byte the editor does not show is kept.
QByteArray keyRecordWith(QByteArray record, const PlayerFields &fields, const QByteArray &first,
                         const QByteArray &last)
{
    record.replace(PlayerRecord::FirstName.offset, PlayerRecord::FirstName.width, first);
    record.replace(PlayerRecord::LastName.offset, PlayerRecord::LastName.width, last);
    if (fields.position)
        record[PlayerRecord::PositionByte] = *fields.position;
    record[PlayerRecord::HeightInchesByte] = char(fields.heightInches);
    record[PlayerRecord::WeightPoundsByte] = char(fields.weightPounds);
    record[PlayerRecord::RookieFlagByte] = fields.rookieFlag;
    if (fields.jerseyNumber)
        record[PlayerRecord::JerseyNumberByte] = char(*fields.jerseyNumber);
    if (fields.unlinkPicture)
        record.replace(PlayerRecord::PictureCodeA.offset, 8, QByteArrayLiteral("NONENONE"));
    return record;
}

template <std::size_t N>
QByteArray attribRecordWith(QByteArray record, const PlayerFields &fields,
                            const std::array<RatingField, N> &table, int weightClassByte)
{
    record[0] = fields.hand == Hand::Left ? 0 : 1;
    for (const RatingField &f : table)
        record[f.byte] = char(fields.rating(f.group, f.box));
    if (fields.weightClass)
        record[weightClassByte] = char(*fields.weightClass);
    return record;
}

void checkWriteFields(const Paths &paths, QByteArray &key, QByteArray &att, qint64 offset,
                      bool goalie, const Fault &fault, const PlayerFields &fields)
{
    const qint64 attSize = goalie ? GoalieAttribRecord::Size : SkaterAttribRecord::Size;
    const Fault none(NoFault);
    const Fault &keyFault = fault.onAttFile ? none : fault;
    const Fault &attFault = fault.onAttFile ? fault : none;

    // Whether each step can go ahead, and what each file must hold afterwards.
    const std::optional<QByteArray> first = fieldText(fields.firstName, 16);
    const std::optional<QByteArray> last = fieldText(fields.lastName, 17);
    const bool keyAllowed = isSlot(offset) && fits(key, offset, kPlayerSize) && first && last;
    QByteArray newKey;
    if (keyAllowed)
        newKey = keyRecordWith(key.mid(offset, kPlayerSize), fields, *first, *last);

    // Both records are read and checked before either is written; a write
    // that fails halfway is taken back, so the files hold all of the new
    // player or none of him.
    const qint64 attOffset = keyAllowed ? int32At(newKey, PlayerRecord::AttribOffsetAt) : -1;
    const bool attAllowed = keyAllowed && fits(att, attOffset, attSize);
    QByteArray newAtt;
    if (attAllowed) {
        newAtt = goalie ? attribRecordWith(att.mid(attOffset, attSize), fields, kGoalieRatingFields,
                                           GoalieAttribRecord::WeightClassByte)
                        : attribRecordWith(att.mid(attOffset, attSize), fields, kSkaterRatingFields,
                                           SkaterAttribRecord::WeightClassByte);
    }
    const bool saved =
        attAllowed && !keyFault.blocks(kPlayerSize) && !attFault.blocks(attSize);
    const QByteArray expectedKey = saved ? afterWrite(key, offset, newKey, kPlayerSize) : key;
    const QByteArray expectedAtt = saved ? afterWrite(att, attOffset, newAtt, attSize) : att;

    Result<WrittenPlayer, PlayerWriteError> written = PlayerWriteError{};
    {
        FaultScope scope(fault, fault.onAttFile ? paths.att : paths.key);
        written = writePlayerFields(paths.key, paths.att, offset, goalie, fields);
    }
    const QByteArray keyAfter = readWholeFile(paths.key);
    const QByteArray attAfter = readWholeFile(paths.att);
    FUZZ_CHECK(keyAfter == expectedKey);
    FUZZ_CHECK(attAfter == expectedAtt);
    FUZZ_CHECK(written.ok() == saved);
    if (written) {
        // What it says it wrote is what the files hold.
        FUZZ_CHECK(written->key.toByteArray() == newKey);
        FUZZ_CHECK(goalie ? holds(written->goalie, attAfter, attOffset)
                          : holds(written->skater, attAfter, attOffset));
    } else {
        FUZZ_CHECK(!written.error().error.reason.isEmpty());
        FUZZ_CHECK(!written.error().error.filePath.isEmpty());
        FUZZ_CHECK(written.error().diskUnchanged);
    }
    key = keyAfter;
    att = attAfter;
}

void checkBackup(const QString &path)
{
    const QByteArray before = readWholeFile(path);
    const QFileInfo info(path);
    const QString backup = info.dir().filePath(backupName(info.fileName()));
    const Status status = GameFiles::copyToBackup(path);
    FUZZ_CHECK(status.ok());
    FUZZ_CHECK(readWholeFile(backup) == before);
    FUZZ_CHECK(readWholeFile(path) == before);
    QFile::remove(backup);
}

// starts: the record slots of the key file.
qint64 takeOffset(InputReader &in, const QByteArray &file, qint64 recordSize, const QByteArray &key,
                  const QList<qint64> &starts)
{
    const quint8 mode = in.byte() % OffsetModeCount;
    const quint32 value = in.u32();
    switch (OffsetMode(mode)) {
    case RawOffset:
        return qint32(value);
    case RegionOneSlot:
        return kPlayerSize * (value % 758);
    case RegionTwoSlot:
        return GameFiles::KeyRegionTwoStart + kPlayerSize * (value % 1000);
    case NearEnd:
        return file.size() - recordSize + qint8(quint8(value));
    case NthPlayer:
        return starts.isEmpty() ? 0 : starts.at(value % starts.size());
    case NthAttribOffset:
        return starts.isEmpty()
                   ? 0
                   : int32At(key, starts.at(value % starts.size()) + PlayerRecord::AttribOffsetAt);
    case OffsetModeCount:
        break;
    }
    return 0;
}

// One operation the input asks for: a read, a record or field write (with
// a fault or none), or a backup.
void runOperation(InputReader &in, const Paths &paths, QByteArray &key, QByteArray &att,
                  const QList<qint64> &starts)
{
    const quint8 operation = in.byte() % OperationCount;
    switch (Operation(operation)) {
    case ReadPlayer:
        checkReadPlayer(paths, key, takeOffset(in, key, kPlayerSize, key, starts));
        break;
    case ReadAttribs: {
        const bool goalie = in.byte() & GoalieKind;
        checkReadAttribs(paths, att, goalie, takeOffset(in, att, goalie ? 17 : 21, key, starts));
        break;
    }
    case WritePlayer: {
        const qint64 offset = takeOffset(in, key, kPlayerSize, key, starts);
        const Fault fault(in.byte());
        checkRecordWrite<PlayerRecord>(paths.key, key, offset, isSlot(offset), fault,
                                       in.bytes(kPlayerSize), &GameFiles::writePlayer);
        break;
    }
    case WriteAttribs: {
        const bool goalie = in.byte() & GoalieKind;
        const qint64 offset = takeOffset(in, att, goalie ? 17 : 21, key, starts);
        const Fault fault(in.byte());
        const QByteArray bytes = in.bytes(SkaterAttribRecord::Size);
        if (goalie) {
            checkRecordWrite<GoalieAttribRecord>(paths.att, att, offset, true, fault, bytes,
                                                 &GameFiles::writeGoalieAttribs);
        } else {
            checkRecordWrite<SkaterAttribRecord>(paths.att, att, offset, true, fault, bytes,
                                                 &GameFiles::writeSkaterAttribs);
        }
        break;
    }
    case WriteFields: {
        const bool goalie = in.byte() & GoalieKind;
        const qint64 offset = takeOffset(in, key, kPlayerSize, key, starts);
        const Fault fault(in.byte());
        checkWriteFields(paths, key, att, offset, goalie, fault, takeFields(in));
        break;
    }
    case Backup: {
        const std::array<const QString *, 4> files = {&paths.team, &paths.key, &paths.att,
                                                      &paths.index};
        checkBackup(*files[in.byte() % files.size()]);
        break;
    }
    case OperationCount:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const Paths paths;
    InputReader in(data, size);
    std::array<quint8, ControlSize> control;
    for (quint8 &c : control)
        c = in.byte();
    const QByteArray teams = in.chunk16();
    QByteArray key = shapeKeyFile(in.chunk16(), control[KeyShape], control[RegionTwoRecords]);
    QByteArray att = in.chunk16();
    const QByteArray index = in.chunk16();
    writeWholeFile(paths.team, teams);
    writeWholeFile(paths.key, key);
    writeWholeFile(paths.att, att);
    writeWholeFile(paths.index, index);

    // Not every input reads every file, so that more inputs run in the time.
    const quint8 reads = control[Reads];
    if (reads & ReadTeams)
        checkTeams(paths, teams, qint8(control[ReadTeamNumber]));
    if (reads & ReadIndex)
        checkSavedGames(paths, index);
    const QList<qint64> starts = slotsOf(key.size());
    if (reads & ScanKey) {
        const qint64 record = kPlayerSize * control[TeamOfRecord];
        checkScan(paths, key, starts, record < key.size() ? quint8(key.at(record)) : 0);
        checkScan(paths, key, starts, control[TeamNumber]);
        checkAllPlayers(paths, key, starts);
    }

    for (int i = 0; i < MaxOperations && !in.atEnd(); ++i)
        runOperation(in, paths, key, att, starts);
    return 0;
}
