#pragma once

#include <QString>

// The desktop shell: copying a file into a folder and opening a document.
class IShell
{
public:
    virtual ~IShell() = default;
    // Copies source into folder under its own name, replacing a file of that name without asking.
    virtual bool copyIntoFolder(const QString& source, const QString& folder) = 0;
    // Opens a document with the program the desktop associates with it; does not wait.
    virtual bool openDocument(const QString& path) = 0;
};
