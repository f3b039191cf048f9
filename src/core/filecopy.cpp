// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/filecopy.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace
{
std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

std::error_code lastError()
{
    return std::error_code(errno, std::generic_category());
}

// A plain read-write loop: std::filesystem::copy_file may lose the reason of a failed write
// (a full disk) on its way out.
std::error_code copyBytes(const QString& from, const QString& to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return lastError();
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (out < 0) {
        const auto error = lastError();
        ::close(in);
        return error;
    }
    std::error_code error;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got < 0)
                error = lastError();
            break;
        }
        for (ssize_t done = 0; done < got && !error;) {
            const ssize_t put = ::write(out, buffer + done, size_t(got - done));
            if (put < 0 && errno != EINTR)
                error = lastError();
            else if (put > 0)
                done += put;
        }
        if (error)
            break;
    }
    ::close(in);
    if (::close(out) != 0 && !error)
        error = lastError();
    return error;
}
} // namespace

std::error_code copyIntoFolder(const QString& source, const QString& folder)
{
    namespace fs = std::filesystem;
    const QFileInfo src(source);
    if (!src.isFile())
        return std::make_error_code(src.exists() ? std::errc::is_a_directory
                                                 : std::errc::no_such_file_or_directory);
    std::error_code ec;
    const auto from = fsPath(source);
    const auto to = fsPath(folder + QLatin1Char('/') + src.fileName());
    // Copying a file onto itself would truncate it; it is already where it should be.
    if (fs::exists(to, ec) && fs::equivalent(from, to, ec))
        return {};

    // A fresh name in the target folder keeps the final rename on one file system.
    QTemporaryFile staging(folder + QStringLiteral("/.quirvel-copy-XXXXXX"));
    errno = 0;
    if (!staging.open())
        return std::error_code(errno ? errno : EIO, std::generic_category());
    const auto temp = fsPath(staging.fileName());
    staging.close();
    if (const auto error = copyBytes(source, staging.fileName()))
        return error;
    // The copy takes the source's permissions, as a copy does, but stays writable: a read-only
    // source would otherwise give a copy that later regenerations cannot replace in place.
    fs::permissions(
        temp, fs::status(from, ec).permissions() | fs::perms::owner_read | fs::perms::owner_write,
        ec);
    ec.clear();
    fs::rename(temp, to, ec);
    if (ec)
        return ec;
    staging.setAutoRemove(false);
    return {};
}

std::error_code renameFile(const QString& from, const QString& to)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    // rename() would move a folder too, taking whatever the user keeps in it along.
    if (fs::symlink_status(fsPath(from), ec).type() == fs::file_type::directory)
        return std::make_error_code(std::errc::is_a_directory);
    ec.clear();
    fs::rename(fsPath(from), fsPath(to), ec);
    return ec;
}

std::error_code removeFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0)
        return {};
    return std::error_code(errno, std::generic_category());
}

bool anythingAt(const QString& path)
{
    std::error_code ec;
    return std::filesystem::symlink_status(fsPath(path), ec).type() !=
           std::filesystem::file_type::not_found;
}
