// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/picturelocation.h"

#include "core/errorreason.h"

#include <QFile>
#include <QList>
#include <QPair>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace
{

constexpr quint16 GpsIfdTag = 0x8825;
constexpr qint64 EntrySize = 12;
// The head read first: Exif and XMP lie before the picture data, in a few dozen KB.
constexpr qint64 HeadSize = 256 * 1024;

// The TIFF block of an Exif segment, every access checked against its end.
class Tiff
{
public:
    Tiff(uchar* data, qint64 size) : m_data(data), m_size(size), m_little(data[0] == 'I') {}

    bool holds(qint64 at, qint64 bytes) const
    {
        return at >= 0 && bytes >= 0 && bytes <= m_size - at;
    }
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
    void put16(qint64 at, quint16 value)
    {
        m_data[at] = uchar(m_little ? value : value >> 8);
        m_data[at + 1] = uchar(m_little ? value >> 8 : value);
    }
    void zero(qint64 at, qint64 bytes)
    {
        if (holds(at, bytes))
            std::memset(m_data + at, 0, size_t(bytes));
    }
    // Entries of the directory at offset wholly inside the block.
    qint64 entryCount(qint64 offset) const
    {
        return holds(offset, 2) ? std::min<qint64>(u16(offset), (m_size - offset - 2) / EntrySize)
                                : 0;
    }

    // Zeroes the GPS directory and its values, and takes its entry out of IFD0 by moving the
    // later entries and the next-directory offset up one place.
    bool removeGps()
    {
        if (!holds(0, 8) || u16(2) != 42)
            return false;
        const qint64 ifd0 = u32(4);
        const qint64 count = entryCount(ifd0);
        for (qint64 i = 0; i < count; ++i) {
            const qint64 entry = ifd0 + 2 + i * EntrySize;
            if (u16(entry) != GpsIfdTag)
                continue;
            zeroDirectory(u32(entry + 8));
            const qint64 end = std::min(ifd0 + 2 + count * EntrySize + 4, m_size);
            std::memmove(m_data + entry, m_data + entry + EntrySize,
                         size_t(end - entry - EntrySize));
            std::memset(m_data + end - EntrySize, 0, EntrySize);
            put16(ifd0, quint16(u16(ifd0) - 1));
            return true;
        }
        return false;
    }

private:
    void zeroDirectory(qint64 offset)
    {
        static const qint64 typeSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
        const qint64 count = entryCount(offset);
        for (qint64 i = 0; i < count; ++i) {
            const qint64 entry = offset + 2 + i * EntrySize;
            const quint16 type = u16(entry + 2);
            const qint64 bytes =
                (type < std::size(typeSizes) ? typeSizes[type] : 0) * qint64(u32(entry + 4));
            if (bytes > 4)
                zero(u32(entry + 8), bytes);
        }
        zero(offset, 2 + count * EntrySize + 4);
    }

    uchar* m_data;
    qint64 m_size;
    bool m_little;
};

bool startsWith(const QByteArray& data, qint64 at, QByteArrayView prefix)
{
    return at <= data.size() && QByteArrayView(data).sliced(at).startsWith(prefix);
}

} // namespace

bool PictureLocation::remove(QByteArray& jpeg, bool* scanReached)
{
    static const QByteArrayView ExifId("Exif\0\0", 6);
    static const QByteArrayView XmpId("http://ns.adobe.com/xap/1.0/\0", 29);
    static const QByteArrayView ExtendedXmpId("http://ns.adobe.com/xmp/extension/\0", 35);
    if (scanReached)
        *scanReached = false;
    if (!jpeg.startsWith("\xFF\xD8"))
        return false;
    bool changed = false;
    QList<QPair<qint64, qint64>> dropped;
    qint64 at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF) {
        const uchar marker = uchar(jpeg[at + 1]);
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) {
            if (scanReached)
                *scanReached = true;
            break;
        }
        const qint64 length = qint64(uchar(jpeg[at + 2])) << 8 | uchar(jpeg[at + 3]);
        if (length < 2 || at + 2 + length > jpeg.size())
            break;
        const qint64 payload = at + 4, end = at + 2 + length;
        if (marker == 0xE1 && startsWith(jpeg, payload, ExifId) && end - payload > 14) {
            Tiff tiff(reinterpret_cast<uchar*>(jpeg.data()) + payload + 6, end - payload - 6);
            changed |= tiff.removeGps();
        } else if (marker == 0xE1 &&
                   (startsWith(jpeg, payload, XmpId) || startsWith(jpeg, payload, ExtendedXmpId))) {
            if (QByteArray::fromRawData(jpeg.constData() + payload, end - payload).contains("GPS"))
                dropped.prepend({at, end - at});
        }
        at = end;
    }
    for (const auto& [start, length] : dropped)
        jpeg.remove(start, length);
    return changed || !dropped.isEmpty();
}

std::error_code PictureLocation::removeFromFile(const QString& path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite))
        return lastSystemError();
    QByteArray bytes = file.read(HeadSize);
    bool scanReached = false;
    // Most pictures hold no location: their head says so, and the file stays as it is.
    if (!remove(bytes, &scanReached) && (scanReached || file.atEnd()))
        return {};
    errno = 0;
    if (!file.seek(0))
        return lastSystemError();
    bytes = file.readAll();
    if (!remove(bytes))
        return {};
    errno = 0;
    if (!file.seek(0) || file.write(bytes) != bytes.size() || !file.resize(bytes.size()) ||
        !file.flush())
        return lastSystemError();
    return {};
}
