#pragma once

#include <QComboBox>
#include <QListWidget>

// The three widgets of the picture browser. None of them follows another by itself: the main
// window ties them in its handlers. Reading a folder that cannot be read throws QuirvelError
// and leaves the widget as it was.

// Drop-down list of the machine's mounted volumes, one entry per root path.
class TDriveComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // Re-reads the volumes and shows the one holding path.
    void SetDriveOf(const QString& path);
    // Root path of the volume shown.
    QString Drive() const;
};

// The chain of folders from the root down to the current folder, then its subfolders.
// Double click or Enter on an entry asks for that folder (openRequested); the window opens it.
class TDirectoryListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    QString Directory() const { return m_directory; }
    void SetDirectory(const QString& path);
    // Folder behind entry row, or empty.
    QString EntryPath(int row) const;

signals:
    void openRequested(const QString& path);

private:
    QString m_directory;
};

// The "*.jpg" files of one folder (any letter case), sorted by name, at most one selected.
// selectionMoved is reported only when the user moves the selection; a re-read selects nothing.
class TFileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    QString Directory() const { return m_directory; }
    void SetDirectory(const QString& path);
    // Folder and selected name joined by one separator; empty when nothing is selected.
    QString FileName() const;

signals:
    void selectionMoved();

private:
    QString m_directory;
};
