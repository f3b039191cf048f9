// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/drivecombobox.h"

#include <QMap>
#include <QStorageInfo>

#include <algorithm>

namespace
{

QList<DriveComboBox::Volume> mountedVolumes()
{
    QList<DriveComboBox::Volume> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            volumes << DriveComboBox::Volume{
                volume.rootPath(), QString::fromLocal8Bit(volume.device()), volume.displayName()};
    return volumes;
}

} // namespace

DriveComboBox::DriveComboBox(QWidget* parent) : NamedComboBox(parent), m_volumes(mountedVolumes) {}

void DriveComboBox::setDriveOf(const QString& path)
{
    // Network namespaces, a chroot's /dev and the like are no drives; a device mounted twice
    // (bind mounts) is the drive at its shortest root.
    QMap<QString, Volume> byDevice;
    for (const Volume& volume : m_volumes()) {
        if (!volume.device.startsWith(QLatin1String("/dev/")))
            continue;
        const auto known = byDevice.constFind(volume.device);
        if (known == byDevice.cend() || volume.rootPath.size() < known->rootPath.size())
            byDevice.insert(volume.device, volume);
    }
    QList<Volume> drives = byDevice.values();
    std::sort(drives.begin(), drives.end(),
              [](const Volume& a, const Volume& b) { return a.rootPath < b.rootPath; });
    const QString own = QStorageInfo(path).rootPath();

    const QSignalBlocker quiet(this);
    clear();
    int shown = -1;
    for (const Volume& drive : drives) {
        if (drive.rootPath == own)
            shown = count();
        addItem(drive.displayName.isEmpty() ? drive.rootPath : drive.displayName, drive.rootPath);
    }
    if (shown < 0 && !own.isEmpty()) {
        shown = count();
        addItem(own, own);
    }
    setCurrentIndex(std::max(0, shown));
}

QString DriveComboBox::drive() const
{
    return currentData().toString();
}
