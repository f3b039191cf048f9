// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg/jpegdecoder.h"

#include "core/quirvelerror.h"
#include "jpeg/exifsegment.h"
#include "jpeg/orientation.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include <jpeglib.h>
// Message codes as an enum: JMESSAGE is not defined here.
#include <jerror.h>

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
    ExifSegment exif;
    std::jmp_buf escape{};
    Failure failure = Failure::None;
    int code = 0;
    bool damaged = false;
};

Decoder& owner(j_common_ptr cinfo)
{
    // cinfo is the first member, so the struct starts where the library's object starts.
    return *reinterpret_cast<Decoder*>(cinfo);
}

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    Decoder& d = owner(cinfo);
    if (d.failure == Failure::None) {
        d.failure = Failure::Library;
        d.code = cinfo->err->msg_code;
    }
    std::longjmp(d.escape, 1);
}

// Only warnings that mean pixels were lost count: intact phone photos often carry stray bytes
// between segments, which the library skips and reports as well. The end of the file alone says
// nothing where a missing end marker is all that is missing: scan data that breaks off is then
// reported as a marker hit, and missing progressive scans show in the coefficients' bits (see
// readRows). Arithmetic decoding and separate scans per component break off silently, though.
void noteWarning(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
        if (cinfo->is_decompressor && !d->progressive_mode &&
            (d->arith_code || d->comps_in_scan < d->num_components))
            owner(cinfo).damaged = true;
        break;
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
        owner(cinfo).damaged = true;
        break;
    default:
        break;
    }
}
void ignoreOutput(j_common_ptr) {}

void watchScans(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    const qint64 scans = d->input_scan_number;
    if (scans > MaxJpegScans || scans * d->image_width * d->image_height > MaxJpegScanPixels) {
        owner(cinfo).failure = Failure::TooManyScans;
        std::longjmp(owner(cinfo).escape, 1);
    }
}

void prepare(Decoder& d)
{
    d.cinfo.err = jpeg_std_error(&d.jerr);
    d.jerr.error_exit = errorExit;
    d.jerr.emit_message = noteWarning;
    d.jerr.output_message = ignoreOutput;
    d.progress.progress_monitor = watchScans;
}

// Phase one: create, attach the source, read the header and set the output parameters.
bool readHeader(Decoder& d, std::FILE* file, const unsigned char* data, unsigned long size,
                bool keepIcc)
{
    if (setjmp(d.escape))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.progress = &d.progress;
    d.cinfo.mem->max_memory_to_use = MaxLibraryMemory;
    saveFirstExifSegment(&d.cinfo, &d.exif);
    if (keepIcc)
        jpeg_save_markers(&d.cinfo, JPEG_APP0 + 2, 0xFFFF);
    if (file)
        jpeg_stdio_src(&d.cinfo, file);
    else
        jpeg_mem_src(&d.cinfo, data, size);
    jpeg_read_header(&d.cinfo, TRUE);
    d.cinfo.do_block_smoothing = TRUE;
    d.cinfo.dct_method = JDCT_DEFAULT;
    switch (d.cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        d.cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        // The library turns YCCK into CMYK but no further; the rows become RGB below.
        d.cinfo.out_color_space = JCS_CMYK;
        break;
    default:
        d.cinfo.out_color_space = JCS_RGB;
        break;
    }
    return true;
}

// The profile is malloc'ed by the library; the caller frees it.
bool readIccProfile(Decoder& d, JOCTET** profile, unsigned int* size)
{
    if (setjmp(d.escape))
        return false;
    if (!jpeg_read_icc_profile(&d.cinfo, profile, size)) {
        *profile = nullptr;
        *size = 0;
    }
    return true;
}

bool startDecompress(Decoder& d, int scaleEighths)
{
    if (setjmp(d.escape))
        return false;
    d.cinfo.scale_num = unsigned(scaleEighths);
    d.cinfo.scale_denom = 8;
    jpeg_start_decompress(&d.cinfo);
    return true;
}

// Receives the decoded picture one row at a time, top to bottom: grey or RGB, `width` pixels.
class RowSink
{
public:
    // Where row y is to be written.
    virtual uchar* row(int y) = 0;
    // Row y is complete.
    virtual void take(int y) = 0;

protected:
    ~RowSink() = default;
};

uchar product(int a, int b)
{
    // a * b / 255, rounded.
    const int t = a * b + 128;
    return uchar((t + (t >> 8)) >> 8);
}

// Photoshop's Adobe-marked files store CMYK inverted (255 = no ink); plain CMYK files store ink.
void inkToRgb(const uchar* cmyk, uchar* rgb, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const int flip = inverted ? 0 : 255;
        const int k = cmyk[3] ^ flip;
        rgb[0] = product(cmyk[0] ^ flip, k);
        rgb[1] = product(cmyk[1] ^ flip, k);
        rgb[2] = product(cmyk[2] ^ flip, k);
    }
}

// Phase two: every row goes to the sink as soon as it is decoded.
bool readRows(Decoder& d, RowSink& sink)
{
    if (setjmp(d.escape))
        return false;
    // The library's own pool frees this row with the decompressor.
    JSAMPARRAY ink = d.cinfo.out_color_space != JCS_CMYK
                         ? nullptr
                         : (*d.cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.cinfo),
                                                        JPOOL_IMAGE, d.cinfo.output_width * 4, 1);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const int y = int(d.cinfo.output_scanline);
        JSAMPROW row = ink ? ink[0] : sink.row(y);
        jpeg_read_scanlines(&d.cinfo, &row, 1);
        if (ink)
            inkToRgb(ink[0], sink.row(y), d.cinfo.output_width, d.cinfo.saw_Adobe_marker);
        sink.take(y);
    }
    // Every coefficient of a complete progressive picture has had its last bit (0); the table
    // goes with jpeg_finish_decompress.
    if (d.cinfo.progressive_mode && d.cinfo.coef_bits)
        for (int c = 0; c < d.cinfo.num_components; ++c)
            for (int k = 0; k < DCTSIZE2; ++k)
                if (d.cinfo.coef_bits[c][k] != 0)
                    d.damaged = true;
    jpeg_finish_decompress(&d.cinfo);
    return true;
}

// Destroys the decompressor whatever happened to it.
struct DecoderGuard {
    Decoder& d;
    ~DecoderGuard() { jpeg_destroy_decompress(&d.cinfo); }
};

QString jpegFailureReason(int code)
{
    switch (code) {
    case JERR_NO_SOI:
        return QStringLiteral("это не JPEG-файл");
    case JERR_INPUT_EMPTY:
        return QStringLiteral("файл пуст");
    case JERR_OUT_OF_MEMORY:
        return QStringLiteral("не хватает памяти");
    case JERR_FILE_READ:
        return QStringLiteral("файл не читается");
    case JERR_ARITH_NOTIMPL:
    case JERR_BAD_PRECISION:
    case JERR_CCIR601_NOTIMPL:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_FRACT_SAMPLE_NOTIMPL:
    case JERR_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_SOF_UNSUPPORTED:
        return QStringLiteral("такой вид JPEG не поддерживается");
    default:
        return QStringLiteral("файл повреждён");
    }
}

[[noreturn]] void fail(const Decoder& d)
{
    if (d.failure == Failure::TooManyScans)
        throw QuirvelError(
            QStringLiteral("Файл JPEG содержит больше %1 проходов развёртки и не будет открыт")
                .arg(d.cinfo.input_scan_number - 1));
    throw QuirvelError(jpegFailureReason(d.code));
}

[[noreturn]] void outOfMemory()
{
    throw QuirvelError(QStringLiteral("Не хватает памяти, чтобы открыть картинку"));
}

struct Source {
    std::FILE* file = nullptr;
    const unsigned char* data = nullptr;
    unsigned long size = 0;
};

// Full size unless a reduced decode asks for less; see decodeReduced.
struct Scaling {
    bool keepIcc = false;
    int maxUprightHeight = 0; // 0: full size
    QByteArray iccProfile;    // out
};

bool transposes(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// The smallest DCT scale M/8 whose upright height still reaches the target.
int scaleEighths(const jpeg_decompress_struct& cinfo, int orientation, int maxUprightHeight)
{
    if (maxUprightHeight <= 0)
        return 8;
    const qint64 upright = transposes(orientation) ? cinfo.image_width : cinfo.image_height;
    const qint64 target = qMin<qint64>(upright, maxUprightHeight);
    for (int m = 1; m < 8; ++m)
        if ((upright * m + 7) / 8 >= target)
            return m;
    return 8;
}

// The whole decode. Once the picture's size, kind and Exif orientation are known, and only then,
// makeSink(width, height, grey, orientation) sets up where the rows go and returns that RowSink.
// True when the picture decoded only in part (the rest is filled in grey).
template <class MakeSink>
bool decode(const Source& source, MakeSink&& makeSink, Scaling* scaling = nullptr)
{
    Decoder d;
    prepare(d);
    DecoderGuard guard{d};
    if (!readHeader(d, source.file, source.data, source.size, scaling && scaling->keepIcc))
        fail(d);
    // The segment goes with the library's pool; the number is all that is kept.
    const int orientation = exifOrientation(d.exif);
    if (scaling && scaling->keepIcc) {
        JOCTET* profile = nullptr;
        unsigned int size = 0;
        if (!readIccProfile(d, &profile, &size))
            fail(d);
        scaling->iccProfile = QByteArray(reinterpret_cast<const char*>(profile), qsizetype(size));
        std::free(profile);
    }

    const qint64 width = d.cinfo.image_width;
    const qint64 height = d.cinfo.image_height;
    if (width * height > MaxJpegPixels)
        throw QuirvelError(QStringLiteral("Картинка слишком велика: %1 × %2 точек, а можно не "
                                          "больше %3 мегапикселей")
                               .arg(width)
                               .arg(height)
                               .arg(MaxJpegPixels / 1'000'000));

    if (!startDecompress(d, scaling ? scaleEighths(d.cinfo, orientation, scaling->maxUprightHeight)
                                    : 8))
        fail(d);
    RowSink& sink = makeSink(int(d.cinfo.output_width), int(d.cinfo.output_height),
                             d.cinfo.out_color_space == JCS_GRAYSCALE, orientation);
    if (!readRows(d, sink))
        fail(d);
    return d.damaged;
}

// Rows straight into one full-size image.
class FullPicture final : public RowSink
{
public:
    FullPicture(int width, int height, bool grey)
        : image(width, height, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888)
    {
        if (image.isNull())
            outOfMemory();
        m_bits = image.bits();
        m_stride = image.bytesPerLine();
    }
    uchar* row(int y) override { return m_bits + m_stride * y; }
    void take(int) override {}

    QImage image;

private:
    uchar* m_bits = nullptr;
    qsizetype m_stride = 0;
};

// Rows into one reused buffer; each copy takes the rows and columns it samples as they pass.
class StretchedCopies final : public RowSink
{
public:
    StretchedCopies(int width, int height, bool grey, const QList<QSize>& sizes)
        : m_height(height), m_pixelBytes(grey ? 1 : 3), m_row(size_t(width) * m_pixelBytes)
    {
        const QImage::Format format = grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888;
        for (const QSize& size : sizes) {
            Copy copy;
            if (!size.isEmpty()) {
                copy.image = QImage(size, format);
                if (copy.image.isNull())
                    outOfMemory();
                copy.columns.resize(size_t(size.width()));
                for (int i = 0; i < size.width(); ++i)
                    copy.columns[size_t(i)] = stretchSource(i, width, size.width()) * m_pixelBytes;
            }
            m_copies.push_back(std::move(copy));
        }
    }
    uchar* row(int) override { return m_row.data(); }
    void take(int y) override
    {
        for (Copy& copy : m_copies) {
            const int rows = copy.image.height();
            // Upward stretching repeats a row: copy the first pass and duplicate it.
            const uchar* first = nullptr;
            for (; copy.next < rows && stretchSource(copy.next, m_height, rows) == y; ++copy.next) {
                uchar* out = copy.image.scanLine(copy.next);
                if (first) {
                    std::memcpy(out, first, size_t(copy.image.width()) * m_pixelBytes);
                    continue;
                }
                if (m_pixelBytes == 1) {
                    for (const int from : copy.columns)
                        *out++ = m_row[size_t(from)];
                } else {
                    for (const int from : copy.columns) {
                        const uchar* pixel = m_row.data() + from;
                        *out++ = pixel[0];
                        *out++ = pixel[1];
                        *out++ = pixel[2];
                    }
                }
                first = copy.image.constScanLine(copy.next);
            }
        }
    }
    QList<QImage> images() const
    {
        QList<QImage> images;
        for (const Copy& copy : m_copies)
            images.append(copy.image);
        return images;
    }

private:
    struct Copy {
        QImage image;
        std::vector<int> columns; // byte offset of each column's source pixel in the row
        int next = 0;             // the first row not yet filled
    };
    int m_height;
    int m_pixelBytes;
    std::vector<uchar> m_row;
    std::vector<Copy> m_copies;
};

QImage decodeFull(const Source& source)
{
    std::optional<FullPicture> picture;
    decode(source, [&](int width, int height, bool grey, int) -> RowSink& {
        return picture.emplace(width, height, grey);
    });
    return picture->image;
}

// The copies are stretched to their sizes as stored and turned upright afterwards: only the small
// copies are ever turned, so a tagged photo costs what an untagged one does.
QList<QImage> decodeStretched(const Source& source, const QList<QSize>& sizes, bool* damaged)
{
    std::optional<StretchedCopies> copies;
    int orientation = 1;
    const bool partial = decode(source, [&](int width, int height, bool grey, int tag) -> RowSink& {
        orientation = tag;
        QList<QSize> stored;
        for (const QSize& size : sizes)
            stored.append(storedSize(size, orientation));
        return copies.emplace(width, height, grey, stored);
    });
    if (damaged)
        *damaged = partial;
    QList<QImage> images = copies->images();
    for (QImage& image : images)
        image = orientedImage(image, orientation);
    return images;
}

// Decoded at the smallest DCT scale that covers the target, turned upright, then averaged down.
ReducedJpeg decodeReduced(const Source& source, int maxHeight)
{
    std::optional<FullPicture> picture;
    int orientation = 1;
    bool grey = false;
    Scaling scaling{true, maxHeight, {}};
    const bool damaged = decode(
        source,
        [&](int width, int height, bool isGrey, int tag) -> RowSink& {
            orientation = tag;
            grey = isGrey;
            return picture.emplace(width, height, isGrey);
        },
        &scaling);
    QImage image = orientedImage(picture->image, orientation);
    picture.reset();
    if (image.height() > maxHeight) {
        const int width =
            qMax(1, int((qint64(image.width()) * maxHeight + image.height() / 2) / image.height()));
        image = image.scaled(width, maxHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (image.isNull())
            outOfMemory();
    }
    if (grey && image.format() != QImage::Format_Grayscale8)
        image = image.convertToFormat(QImage::Format_Grayscale8);
    else if (!grey && image.format() != QImage::Format_RGB888)
        image = image.convertToFormat(QImage::Format_RGB888);
    // A CMYK file's profile does not describe the RGB pixels it becomes.
    const QByteArray space = scaling.iccProfile.mid(16, 4);
    if (space != (grey ? QByteArrayLiteral("GRAY") : QByteArrayLiteral("RGB ")))
        scaling.iccProfile.clear();
    return {image, scaling.iccProfile, damaged};
}

// Opens the file for the decode and closes it after, whatever happens.
template <class F> auto withFile(const QString& path, F&& decode)
{
    const QByteArray name = QFile::encodeName(path);
    std::FILE* file = name.isEmpty() ? nullptr : std::fopen(name.constData(), "rb");
    if (!file)
        throw QuirvelError(QStringLiteral("Не удаётся открыть файл «%1»").arg(path));
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{file};
    return decode(Source{file, nullptr, 0});
}

Source fromData(const QByteArray& data)
{
    return {nullptr, reinterpret_cast<const unsigned char*>(data.constData()),
            static_cast<unsigned long>(data.size())};
}

} // namespace

QImage decodeJpegData(const QByteArray& data)
{
    return decodeFull(fromData(data));
}

QImage decodeJpegFile(const QString& path)
{
    return withFile(path, [](const Source& source) { return decodeFull(source); });
}

QList<QImage> decodeJpegDataStretched(const QByteArray& data, const QList<QSize>& sizes,
                                      bool* damaged)
{
    return decodeStretched(fromData(data), sizes, damaged);
}

ReducedJpeg decodeJpegStreamReduced(std::FILE* file, int maxHeight)
{
    return decodeReduced(Source{file, nullptr, 0}, maxHeight);
}

QList<QImage> decodeJpegFileStretched(const QString& path, const QList<QSize>& sizes, bool* damaged)
{
    return withFile(path,
                    [&](const Source& source) { return decodeStretched(source, sizes, damaged); });
}

QString namedPictureFailure(int k, const QString& name, const QString& reason)
{
    // A whole sentence becomes the clause after the colon; "JPEG…" keeps its capitals.
    QString clause = reason;
    if (clause.size() > 1 && clause.at(0).isUpper() && clause.at(1).isLower())
        clause[0] = clause.at(0).toLower();
    return QStringLiteral("Картинка %1 (%2): %3").arg(k).arg(name, clause);
}

QString partialPictureNotice(int k, const QString& name)
{
    return QStringLiteral("Картинка %1 (%2) повреждена: показана не полностью").arg(k).arg(name);
}
