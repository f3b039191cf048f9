// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/filecopy.h"

#include "core/errorreason.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Errors that only say this way of copying is not available here.
bool unsupported(int error)
{
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL;
}

// A plain read-write loop from both files' current offsets: std::filesystem::copy_file may lose
// the reason of a failed write (a full disk) on its way out.
std::error_code copyThroughBuffer(int in, int out)
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? lastSystemError() : std::error_code();
        if (const std::error_code error = writeAll(out, buffer, got))
            return error;
    }
}

// Shares the blocks where the file system can (btrfs, XFS), otherwise lets the kernel copy
// without passing the bytes through this process, as cp does.
std::error_code copyInKernel(int in, int out)
{
    if (::ioctl(out, FICLONE, in) == 0)
        return {};
    if (!unsupported(errno) && errno != ENOTTY && errno != EBADF)
        return lastSystemError();
    for (;;) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (copied > 0)
            continue;
        if (copied < 0 && errno == EINTR)
            continue;
        // 0 is the end of the file, or a file system that copies nothing this way (procfs): the
        // buffer loop tells which with one read.
        if (copied == 0 || unsupported(errno))
            return copyThroughBuffer(in, out);
        return lastSystemError();
    }
}

} // namespace

std::error_code writeAll(int fd, const char* bytes, qint64 size)
{
    for (qint64 done = 0; done < size;) {
        errno = 0;
        const ssize_t put = ::write(fd, bytes + done, size_t(size - done));
        if (put < 0 && errno == EINTR)
            continue;
        // Nothing written without an error would loop for ever: lastSystemError() makes it EIO.
        if (put <= 0)
            return lastSystemError();
        done += put;
    }
    return {};
}

std::error_code copyToNewFile(const QString& source, const QString& target)
{
    // Not blocking: a named pipe chosen as a picture must not hang the generation.
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0)
        return lastSystemError();
    struct stat info = {};
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        const std::error_code error =
            info.st_mode == 0 ? lastSystemError() : std::make_error_code(std::errc::is_a_directory);
        ::close(in);
        return error;
    }
    const QByteArray to = QFile::encodeName(target);
    // The copy takes the source's permissions, as a copy does, but stays writable: a read-only
    // source would otherwise give a copy that later regenerations cannot replace.
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                           (info.st_mode & 0777) | S_IRUSR | S_IWUSR);
    if (out < 0) {
        const auto error = lastSystemError();
        ::close(in);
        return error;
    }
    std::error_code error = copyInKernel(in, out);
    ::close(in);
    if (::close(out) != 0 && !error)
        error = lastSystemError();
    if (error)
        ::unlink(to.constData());
    return error;
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
    return lastSystemError();
}

bool anythingAt(const QString& path)
{
    std::error_code ec;
    return std::filesystem::symlink_status(fsPath(path), ec).type() !=
           std::filesystem::file_type::not_found;
}

std::error_code syncToDisk(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return lastSystemError();
    struct stat info = {};
    // A folder's names need fsync; a file's data needs no more than fdatasync.
    const int synced =
        ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) ? ::fsync(fd) : ::fdatasync(fd);
    const std::error_code error = synced == 0 ? std::error_code() : lastSystemError();
    ::close(fd);
    return error;
}
