#include "filecopy.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace {
std::filesystem::path FsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}
} // namespace

bool CopyIntoFolder(const QString& source, const QString& folder)
{
    const QFileInfo src(source);
    if (!src.isFile())
        return false;
    std::error_code ec;
    const auto from = FsPath(source);
    const auto to = FsPath(folder + QLatin1Char('/') + src.fileName());
    // Copying a file onto itself would truncate it; it is already where it should be.
    if (std::filesystem::exists(to, ec) && std::filesystem::equivalent(from, to, ec))
        return true;
    ec.clear();
    return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                      ec) &&
           !ec;
}
