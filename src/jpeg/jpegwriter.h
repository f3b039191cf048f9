// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

// Encodes a picture (RGB888, RGB32 and Grayscale8 as they are, others converted) as a baseline
// JPEG, colour at 4:2:0, with a JFIF APP0 segment and the given ICC profile (APP2, when not empty)
// and no other segment; optimised Huffman tables cost a pass for a few per cent of size. Throws
// QuirvelError when the library fails.
QByteArray writeJpeg(const QImage& image, int quality, const QByteArray& iccProfile,
                     bool optimizeCoding = true);
