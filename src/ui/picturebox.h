#pragma once

#include <QImage>
#include <QWidget>

// A picture box: holds one picture and paints it stretched over the whole box, pixel by
// pixel without smoothing. A click is reported; the window decides what it means.
class TImage : public QWidget
{
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    const QImage& Picture() const { return m_picture; }
    QImage& Canvas() { return m_picture; }
    void SetPicture(const QImage& picture);
    // Call after drawing on Canvas().
    void Changed() { update(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
};

// A 1-pixel rule: a line or the edge of a box.
class TShape : public QWidget
{
    Q_OBJECT
public:
    explicit TShape(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
