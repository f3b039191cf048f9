// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quizsetup.h"

#include <QImage>
#include <QSize>
#include <QWidget>

#include <array>

class PictureBox;
class QPlainTextEdit;
class QPushButton;

// The six slots side by side: number glyph, thumbnail and a read-only copy of the answer each.
// Exactly one thumbnail carries the selection frame (none after showPlaceholders), and
// cleanThumbnail() is that thumbnail without its frame. Children are named thumbnail1 ...
// thumbnail6, slotButton1 ..., answerCopy1 ....
class SlotStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int SlotCount = QuizSetup::SlotCount;
    static constexpr QSize ThumbnailSize{113, 81};

    explicit SlotStrip(QWidget* parent = nullptr);

    // A fresh copy of the placeholder picture, ready to draw on.
    static QImage placeholder();

    // Every thumbnail shows the placeholder, none is framed.
    void showPlaceholders();
    // Moves the frame to thumbnail k: the framed one gets its clean picture back first.
    void frameSlot(int k);
    // Paints picture (already at ThumbnailSize) over thumbnail k, framed again if it was.
    void paintPicture(int k, const QImage& picture);
    void setAnswerCopy(int k, const QString& crlfText);
    // Forgets the clean thumbnail, as on exit.
    void releaseCleanThumbnail() { m_cleanThumbnail = QImage(); }
    const QImage& cleanThumbnail() const { return m_cleanThumbnail; }
    // Draws the selection frame over thumbnail k's picture, nothing else.
    void drawFrame(int k);
    // The slot whose thumbnail widget is, or 0.
    int slotAt(const QObject* widget) const;
    // What a screen reader says of slot k's glyph button: the picture's file name, or empty.
    void describePicture(int k, const QString& fileName);
    // Slot k's focus stops.
    QPushButton* slotButton(int k) const { return m_slotButtons[size_t(k - 1)]; }
    QPlainTextEdit* answerCopy(int k) const { return m_answerCopies[size_t(k - 1)]; }

public slots:
    // Makes slot k current as a click on its thumbnail does.
    void choose(int k) { emit thumbnailClicked(k); }

signals:
    void thumbnailClicked(int k);
    // A thumbnail's picture changed; its slot's description may be due.
    void picturesChanged();

private:
    PictureBox* thumbnail(int k) const;

    QImage m_cleanThumbnail;
    int m_framedSlot = 0;
    std::array<QPushButton*, SlotCount> m_slotButtons{};
    std::array<PictureBox*, SlotCount> m_thumbnails{};
    std::array<QPlainTextEdit*, SlotCount> m_answerCopies{};
};
