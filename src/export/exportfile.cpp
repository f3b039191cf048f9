// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/exportfile.h"

#include "core/errorreason.h"
#include "core/filecopy.h"
#include "core/quirvelerror.h"

#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

ExportFile::ExportFile(const QString& path) : m_file(path)
{
    errno = 0;
    // Unbuffered, so that errno still tells why a write failed.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        fail();
        throwFailure();
    }
}

void ExportFile::fail() noexcept
{
    if (!m_error)
        m_error = lastSystemError();
}

bool ExportFile::tryWrite(const char* data, qint64 size) noexcept
{
    if (m_error)
        return false;
    errno = 0;
    if (m_file.write(data, size) == size)
        return true;
    fail();
    return false;
}

void ExportFile::write(const QByteArray& bytes)
{
    if (!tryWrite(bytes.constData(), bytes.size()))
        throwFailure();
}

void ExportFile::throwFailure() const
{
    throw QuirvelError(cannotWrite(m_file.fileName(), m_error));
}

void ExportFile::commit()
{
    if (m_error)
        throwFailure();
    // commit() ignores a failed sync; a file lost in a power cut must fail here instead. Its
    // folder is synced after, so that the new name lasts too.
    if (::fdatasync(m_file.handle()) != 0) {
        fail();
        throwFailure();
    }
    errno = 0;
    if (!m_file.commit()) {
        fail();
        throwFailure();
    }
    if (const auto error = syncToDisk(QFileInfo(m_file.fileName()).absolutePath())) {
        m_error = error;
        throwFailure();
    }
}
