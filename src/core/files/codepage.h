#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace Puckdex {

// The game stores its texts one byte per character in the Windows-1252 code
// page. The table is our own rather than a QStringConverter, so the program
// behaves the same on builds of Qt without ICU (Windows, macOS).
namespace CodePage {

// Every byte decodes to exactly one character. The five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// control characters of the same value, as Windows does, so they survive a
// round trip.
QString decode(QByteArrayView bytes);

// One byte per character, or nothing when some character has no byte in the
// code page: such a text is refused, never written with a stand-in byte.
std::optional<QByteArray> encode(const QString &text);

// The first character of text that the code page cannot hold, or -1.
qsizetype firstUnencodable(const QString &text);

} // namespace CodePage
} // namespace Puckdex
