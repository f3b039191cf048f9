// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizfolderlock.h"

#include "core/quizrecovery.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

QuizFolderLock::QuizFolderLock(const QString& quizFolder)
    : m_file(path(quizFolder)),
      m_held(m_file.tryLock(0) || m_file.error() != QLockFile::LockFailedError)
{
}

QString QuizFolderLock::path(const QString& quizFolder)
{
    const QFileInfo folder(QDir::cleanPath(quizFolder));
    const QByteArray hash =
        QCryptographicHash::hash(folder.fileName().toUtf8(), QCryptographicHash::Sha1).toHex();
    return folder.path() + QLatin1Char('/') + QuizStaging::Prefix + QString::fromLatin1(hash) +
           QStringLiteral(".lock");
}
