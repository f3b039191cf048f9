#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes a whole JPEG picture at full size: RGB888, or Grayscale8 for a grey picture.
// A fatal library error throws QuirvelError "JPEG error #<message code>"; an unreadable file,
// a picture over MaxJpegPixels and a hostile progressive file throw a Russian message.
// Warnings (corrupt but still decodable data) are ignored.
QImage DecodeJpegFile(const QString& path);
QImage DecodeJpegData(const QByteArray& data);

// Pictures larger than this are refused right after the header, before anything big is allocated.
inline constexpr qint64 MaxJpegPixels = 120'000'000;
// More scans than this means a hostile progressive file; the same limit as TurboJPEG's.
inline constexpr int MaxJpegScans = 500;
// Even an empty scan walks every block of the picture, so on a large picture far fewer scans
// already freeze the window for seconds. Scans times pixels is bounded too: 64 scans of a
// 64-megapixel picture; real progressive files have about ten.
inline constexpr qint64 MaxJpegScanPixels = 64LL * 64'000'000;
