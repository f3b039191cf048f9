// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/keptpictures.h"

#include "core/quirvelerror.h"
#include "jpeg/jpegdecoder.h"
#include "ui/slotpanel.h"
#include "ui/slotstrip.h"

#include <QFileInfo>

KeptPictures::Copies& KeptPictures::at(int k)
{
    if (k < 1 || k > SlotCount)
        throw QuirvelError(QStringLiteral("Нет ячейки с номером %1").arg(k));
    return m_slots[size_t(k - 1)];
}

KeptPictures::Copies& KeptPictures::decode(int k, const QString& path)
{
    Copies& kept = at(k);
    // The identity is read first: a file rewritten during the decode then differs next time.
    FileIdentity file = FileIdentity::of(path);
    bool damaged = false;
    try {
        // One decode serves both; stretched while decoding, so the full-size picture is never
        // held.
        QList<QImage> copies = decodeJpegFileStretched(
            path, {SlotStrip::ThumbnailSize, SlotPanel::PreviewSize}, &damaged);
        kept = Copies{std::move(file), std::move(copies[0]), std::move(copies[1]), damaged};
    } catch (const QuirvelError& e) {
        throw QuirvelError(namedPictureFailure(k, QFileInfo(path).fileName(), e.text()));
    }
    return kept;
}

const KeptPictures::Copies& KeptPictures::take(int k, const QString& path)
{
    const Copies& kept = decode(k, path);
    m_notices.remove(k);
    if (kept.damaged)
        m_notices.insert(k, partialPictureNotice(k, QFileInfo(path).fileName()));
    return kept;
}

QString KeptPictures::takeNotices()
{
    const QString text = QStringList(m_notices.values()).join(QLatin1Char('\n'));
    m_notices.clear();
    return text;
}

const KeptPictures::Copies& KeptPictures::fresh(int k, const QString& path)
{
    const Copies& kept = at(k);
    const FileIdentity file = FileIdentity::of(path);
    if (file.isValid() && file == kept.file && !kept.preview.isNull())
        return kept;
    return decode(k, path);
}
