// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// A 1-pixel black rule: a dividing line, or one edge of the box around the slot area.
class Rule : public QWidget
{
    Q_OBJECT
public:
    explicit Rule(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
