// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

// Encodes an RGB888 or Grayscale8 picture as a baseline JPEG, colour at 4:2:0, with a JFIF APP0
// segment and the given ICC profile (APP2, when not empty) and no other segment. Throws
// QuirvelError when the library fails.
QByteArray writeJpeg(const QImage& image, int quality, const QByteArray& iccProfile);
