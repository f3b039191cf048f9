// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <system_error>

// The desktop shell and the file operations that build a quiz folder. A file operation returns
// the system's error, empty on success.
class IShell
{
public:
    virtual ~IShell() = default;
    // Creates target, which must not exist yet, as a copy of source.
    virtual std::error_code copyToNewFile(const QString& source, const QString& target) = 0;
    // Renames a file, replacing a file at `to` in one step; never moves or replaces a folder.
    virtual std::error_code renameFile(const QString& from, const QString& to) = 0;
    // Deletes a file, never a folder.
    virtual std::error_code removeFile(const QString& path) = 0;
    // Makes a file's data, or a folder's names, survive a power cut.
    virtual std::error_code syncToDisk(const QString& path) = 0;
    // Opens a document with the program the desktop associates with it and returns at once.
    // `failed` runs, at most once and perhaps later, when the document could not be opened.
    virtual void openDocument(const QString& path, std::function<void()> failed) = 0;
};
