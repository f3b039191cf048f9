// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg/exiforientation.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

constexpr quint16 OrientationTag = 0x0112;
constexpr quint16 ExifIfdTag = 0x8769;
constexpr quint16 ShortType = 3;
constexpr quint16 LongType = 4;
constexpr qint64 EntrySize = 12;

// The TIFF block of the segment. Every read goes through here, checked against its size in 64
// bits, so no offset from the file can point past the end or wrap around.
class Tiff
{
public:
    Tiff(const uchar* data, qint64 size, bool little) : m_data(data), m_size(size), m_little(little)
    {
    }

    bool holds(qint64 at, qint64 bytes) const { return at >= 0 && bytes <= m_size - at; }

    quint16 u16(qint64 at) const
    {
        const uchar* p = m_data + at;
        return m_little ? quint16(p[0] | p[1] << 8) : quint16(p[0] << 8 | p[1]);
    }
    quint32 u32(qint64 at) const
    {
        const quint32 a = u16(at), b = u16(at + 2);
        return m_little ? (b << 16 | a) : (a << 16 | b);
    }

    // The first valid Orientation in IFD0, or 0. A sub-IFD counts where IFD0 names it; the
    // sub-IFD's own sub-IFDs do not, so no chain of offsets is ever followed.
    int orientation(quint32 ifd0)
    {
        const qint64 entries = entryCount(ifd0);
        for (qint64 i = 0; i < entries; ++i) {
            const qint64 entry = qint64(ifd0) + 2 + i * EntrySize;
            if (const int value = orientationIn(entry))
                return value;
            if (u16(entry) == ExifIfdTag && u16(entry + 2) == LongType && u32(entry + 4) == 1) {
                if (const int value = subIfdOrientation(u32(entry + 8)))
                    return value;
            }
        }
        return 0;
    }

private:
    // The entries a directory claims, cut to those wholly inside the block; 0 for a directory
    // outside it.
    qint64 entryCount(quint32 offset) const
    {
        if (!holds(offset, 2))
            return 0;
        return std::min<qint64>(u16(offset), (m_size - offset - 2) / EntrySize);
    }

    // The value of a valid Orientation entry at `entry`, or 0.
    int orientationIn(qint64 entry) const
    {
        if (u16(entry) != OrientationTag || u16(entry + 2) != ShortType || u32(entry + 4) != 1)
            return 0;
        const int value = u16(entry + 8);
        return value >= 1 && value <= 8 ? value : 0;
    }

    // IFD0 may name thousands of overlapping sub-IFDs. A table of where the next valid
    // Orientation entry starts, twelve bytes at a time from each position, answers each in one
    // step, so the whole walk costs about one pass over the block.
    int subIfdOrientation(quint32 offset)
    {
        const qint64 entries = entryCount(offset);
        if (entries == 0)
            return 0;
        if (m_next.empty()) {
            m_next.assign(size_t(m_size), -1);
            // Positions too near the end for a whole entry keep -1.
            for (qint64 at = m_size - EntrySize; at >= 0; --at) {
                const qint64 later = at + EntrySize;
                m_next[size_t(at)] = orientationIn(at) ? qint32(at)
                                     : later < m_size  ? m_next[size_t(later)]
                                                       : -1;
            }
        }
        const qint64 first = qint64(offset) + 2;
        const qint64 found = m_next[size_t(first)];
        return found >= 0 && found < first + entries * EntrySize ? orientationIn(found) : 0;
    }

    const uchar* m_data;
    qint64 m_size;
    bool m_little;
    std::vector<qint32> m_next;
};

} // namespace

int exifOrientation(const QByteArray& app1Payload)
{
    // "Exif", a zero and one pad byte that is not looked at.
    constexpr qint64 HeaderSize = 6;
    const auto* data = reinterpret_cast<const uchar*>(app1Payload.constData());
    const qint64 size = app1Payload.size() - HeaderSize;
    if (size < 8 || std::memcmp(data, "Exif", 5) != 0)
        return 1;
    const uchar* tiff = data + HeaderSize;
    if (tiff[0] != tiff[1] || (tiff[0] != 'I' && tiff[0] != 'M'))
        return 1;
    Tiff reader(tiff, size, tiff[0] == 'I');
    if (reader.u16(2) != 42)
        return 1;
    const int value = reader.orientation(reader.u32(4));
    return value ? value : 1;
}
