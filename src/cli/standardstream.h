#pragma once

#include <QByteArray>
#include <QIODevice>

#include <cstdio>
#include <functional>

namespace Puckdex::Cli {

// Standard output or error as the commands' text streams write to it: the
// bytes as they are into a file or a pipe (UTF-8, or an export's own
// encoding), and on a Windows console the text itself, which the console
// then shows whatever its code page.
class StandardStream : public QIODevice
{
    Q_OBJECT

public:
    using ConsoleWriter = std::function<bool(QStringView text)>;

    explicit StandardStream(std::FILE *stream, QObject *parent = nullptr);
    // A console that takes its text through console (the tests').
    explicit StandardStream(ConsoleWriter console, QObject *parent = nullptr);

    // Whether what is written is read as text on a console rather than kept
    // as bytes: an export in another encoding then writes its text.
    bool showsText() const { return m_console; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    std::FILE *m_stream = nullptr;
    ConsoleWriter m_writeText;
    bool m_console;
    // The start of a character whose other bytes are still to come.
    QByteArray m_partial;
};

} // namespace Puckdex::Cli
