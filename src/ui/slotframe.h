#pragma once

#include <QWidget>

// A 1-pixel black rule: a dividing line, or one edge of the frame around the slot area.
class SlotFrame : public QWidget
{
    Q_OBJECT
public:
    explicit SlotFrame(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
