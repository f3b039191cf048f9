// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ishell.h"

#include <QObject>

// The desktop: real file copies, renames and deletions, and documents opened by the desktop's
// launcher without waiting for it.
class QtShell : public QObject, public IShell
{
    Q_OBJECT
public:
    // openerAnswerMs: how long a failure of the desktop's launcher still counts as "this document
    // cannot be opened"; a launcher that fails later had handed the file to its viewer (a generic
    // xdg-open waits for the browser to close).
    explicit QtShell(int openerAnswerMs = 10000, QObject* parent = nullptr);

    std::error_code copyToNewFile(const QString& source, const QString& target) override;
    std::error_code renameFile(const QString& from, const QString& to) override;
    std::error_code removeFile(const QString& path) override;
    std::error_code syncToDisk(const QString& path) override;
    void openDocument(const QString& path, std::function<void()> failed) override;

signals:
    // The launcher ended within openerAnswerMs; opened: with success.
    void openerAnswered(bool opened);

private:
    int m_openerAnswerMs;
};
