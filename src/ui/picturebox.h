// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

// A picture box: holds one picture and paints it stretched over the whole box, pixel by
// pixel without smoothing. A click is reported; the window decides what it means.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    const QImage& picture() const { return m_picture; }
    QImage& canvas() { return m_picture; }
    void setPicture(const QImage& picture);
    // Call after drawing on canvas().
    void canvasChanged() { update(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
};
