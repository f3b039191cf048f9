// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/fileidentity.h"

#include <QFile>

#include <sys/stat.h>

FileIdentity FileIdentity::of(const QString& path)
{
    struct stat info {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return FileIdentity{path};
    constexpr qint64 NsPerSecond = 1'000'000'000;
    return FileIdentity{path,
                        qint64(info.st_size),
                        qint64(info.st_mtim.tv_sec) * NsPerSecond + info.st_mtim.tv_nsec,
                        qint64(info.st_ctim.tv_sec) * NsPerSecond + info.st_ctim.tv_nsec,
                        quint64(info.st_ino),
                        quint64(info.st_dev)};
}
