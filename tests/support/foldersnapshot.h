// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDirIterator>
#include <QFile>
#include <QMap>

// Everything below a folder, hidden entries included: relative path -> bytes ("<folder>" for a
// folder). Two snapshots are equal only when not one byte, name or leftover differs.
inline QMap<QString, QByteArray> folderSnapshot(const QString& folder)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        out.insert(path.mid(folder.size()), it.fileInfo().isDir() ? QByteArray("<folder>")
                                            : file.open(QIODevice::ReadOnly)
                                                ? file.readAll()
                                                : QByteArray("<unreadable>"));
    }
    return out;
}
