// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg/pngdecoder.h"

#include "core/quirvelerror.h"

#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

namespace
{

QString damaged()
{
    return QStringLiteral("формат PNG: файл повреждён");
}

[[noreturn]] void fail(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Chunks nothing here uses; zTXt and iTXt would be inflated otherwise.
constexpr png_byte Skipped[] = "bKGD\0eXIf\0hIST\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0sPLT\0tEXt\0"
                               "tIME\0zTXt";

// The functions that call setjmp hold plain data only: png_error longjmps back into them.
bool readHeader(png_structp png, png_infop info, bool* interlaced)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    *interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    if (*interlaced)
        png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool readOne(png_structp png, png_bytep row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_row(png, row, nullptr);
    return true;
}

bool readAll(png_structp png, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    return true;
}

QColorSpace colourSpaceOf(png_structp png, png_infop info)
{
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length)) {
        const QColorSpace space = QColorSpace::fromIccProfile(
            QByteArray(reinterpret_cast<const char*>(profile), qsizetype(length)));
        if (space.isValid())
            return space;
    }
    int intent = -1;
    if (png_get_sRGB(png, info, &intent) && intent >= 0 && intent <= 3)
        return QColorSpace::SRgb;
    double gamma = 0;
    if (!png_get_gAMA(png, info, &gamma) || gamma <= 0)
        return {};
    const auto transfer = QColorSpace::TransferFunction::Gamma;
    double wx, wy, rx, ry, gx, gy, bx, by;
    if (png_get_cHRM(png, info, &wx, &wy, &rx, &ry, &gx, &gy, &bx, &by)) {
        const QColorSpace space({wx, wy}, {rx, ry}, {gx, gy}, {bx, by}, transfer, float(1 / gamma));
        if (space.isValid())
            return space;
    }
    return QColorSpace(QColorSpace::Primaries::SRgb, transfer, float(1 / gamma));
}

} // namespace

PngDecoder::PngDecoder(const QByteArray& data) : m_data(data)
{
    m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignoreWarning);
    if (m_png)
        m_info = png_create_info_struct(m_png);
    bool interlaced = false;
    if (m_info) {
        png_set_read_fn(m_png, this, &PngDecoder::read);
        // Files written with too small a window size are read as other programs read them.
        png_set_option(m_png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
#ifdef PNG_IGNORE_ADLER32
        png_set_option(m_png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
        png_set_keep_unknown_chunks(m_png, PNG_HANDLE_CHUNK_NEVER, Skipped,
                                    int(sizeof Skipped / 5));
    }
    if (!m_info || !readHeader(m_png, m_info, &interlaced)) {
        png_destroy_read_struct(&m_png, &m_info, nullptr);
        throw QuirvelError(damaged());
    }
    m_size =
        QSize(int(png_get_image_width(m_png, m_info)), int(png_get_image_height(m_png, m_info)));
    m_alpha = png_get_channels(m_png, m_info) == 4;
    m_interlaced = interlaced;
    m_colorSpace = colourSpaceOf(m_png, m_info);
}

PngDecoder::~PngDecoder()
{
    png_destroy_read_struct(&m_png, &m_info, nullptr);
}

bool PngDecoder::readRow(uchar* row)
{
    return readOne(m_png, row);
}

QImage PngDecoder::readImage()
{
    QImage image(m_size, m_alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    if (image.isNull())
        throw QuirvelError(QStringLiteral("формат PNG: не хватает памяти для картинки %1 × %2")
                               .arg(m_size.width())
                               .arg(m_size.height()));
    std::vector<png_bytep> rows(size_t(m_size.height()));
    for (int y = 0; y < m_size.height(); ++y)
        rows[size_t(y)] = image.scanLine(y);
    if (!readAll(m_png, rows.data()))
        throw QuirvelError(damaged());
    image.setColorSpace(m_colorSpace);
    return image;
}

void PngDecoder::read(png_struct_def* png, unsigned char* bytes, size_t length)
{
    auto* self = static_cast<PngDecoder*>(png_get_io_ptr(png));
    if (length > size_t(self->m_data.size() - self->m_offset))
        png_error(png, "truncated");
    std::memcpy(bytes, self->m_data.constData() + self->m_offset, length);
    self->m_offset += qsizetype(length);
}
