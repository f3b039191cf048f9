// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/keptpictures.h"

#include "core/quirvelerror.h"
#include "jpeg/jpegdecoder.h"
#include "ui/slotpanel.h"
#include "ui/slotstrip.h"

KeptPictures::Copies& KeptPictures::at(int k)
{
    if (k < 1 || k > SlotCount)
        throw QuirvelError(QStringLiteral("Нет ячейки с номером %1").arg(k));
    return m_slots[size_t(k - 1)];
}

const KeptPictures::Copies& KeptPictures::take(int k, const QString& path)
{
    Copies& kept = at(k);
    // The identity is read first: a file rewritten during the decode then differs next time.
    FileIdentity file = FileIdentity::of(path);
    // One decode serves both; stretched while decoding, so the full-size picture is never held.
    QList<QImage> copies =
        decodeJpegFileStretched(path, {SlotStrip::ThumbnailSize, SlotPanel::PreviewSize});
    kept = Copies{std::move(file), std::move(copies[0]), std::move(copies[1])};
    return kept;
}

const KeptPictures::Copies& KeptPictures::fresh(int k, const QString& path)
{
    const Copies& kept = at(k);
    const FileIdentity file = FileIdentity::of(path);
    if (file.isValid() && file == kept.file && !kept.preview.isNull())
        return kept;
    return take(k, path);
}
