#pragma once

#include <QWidget>

class DriveComboBox;
class FileListBox;
class FolderListBox;
class IDialogs;

// The picture browser: drive box, folder list and the folder's pictures. Choosing a drive or a
// folder moves the file list with it; a file picked there, or the empty pick after a move, is
// reported by fileChosen. What cannot be read is shown in the standard error box.
class PictureBrowser : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBrowser(IDialogs& dialogs, QWidget* parent = nullptr);

    // Shows folder with nothing picked, as at start.
    void startIn(const QString& folder);
    // The picked file, or empty.
    QString chosenFile() const;

public slots:
    void openChosenDrive();
    void openFolder(const QString& path);

signals:
    void fileChosen(const QString& path);

private:
    void followFolder();
    void reportChosenFile();

    IDialogs& m_dialogs;
    FileListBox* m_fileList = nullptr;
    DriveComboBox* m_driveCombo = nullptr;
    FolderListBox* m_folderList = nullptr;
};
