// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/drivecombobox.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QStorageInfo>

#include <algorithm>

namespace
{

// Qt's own combo box interface on Linux reads the current entry as the box's name, so a screen
// reader would call the box "/" rather than what it is for. This one keeps the name it was given;
// the entry is its value and the list of drives its child.
class DriveBoxAccessible : public QAccessibleWidget
{
public:
    explicit DriveBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Value ? box()->currentText() : QAccessibleWidget::text(kind);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == box()->view() ? 0 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction()}; }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction())
            box()->showPopup();
    }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* driveBoxAccessible(const QString& className, QObject* object)
{
    if (className != QLatin1String("DriveComboBox") || !object->isWidgetType())
        return nullptr;
    return new DriveBoxAccessible(static_cast<QComboBox*>(object));
}

} // namespace

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent)
{
    static const bool accessible = (QAccessible::installFactory(driveBoxAccessible), true);
    Q_UNUSED(accessible);
}

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
