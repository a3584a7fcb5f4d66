#include "csvreader.h"

#include "files/codepage.h"

#include <QStringDecoder>

namespace Puckdex::Cli::Csv {

namespace {

const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// The line, from 1, where bytes stop being text the decoder takes.
int firstBrokenLine(const QByteArray &bytes, QStringConverter::Encoding encoding)
{
    QStringDecoder decoder(encoding);
    const qsizetype unit = encoding == QStringConverter::Utf8 ? 1 : 2;
    const bool littleEndian = encoding == QStringConverter::Utf16LE;
    int line = 1;
    for (qsizetype at = 0; at + unit <= bytes.size(); at += unit) {
        const QString c = decoder.decode(QByteArrayView(bytes).sliced(at, unit));
        if (decoder.hasError())
            return line;
        const bool newline = unit == 1 ? bytes[at] == '\n'
                                       : bytes[at + (littleEndian ? 0 : 1)] == '\n'
                                             && bytes[at + (littleEndian ? 1 : 0)] == 0;
        line += newline;
    }
    return line;
}

QString decoded(const QByteArray &bytes, QStringConverter::Encoding encoding, bool &broken)
{
    // Stateless: an incomplete last character counts as an error too.
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    broken = decoder.hasError() || (encoding != QStringConverter::Utf8 && bytes.size() % 2);
    return text;
}

} // namespace

Result<Text> decode(const QString &path, QByteArray bytes)
{
    const bool littleEndian = bytes.startsWith("\xFF\xFE");
    const bool utf16 = littleEndian || bytes.startsWith("\xFE\xFF");
    const bool markedUtf8 = bytes.startsWith(kUtf8Bom);
    bytes.remove(0, utf16 ? 2 : markedUtf8 ? kUtf8Bom.size() : 0);
    const QStringConverter::Encoding encoding = !utf16        ? QStringConverter::Utf8
                                                : littleEndian ? QStringConverter::Utf16LE
                                                               : QStringConverter::Utf16BE;
    bool broken = false;
    QString text = decoded(bytes, encoding, broken);
    if (!broken)
        return Text{text, utf16 ? Encoding::Utf16 : Encoding::Utf8};
    if (utf16 || markedUtf8) {
        return FileError{path, QStringLiteral("the file starts with the mark of %1 text, but line "
                                              "%2 is not %1")
                                   .arg(utf16 ? QStringLiteral("UTF-16") : QStringLiteral("UTF-8"))
                                   .arg(firstBrokenLine(bytes, encoding))};
    }
    return Text{CodePage::decode(bytes), Encoding::Windows1252};
}

Result<QList<Record>> parse(const QString &path, QStringView text, QChar separator,
                            qsizetype limit)
{
    QList<Record> records;
    int line = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto atLineEnd = [&](qsizetype at) {
        return at >= n || text[at] == u'\n' || text[at] == u'\r';
    };
    const auto skipLineEnd = [&] {
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        ++i;
        ++line;
    };
    while (i < n && records.size() != limit) {
        if (text[i] == u'\n' || text[i] == u'\r') { // an empty line
            skipLineEnd();
            continue;
        }
        Record record{line, {}};
        for (;;) {
            QString cell;
            if (i < n && text[i] == u'"') {
                const int startLine = line;
                ++i;
                for (;;) {
                    if (i >= n) {
                        return FileError{path, QStringLiteral("the quoted cell that starts on line "
                                                              "%1 is never closed")
                                                   .arg(startLine)};
                    }
                    const QChar c = text[i];
                    if (c == u'"') {
                        if (i + 1 < n && text[i + 1] == u'"') {
                            cell += u'"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (c == u'\n' || (c == u'\r' && !(i + 1 < n && text[i + 1] == u'\n')))
                        ++line;
                    cell += c;
                    ++i;
                }
                if (!atLineEnd(i) && text[i] != separator) {
                    return FileError{path, QStringLiteral("line %1: text after the closing quote "
                                                          "of a cell (a quote inside a cell is "
                                                          "written twice)")
                                               .arg(line)};
                }
            } else {
                while (!atLineEnd(i) && text[i] != separator) {
                    if (text[i] == u'"') {
                        return FileError{path, QStringLiteral("line %1: a quote inside a cell that "
                                                              "is not quoted (quote the whole "
                                                              "cell and write the quote twice)")
                                                   .arg(line)};
                    }
                    cell += text[i];
                    ++i;
                }
            }
            record.cells.append(cell);
            if (i < n && text[i] == separator) {
                ++i;
                continue;
            }
            break;
        }
        records.append(record);
        if (i < n)
            skipLineEnd();
    }
    return records;
}

QChar findSeparator(QStringView text, const std::function<bool(QStringView)> &isName)
{
    QChar best = u',';
    qsizetype bestNames = 0;
    for (const QChar separator : {QChar(u','), QChar(u';'), QChar(u'\t')}) {
        // The first record with a cell that is not empty; rows of empty
        // cells above the header are a spreadsheet's.
        std::optional<Record> first;
        for (qsizetype limit = 1; !first; ++limit) {
            const Result<QList<Record>> records = parse(QString(), text, separator, limit);
            if (!records || records->size() < limit)
                break;
            if (!isBlank(records->last().cells))
                first = records->last();
        }
        if (!first)
            continue;
        const QStringList &cells = first->cells;
        const qsizetype names = std::count_if(cells.begin(), cells.end(), [&](const QString &c) {
            return isName(QStringView(c).trimmed());
        });
        if (names > bestNames) {
            best = separator;
            bestNames = names;
        }
    }
    return best;
}

bool isBlank(const QStringList &cells)
{
    return std::all_of(cells.begin(), cells.end(),
                       [](const QString &cell) { return cell.trimmed().isEmpty(); });
}

} // namespace Puckdex::Cli::Csv
