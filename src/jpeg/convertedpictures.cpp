// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg/convertedpictures.h"

#include "core/errorreason.h"
#include "core/quirvelerror.h"
#include "jpeg/pictureconversion.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>

namespace
{

[[noreturn]] void failSaving()
{
    throw QuirvelError(
        QStringLiteral("не сохраняется её JPEG-копия: %1").arg(errorReason(lastSystemError())));
}

} // namespace

QString ConvertedPictures::fileFor(const QString& path) const
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw QuirvelError(errorReason(lastSystemError()));
    if (file.size() > PictureConversion::MaxFileSize)
        throw QuirvelError(QStringLiteral("файл слишком большой"));
    // The head tells a JPEG, used where it is, from what needs reading whole.
    const QByteArray head = file.read(4096);
    if (head.isEmpty())
        throw QuirvelError(QStringLiteral("файл пуст"));
    if (PictureConversion::kindOf(head) == PictureConversion::Kind::Jpeg)
        return path;
    if (const QString reason = PictureConversion::refusal(PictureConversion::kindOf(head));
        !reason.isEmpty())
        throw QuirvelError(reason);
    return fileForData(head + file.readAll());
}

QString ConvertedPictures::fileForData(const QByteArray& data) const
{
    const QString target = QDir(m_folder).filePath(
        QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex()) +
        QStringLiteral(".jpg"));
    // Converted once: the same picture brought in again finds its copy.
    if (QFileInfo(target).size() > 0)
        return target;
    const bool jpeg = PictureConversion::kindOf(data) == PictureConversion::Kind::Jpeg;
    const QByteArray bytes = jpeg ? data : PictureConversion::toJpeg(data);
    errno = 0;
    if (!QDir().mkpath(m_folder))
        failSaving();
    QSaveFile file(target);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        failSaving();
    return target;
}

void ConvertedPictures::prune(const QSet<QString>& inUse) const
{
    static const QRegularExpression ownName(QStringLiteral("^[0-9a-f]{64}\\.jpg$"));
    QSet<QString> kept;
    for (const QString& path : inUse)
        kept << QFileInfo(path).absoluteFilePath();
    const QDir dir(m_folder);
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files))
        if (ownName.match(info.fileName()).hasMatch() && !kept.contains(info.absoluteFilePath()))
            QFile::remove(info.absoluteFilePath());
}
