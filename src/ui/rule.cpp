// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rule.h"

#include <QPainter>

Rule::Rule(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Rule::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), Qt::black);
}
