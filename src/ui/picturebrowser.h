// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileSystemWatcher>
#include <QSet>
#include <QTimer>
#include <QWidget>

class DriveComboBox;
class FileListBox;
class FolderListBox;
class IDialogs;
class QShortcut;

// The picture browser: drive box, folder list and the folder's pictures. Choosing a drive or a
// folder moves the file list with it; a file picked there, or the empty pick after a move, is
// reported by fileChosen. What cannot be read is shown in the standard error box.
// Both lists follow their folder on the disk, and F5 reads it again where no change is reported
// (network folders).
class PictureBrowser : public QWidget
{
    Q_OBJECT
public:
    // Changes arriving within this many milliseconds make one re-read.
    static constexpr int RereadDelay = 200;

    explicit PictureBrowser(IDialogs& dialogs, QWidget* parent = nullptr);

    // Where the browser starts: the process's folder; for the installed program started in the
    // home folder, as the desktop menu starts it, the user's pictures folder when it exists.
    static QString startFolder(bool installed, const QString& current, const QString& home,
                               const QString& pictures);
    static QString startFolder(bool installed);

    // Shows folder with nothing picked, as at start.
    void startIn(const QString& folder);
    // The picked file, or empty.
    QString chosenFile() const;
    // The folder shown.
    QString folder() const;
    // The focus stops, in the order Tab visits them.
    QList<QWidget*> focusStops() const;

public slots:
    void openChosenDrive();
    void openFolder(const QString& path);
    // Reads the shown folder again. The pick stays and nothing is reported while the picked file
    // is still there; when it has gone, the empty pick is reported. A folder that has gone gives
    // way to its nearest existing parent.
    void reread();

signals:
    void fileChosen(const QString& path);

private:
    void followFolder();
    void reportChosenFile();
    void watchShownFolder();

    IDialogs& m_dialogs;
    FileListBox* m_fileList = nullptr;
    DriveComboBox* m_driveCombo = nullptr;
    FolderListBox* m_folderList = nullptr;
    QShortcut* m_rereadShortcut = nullptr;
    QFileSystemWatcher m_watcher;
    QTimer m_rereadTimer;
    // Folders where the user has been told which letter cases of ".jpg" are taken.
    QSet<QString> m_extensionToldIn;
};
