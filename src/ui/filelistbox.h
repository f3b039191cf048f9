// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>

// The "*.jpg" files of one folder (any letter case), sorted by name, at most one selected.
// selectionMoved is reported only when the user moves the selection; a move to another folder
// selects nothing. Once an entry is selected, the user can move the selection but not clear it.
// A folder that cannot be read throws QuirvelError and leaves the list as it was.
// Part of the PictureBrowser, which keeps it in step with the other two.
class FileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString directory() const { return m_directory; }
    void setDirectory(const QString& path);
    // Folder and selected name joined by one separator; empty when nothing is selected.
    QString fileName() const;
    // Reads the folder again, keeping the selected entry while it exists; false when it has gone
    // (nothing is selected then). Reports nothing either way.
    bool reread();

signals:
    void selectionMoved();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    QString m_directory;
};
