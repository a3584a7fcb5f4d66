// The game's code page and the text fields of the records: every byte string
// decodes and encodes back to itself, every text the code page holds comes
// back from its bytes, and a text a record field refuses leaves the whole
// record as it was. A player whose fields are set back unchanged keeps every
// byte but the few the editor normalises.

#include "fuzzinput.h"
#include "inputs.h"

#include "files/codepage.h"
#include "player/playerfields.h"
#include "files/records.h"

using namespace Puckdex;
using namespace Puckdex::Fuzz;

namespace {

QString utf16Text(const QByteArray &bytes)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                              bytes.size() / 2);
}

void checkBytes(const QByteArray &bytes)
{
    const QString text = CodePage::decode(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    FUZZ_CHECK(CodePage::encode(text) == std::optional<QByteArray>(bytes));
    FUZZ_CHECK(CodePage::firstUnencodable(text) == -1);
}

void checkText(const QString &text)
{
    const std::optional<QByteArray> bytes = CodePage::encode(text);
    const qsizetype bad = CodePage::firstUnencodable(text);
    FUZZ_CHECK(bytes.has_value() == (bad < 0));
    if (bytes) {
        FUZZ_CHECK(bytes->size() == text.size());
        FUZZ_CHECK(CodePage::decode(*bytes) == text);
    } else {
        FUZZ_CHECK(bad < text.size());
        FUZZ_CHECK(CodePage::encode(text.left(bad)).has_value());
        FUZZ_CHECK(!CodePage::encode(text.mid(bad, 1)).has_value());
    }
}

// A record filled from the input, its bytes repeated to the record's size.
template <typename R> R recordFrom(const QByteArray &bytes)
{
    QByteArray image = bytes.isEmpty() ? QByteArray(1, char(0xA5)) : bytes;
    while (image.size() < R::Size)
        image += image;
    R record;
    FUZZ_CHECK(record.assign(image.left(R::Size)));
    return record;
}

// Sets text into one field through the record's own setter and holds the
// outcome against the field's width and the code page.
template <typename R, typename Set, typename Get>
void checkField(R record, FieldSpan field, const QString &text, Set set, Get get)
{
    const R before = record;
    const TextFit fit = (record.*set)(text);
    const std::optional<QByteArray> encoded = CodePage::encode(text);
    if (text.size() > field.width) {
        FUZZ_CHECK(fit == TextFit::TooLong);
    } else if (!encoded) {
        FUZZ_CHECK(fit == TextFit::NotInCodePage);
    } else {
        FUZZ_CHECK(fit == TextFit::Ok);
    }
    if (fit != TextFit::Ok) {
        FUZZ_CHECK(record == before);
        return;
    }
    const QByteArray image = record.toByteArray();
    const QByteArray old = before.toByteArray();
    FUZZ_CHECK(image.left(field.offset) == old.left(field.offset));
    FUZZ_CHECK(image.mid(field.offset + field.width) == old.mid(field.offset + field.width));
    FUZZ_CHECK(image.mid(field.offset, field.width) == encoded->leftJustified(field.width, '\0'));
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    FUZZ_CHECK((record.*get)() == (nul < 0 ? text : text.left(nul)));
}

void checkRecords(const QByteArray &bytes, const QString &text)
{
    const auto player = recordFrom<PlayerRecord>(bytes);
    checkField(player, PlayerRecord::FirstName, text, &PlayerRecord::setFirstName,
               &PlayerRecord::firstName);
    checkField(player, PlayerRecord::LastName, text, &PlayerRecord::setLastName,
               &PlayerRecord::lastName);
    FUZZ_CHECK(player.lastNameField().size() == PlayerRecord::LastName.width);

    const auto team = recordFrom<TeamRecord>(bytes);
    checkField(team, TeamRecord::Abbrev, text, &TeamRecord::setAbbrev, &TeamRecord::abbrev);
    checkField(team, TeamRecord::TeamName, text, &TeamRecord::setTeamName, &TeamRecord::teamName);
    checkField(team, TeamRecord::City, text, &TeamRecord::setCity, &TeamRecord::city);

    const auto game = recordFrom<SeasonIndexEntry>(bytes);
    checkField(game, SeasonIndexEntry::GameNumber, text, &SeasonIndexEntry::setGameNumberText,
               &SeasonIndexEntry::gameNumberText);
    checkField(game, SeasonIndexEntry::Description, text, &SeasonIndexEntry::setDescription,
               &SeasonIndexEntry::description);
    FUZZ_CHECK(game.gameNumber() >= 0 && game.gameNumber() <= 9999);

    PlayerRecord unlinked = player;
    unlinked.unlinkPicture();
    FUZZ_CHECK(unlinked.pictureCodeA() == QStringLiteral("NONE"));
    FUZZ_CHECK(unlinked.pictureCodeB() == QStringLiteral("NONE"));
    const QByteArray a = player.toByteArray();
    const QByteArray b = unlinked.toByteArray();
    FUZZ_CHECK(a.left(48) == b.left(48) && a.mid(56) == b.mid(56));
}

// The bytes of a name field as a write of its shown text leaves them: up to
// the first NUL as read, NULs after it.
QByteArray nameAsWritten(const QByteArray &field)
{
    const qsizetype nul = field.indexOf('\0');
    return nul < 0 ? field : field.left(nul).leftJustified(field.size(), '\0');
}

// Leaving a player without changing anything rewrites his records unchanged,
// except a rookie flag other than Y (it becomes N), a hand byte other than 0
// (it becomes 1) and whatever follows the first NUL of a name.
template <typename Attribs> void checkUnchangedPlayer(const QByteArray &bytes)
{
    const auto player = recordFrom<PlayerRecord>(bytes);
    const auto attribs = recordFrom<Attribs>(bytes.mid(7));
    const PlayerFields fields = fieldsOf(player, attribs);

    PlayerRecord key = player;
    FUZZ_CHECK(applyFields(fields, key) == TextFit::Ok);
    QByteArray expected = player.toByteArray();
    const auto name = [&](FieldSpan f) {
        expected.replace(f.offset, f.width, nameAsWritten(expected.mid(f.offset, f.width)));
    };
    name(PlayerRecord::FirstName);
    name(PlayerRecord::LastName);
    if (expected[PlayerRecord::RookieFlagByte] != 'Y')
        expected[PlayerRecord::RookieFlagByte] = 'N';
    FUZZ_CHECK(key.toByteArray() == expected);

    Attribs written = attribs;
    applyFields(fields, written);
    QByteArray expectedAttribs = attribs.toByteArray();
    expectedAttribs[0] = expectedAttribs[0] == 0 ? 0 : 1;
    FUZZ_CHECK(written.toByteArray() == expectedAttribs);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    InputReader in(data, size);
    const quint8 mode = in.byte();
    const QByteArray bytes = in.rest();

    checkBytes(bytes);
    const QString asUtf16 = utf16Text(bytes);
    checkText(asUtf16);

    const QByteArray head = bytes.left(PlayerRecord::Size);
    const QByteArray tail = bytes.mid(PlayerRecord::Size);
    const QString text =
        (mode & CodePageInput::Utf16Texts) ? utf16Text(tail) : CodePage::decode(tail);
    checkRecords(head, text);
    checkUnchangedPlayer<GoalieAttribRecord>(bytes);
    checkUnchangedPlayer<SkaterAttribRecord>(bytes);
    return 0;
}
