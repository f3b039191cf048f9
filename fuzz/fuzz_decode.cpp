// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: every input goes through the same decode call a chosen picture takes. A refused
// picture throws QuirvelError, which is the expected way out; anything else is a finding. The
// input also goes through the Exif reader, as a whole file (through the library's marker hook)
// and as the TIFF block of an Exif segment.

#include "core/quirvelerror.h"
#include "jpeg/exiforientation.h"
#include "jpeg/exifsegment.h"
#include "jpeg/jpegdecoder.h"
#include "jpeg/orientation.h"

#include <QByteArray>
#include <QImage>

#include <csetjmp>
#include <cstddef>
#include <cstdint>

namespace
{

// Big pictures are legal up to the decoder's limit, but decoding 100 megapixels per input would
// leave the fuzzer a handful of runs a minute; the hostile-picture test covers them. Any frame
// header anywhere in the input that declares more than this skips the input.
constexpr std::uint64_t MaxFuzzPixels = 1u << 20;

bool declaresBigFrame(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; i + 9 <= size; ++i) {
        if (data[i] != 0xFF)
            continue;
        const std::uint8_t m = data[i + 1];
        const bool frame = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (!frame)
            continue;
        const std::uint64_t height = (data[i + 5] << 8) | data[i + 6];
        const std::uint64_t width = (data[i + 7] << 8) | data[i + 8];
        if (width * height > MaxFuzzPixels)
            return true;
    }
    return false;
}

// A header read with the Exif hook, the way the decoder reads one.
struct HeaderReader {
    jpeg_decompress_struct cinfo{}; // first, so Escape finds the rest
    jpeg_error_mgr jerr{};
    std::jmp_buf escape{};
    ExifSegment exif;
};

[[noreturn]] void escape(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<HeaderReader*>(cinfo)->escape, 1);
}
void Quiet(j_common_ptr) {}
void Quiet(j_common_ptr, int) {}

int readOrientation(HeaderReader& r, const std::uint8_t* data, std::size_t size)
{
    if (setjmp(r.escape))
        return 1;
    jpeg_create_decompress(&r.cinfo);
    saveFirstExifSegment(&r.cinfo, &r.exif);
    jpeg_mem_src(&r.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&r.cinfo, TRUE);
    return exifOrientation(r.exif);
}

int headerOrientation(const std::uint8_t* data, std::size_t size)
{
    HeaderReader r;
    r.cinfo.err = jpeg_std_error(&r.jerr);
    r.jerr.error_exit = escape;
    r.jerr.emit_message = Quiet;
    r.jerr.output_message = Quiet;
    const int orientation = readOrientation(r, data, size);
    jpeg_destroy_decompress(&r.cinfo);
    return orientation;
}

bool isOrientation(int value)
{
    return value >= 1 && value <= 8;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (declaresBigFrame(data, size))
        return -1; // keep it out of the working corpus
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!isOrientation(exifOrientation(bytes)) ||
        !isOrientation(exifOrientation(QByteArray("Exif\0\0", 6) + bytes)))
        __builtin_trap();
    const int orientation = headerOrientation(data, size);
    if (!isOrientation(orientation))
        __builtin_trap();
    try {
        const QImage image = decodeJpegData(bytes);
        if (image.isNull() || (image.format() != QImage::Format_RGB888 &&
                               image.format() != QImage::Format_Grayscale8))
            __builtin_trap();
        // Read the last byte so a short buffer shows up under AddressSanitizer.
        volatile uchar last = image.constScanLine(image.height() - 1)[image.bytesPerLine() - 1];
        (void)last;
        const QImage shown = orientedImage(image, orientation);
        if (shown.format() != image.format() ||
            storedSize(shown.size(), orientation) != image.size())
            __builtin_trap();
        // The window's path: the thumbnail and preview copies, turned upright.
        const QList<QImage> copies =
            decodeJpegDataStretched(bytes, {QSize(113, 81), QSize(249, 169)});
        if (copies.size() != 2 || copies[0].size() != QSize(113, 81) ||
            copies[1].size() != QSize(249, 169))
            __builtin_trap();
    } catch (const QuirvelError& e) {
        if (e.text().isEmpty())
            __builtin_trap();
    }
    return 0;
}
