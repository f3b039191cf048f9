// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of other kinds into a slot: by drop, through the file dialog, undone and redone; and the
// drive box's list.
#include "dropfiles.h"
#include "fakes.h"
#include "findchild.h"
#include "jpeg/jpegdecoder.h"
#include "jpeg/jpegwriter.h"
#include "jpeg/pictureconversion.h"
#include "testjpeg.h"
#include "ui/drivecombobox.h"
#include "ui/inputgate.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"
#include "ui/slotstrip.h"

#include <QAction>
#include <QColorSpace>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include <libheif/heif.h>

namespace
{

// Smooth, as photos are: the JPEG's chroma halving then costs little.
QImage gradient(QImage::Format format = QImage::Format_ARGB32, bool translucent = false)
{
    QImage image(96, 64, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y,
                           qRgba(40 + x * 2, 30 + y * 3, 200 - x - y, translucent ? 80 + x : 255));
    return image.convertToFormat(format);
}

QImage onWhite(const QImage& image)
{
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);
    return flat;
}

double psnr(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB888),
                 y = b.convertToFormat(QImage::Format_RGB888);
    if (x.size() != y.size())
        return 0;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int i = 0; i < x.width() * 3; ++i)
            sum += std::pow(x.constScanLine(row)[i] - y.constScanLine(row)[i], 2);
    const double mse = sum / (x.width() * x.height() * 3);
    return mse == 0 ? 99 : 10 * std::log10(255 * 255 / mse);
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

// A HEIC whose pixels are stored turned: its irot box and its Exif both say "turn 90° clockwise".
bool writeTurnedHeic(const QImage& stored, const QString& path)
{
    const QImage rgb = stored.convertToFormat(QImage::Format_RGB888);
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    heif_image_handle* handle = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation_rotate_90_cw;
    bool done =
        heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code ==
            heif_error_Ok &&
        heif_encoder_set_lossy_quality(encoder, 95).code == heif_error_Ok &&
        heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB,
                          heif_chroma_interleaved_RGB, &image)
                .code == heif_error_Ok &&
        heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8).code ==
            heif_error_Ok;
    if (done) {
        int stride = 0;
        uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < rgb.height(); ++y)
            std::memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width() * 3));
        const QByteArray exif = exifOrientationSegment(6).mid(10);
        done = heif_context_encode_image(context, image, encoder, options, &handle).code ==
                   heif_error_Ok &&
               heif_context_add_exif_metadata(context, handle, exif.constData(), int(exif.size()))
                       .code == heif_error_Ok &&
               heif_context_write_to_file(context, path.toLocal8Bit().constData()).code ==
                   heif_error_Ok;
    }
    heif_image_handle_release(handle);
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_encoding_options_free(options);
    heif_context_free(context);
    return done;
}

} // namespace

class TestPictureKinds : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    FakeServices m_fakes;
    std::unique_ptr<MainWindow> m_window;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    void drop(const QString& name, int k)
    {
        QVERIFY(dropFiles(child<PictureBox>(*m_window, QStringLiteral("thumbnail%1").arg(k)),
                          {path(name)}));
    }

private slots:
    void initTestCase()
    {
        const QImage plain = gradient(QImage::Format_RGB32);
        QVERIFY(plain.save(path("source.png")) &&
                gradient(QImage::Format_ARGB32, true).save(path("alpha.png")));
        QVERIFY(gradient(QImage::Format_RGBX64).save(path("deep.png")));
        // Few enough colours for a palette to hold them all.
        QVERIFY(QImage(plain).scaled(96, 1).scaled(96, 64).save(path("row.png")));
        QVERIFY(
            run("convert", {path("row.png"), "+dither", "-colors", "256", path("palette.gif")}));
        QImageWriter webp(path("browser.webp"));
        webp.setQuality(100); // lossless
        QVERIFY(webp.write(plain) && QFile::copy(path("browser.webp"), path("kot.jpg")));
        QVERIFY(plain.save(path("scan.tiff")));
        for (const char* kind : {"heic", "avif"})
            QVERIFY(run("heif-enc", {"-q", "95", path("source.png"), "-o",
                                     path(QStringLiteral("phone.%1").arg(kind))}));
        QVERIFY(writeFile(path("zayats-belyak.jpeg"), encodeJpeg(plain, false, 95)));
        QVERIFY(writeFile(path("report.jpg"), "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n"));
        QVERIFY(writeTurnedHeic(plain, path("turned.heic")));
        // PNGs of each layout libpng expands, tagged as ImageMagick and Qt tag them.
        QVERIFY(run("convert", {"-size", "96x64", "gradient:black-orange", "-depth", "8",
                                path("tagged.png")}));
        QVERIFY(gradient(QImage::Format_RGBA64, true).save(path("deep-alpha.png")));
        QVERIFY(gradient(QImage::Format_ARGB32, true)
                    .convertToFormat(QImage::Format_Indexed8)
                    .save(path("palette-alpha.png")));
        QVERIFY(run("convert", {path("alpha.png"), "-colorspace", "Gray", path("grey-alpha.png")}));
        QVERIFY(run("convert", {path("alpha.png"), "-interlace", "PNG", path("interlaced.png")}));
        QImage p3 = plain;
        p3.setColorSpace(QColorSpace::DisplayP3);
        QVERIFY(p3.save(path("p3.png")) &&
                QImage(path("row.png"))
                    .scaled(4200, 6, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .save(path("wide.png")));
    }
    void init()
    {
        m_fakes.dialogs.log.clear();
        m_window = std::make_unique<MainWindow>(m_fakes.services, m_dir.path());
        m_window->show();
    }

    void dropped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QImage>("expected"); // in sRGB, upright, on white
        const QImage plain = gradient(QImage::Format_RGB32);
        QTest::newRow("PNG with alpha")
            << "alpha.png" << onWhite(gradient(QImage::Format_ARGB32, true));
        QTest::newRow("16-bit PNG") << "deep.png" << plain;
        QTest::newRow("palette GIF") << "palette.gif" << QImage(path("palette.gif"));
        QTest::newRow("WebP") << "browser.webp" << plain;
        QTest::newRow("WebP named .jpg") << "kot.jpg" << plain;
        QTest::newRow("TIFF") << "scan.tiff" << plain;
        QTest::newRow("HEIC") << "phone.heic" << plain;
        QTest::newRow("AVIF") << "phone.avif" << plain;
        QTest::newRow("JPEG named .jpeg")
            << "zayats-belyak.jpeg" << decodeJpegFile(path("zayats-belyak.jpeg"));
        QTest::newRow("HEIC turned by irot and Exif")
            << "turned.heic" << plain.transformed(QTransform().rotate(90));
    }
    // The slot holds a JPEG file with the source's pixels; a JPEG is taken where it is, and no
    // source is touched.
    void dropped()
    {
        QFETCH(QString, name);
        QFETCH(QImage, expected);
        const QByteArray source = bytesOf(path(name));
        drop(name, 3);
        const QuizSlot& slot = m_window->setup().slot(3);
        QVERIFY2(slot.chosen, qPrintable(m_fakes.dialogs.log.join('\n')));
        QCOMPARE(PictureConversion::kindOf(bytesOf(slot.picturePath)),
                 PictureConversion::Kind::Jpeg);
        QCOMPARE(slot.picturePath == path(name), name.endsWith(".jpeg"));
        const double quality = psnr(decodeJpegFile(slot.picturePath), expected);
        QVERIFY2(quality >= 40, qPrintable(QString::number(quality)));
        QCOMPARE(bytesOf(path(name)), source);
    }

    void pngAsQtReadsIt_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"tagged.png", "deep-alpha.png", "palette-alpha.png",
                                 "grey-alpha.png", "interlaced.png", "p3.png", "wide.png"})
            QTest::newRow(name) << name;
    }
    // libpng's rows, made sRGB on white, are what Qt's reader and QPainter make of the file.
    void pngAsQtReadsIt()
    {
        QFETCH(QString, name);
        QImage qt(path(name), "PNG");
        if (qt.width() > 4096)
            qt = qt.scaled(4096, 4096, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (qt.colorSpace().isValid()) {
            qt.convertTo(qt.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            qt.convertToColorSpace(QColorSpace::SRgb);
        }
        const double quality =
            psnr(QImage::fromData(PictureConversion::toJpeg(bytesOf(path(name)))),
                 QImage::fromData(writeJpeg(onWhite(qt), 90, {}, false)));
        QVERIFY2(quality >= 50, qPrintable(QString::number(quality)));
    }

    // A PNG cut short is named damaged, and the JPEG begun for it row by row is dropped.
    void cutPng()
    {
        QVERIFY(run("convert", {"-size", "640x480", "-seed", "1", "plasma:", path("cut.png")}));
        const QByteArray png = bytesOf(path("cut.png"));
        QVERIFY(writeFile(path("cut.png"), png.left(png.size() / 2)));
        drop("cut.png", 2);
        QCOMPARE(m_fakes.dialogs.errors(),
                 QStringList("Картинка 2 (cut.png): формат PNG: файл повреждён."));
    }

    // What is no picture is named for what it is, and the slot stays as it was.
    void notAPicture()
    {
        drop("report.jpg", 2);
        QVERIFY(!m_window->setup().slot(2).chosen);
        QCOMPARE(m_fakes.dialogs.errors(),
                 QStringList("Картинка 2 (report.jpg): это PDF, а не картинка."));
    }

    // The slot's menu entry opens the file dialog on the browser's folder, showing every kind.
    void fromFileDialog()
    {
        m_fakes.dialogs.openAnswers << path("browser.webp");
        m_window->chooseSlot(5);
        child<QAction>(*m_window, "pictureFileAction")->trigger();
        QVERIFY(m_fakes.dialogs.log.first().startsWith("OpenFile: Картинка из файла|"));
        QVERIFY(m_fakes.dialogs.log.first().contains("*.heic"));
        QVERIFY(m_window->setup().slot(5).chosen);
        QVERIFY(m_window->setup().slot(5).picturePath.endsWith(".jpg"));
    }

    // Ctrl+Z and Ctrl+Shift+Z or Ctrl+Y step through the slot's pictures; nothing while input is
    // held; New empties the history.
    void undoAndRedo()
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        drop("alpha.png", 2);
        const QString first = m_window->setup().slot(2).picturePath;
        drop("scan.tiff", 2);
        const QString second = m_window->setup().slot(2).picturePath;
        QVERIFY(first != second && !first.isEmpty());
        const auto key = [this](Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier) {
            QTest::keyClick(m_window.get(), k, m);
            const QuizSlot& slot = m_window->setup().slot(2);
            return slot.chosen ? slot.picturePath : QString("-");
        };
        QCOMPARE(key(Qt::Key_Z), first);
        QCOMPARE(key(Qt::Key_Z), "-");
        QCOMPARE(child<PictureBox>(*m_window, "preview")->picture(), SlotStrip::placeholder());
        QCOMPARE(key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier), first);
        QCOMPARE(key(Qt::Key_Y), second);
        QString held;
        InputGate::shutWhile(m_window.get(), [&] { held = key(Qt::Key_Z); });
        QCOMPARE(held, second);
        QVERIFY(m_window->setup().slot(2).chosen);
        m_fakes.dialogs.yesNoAnswers << true;
        m_window->startNewQuiz();
        QVERIFY(!child<QAction>(*m_window, "undoAction")->isEnabled());
    }

    // Only devices under /dev/, once each at their shortest root, a stick by its label.
    void driveBox()
    {
        DriveComboBox box;
        box.setVolumeSource([] {
            return QList<DriveComboBox::Volume>{{"/", "/dev/sda1", "/"},
                                                {"/srv/bind", "/dev/sda1", "/srv/bind"},
                                                {"/media/u/FLESHKA", "/dev/sdb1", "FLESHKA"},
                                                {"/tmp", "tmpfs", "/tmp"},
                                                {"/run/netns", "nsfs", "/run/netns"}};
        });
        box.setDriveOf("/");
        QStringList shown;
        for (int i = 0; i < box.count(); ++i)
            shown << box.itemText(i) + "=" + box.itemData(i).toString();
        QCOMPARE(shown, QStringList({"/=/", "FLESHKA=/media/u/FLESHKA"}));
        QCOMPARE(box.drive(), "/");
        box.setCurrentIndex(1);
        QCOMPARE(box.drive(), "/media/u/FLESHKA");
    }
};

QTEST_MAIN(TestPictureKinds)
#include "tst_picturekinds.moc"
