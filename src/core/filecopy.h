// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <system_error>

// Every operation reports its failure as the system's error; an empty error_code is success.

// Copies source into folder under its own file name, replacing a file of that name without
// asking, even a read-only one. The copy is made beside the target and renamed onto it, so a
// failed copy leaves the old file (or none) and no partial file behind.
std::error_code copyIntoFolder(const QString& source, const QString& folder);

// Renames a file (or symbolic link) to `to`, replacing a file there in one step. A folder is
// never moved and never replaced.
std::error_code renameFile(const QString& from, const QString& to);

// Deletes a file (or symbolic link), never a folder.
std::error_code removeFile(const QString& path);

// Asks the disk to keep what was written to a file, or the names a folder holds, through a power
// cut (fdatasync, fsync). A failure means they may be lost; it is never to be tried again as if
// nothing happened.
std::error_code syncToDisk(const QString& path);

// Whether anything at all, a dangling link included, stands at path.
bool anythingAt(const QString& path);
