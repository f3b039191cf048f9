#include "ui/picturebrowser.h"

#include "core/quirvelerror.h"
#include "ui/drivecombobox.h"
#include "ui/filelistbox.h"
#include "ui/folderlistbox.h"
#include "ui/fonts.h"

#include <QSignalBlocker>

namespace
{

// Places relative to the browser, whose corner is the file list's.
constexpr QRect FileList(0, 0, 193, 273);
constexpr QRect DriveCombo(0, 296, 193, 19);
constexpr QRect FolderList(0, 336, 193, 169);

} // namespace

PictureBrowser::PictureBrowser(IDialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("pictureBrowser"));
    m_fileList = Fonts::placed(new FileListBox(this), "fileList", FileList);
    m_driveCombo = Fonts::placed(new DriveComboBox(this), "driveCombo", DriveCombo);
    m_folderList = Fonts::placed(new FolderListBox(this), "folderList", FolderList);
    resize(FolderList.right() + 1, FolderList.bottom() + 1);

    connect(m_driveCombo, &QComboBox::currentIndexChanged, this, &PictureBrowser::openChosenDrive);
    connect(m_folderList, &FolderListBox::openRequested, this, &PictureBrowser::openFolder);
    connect(m_fileList, &FileListBox::selectionMoved, this, &PictureBrowser::reportChosenFile);
}

void PictureBrowser::startIn(const QString& folder)
{
    guarded(m_dialogs, [&] {
        m_driveCombo->setDriveOf(folder);
        m_folderList->setDirectory(folder);
        m_fileList->setDirectory(folder);
    });
}

QString PictureBrowser::chosenFile() const
{
    return m_fileList->fileName();
}

void PictureBrowser::openChosenDrive()
{
    guarded(m_dialogs, [this] {
        m_folderList->setDirectory(m_driveCombo->drive());
        followFolder();
    });
}

void PictureBrowser::openFolder(const QString& path)
{
    guarded(m_dialogs, [&] {
        if (path.isEmpty() || path == m_folderList->directory())
            return;
        m_folderList->setDirectory(path);
        // A folder may lie on another mounted volume: the drive box shows where the browser is,
        // without running its own handler.
        {
            const QSignalBlocker quiet(m_driveCombo);
            m_driveCombo->setDriveOf(path);
        }
        followFolder();
    });
}

void PictureBrowser::followFolder()
{
    m_fileList->setDirectory(m_folderList->directory());
    // A re-read selects nothing, which the window sees as an empty pick.
    reportChosenFile();
}

void PictureBrowser::reportChosenFile()
{
    emit fileChosen(chosenFile());
}
