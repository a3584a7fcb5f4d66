#pragma once

// Shared by the fuzz targets and the seed writer: how an input is cut into
// its parts, the check that stops a run, and the scratch folder.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace Puckdex::Fuzz {

// A broken property is a finding: say which one, then abort so that libFuzzer
// keeps the input as a crash file.
[[noreturn]] inline void fail(const char *file, int line, const char *what)
{
    std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void() : ::Puckdex::Fuzz::fail(__FILE__, __LINE__, #condition))

// Takes an input apart front to back. Past its end every number reads as 0
// and every part as empty, so any input is a valid one.
class InputReader
{
public:
    InputReader(const std::uint8_t *data, std::size_t size)
        : m_data(reinterpret_cast<const char *>(data)), m_size(qsizetype(size))
    {}

    bool atEnd() const { return m_pos >= m_size; }

    quint8 byte() { return m_pos < m_size ? quint8(m_data[m_pos++]) : 0; }
    quint16 u16() { return quint16(byte() | (byte() << 8)); }
    quint32 u32() { return quint32(u16()) | (quint32(u16()) << 16); }
    double real()
    {
        const QByteArray raw = bytes(8).leftJustified(8, '\0');
        return qFromLittleEndian<double>(raw.constData());
    }

    // Up to count bytes; fewer at the end of the input.
    QByteArray bytes(qsizetype count)
    {
        const qsizetype n = qBound<qsizetype>(0, count, m_size - m_pos);
        const QByteArray part(m_data + m_pos, n);
        m_pos += n;
        return part;
    }
    // A part that says its own length first.
    QByteArray chunk8() { return bytes(byte()); }
    QByteArray chunk16() { return bytes(u16()); }
    QByteArray rest() { return bytes(m_size - m_pos); }

private:
    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

// The seed writer's side of InputReader.
class InputWriter
{
public:
    InputWriter &byte(quint8 b)
    {
        m_bytes.append(char(b));
        return *this;
    }
    InputWriter &u16(quint16 v) { return byte(quint8(v)).byte(quint8(v >> 8)); }
    InputWriter &u32(quint32 v) { return u16(quint16(v)).u16(quint16(v >> 16)); }
    InputWriter &real(double v)
    {
        char raw[8];
        qToLittleEndian<double>(v, raw);
        m_bytes.append(raw, 8);
        return *this;
    }
    InputWriter &bytes(const QByteArray &b)
    {
        m_bytes.append(b);
        return *this;
    }
    InputWriter &chunk8(const QByteArray &b) { return byte(quint8(b.size())).bytes(b.left(255)); }
    InputWriter &chunk16(const QByteArray &b)
    {
        return u16(quint16(b.size())).bytes(b.left(65535));
    }
    const QByteArray &data() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// The folder where a target puts the files it feeds to the code under test,
// made once per process inside the system's temporary folder (run.sh points
// TMPDIR at a folder in memory and removes it afterwards).
inline const QString &scratchFolder()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/puckdex-fuzz-XXXXXX"));
    static const QString path = dir.path();
    if (!dir.isValid())
        fail(__FILE__, __LINE__, "no scratch folder");
    return path;
}

inline QString scratchPath(const QString &name)
{
    return scratchFolder() + QLatin1Char('/') + name;
}

inline void writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}

// The file's bytes, or an empty array when there is no such file.
inline QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace Puckdex::Fuzz
