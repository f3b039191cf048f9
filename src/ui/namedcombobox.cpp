// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/namedcombobox.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>

namespace
{

class NamedBoxAccessible : public QAccessibleWidget
{
public:
    explicit NamedBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

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

// Asked for each class of the object from the most derived, so subclasses get it too.
QAccessibleInterface* namedBoxAccessible(const QString& className, QObject* object)
{
    if (className != QLatin1String("NamedComboBox") || !object->isWidgetType())
        return nullptr;
    return new NamedBoxAccessible(static_cast<QComboBox*>(object));
}

} // namespace

NamedComboBox::NamedComboBox(QWidget* parent) : QComboBox(parent)
{
    static const bool accessible = (QAccessible::installFactory(namedBoxAccessible), true);
    Q_UNUSED(accessible);
}
