// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/offeredpictures.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace
{

const QString UriList = QStringLiteral("text/uri-list");
const QString GnomeFiles = QStringLiteral("x-special/gnome-copied-files");

// The image format taken: JPEG bytes are kept as they are, so they come first.
QString imageFormat(const QStringList& formats)
{
    for (const QString& wanted : {QStringLiteral("image/jpeg"), QStringLiteral("image/png")})
        if (formats.contains(wanted))
            return wanted;
    for (const QString& format : formats)
        if (format.startsWith(QLatin1String("image/")))
            return format;
    return {};
}

} // namespace

OfferedPictures OfferedPictures::from(const QMimeData* mime)
{
    OfferedPictures offer;
    if (!mime)
        return offer;
    const QStringList formats = mime->formats();
    QList<QByteArray> lines;
    if (formats.contains(UriList))
        lines = mime->data(UriList).split('\n');
    else if (formats.contains(GnomeFiles))
        // "copy" or "cut", then one URL a line.
        lines = mime->data(GnomeFiles).split('\n').mid(1);
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url(QString::fromUtf8(line));
        if (!url.isLocalFile()) {
            offer.remote << url.toDisplayString();
            continue;
        }
        const QString path = QDir::cleanPath(url.toLocalFile());
        (QFileInfo(path).isDir() ? offer.folders : offer.files) << path;
    }
    const QString format = imageFormat(formats);
    if (offer.files.isEmpty() && !format.isEmpty()) {
        offer.data = mime->data(format);
        // A browser's picture comes with its address: the data is what is taken.
        if (!offer.data.isEmpty())
            offer.remote.clear();
    }
    return offer;
}

bool OfferedPictures::promised(const QMimeData* mime)
{
    if (!mime)
        return false;
    const QStringList formats = mime->formats();
    return formats.contains(UriList) || formats.contains(GnomeFiles) ||
           !imageFormat(formats).isEmpty();
}
