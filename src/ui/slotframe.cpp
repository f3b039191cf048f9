#include "ui/slotframe.h"

#include <QPainter>

SlotFrame::SlotFrame(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SlotFrame::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), Qt::black);
}
