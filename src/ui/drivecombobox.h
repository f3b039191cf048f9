#pragma once

#include <QComboBox>

// Drop-down list of the machine's mounted volumes, one entry per root path.
// Part of the picture browser, it follows neither of the other two by itself: the main window
// ties them together in its handlers.
class DriveComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    // Re-reads the volumes and shows the one holding path.
    void setDriveOf(const QString& path);
    // Root path of the volume shown.
    QString drive() const;
};
