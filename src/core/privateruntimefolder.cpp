// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/privateruntimefolder.h"

#include <QDir>
#include <QFile>

#include <stdlib.h>

PrivateRuntimeFolder::PrivateRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    QByteArray path = QFile::encodeName(QDir::tempPath()) + "/quirvel-runtime-XXXXXX";
    // mkdtemp makes the folder with mode 0700, as Qt requires of a runtime folder.
    if (::mkdtemp(path.data()) == nullptr)
        return;
    m_path = path;
    qputenv("XDG_RUNTIME_DIR", m_path);
}

PrivateRuntimeFolder::~PrivateRuntimeFolder()
{
    if (m_path.isEmpty())
        return;
    qunsetenv("XDG_RUNTIME_DIR");
    QDir(QFile::decodeName(m_path)).removeRecursively();
}
