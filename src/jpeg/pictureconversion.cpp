// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg/pictureconversion.h"

#include "core/quirvelerror.h"
#include "jpeg/jpegwriter.h"
#include "jpeg/pngdecoder.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <libheif/heif.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

namespace
{

using Kind = PictureConversion::Kind;

// A 120-MP picture with 16 bits a channel: Qt's own limit (128 MB in 6.4) would refuse an
// ordinary 48-MP PNG, so the pixel limit above is what refuses.
constexpr int AllocationLimitMb = 1024;
// libheif's limit is a side; the pixel limit is checked before decoding.
constexpr int MaxHeifSide = 65535;

QString damaged(Kind kind)
{
    return QStringLiteral("формат %1: файл повреждён").arg(PictureConversion::kindName(kind));
}

QString unreadable(Kind kind)
{
    return QStringLiteral("формат %1: на этом компьютере не читается, нет его модуля")
        .arg(PictureConversion::kindName(kind));
}

void refuseLarge(Kind kind, qint64 width, qint64 height)
{
    if (width * height > PictureConversion::MaxPixels)
        throw QuirvelError(QStringLiteral("формат %1: картинка слишком большая (%2 × %3)")
                               .arg(PictureConversion::kindName(kind))
                               .arg(width)
                               .arg(height));
}

QImage decodeWithQt(const QByteArray& data, Kind kind)
{
    static const QByteArray formats[] = {"", "jpeg", "png", "gif", "bmp", "webp", "tiff"};
    const QByteArray& format = formats[int(kind)];
    if (!QImageReader::supportedImageFormats().contains(format))
        throw QuirvelError(unreadable(kind));
    QImageReader::setAllocationLimit(AllocationLimitMb);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid())
        refuseLarge(kind, size.width(), size.height());
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw QuirvelError(damaged(kind));
    return image;
}

struct HeifDeleter {
    void operator()(heif_context* p) const { heif_context_free(p); }
    void operator()(heif_image_handle* p) const { heif_image_handle_release(p); }
    void operator()(heif_decoding_options* p) const { heif_decoding_options_free(p); }
};

// The colour space a HEIF file's pixels are in; invalid for sRGB or anything unnamed.
QColorSpace heifColourSpace(const heif_image_handle* handle)
{
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
        QByteArray icc(qsizetype(heif_image_handle_get_raw_color_profile_size(handle)), '\0');
        if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
            return {};
        return QColorSpace::fromIccProfile(icc);
    }
    case heif_color_profile_type_nclx: {
        heif_color_profile_nclx* nclx = nullptr;
        if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok)
            return {};
        // Phones write Display P3 so; Qt 6.4 knows no other primaries of this list.
        const bool p3 = nclx->color_primaries == heif_color_primaries_SMPTE_EG_432_1;
        heif_nclx_color_profile_free(nclx);
        return p3 ? QColorSpace(QColorSpace::DisplayP3) : QColorSpace();
    }
    default:
        return {};
    }
}

QImage decodeHeif(const QByteArray& data, Kind kind)
{
    std::unique_ptr<heif_context, HeifDeleter> context(heif_context_alloc());
    heif_context_set_maximum_image_size_limit(context.get(), MaxHeifSide);
    if (heif_context_read_from_memory_without_copy(context.get(), data.constData(),
                                                   size_t(data.size()), nullptr)
            .code != heif_error_Ok)
        throw QuirvelError(damaged(kind));
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        throw QuirvelError(damaged(kind));
    std::unique_ptr<heif_image_handle, HeifDeleter> handle(rawHandle);
    refuseLarge(kind, heif_image_handle_get_width(rawHandle),
                heif_image_handle_get_height(rawHandle));
    const bool alpha = heif_image_handle_has_alpha_channel(rawHandle);
    std::unique_ptr<heif_decoding_options, HeifDeleter> options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    // Rotation and mirroring are applied here, so an Exif orientation never is.
    options->ignore_transformations = 0;
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(
        rawHandle, &decoded, heif_colorspace_RGB,
        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    if (error.code != heif_error_Ok) {
        if (error.subcode == heif_suberror_Unsupported_codec)
            throw QuirvelError(unreadable(kind));
        throw QuirvelError(damaged(kind));
    }
    int stride = 0;
    const uint8_t* plane =
        heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    if (!plane) {
        heif_image_release(decoded);
        throw QuirvelError(damaged(kind));
    }
    // The decoded planes are used where they are; the image releases them.
    QImage image(
        plane, heif_image_get_width(decoded, heif_channel_interleaved),
        heif_image_get_height(decoded, heif_channel_interleaved), stride,
        alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888,
        [](void* p) { heif_image_release(static_cast<heif_image*>(p)); }, decoded);
    image.setColorSpace(heifColourSpace(rawHandle));
    return image;
}

bool fits(QSize size)
{
    return size.width() <= PictureConversion::MaxSide &&
           size.height() <= PictureConversion::MaxSide;
}

// The picture as the slot's JPEG is made of it: at most MaxSide, in sRGB, on white, RGB888.
QImage finished(QImage image)
{
    using PC = PictureConversion;
    if (!fits(image.size()))
        image =
            image.scaled(PC::MaxSide, PC::MaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const bool alpha = image.hasAlphaChannel();
    const QColorSpace space = image.colorSpace();
    if (space.isValid() && space != QColorSpace(QColorSpace::SRgb)) {
        // Deep pictures keep their precision through the conversion.
        const bool deep = image.depth() > 32;
        image.convertTo(deep ? QImage::Format_RGBA64
                             : (alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32));
        image.convertToColorSpace(QColorSpace(QColorSpace::SRgb));
    }
    if (alpha) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        image = std::move(flat);
    }
    if (image.format() != QImage::Format_RGB888 && image.format() != QImage::Format_RGB32)
        image.convertTo(QImage::Format_RGB888);
    image.setColorSpace(QColorSpace());
    return image;
}

using ChannelTables = std::array<std::array<uchar, 256>, 3>;

// Tables that take each channel to sRGB as convertToColorSpace does, when the conversion works on
// each channel alone, within a level: a transfer function over sRGB's primaries, as most tagged
// PNGs have (gAMA 0.45455 with sRGB's cHRM). None for other primaries.
std::optional<ChannelTables> channelTables(const QColorSpace& space)
{
    // Row 0 is grey, the rest mixed colours that tell whether the channels stay apart.
    const auto colour = [](int v, int y) {
        return y == 0 ? qRgb(v, v, v) : qRgb(v, (2 * v + 85) * y % 256, (7 * v + 37) * y % 256);
    };
    QImage probe(256, 8, QImage::Format_RGB32);
    for (int y = 0; y < probe.height(); ++y)
        for (int v = 0; v < 256; ++v)
            probe.setPixel(v, y, colour(v, y));
    probe.setColorSpace(space);
    probe.convertToColorSpace(QColorSpace::SRgb);
    ChannelTables tables;
    for (int v = 0; v < 256; ++v) {
        const QRgb grey = probe.pixel(v, 0);
        tables[0][size_t(v)] = uchar(qRed(grey));
        tables[1][size_t(v)] = uchar(qGreen(grey));
        tables[2][size_t(v)] = uchar(qBlue(grey));
    }
    for (int y = 1; y < probe.height(); ++y)
        for (int v = 0; v < 256; ++v) {
            const QRgb in = colour(v, y);
            const QRgb out = probe.pixel(v, y);
            if (std::abs(qRed(out) - tables[0][size_t(qRed(in))]) > 1 ||
                std::abs(qGreen(out) - tables[1][size_t(qGreen(in))]) > 1 ||
                std::abs(qBlue(out) - tables[2][size_t(qBlue(in))]) > 1)
                return std::nullopt;
        }
    return tables;
}

// A decoded row made what finished() makes of it, in place: in sRGB, on white, RGB888.
void finishRow(uchar* row, int width, bool alpha, const ChannelTables* tables)
{
    if (!alpha) {
        if (tables)
            for (uchar* p = row; p < row + width * 3; p += 3)
                for (size_t c = 0; c < 3; ++c)
                    p[c] = (*tables)[c][p[c]];
        return;
    }
    for (int x = 0; x < width; ++x) {
        const uchar* in = row + x * 4;
        const int a = in[3];
        for (int c = 0; c < 3; ++c) {
            const int v = tables ? (*tables)[size_t(c)][in[c]] : in[c];
            // As QPainter draws it: premultiplied, over white.
            row[x * 3 + c] = uchar((v * a + 127) / 255 + 255 - a);
        }
    }
}

// A PNG into the slot's JPEG a row at a time where it can be; the whole picture where it is
// interlaced, too large or in a space the tables can't convert.
QByteArray pngToJpeg(const QByteArray& data)
{
    PngDecoder png(data);
    refuseLarge(Kind::Png, png.size().width(), png.size().height());
    const QColorSpace space = png.colorSpace();
    std::optional<ChannelTables> tables;
    const bool convert = space.isValid() && space != QColorSpace(QColorSpace::SRgb);
    if (convert)
        tables = channelTables(space);
    if (png.interlaced() || !fits(png.size()) || (convert && !tables))
        return writeJpeg(finished(png.readImage()), PictureConversion::Quality, {}, false);
    const int width = png.size().width();
    std::vector<uchar> row(size_t(width) * (png.hasAlpha() ? 4 : 3));
    const QByteArray jpeg = writeJpegRows(png.size(), PictureConversion::Quality, false, [&](int) {
        if (!png.readRow(row.data()))
            return static_cast<const uchar*>(nullptr);
        finishRow(row.data(), width, png.hasAlpha(), tables ? &*tables : nullptr);
        return static_cast<const uchar*>(row.data());
    });
    if (jpeg.isEmpty())
        throw QuirvelError(damaged(Kind::Png));
    return jpeg;
}

} // namespace

PictureConversion::Kind PictureConversion::kindOf(const QByteArray& data)
{
    const auto at = [&](qsizetype offset, const char* bytes) {
        return data.mid(offset, qsizetype(qstrlen(bytes))) == bytes;
    };
    if (at(0, "\xFF\xD8\xFF"))
        return Kind::Jpeg;
    if (at(0, "\x89PNG\r\n\x1A\n"))
        return Kind::Png;
    if (at(0, "GIF87a") || at(0, "GIF89a"))
        return Kind::Gif;
    if (at(0, "BM") && data.size() >= 26)
        return Kind::Bmp;
    if (at(0, "RIFF") && at(8, "WEBP"))
        return Kind::WebP;
    if (data.startsWith(QByteArrayView("II*\0", 4)) || data.startsWith(QByteArrayView("MM\0*", 4)))
        return Kind::Tiff;
    if (at(0, "%PDF"))
        return Kind::Pdf;
    if (at(0, "PK\x03\x04"))
        return Kind::Zip;
    if (at(4, "ftyp")) {
        // The major brand, then the compatible ones, as far as the box and the data go.
        const qsizetype end =
            std::min<qsizetype>(data.size(), qFromBigEndian<quint32>(data.constData()));
        QList<QByteArray> brands{data.mid(8, 4)};
        for (qsizetype i = 16; i + 4 <= end; i += 4)
            brands << data.mid(i, 4);
        if (brands.first() == "avif" || brands.first() == "avis" ||
            ((brands.first() == "mif1" || brands.first() == "msf1") && brands.contains("avif")))
            return Kind::Avif;
        for (const char* heic :
             {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs", "mif1", "msf1"})
            if (brands.first() == heic)
                return Kind::Heic;
        return Kind::Video;
    }
    const QByteArray text = data.left(1024).trimmed().toLower();
    if (text.startsWith("<!doctype html") || text.startsWith("<html"))
        return Kind::Html;
    if (text.startsWith("<svg") || (text.startsWith("<?xml") && text.contains("<svg")))
        return Kind::Svg;
    return Kind::Unknown;
}

QString PictureConversion::kindName(Kind kind)
{
    static const char* const names[] = {"",     "JPEG", "PNG", "GIF", "BMP",  "WebP", "TIFF",
                                        "HEIC", "AVIF", "PDF", "ZIP", "HTML", "SVG",  "MP4"};
    return QString::fromLatin1(names[int(kind)]);
}

QString PictureConversion::refusal(Kind kind)
{
    switch (kind) {
    case Kind::Unknown:
        return QStringLiteral("это не картинка или картинка неизвестного вида");
    case Kind::Pdf:
        return QStringLiteral("это PDF, а не картинка");
    case Kind::Zip:
        return QStringLiteral("это архив ZIP (или документ), а не картинка");
    case Kind::Html:
        return QStringLiteral("это веб-страница, а не картинка: сохраните саму картинку");
    case Kind::Svg:
        return QStringLiteral("это рисунок SVG, такие не берутся");
    case Kind::Video:
        return QStringLiteral("это видео, а не картинка");
    default:
        return {};
    }
}

QByteArray PictureConversion::toJpeg(const QByteArray& data)
{
    const Kind kind = kindOf(data);
    if (const QString reason = refusal(kind); !reason.isEmpty())
        throw QuirvelError(reason);
    if (kind == Kind::Png)
        return pngToJpeg(data);
    // A slot's copy is written once and read often: the plain tables save a pass over the
    // coefficients of a 12-MP picture for a few per cent of size.
    return writeJpeg(finished(kind == Kind::Heic || kind == Kind::Avif ? decodeHeif(data, kind)
                                                                       : decodeWithQt(data, kind)),
                     Quality, {}, false);
}
