// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

// Writes bytes to path, making its folder first; false when anything fails.
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Sets path's modification time to hoursAgo before now: a file rewritten within the same clock
// tick keeps its times, and a test must not depend on the tick.
inline bool setModified(const QString& path, int hoursAgo)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) &&
           f.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * hoursAgo),
                         QFileDevice::FileModificationTime);
}
