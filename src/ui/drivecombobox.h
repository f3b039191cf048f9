// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/namedcombobox.h"

#include <QList>

#include <functional>

// Drop-down list of the drives a teacher knows: mounted volumes of a device under /dev/, one entry
// per device (its shortest root), a removable one shown by its label. Each item keeps its root
// path as its data. Part of the PictureBrowser, which keeps it in step with the other two. The box
// itself is called by its accessible name.
class DriveComboBox : public NamedComboBox
{
    Q_OBJECT
public:
    struct Volume {
        QString rootPath;
        QString device;
        // The label where the system knows one (/dev/disk/by-label), else the root path.
        QString displayName;
    };
    using VolumeSource = std::function<QList<Volume>()>;

    explicit DriveComboBox(QWidget* parent = nullptr);

    // Where the volumes come from: the system's mounted ones unless a test says otherwise.
    void setVolumeSource(VolumeSource source) { m_volumes = std::move(source); }
    // Re-reads the volumes and shows the one holding path.
    void setDriveOf(const QString& path);
    // Root path of the volume shown.
    QString drive() const;

private:
    VolumeSource m_volumes;
};
