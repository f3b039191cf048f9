#pragma once

#include <QString>

// Copies source into folder under its own file name, replacing a file of that name.
// True on success; a failed copy may leave a partial target behind.
bool CopyIntoFolder(const QString& source, const QString& folder);
