#pragma once

#include <QString>

// Copies source into folder under its own file name, replacing a file of that name without
// asking, even a read-only one. The copy is made beside the target and renamed onto it, so a
// failed copy leaves the old file (or none) and no partial file behind. True on success.
bool copyIntoFolder(const QString& source, const QString& folder);
