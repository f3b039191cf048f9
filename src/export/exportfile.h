// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSaveFile>
#include <QString>
#include <system_error>

// A file written whole or not at all: nothing appears under its name before commit(), and a
// failure (a full disk, no rights) leaves the old file, or none, as it was. Failures throw
// QuirvelError "Не удаётся записать файл «…»: " and the reason in Russian.
class ExportFile
{
public:
    explicit ExportFile(const QString& path);
    void write(const QByteArray& bytes);
    // For C callbacks, which cannot throw: false on failure, kept for throwFailure().
    bool tryWrite(const char* data, qint64 size) noexcept;
    bool failed() const { return bool(m_error); }
    [[noreturn]] void throwFailure() const;
    void commit();

private:
    void fail() noexcept;

    QSaveFile m_file;
    std::error_code m_error;
};
