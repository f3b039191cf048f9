// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>
#include <system_error>

// Every operation reports its failure as the system's error; an empty error_code is success.

// Writes all of bytes at the file's offset (its end, when opened to append), going on after a
// write cut short by a signal or a partial write.
std::error_code writeAll(int fd, const char* bytes, qint64 size);

// Creates target, which must not exist yet, as a copy of the file source, with its permissions
// and writable by its owner. A failed copy leaves nothing at target.
std::error_code copyToNewFile(const QString& source, const QString& target);

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
