#pragma once

#include <QListWidget>

// The "*.jpg" files of one folder (any letter case), sorted by name, at most one selected.
// selectionMoved is reported only when the user moves the selection; a re-read selects nothing.
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

signals:
    void selectionMoved();

private:
    QString m_directory;
};
