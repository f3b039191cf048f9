// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/folderreading.h"

#include "core/quirvelerror.h"

#include <QCollator>
#include <QFileInfo>

#include <algorithm>

QDir readableFolder(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable())
        throw QuirvelError(QStringLiteral("Не удаётся открыть папку «%1»").arg(path));
    return QDir(info.absoluteFilePath());
}

QStringList sortedByName(QStringList names)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}
