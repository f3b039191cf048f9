// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <cstdio>

// Four times the height the quiz page shows a picture at.
inline constexpr int MaxSentPictureHeight = 640;

// A picture as the exports send it: upright, at most MaxSentPictureHeight high, quality 85 with
// only its JFIF and ICC segments, so no Exif (place, camera) leaves with it. Throws QuirvelError
// with the decoder's message; `damaged` tells a picture that decoded only in part.
QByteArray reducedPicture(std::FILE* jpeg, bool* damaged = nullptr);
