// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fakes.h"
#include "findchild.h"
#include "testjpeg.h"
#include "ui/filelistbox.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"
#include "ui/slotstrip.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The real main window over a folder of test pictures, shared by the window's tests and the
// picture browser's, with the checks every step of theirs must pass.
namespace
{

const QColor TL(200, 60, 60), TR(60, 200, 60), BL(60, 60, 200), BR(220, 220, 60);
const QColor Flat(30, 140, 200), Other(210, 120, 40);
// Points on each of the frame's four strokes.
const QPoint FramePoints[] = {{2, 40}, {56, 78}, {110, 40}, {56, 2}};

QRgb masked(QRgb c)
{
    return qRgb(qRed(c), 0, 0);
}

bool framedAt(const QImage& thumb)
{
    for (const QPoint p : FramePoints)
        if (qGreen(thumb.pixel(p)) != 0 || qBlue(thumb.pixel(p)) != 0)
            return false;
    return true;
}

// thumb must be clean with the frame ANDed over it, and nothing else changed.
bool framedOver(const QImage& thumb, const QImage& clean)
{
    if (thumb.size() != QSize(113, 80) || clean.size() != thumb.size())
        return false;
    for (const QPoint p : FramePoints)
        if (thumb.pixel(p) != masked(clean.pixel(p)))
            return false;
    for (int y = 0; y < thumb.height(); ++y)
        for (int x = 0; x < thumb.width(); ++x) {
            const QRgb t = thumb.pixel(x, y), c = clean.pixel(x, y);
            if (t != c && t != masked(c))
                return false;
        }
    return thumb.pixel(56, 40) == clean.pixel(56, 40);
}

} // namespace

class MainWindowFixture : public QObject
{
protected:
    void setUpPictures()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(writeFile(path("a.jpg"), encodeJpeg(quadrants(640, 480, TL, TR, BL, BR))));
        QVERIFY(
            writeFile(path("b.JPG"), encodeJpeg(quadrants(57, 200, TL, TR, BL, BR, true), true)));
        QVERIFY(writeFile(path("c.Jpg"), encodeJpeg(quadrants(64, 64, TL, TR, BL, BR))));
        QVERIFY(writeFile(path("d.jpg"),
                          encodeJpeg(quadrants(300, 150, Flat, Flat, Flat, Flat), true)));
        QVERIFY(writeFile(path("e.jpg"), encodeJpeg(quadrants(1, 1, Other, Other, Other, Other))));
        QVERIFY(writeFile(path("x.jpgx"), encodeJpeg(quadrants(64, 64, TL, TR, BL, BR))));
        QVERIFY(writeFile(path("bad.jpg"), QByteArray("this is no picture")));
        QVERIFY(writeFile(path("empty.jpg"), QByteArray()));
        QVERIFY(QDir(m_dir.path()).mkdir("sub"));
        QVERIFY(
            writeFile(path("sub/s.jpg"), encodeJpeg(quadrants(20, 20, Flat, Flat, Flat, Flat))));
        QVERIFY(QDir::setCurrent(m_dir.path()));
        m_placeholder = SlotStrip::placeholder();
        QCOMPARE(m_placeholder.size(), QSize(113, 80));
    }

    void openWindow()
    {
        m_fakes = std::make_unique<FakeServices>();
        m_window = std::make_unique<MainWindow>(m_fakes->services, m_dir.path());
        m_window->show();
    }

    void closeWindow() { m_window.reset(); }

    void choose(const QString& name)
    {
        const auto found =
            child<FileListBox>(*m_window, "fileList")->findItems(name, Qt::MatchExactly);
        QVERIFY2(found.size() == 1, qPrintable(name));
        child<FileListBox>(*m_window, "fileList")->setCurrentItem(found.first());
    }
    void checkInvariants()
    {
        MainWindow& window = *m_window;
        for (int k = 1; k <= 6; ++k)
            QVERIFY2(framedAt(child<PictureBox>(window, numbered("thumbnail", k))->picture()) ==
                         (k == window.setup().currentSlot),
                     qPrintable(QStringLiteral("frame on thumbnail %1").arg(k)));
        QVERIFY(framedOver(
            child<PictureBox>(window, numbered("thumbnail", window.setup().currentSlot))->picture(),
            window.cleanThumbnail()));
        if (window.setup().current().chosen)
            QCOMPARE(child<PictureBox>(window, "preview")->picture().size(), QSize(249, 169));
        else
            QCOMPARE(child<PictureBox>(window, "preview")->picture(), m_placeholder);
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QImage m_placeholder;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<MainWindow> m_window;
};
