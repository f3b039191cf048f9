// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Pictures of other kinds made into the JPEG a slot holds. The kind is told by the content, never
// by the name: PNG through libpng, GIF (its first frame), BMP, WebP and TIFF through Qt's readers,
// HEIC/HEIF and AVIF through libheif. The result is upright, in sRGB, flattened onto white, at most
// MaxSide pixels on its longer side, written at Quality.
class PictureConversion
{
public:
    enum class Kind {
        Unknown,
        Jpeg,
        Png,
        Gif,
        Bmp,
        WebP,
        Tiff,
        Heic,
        Avif,
        Pdf,
        Zip,
        Html,
        Svg,
        Video
    };

    static constexpr int MaxSide = 4096;
    static constexpr int Quality = 90;
    // Larger pictures are refused before they are decoded, as JPEG ones are.
    static constexpr qint64 MaxPixels = 120'000'000;
    // Files larger than this are not read at all.
    static constexpr qint64 MaxFileSize = 512LL * 1024 * 1024;

    // What data, the start of a file at least 32 bytes long where it has them, holds.
    static Kind kindOf(const QByteArray& data);
    // "PNG", "HEIC" ...: how a kind is named to the user.
    static QString kindName(Kind kind);
    // Why a file of this kind can't go into a slot as it is, in a few Russian words ("это PDF, а
    // не картинка"); empty for the kinds that are pictures.
    static QString refusal(Kind kind);

    // data, a picture of a kind other than JPEG, as the bytes of a JPEG file: upright, in sRGB,
    // flattened onto white, at most MaxSide. Throws QuirvelError with a reason in a few Russian
    // words ("формат HEIC: файл повреждён").
    static QByteArray toJpeg(const QByteArray& data);
};
