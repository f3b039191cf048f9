// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/namedcombobox.h"

// Drop-down list of the machine's mounted volumes, one entry per root path.
// Part of the PictureBrowser, which keeps it in step with the other two. Its items keep their paths
// for a screen reader; the box itself is called by its accessible name.
class DriveComboBox : public NamedComboBox
{
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    // Re-reads the volumes and shows the one holding path.
    void setDriveOf(const QString& path);
    // Root path of the volume shown.
    QString drive() const;
};
