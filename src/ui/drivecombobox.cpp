// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/drivecombobox.h"

#include <QStorageInfo>

#include <algorithm>

DriveComboBox::DriveComboBox(QWidget* parent) : NamedComboBox(parent) {}

void DriveComboBox::setDriveOf(const QString& path)
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    std::sort(roots.begin(), roots.end());
    const QString own = QStorageInfo(path).rootPath();
    if (!own.isEmpty() && !roots.contains(own))
        roots << own;

    const QSignalBlocker quiet(this);
    clear();
    addItems(roots);
    setCurrentIndex(std::max<int>(0, int(roots.indexOf(own))));
}

QString DriveComboBox::drive() const
{
    return currentText();
}
