// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>

// The chain of folders from the root down to the current folder, then its subfolders.
// Double click or Enter on an entry asks for that folder (openRequested); the window opens it.
// A folder that cannot be read throws QuirvelError and leaves the list as it was.
// Part of the PictureBrowser, which keeps it in step with the other two.
class FolderListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FolderListBox(QWidget* parent = nullptr);

    QString directory() const { return m_directory; }
    void setDirectory(const QString& path);
    // Reads the folder again; the entry the cursor was on keeps it while it exists.
    void reread();
    // Folder behind entry row, or empty.
    QString entryPath(int row) const;

signals:
    void openRequested(const QString& path);

private:
    QString m_directory;
};
