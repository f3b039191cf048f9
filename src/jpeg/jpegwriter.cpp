// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg/jpegwriter.h"

#include "core/quirvelerror.h"

#include <QSysInfo>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <jpeglib.h>

namespace
{

// As in the decoder: error_exit longjmps back, so the functions it crosses hold plain data only.
struct Encoder {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    std::jmp_buf escape{};
};

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<Encoder*>(cinfo)->escape, 1);
}

void ignoreMessage(j_common_ptr, int) {}

// What compress encodes: rows of one layout, given in order by row(y); a null row gives up.
struct Rows {
    QSize size;
    QImage::Format format;
    const std::function<const uchar*(int)>& row;
};

enum class Outcome { Done, LibraryFailed, SourceGaveUp };

Outcome compress(Encoder& e, const Rows& rows, int quality, const QByteArray& icc, bool optimize,
                 unsigned char** out, unsigned long* size)
{
    if (setjmp(e.escape))
        return Outcome::LibraryFailed;
    jpeg_create_compress(&e.cinfo);
    jpeg_mem_dest(&e.cinfo, out, size);
    const bool grey = rows.format == QImage::Format_Grayscale8;
    // RGB32 is read as it lies in memory, without a conversion pass.
    const bool rgb32 = rows.format == QImage::Format_RGB32;
    e.cinfo.image_width = JDIMENSION(rows.size.width());
    e.cinfo.image_height = JDIMENSION(rows.size.height());
    e.cinfo.input_components = grey ? 1 : rgb32 ? 4 : 3;
    e.cinfo.in_color_space =
        grey    ? JCS_GRAYSCALE
        : rgb32 ? (QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB)
                : JCS_RGB;
    jpeg_set_defaults(&e.cinfo);
    jpeg_set_quality(&e.cinfo, quality, TRUE);
    if (!grey) {
        e.cinfo.comp_info[0].h_samp_factor = 2;
        e.cinfo.comp_info[0].v_samp_factor = 2;
        for (int c = 1; c < 3; ++c)
            e.cinfo.comp_info[c].h_samp_factor = e.cinfo.comp_info[c].v_samp_factor = 1;
    }
    e.cinfo.write_JFIF_header = TRUE;
    e.cinfo.write_Adobe_marker = FALSE;
    e.cinfo.optimize_coding = optimize ? TRUE : FALSE;
    jpeg_start_compress(&e.cinfo, TRUE);
    if (!icc.isEmpty())
        jpeg_write_icc_profile(&e.cinfo, reinterpret_cast<const JOCTET*>(icc.constData()),
                               unsigned(icc.size()));
    while (e.cinfo.next_scanline < e.cinfo.image_height) {
        JSAMPROW row = const_cast<uchar*>(rows.row(int(e.cinfo.next_scanline)));
        if (!row)
            return Outcome::SourceGaveUp;
        jpeg_write_scanlines(&e.cinfo, &row, 1);
    }
    jpeg_finish_compress(&e.cinfo);
    return Outcome::Done;
}

QByteArray encode(const Rows& rows, int quality, const QByteArray& iccProfile, bool optimizeCoding)
{
    Encoder e;
    e.cinfo.err = jpeg_std_error(&e.jerr);
    e.jerr.error_exit = errorExit;
    e.jerr.emit_message = ignoreMessage;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const Outcome outcome = compress(e, rows, quality, iccProfile, optimizeCoding, &buffer, &size);
    jpeg_destroy_compress(&e.cinfo);
    QByteArray bytes = outcome == Outcome::Done
                           ? QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size))
                           : QByteArray();
    std::free(buffer);
    if (outcome == Outcome::LibraryFailed)
        throw QuirvelError(QStringLiteral("ошибка библиотеки JPEG"));
    return bytes;
}

} // namespace

QByteArray writeJpeg(const QImage& source, int quality, const QByteArray& iccProfile,
                     bool optimizeCoding)
{
    const QImage image = source.format() == QImage::Format_Grayscale8 ||
                                 source.format() == QImage::Format_RGB888 ||
                                 source.format() == QImage::Format_RGB32
                             ? source
                             : source.convertToFormat(QImage::Format_RGB888);
    const std::function<const uchar*(int)> row = [&](int y) { return image.constScanLine(y); };
    return encode({image.size(), image.format(), row}, quality, iccProfile, optimizeCoding);
}

QByteArray writeJpegRows(QSize size, int quality, bool optimizeCoding,
                         const std::function<const uchar*(int)>& row)
{
    return encode({size, QImage::Format_RGB888, row}, quality, {}, optimizeCoding);
}
