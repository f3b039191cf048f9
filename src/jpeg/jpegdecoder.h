// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <cstdio>

// Decodes a whole JPEG picture at full size, as stored: an Exif orientation is not applied. RGB888,
// or Grayscale8 for a grey picture; CMYK and YCCK pictures come out as RGB. A fatal library error
// throws QuirvelError with the reason in a few Russian words ("это не JPEG-файл", "файл
// повреждён"); an unreadable file, a picture over MaxJpegPixels and a hostile progressive file
// throw a Russian sentence. A picture whose data breaks off or is corrupt still decodes, with the
// lost part grey; the functions below that take `damaged` say so there.
QImage decodeJpegFile(const QString& path);
QImage decodeJpegData(const QByteArray& data);

// Decodes a picture once, row by row, into one copy per requested size, stretched without
// smoothing, and never holds the full-size picture: a large photo then costs no more memory than
// its small copies. The copies are shown the way up a browser shows the file: a picture with an
// Exif orientation is stretched to storedSize(size, orientation), then orientedImage() turns that
// small copy to the requested size. Pixels follow stretchSource, which is what QImage::scaled()
// with Qt::FastTransformation picks, so a copy equals the full decode scaled that way (and then
// turned). Formats, errors and limits are decodeJpegFile's; an empty size gives a null image.
QList<QImage> decodeJpegFileStretched(const QString& path, const QList<QSize>& sizes,
                                      bool* damaged = nullptr);
QList<QImage> decodeJpegDataStretched(const QByteArray& data, const QList<QSize>& sizes,
                                      bool* damaged = nullptr);

// A picture made small for sending: upright (Exif orientation applied), at most maxHeight pixels
// high and never enlarged, RGB888 or Grayscale8, with the file's ICC profile when it describes
// those pixels (empty otherwise). It is decoded with the library's DCT scaling at the smallest
// factor that still covers the target, then averaged down. Errors and limits are decodeJpegFile's.
struct ReducedJpeg {
    QImage image;
    QByteArray iccProfile;
    bool damaged = false; // decoded only in part
};
ReducedJpeg decodeJpegStreamReduced(std::FILE* file, int maxHeight);

// How the user is told about slot k's picture, file `name`: one that can't be used, with the
// decoder's reason, and one that decoded only in part.
QString namedPictureFailure(int k, const QString& name, const QString& reason);
QString partialPictureNotice(int k, const QString& name);

// The source pixel (column or row) that pixel i of a `to`-pixel copy of a `from`-pixel line takes:
// the one under i's centre, and of two the upper or left one when the centre lies on their border.
constexpr int stretchSource(int i, int from, int to)
{
    return int(((2 * qint64(i) + 1) * from - 1) / (2 * qint64(to)));
}

// Pictures larger than this are refused right after the header, before anything big is allocated.
inline constexpr qint64 MaxJpegPixels = 120'000'000;
// More scans than this means a hostile progressive file; the same limit as TurboJPEG's.
inline constexpr int MaxJpegScans = 500;
// Even an empty scan walks every block of the picture, so on a large picture far fewer scans
// already freeze the window for seconds. Scans times pixels is bounded too: 64 scans of a
// 64-megapixel picture; real progressive files have about ten.
inline constexpr qint64 MaxJpegScanPixels = 64LL * 64'000'000;
