// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QColorSpace>
#include <QImage>
#include <QSize>

#include <cstddef>

struct png_struct_def;
struct png_info_def;

// A PNG file read through libpng, 8 bits a channel, RGB or RGBA: palettes, grey, 16 bits and
// transparent colours are expanded. A slot's JPEG is made of a row at a time, so a non-interlaced
// picture is never held whole. The zlib stream's Adler-32 is not checked (a damaged stream still
// fails to inflate, and the chunks' CRCs are); text, time and Exif chunks are skipped unread.
class PngDecoder
{
public:
    // Reads the header of data, which must outlive the decoder. Throws QuirvelError.
    explicit PngDecoder(const QByteArray& data);
    ~PngDecoder();
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    QSize size() const { return m_size; }
    bool hasAlpha() const { return m_alpha; }
    bool interlaced() const { return m_interlaced; }
    // As Qt's reader names it: from iCCP, else sRGB, else gAMA (with cHRM's primaries);
    // invalid when the file names none.
    QColorSpace colorSpace() const { return m_colorSpace; }

    // The next row into row, 3 bytes a pixel (4 with alpha); false when the file is damaged.
    // Not for interlaced files.
    bool readRow(uchar* row);
    // The whole picture, RGB888 or RGBA8888, with its colour space. Throws QuirvelError.
    QImage readImage();

private:
    // libpng's read callback: the next bytes of m_data.
    static void read(png_struct_def* png, unsigned char* bytes, size_t length);

    const QByteArray& m_data;
    qsizetype m_offset = 0;
    png_struct_def* m_png = nullptr;
    png_info_def* m_info = nullptr;
    QSize m_size;
    bool m_alpha = false;
    bool m_interlaced = false;
    QColorSpace m_colorSpace;
};
