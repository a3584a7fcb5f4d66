#include "standardstream.h"

#include "files/platformsync.h"

#include <QString>

namespace Puckdex::Cli {

namespace {

// How many bytes at the end of utf8 begin a character not yet complete.
qsizetype unfinishedTail(const QByteArray &utf8)
{
    for (qsizetype back = 1; back <= std::min<qsizetype>(3, utf8.size()); ++back) {
        const auto byte = static_cast<unsigned char>(utf8.at(utf8.size() - back));
        if ((byte & 0xC0) != 0x80) {
            // A lead byte: how long its character is.
            const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
    }
    return 0;
}

} // namespace

StandardStream::StandardStream(std::FILE *stream, QObject *parent)
    : QIODevice(parent), m_stream(stream), m_console(isWindowsConsole(stream))
{
    if (m_console)
        m_writeText = [stream](QStringView text) { return writeToConsole(stream, text); };
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

StandardStream::StandardStream(ConsoleWriter console, QObject *parent)
    : QIODevice(parent), m_writeText(std::move(console)), m_console(true)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 StandardStream::writeData(const char *data, qint64 size)
{
    if (!m_console) {
        const size_t written = std::fwrite(data, 1, size_t(size), m_stream);
        std::fflush(m_stream);
        return written == size_t(size) ? size : -1;
    }
    // The stream's text arrives as UTF-8 in pieces that may end inside a
    // character: the end waits for the rest.
    m_partial.append(data, size);
    const qsizetype complete = m_partial.size() - unfinishedTail(m_partial);
    const QString text = QString::fromUtf8(m_partial.constData(), complete);
    m_partial.remove(0, complete);
    return text.isEmpty() || m_writeText(text) ? size : -1;
}

} // namespace Puckdex::Cli
