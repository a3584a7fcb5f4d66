#include "files/records.h"

#include "files/codepage.h"

#include <QtEndian>

namespace Puckdex {

template <int N>
qint32 FixedRecord<N>::int32At(int offset) const
{
    Q_ASSERT(offset >= 0 && offset + 4 <= N);
    return qFromLittleEndian<qint32>(m_bytes.data() + offset);
}

template <int N>
void FixedRecord<N>::setInt32At(int offset, qint32 value)
{
    Q_ASSERT(offset >= 0 && offset + 4 <= N);
    qToLittleEndian<qint32>(value, m_bytes.data() + offset);
}

template <int N>
QString FixedRecord<N>::textAt(FieldSpan field) const
{
    const auto *begin = reinterpret_cast<const char *>(m_bytes.data() + field.offset);
    const void *nul = std::memchr(begin, 0, field.width);
    const qsizetype length = nul ? static_cast<const char *>(nul) - begin : field.width;
    return CodePage::decode(QByteArrayView(begin, length));
}

template <int N>
QString FixedRecord<N>::wholeTextAt(FieldSpan field) const
{
    return CodePage::decode(QByteArrayView(m_bytes.data() + field.offset, field.width));
}

template <int N>
TextFit FixedRecord<N>::setTextAt(FieldSpan field, const QString &text)
{
    if (text.size() > field.width)
        return TextFit::TooLong;
    const std::optional<QByteArray> encoded = CodePage::encode(text);
    if (!encoded)
        return TextFit::NotInCodePage;
    quint8 *dest = m_bytes.data() + field.offset;
    std::memset(dest, 0, field.width);
    std::memcpy(dest, encoded->constData(), encoded->size());
    return TextFit::Ok;
}

template class FixedRecord<TeamRecord::Size>;
template class FixedRecord<PlayerRecord::Size>;
template class FixedRecord<GoalieAttribRecord::Size>;
template class FixedRecord<SkaterAttribRecord::Size>;
template class FixedRecord<SeasonIndexEntry::Size>;

void PlayerRecord::unlinkPicture()
{
    const QString none = QStringLiteral("NONE");
    setTextAt(PictureCodeA, none);
    setTextAt(PictureCodeB, none);
}

int SeasonIndexEntry::gameNumber() const
{
    int number = 0;
    for (int i = GameNumber.offset; i < GameNumber.offset + GameNumber.width; ++i) {
        const quint8 b = byte(i);
        if (b == ' ' || b == '\t' || b == '\n' || b == '\r')
            continue;
        if (b < '0' || b > '9')
            break;
        number = number * 10 + (b - '0');
    }
    return number;
}

} // namespace Puckdex
