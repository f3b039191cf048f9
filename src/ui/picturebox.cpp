// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/picturebox.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>

namespace
{

// Read as a picture rather than an unnamed pane; its name says which slot it shows.
QAccessibleInterface* pictureBoxAccessible(const QString& className, QObject* object)
{
    if (className != QLatin1String("PictureBox") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(pictureBoxAccessible), true);
    Q_UNUSED(accessible);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_picture.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawImage(rect(), m_picture);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
