// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg/jpegwriter.h"

#include "core/quirvelerror.h"

#include <QSysInfo>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace
{

// As in the decoder: error_exit longjmps back, so the functions it crosses hold plain data only.
struct Encoder {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    jpeg_destination_mgr destination{};
    std::jmp_buf escape{};
    // The file as far as it is written, and room for more: an encoding given up frees it with
    // the rest (libjpeg's own memory destination leaves a grown buffer to whoever knows of it).
    QByteArray bytes;
};

Encoder& encoderOf(j_common_ptr cinfo)
{
    return *static_cast<Encoder*>(cinfo->client_data);
}

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    std::longjmp(encoderOf(cinfo).escape, 1);
}

void startOutput(j_compress_ptr cinfo)
{
    Encoder& e = encoderOf(reinterpret_cast<j_common_ptr>(cinfo));
    e.destination.next_output_byte = reinterpret_cast<JOCTET*>(e.bytes.data());
    e.destination.free_in_buffer = size_t(e.bytes.size());
}

boolean growOutput(j_compress_ptr cinfo)
{
    Encoder& e = encoderOf(reinterpret_cast<j_common_ptr>(cinfo));
    const qsizetype full = e.bytes.size();
    bool grown = true;
    try {
        e.bytes.resize(full * 2);
    } catch (const std::bad_alloc&) {
        grown = false;
    }
    if (!grown)
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    e.destination.next_output_byte = reinterpret_cast<JOCTET*>(e.bytes.data() + full);
    e.destination.free_in_buffer = size_t(e.bytes.size() - full);
    return TRUE;
}

void endOutput(j_compress_ptr cinfo)
{
    Encoder& e = encoderOf(reinterpret_cast<j_common_ptr>(cinfo));
    e.bytes.resize(e.bytes.size() - qsizetype(e.destination.free_in_buffer));
}

void ignoreMessage(j_common_ptr, int) {}

// What compress encodes: rows of one layout, given in order by row(y); a null row gives up.
struct Rows {
    QSize size;
    QImage::Format format;
    const std::function<const uchar*(int)>& row;
};

enum class Outcome { Done, LibraryFailed, SourceGaveUp };

Outcome compress(Encoder& e, const Rows& rows, int quality, const QByteArray& icc, bool optimize)
{
    if (setjmp(e.escape))
        return Outcome::LibraryFailed;
    jpeg_create_compress(&e.cinfo);
    e.cinfo.dest = &e.destination;
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
    e.cinfo.client_data = &e;
    e.jerr.error_exit = errorExit;
    e.jerr.emit_message = ignoreMessage;
    e.destination.init_destination = startOutput;
    e.destination.empty_output_buffer = growOutput;
    e.destination.term_destination = endOutput;
    // About what a photo at quality 90 takes: pages the file never reaches are never touched.
    e.bytes.resize(
        std::max<qsizetype>(qsizetype(rows.size.width()) * rows.size.height() / 2, 65536));
    const Outcome outcome = compress(e, rows, quality, iccProfile, optimizeCoding);
    jpeg_destroy_compress(&e.cinfo);
    if (outcome == Outcome::LibraryFailed)
        throw QuirvelError(QStringLiteral("ошибка библиотеки JPEG"));
    if (outcome == Outcome::SourceGaveUp)
        return {};
    e.bytes.squeeze();
    return std::move(e.bytes);
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
