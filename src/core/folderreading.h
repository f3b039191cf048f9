// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QStringList>

// What the folder and file lists share: opening a folder, and the order their entries come in.

// The folder at path; throws QuirvelError when it is missing or cannot be read.
QDir readableFolder(const QString& path);
// Names in the order the browser shows them: alphabetical regardless of letter case.
QStringList sortedByName(QStringList names);
