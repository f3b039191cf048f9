// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

#include <functional>

// Encodes a picture (RGB888, RGB32 and Grayscale8 as they are, others converted) as a baseline
// JPEG, colour at 4:2:0, with a JFIF APP0 segment and the given ICC profile (APP2, when not empty)
// and no other segment; optimised Huffman tables cost a pass for a few per cent of size. Throws
// QuirvelError when the library fails.
QByteArray writeJpeg(const QImage& image, int quality, const QByteArray& iccProfile,
                     bool optimizeCoding = true);
// The same for a picture never held whole: row(y) gives its rows in order, RGB888, or nullptr to
// give up, which makes the result empty. No ICC profile.
QByteArray writeJpegRows(QSize size, int quality, bool optimizeCoding,
                         const std::function<const uchar*(int)>& row);
