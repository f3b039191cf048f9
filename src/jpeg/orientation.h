// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>

// Exif orientations (1-8) applied to pictures. The tag says where the stored rows and columns go
// on screen: 2 mirrors left to right, 3 turns half round, 4 mirrors top to bottom, 5 transposes
// (the first row becomes the left column), 6 turns a quarter clockwise, 7 transposes across the
// other diagonal, 8 turns a quarter anticlockwise. Any other value leaves the picture as stored.

// The picture as it is to be shown: the same format (pictures of less than 8 bits a pixel
// become ARGB32), width and height swapped for 5-8.
QImage orientedImage(const QImage& stored, int orientation);

// The stored size that orientedImage() turns into `shown`: a copy stretched to this size and then
// oriented has the shown size.
QSize storedSize(QSize shown, int orientation);
