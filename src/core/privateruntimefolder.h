// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// For a process started without XDG_RUNTIME_DIR (a cron job, a shell over ssh): a runtime
// folder of its own, so that Qt neither warns on stderr nor shares a folder in /tmp with other
// users. Made private (0700) and removed with this object; nothing when the variable is set.
class PrivateRuntimeFolder
{
public:
    PrivateRuntimeFolder();
    ~PrivateRuntimeFolder();
    PrivateRuntimeFolder(const PrivateRuntimeFolder&) = delete;
    PrivateRuntimeFolder& operator=(const PrivateRuntimeFolder&) = delete;

private:
    QByteArray m_path;
};
