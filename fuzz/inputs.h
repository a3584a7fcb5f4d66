#pragma once

// The layout of each target's input, shared with the seed writer so that the
// seeds in fuzz/corpus mean what the targets read.

#include <QtGlobal>

namespace Puckdex::Fuzz {

// fuzz_gamefiles: a control block, then the team, key, attribute and index
// files (InputReader::chunk16 each), then operations until the input ends.
namespace GameFilesInput {

inline constexpr int ControlSize = 8;
enum Control {
    KeyShape,         // below ShapedKey the key file is used as given
    RegionTwoRecords, // records after offset 50000 for the shapes that have them
    TeamOfRecord,     // scan the team of this record of the given key file ...
    TeamNumber,       // ... and this team number
    ReadTeamNumber,   // read this team (signed)
    Reads,            // which files are read whole before the operations
};
inline constexpr quint8 ShapedKey = 0x80;
// Bits of Reads: list the teams, list the saved games, scan the key file.
inline constexpr quint8 ReadTeams = 1;
inline constexpr quint8 ReadIndex = 2;
inline constexpr quint8 ScanKey = 4;
inline constexpr quint8 ReadAll = ReadTeams | ReadIndex | ScanKey;

// The key file grown (by repeating its records) or cut to one of these sizes;
// they sit around the ends of the two record regions.
inline constexpr int KeyShapeCount = 8;

enum Operation : quint8 {
    ReadPlayer,   // offset
    ReadAttribs,  // kind, offset
    WritePlayer,  // offset, fault, 60 record bytes
    WriteAttribs, // kind, offset, fault, 21 record bytes (17 for a goalie)
    WriteFields,  // kind, offset, fault, player fields
    Backup,       // which file
    OperationCount,
};
inline constexpr int MaxOperations = 8;

// An offset is a mode byte and a 32-bit value.
enum OffsetMode : quint8 {
    RawOffset,       // the value as a signed number
    RegionOneSlot,   // record value % 758 of the first region
    RegionTwoSlot,   // record value % 1000 of the second region
    NearEnd,         // the file's size minus the record size plus the value as a signed byte
    NthPlayer,       // the key offset of record value % count of the file
    NthAttribOffset, // the attribute offset held by that record
    OffsetModeCount,
};

// A fault byte: the kind in its low two bits, the bytes written before a
// partial write fails in bits 2 to 6, and for WriteFields in bit 7 whether the
// fault hits the attribute file rather than the key file.
enum FaultKind : quint8 { NoFault, ReadOnlyFile, HookReadOnly, HookPartial };
inline constexpr quint8 FaultOnAttFile = 0x80;

// The kind byte: bit 0 set for a goalie's record.
inline constexpr quint8 GoalieKind = 1;

} // namespace GameFilesInput

// fuzz_valuerules: mode, a raw double, a rule (upper and lower as signed
// 16-bit numbers, then the step as a raw double), then the text until the end.
namespace ValueRulesInput {
enum TextEncoding : quint8 { Latin1, Utf8, Utf16, CodePage1252, EncodingCount };
}

// fuzz_profilefile: mode, section, key and value (InputReader::chunk8 each),
// then the settings file until the end.
namespace ProfileInput {
// The low two bits of the mode say how the names and the value are decoded.
enum TextEncoding : quint8 { CodePage1252, Utf16, Utf8, Latin1 };
inline constexpr quint8 NoFile = 0x10;        // the settings file does not exist yet
inline constexpr quint8 MissingFolder = 0x20; // nor does its folder
} // namespace ProfileInput

// fuzz_codepage: mode, then bytes until the end. Bit 0 of the mode decodes
// the texts given to the record fields as UTF-16 instead of Windows-1252.
namespace CodePageInput {
inline constexpr quint8 Utf16Texts = 1;
}

} // namespace Puckdex::Fuzz
