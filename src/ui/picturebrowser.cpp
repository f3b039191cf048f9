// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/picturebrowser.h"

#include "core/idialogs.h"
#include "core/quirvelerror.h"
#include "ui/drivecombobox.h"
#include "ui/filelistbox.h"
#include "ui/folderlistbox.h"
#include "ui/fonts.h"
#include "ui/texts.h"

#include <QDir>
#include <QFileInfo>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardPaths>

namespace
{

// Places relative to the browser, whose corner is the file list's.
constexpr QRect FileList(0, 0, 193, 273);
constexpr QRect DriveCombo(0, 296, 193, 19);
constexpr QRect FolderList(0, 336, 193, 169);

// Listed, as the list's mask ignores letter case, but not taken when picked.
bool isJpgInOtherCase(const QString& path)
{
    const QString ending = path.right(4);
    return ending.compare(QLatin1String(".jpg"), Qt::CaseInsensitive) == 0 &&
           ending != QLatin1String(".jpg") && ending != QLatin1String(".JPG");
}

} // namespace

PictureBrowser::PictureBrowser(IDialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("pictureBrowser"));
    m_fileList = Fonts::placed(new FileListBox(this), "fileList", FileList);
    m_driveCombo = Fonts::placed(new DriveComboBox(this), "driveCombo", DriveCombo);
    m_folderList = Fonts::placed(new FolderListBox(this), "folderList", FolderList);
    m_fileList->setAccessibleName(QStringLiteral("Файлы"));
    m_driveCombo->setAccessibleName(QStringLiteral("Диск"));
    m_folderList->setAccessibleName(QStringLiteral("Папки"));
    resize(FolderList.right() + 1, FolderList.bottom() + 1);

    connect(m_driveCombo, &QComboBox::currentIndexChanged, this, &PictureBrowser::openChosenDrive);
    connect(m_folderList, &FolderListBox::openRequested, this, &PictureBrowser::openFolder);
    connect(m_fileList, &FileListBox::selectionMoved, this, &PictureBrowser::reportChosenFile);

    // A copy of many photos changes the folder many times; one re-read follows the lot.
    m_rereadTimer.setSingleShot(true);
    m_rereadTimer.setInterval(RereadDelay);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_rereadTimer,
            qOverload<>(&QTimer::start));
    connect(&m_rereadTimer, &QTimer::timeout, this, &PictureBrowser::reread);
    m_rereadShortcut = new QShortcut(QKeySequence(Qt::Key_F5), this);
    m_rereadShortcut->setObjectName(QStringLiteral("rereadShortcut"));
    connect(m_rereadShortcut, &QShortcut::activated, this, &PictureBrowser::reread);
}

QString PictureBrowser::startFolder(bool installed, const QString& current, const QString& home,
                                    const QString& pictures)
{
    if (installed && QDir(current) == QDir(home) && !pictures.isEmpty() &&
        QFileInfo(pictures).isDir())
        return pictures;
    return current;
}

QString PictureBrowser::startFolder(bool installed)
{
    return startFolder(installed, QDir::currentPath(), QDir::homePath(),
                       QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
}

void PictureBrowser::startIn(const QString& folder)
{
    guarded(m_dialogs, [&] {
        m_driveCombo->setDriveOf(folder);
        m_folderList->setDirectory(folder);
        m_fileList->setDirectory(folder);
        watchShownFolder();
    });
}

QString PictureBrowser::chosenFile() const
{
    return m_fileList->fileName();
}

QList<QWidget*> PictureBrowser::focusStops() const
{
    return {m_folderList, m_fileList, m_driveCombo};
}

QString PictureBrowser::folder() const
{
    return m_folderList->directory();
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

void PictureBrowser::reread()
{
    m_rereadTimer.stop();
    const QString shown = m_folderList->directory();
    if (shown.isEmpty())
        return;
    if (!QFileInfo(shown).isDir()) {
        QString up = shown;
        while (!QFileInfo(up).isDir()) {
            const QString parent = QFileInfo(up).path();
            if (parent == up)
                return;
            up = parent;
        }
        openFolder(QDir(up).absolutePath());
        return;
    }
    guarded(m_dialogs, [this] {
        m_folderList->reread();
        const bool pickKept = m_fileList->reread();
        watchShownFolder();
        if (!pickKept)
            reportChosenFile();
    });
}

void PictureBrowser::followFolder()
{
    m_fileList->setDirectory(m_folderList->directory());
    watchShownFolder();
    // A re-read selects nothing, which the window sees as an empty pick.
    reportChosenFile();
}

void PictureBrowser::watchShownFolder()
{
    const QString shown = m_folderList->directory();
    if (m_watcher.directories() == QStringList{shown})
        return;
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_watcher.addPath(shown);
}

void PictureBrowser::reportChosenFile()
{
    const QString path = chosenFile();
    if (isJpgInOtherCase(path) && !m_extensionToldIn.contains(m_fileList->directory())) {
        m_extensionToldIn.insert(m_fileList->directory());
        m_dialogs.message(UiText::ExtensionRule);
    }
    emit fileChosen(path);
}
