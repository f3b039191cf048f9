// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Enough of a file's metadata to tell that it is still the very file seen before: a file
// rewritten in place changes its size or times, one replaced by rename changes its inode.
struct FileIdentity {
    QString path;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 inode = 0;
    quint64 device = 0;

    // Empty (never equal to a real file's) when the file can't be examined.
    static FileIdentity of(const QString& path);
    bool isValid() const { return size >= 0; }
    bool operator==(const FileIdentity&) const = default;
};
