// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Real JPEG files for the tests, written with libjpeg itself, plus surgery on their markers.

#include "testfiles.h"

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

// Compresses width x height pixels into memory: `configure` sets colour space and coding on the
// defaults, `row(y)` gives each row's samples.
template <class Configure, class Row>
QByteArray compress(int width, int height, int components, J_COLOR_SPACE space, Configure configure,
                    Row row)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    configure(cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW samples = row(int(cinfo.next_scanline));
        jpeg_write_scanlines(&cinfo, &samples, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

// Grayscale8 images become grey JPEGs, everything else colour ones.
inline QByteArray encodeJpeg(const QImage& source, bool progressive = false, int quality = 92)
{
    const bool grey = source.format() == QImage::Format_Grayscale8;
    const QImage image = grey ? source : source.convertToFormat(QImage::Format_RGB888);
    return compress(
        image.width(), image.height(), grey ? 1 : 3, grey ? JCS_GRAYSCALE : JCS_RGB,
        [&](jpeg_compress_struct& cinfo) {
            jpeg_set_quality(&cinfo, quality, TRUE);
            if (progressive)
                jpeg_simple_progression(&cinfo);
        },
        [&](int y) { return const_cast<uchar*>(image.constScanLine(y)); });
}

// How a four-channel picture is stored: ink values without an Adobe marker, or the way
// Photoshop writes them, inverted under an Adobe marker, as CMYK or as YCCK.
enum class InkJpeg { PlainCmyk, AdobeCmyk, AdobeYcck };

// The picture's colours as ink (black taken out first, so K carries the darkness) in a JPEG.
inline QByteArray encodeInkJpeg(const QImage& source, InkJpeg kind, bool progressive = false)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    const int flip = kind == InkJpeg::PlainCmyk ? 0 : 255;
    std::vector<uchar> row(size_t(image.width()) * 4);
    return compress(
        image.width(), image.height(), 4, JCS_CMYK,
        [&](jpeg_compress_struct& cinfo) {
            if (kind == InkJpeg::AdobeYcck)
                jpeg_set_colorspace(&cinfo, JCS_YCCK);
            cinfo.write_Adobe_marker = kind != InkJpeg::PlainCmyk;
            jpeg_set_quality(&cinfo, 95, TRUE);
            if (progressive)
                jpeg_simple_progression(&cinfo);
        },
        [&](int y) {
            const uchar* rgb = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x, rgb += 3) {
                const int light = std::max({rgb[0], rgb[1], rgb[2]});
                for (int c = 0; c < 3; ++c)
                    row[size_t(x) * 4 + size_t(c)] =
                        uchar((light ? (light - rgb[c]) * 255 / light : 0) ^ flip);
                row[size_t(x) * 4 + 3] = uchar((255 - light) ^ flip);
            }
            return row.data();
        });
}

// Four flat quadrants, so a stretched copy can be checked at a glance.
inline QImage quadrants(int width, int height, const QColor& tl, const QColor& tr, const QColor& bl,
                        const QColor& br, bool grey = false)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    const int w = width / 2, h = height / 2;
    p.fillRect(0, 0, w, h, tl);
    p.fillRect(w, 0, width - w, h, tr);
    p.fillRect(0, h, w, height - h, bl);
    p.fillRect(w, h, width - w, height - h, br);
    p.end();
    return grey ? image.convertToFormat(QImage::Format_Grayscale8) : image;
}

inline bool near(QRgb a, QRgb b, int tolerance = 24)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Position of the first SOFn marker's height field, or -1.
inline qsizetype frameHeaderAt(const QByteArray& jpeg)
{
    for (qsizetype i = 2; i + 9 < jpeg.size();) {
        if (uchar(jpeg[i]) != 0xFF)
            return -1;
        const uchar marker = uchar(jpeg[i + 1]);
        const int length = (uchar(jpeg[i + 2]) << 8) | uchar(jpeg[i + 3]);
        if (marker >= 0xC0 && marker <= 0xC2)
            return i + 5;
        i += 2 + length;
    }
    return -1;
}

// The same file claiming another size in its frame header.
inline QByteArray withClaimedSize(QByteArray jpeg, int width, int height)
{
    const qsizetype at = frameHeaderAt(jpeg);
    jpeg[at] = char(height >> 8);
    jpeg[at + 1] = char(height & 0xFF);
    jpeg[at + 2] = char(width >> 8);
    jpeg[at + 3] = char(width & 0xFF);
    return jpeg;
}

// A progressive file whose first scan (with the tables before it) is repeated until the file
// holds `scans` scans: what a hostile file does to make a decoder loop.
inline QByteArray withRepeatedScans(const QByteArray& progressive, int scans)
{
    // Find the first SOS and the marker that ends its entropy-coded data.
    qsizetype i = 2, firstTables = -1;
    while (i + 4 < progressive.size()) {
        const uchar marker = uchar(progressive[i + 1]);
        const int length = (uchar(progressive[i + 2]) << 8) | uchar(progressive[i + 3]);
        if (marker == 0xC4 && firstTables < 0)
            firstTables = i;
        if (marker == 0xDA)
            break;
        if (marker >= 0xC0 && marker <= 0xC2)
            firstTables = -1;
        i += 2 + length;
    }
    const qsizetype sos = i;
    qsizetype end = sos + 2 + ((uchar(progressive[sos + 2]) << 8) | uchar(progressive[sos + 3]));
    while (end + 1 < progressive.size() &&
           !(uchar(progressive[end]) == 0xFF && uchar(progressive[end + 1]) != 0x00 &&
             (uchar(progressive[end + 1]) < 0xD0 || uchar(progressive[end + 1]) > 0xD7)))
        ++end;
    const QByteArray scan = progressive.mid(firstTables < 0 ? sos : firstTables,
                                            end - (firstTables < 0 ? sos : firstTables));
    QByteArray out = progressive.left(end);
    for (int k = 1; k < scans; ++k)
        out += scan;
    out += QByteArray("\xFF\xD9", 2);
    return out;
}

// One marker segment: marker, length, payload.
inline QByteArray jpegSegment(uchar marker, const QByteArray& payload)
{
    const int length = int(payload.size()) + 2;
    QByteArray out;
    out += char(0xFF);
    out += char(marker);
    out += char(length >> 8);
    out += char(length & 0xFF);
    return out + payload;
}

// The same file with `segments` right after its start marker.
inline QByteArray withSegmentsAfterSoi(const QByteArray& jpeg, const QByteArray& segments)
{
    return jpeg.left(2) + segments + jpeg.mid(2);
}

// An Exif APP1 segment whose IFD0 holds only an Orientation of `value`, big-endian as many
// cameras write it.
inline QByteArray exifOrientationSegment(int value)
{
    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);                 // header, IFD0 at 8
    tiff += QByteArray("\0\x01\x01\x12\0\x03\0\0\0\x01", 10); // one entry: Orientation, SHORT, 1
    tiff += char(value >> 8);
    tiff += char(value & 0xFF);
    tiff += QByteArray(6, '\0'); // the rest of the value field, no next IFD
    return jpegSegment(0xE1, QByteArray("Exif\0\0", 6) + tiff);
}

// Grey, with a red block in the top-left corner and a smaller blue one in the top-right: where the
// two end up tells every turn and mirror apart.
inline const QColor MarkRed(220, 30, 30), MarkBlue(30, 30, 220), MarkGrey(128, 128, 128);
inline QImage cornerMarks(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(MarkGrey);
    QPainter p(&image);
    p.fillRect(0, 0, width * 2 / 5, height * 2 / 5, MarkRed);
    p.fillRect(width - width * 3 / 10, 0, width * 3 / 10, height * 3 / 10, MarkBlue);
    return image;
}
