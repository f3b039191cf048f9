#include "jpegdecoder.h"

#include "app/errors.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace
{

// Bounds the library's own working memory (coefficient buffers of progressive pictures).
constexpr long MaxLibraryMemory = 1024L * 1024 * 1024;

enum class Failure { None, Library, TooManyScans };

// Everything the library touches lives here, as plain data: error_exit longjmps back into the
// functions below, which therefore hold no C++ objects with destructors of their own.
struct Decoder {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    jpeg_progress_mgr progress{};
    std::jmp_buf escape{};
    Failure failure = Failure::None;
    int code = 0;
};

Decoder& Owner(j_common_ptr cinfo)
{
    // cinfo is the first member, so the struct starts where the library's object starts.
    return *reinterpret_cast<Decoder*>(cinfo);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    Decoder& d = Owner(cinfo);
    if (d.failure == Failure::None) {
        d.failure = Failure::Library;
        d.code = cinfo->err->msg_code;
    }
    std::longjmp(d.escape, 1);
}

void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}

void WatchScans(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    const qint64 scans = d->input_scan_number;
    if (scans > MaxJpegScans || scans * d->image_width * d->image_height > MaxJpegScanPixels) {
        Owner(cinfo).failure = Failure::TooManyScans;
        std::longjmp(Owner(cinfo).escape, 1);
    }
}

void Prepare(Decoder& d)
{
    d.cinfo.err = jpeg_std_error(&d.jerr);
    d.jerr.error_exit = ErrorExit;
    d.jerr.emit_message = IgnoreMessage;
    d.jerr.output_message = IgnoreOutput;
    d.progress.progress_monitor = WatchScans;
}

// Phase one: create, attach the source, read the header and set the output parameters.
bool ReadHeader(Decoder& d, std::FILE* file, const unsigned char* data, unsigned long size)
{
    if (setjmp(d.escape))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.progress = &d.progress;
    d.cinfo.mem->max_memory_to_use = MaxLibraryMemory;
    if (file)
        jpeg_stdio_src(&d.cinfo, file);
    else
        jpeg_mem_src(&d.cinfo, data, size);
    jpeg_read_header(&d.cinfo, TRUE);
    d.cinfo.scale_num = 1;
    d.cinfo.scale_denom = 1;
    d.cinfo.do_block_smoothing = TRUE;
    d.cinfo.dct_method = JDCT_DEFAULT;
    d.cinfo.out_color_space = d.cinfo.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    return true;
}

bool StartDecompress(Decoder& d)
{
    if (setjmp(d.escape))
        return false;
    jpeg_start_decompress(&d.cinfo);
    return true;
}

// Phase two: the rows go straight into memory the caller owns.
bool ReadRows(Decoder& d, uchar* bits, qsizetype stride)
{
    if (setjmp(d.escape))
        return false;
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        JSAMPROW row = bits + stride * d.cinfo.output_scanline;
        jpeg_read_scanlines(&d.cinfo, &row, 1);
    }
    jpeg_finish_decompress(&d.cinfo);
    return true;
}

// Destroys the decompressor whatever happened to it.
struct DecoderGuard {
    Decoder& d;
    ~DecoderGuard() { jpeg_destroy_decompress(&d.cinfo); }
};

[[noreturn]] void Fail(const Decoder& d)
{
    if (d.failure == Failure::TooManyScans)
        throw QuirvelError(
            QStringLiteral("Файл JPEG содержит больше %1 проходов развёртки и не будет открыт")
                .arg(d.cinfo.input_scan_number - 1));
    throw QuirvelError(QStringLiteral("JPEG error #%1").arg(d.code));
}

QImage Decode(std::FILE* file, const unsigned char* data, unsigned long size)
{
    Decoder d;
    Prepare(d);
    DecoderGuard guard{d};
    if (!ReadHeader(d, file, data, size))
        Fail(d);

    const qint64 width = d.cinfo.image_width;
    const qint64 height = d.cinfo.image_height;
    if (width * height > MaxJpegPixels)
        throw QuirvelError(QStringLiteral("Картинка слишком велика: %1 × %2 точек, а можно не "
                                          "больше %3 мегапикселей")
                               .arg(width)
                               .arg(height)
                               .arg(MaxJpegPixels / 1'000'000));

    if (!StartDecompress(d))
        Fail(d);
    const bool grey = d.cinfo.output_components == 1;
    QImage image(int(d.cinfo.output_width), int(d.cinfo.output_height),
                 grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image.isNull())
        throw QuirvelError(QStringLiteral("Не хватает памяти, чтобы открыть картинку"));
    if (!ReadRows(d, image.bits(), image.bytesPerLine()))
        Fail(d);
    return image;
}

} // namespace

QImage DecodeJpegData(const QByteArray& data)
{
    return Decode(nullptr, reinterpret_cast<const unsigned char*>(data.constData()),
                  static_cast<unsigned long>(data.size()));
}

QImage DecodeJpegFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    std::FILE* file = name.isEmpty() ? nullptr : std::fopen(name.constData(), "rb");
    if (!file)
        throw QuirvelError(QStringLiteral("Не удаётся открыть файл «%1»").arg(path));
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{file};
    return Decode(file, nullptr, 0);
}
