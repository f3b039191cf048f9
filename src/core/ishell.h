#pragma once

#include <QString>

// The desktop shell and the file operations that build a quiz folder.
class IShell
{
public:
    virtual ~IShell() = default;
    // Copies source into folder under its own name, replacing a file of that name without asking.
    virtual bool copyIntoFolder(const QString& source, const QString& folder) = 0;
    // Renames a file, replacing a file at `to` in one step; never moves or replaces a folder.
    virtual bool renameFile(const QString& from, const QString& to) = 0;
    // Deletes a file, never a folder.
    virtual bool removeFile(const QString& path) = 0;
    // Opens a document with the program the desktop associates with it; does not wait.
    virtual bool openDocument(const QString& path) = 0;
};
