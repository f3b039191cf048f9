// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rule.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace
{

// A line carries nothing to read: a separator without a name.
QAccessibleInterface* ruleAccessible(const QString& className, QObject* object)
{
    if (className != QLatin1String("Rule") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Separator);
}

} // namespace

Rule::Rule(QWidget* parent) : QWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(ruleAccessible), true);
    Q_UNUSED(accessible);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Rule::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), Qt::black);
}
