// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg/orientation.h"

#include <QColorSpace>

#include <cstring>

namespace
{

bool transposes(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

} // namespace

QSize storedSize(QSize shown, int orientation)
{
    return transposes(orientation) ? shown.transposed() : shown;
}

QImage orientedImage(const QImage& stored, int orientation)
{
    if (orientation < 2 || orientation > 8 || stored.isNull())
        return stored;
    // Shown pixel (x, y): mirror first, within the shown size, then swap the axes for 5-8.
    const bool across =
        orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7;
    const bool down = orientation == 3 || orientation == 4 || orientation == 7 || orientation == 8;
    const bool swap = transposes(orientation);

    const QImage source =
        stored.depth() % 8 == 0 ? stored : stored.convertToFormat(QImage::Format_ARGB32);
    const int bytes = source.depth() / 8;
    const QSize size = storedSize(source.size(), orientation);
    QImage shown(size, source.format());
    if (shown.isNull())
        return shown;
    shown.setColorTable(source.colorTable());
    shown.setColorSpace(source.colorSpace());
    for (int y = 0; y < size.height(); ++y) {
        uchar* out = shown.scanLine(y);
        const int v = down ? size.height() - 1 - y : y;
        for (int x = 0; x < size.width(); ++x, out += bytes) {
            const int u = across ? size.width() - 1 - x : x;
            const int sx = swap ? v : u;
            const int sy = swap ? u : v;
            std::memcpy(out, source.constScanLine(sy) + qsizetype(sx) * bytes, size_t(bytes));
        }
    }
    return shown;
}
