#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <array>
#include <cstddef>

// The sample writer's own random numbers, used by its files only.
namespace Puckdex::Sample {

// splitmix64: tiny, fast and the same on every platform and library version,
// which std::rand and the standard distributions are not.
class Rng
{
public:
    explicit Rng(quint64 seed) : m_state(seed) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // lo to hi, both included.
    int between(int lo, int hi)
    {
        return lo + static_cast<int>(next() % static_cast<quint64>(hi - lo + 1));
    }
    bool chance(int percent) { return between(0, 99) < percent; }
    // Never 0, so an unused byte cannot pass for a cleared one.
    quint8 nonZeroByte() { return static_cast<quint8>(between(1, 255)); }
    QByteArray nonZeroBytes(int count)
    {
        QByteArray bytes(count, Qt::Uninitialized);
        for (char &b : bytes)
            b = static_cast<char>(nonZeroByte());
        return bytes;
    }

    template <typename T, std::size_t N> const T &pick(const std::array<T, N> &items)
    {
        return items[next() % N];
    }

    template <typename T> void shuffle(QList<T> &items)
    {
        for (qsizetype i = items.size() - 1; i > 0; --i)
            items.swapItemsAt(i, static_cast<qsizetype>(next() % static_cast<quint64>(i + 1)));
    }

private:
    quint64 m_state;
};

} // namespace Puckdex::Sample
