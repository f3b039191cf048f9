#include "core/filecopy.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#include <cerrno>
#include <unistd.h>

namespace
{
std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
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
    ec.clear();
    if (!fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec) || ec)
        return ec ? ec : std::make_error_code(std::errc::io_error);
    // A read-only source would otherwise give a copy that later regenerations cannot replace
    // in place; the rename below replaces read-only targets anyway.
    fs::permissions(temp, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
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
