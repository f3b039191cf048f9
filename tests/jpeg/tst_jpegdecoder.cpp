// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quirvelerror.h"
#include "fakes.h"
#include "findchild.h"
#include "jpeg/jpegdecoder.h"
#include "jpeg/orientation.h"
#include "processmemory.h"
#include "testjpeg.h"
#include "ui/filelistbox.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"
#include "ui/slotpanel.h"
#include "ui/slotstrip.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <fstream>

class TestJpegDecoder : public QObject
{
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void fileAndDataAgree();
    void fatalErrorsGiveAReason_data();
    void fatalErrorsGiveAReason();
    void truncatedPictureStillDecodes_data();
    void truncatedPictureStillDecodes();
    void missingFile();
    void oversizedHeaderRefusedBeforeAllocating_data();
    void oversizedHeaderRefusedBeforeAllocating();
    void scanLimit_data();
    void scanLimit();
    void scanLimitShrinksForLargePictures();
    void stretchedEqualsScaledFullDecode_data();
    void stretchedEqualsScaledFullDecode();
    void stretchedNeverHoldsTheFullPicture_data();
    void stretchedNeverHoldsTheFullPicture();
    void inkPictures_data();
    void inkPictures();
    void copiesAreTurnedUpright_data();
    void copiesAreTurnedUpright();
    void windowShowsTheStretchedCopies_data();
    void windowShowsTheStretchedCopies();
};

namespace
{

const QColor TL(200, 60, 60), TR(60, 200, 60), BL(60, 60, 200), BR(220, 220, 60);

QString errorText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const QuirvelError& e) {
        return e.text();
    }
    return QString();
}

// Every pixel differs from its neighbours, so a copy that samples one pixel off shows it.
QImage texture(int width, int height, bool grey = false)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = uchar(x * 37 + y * 11);
            p[1] = uchar((x * 5) ^ (y * 3));
            p[2] = uchar(x * y >> 3);
        }
    }
    return grey ? image.convertToFormat(QImage::Format_Grayscale8) : image;
}

constexpr QSize PreviewSize = SlotPanel::PreviewSize;
constexpr QSize ThumbSize = SlotStrip::ThumbnailSize;

} // namespace

void TestJpegDecoder::decodes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("grey");
    QTest::addColumn<bool>("progressive");
    QTest::newRow("colour") << 64 << 48 << false << false;
    QTest::newRow("colour, odd size") << 333 << 17 << false << false;
    QTest::newRow("grey") << 80 << 120 << true << false;
    QTest::newRow("colour, progressive") << 300 << 150 << false << true;
    QTest::newRow("grey, progressive") << 57 << 200 << true << true;
    QTest::newRow("one pixel") << 1 << 1 << false << false;
}

void TestJpegDecoder::decodes()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, grey);
    QFETCH(bool, progressive);
    const QImage source = quadrants(width, height, TL, TR, BL, BR, grey);
    const QImage image = decodeJpegData(encodeJpeg(source, progressive));
    QCOMPARE(image.size(), QSize(width, height));
    QCOMPARE(image.format(), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    // Sample the middle of each quadrant, away from the blurred borders.
    for (const QPoint p :
         {QPoint(width / 4, height / 4), QPoint(3 * width / 4, height / 4),
          QPoint(width / 4, 3 * height / 4), QPoint(3 * width / 4, 3 * height / 4)})
        QVERIFY2(near(image.pixel(p), source.pixel(p)),
                 qPrintable(QStringLiteral("at %1,%2").arg(p.x()).arg(p.y())));
}

void TestJpegDecoder::fileAndDataAgree()
{
    QTemporaryDir dir;
    const QByteArray jpeg = encodeJpeg(quadrants(90, 70, TL, TR, BL, BR), true);
    const QString path = dir.filePath(QStringLiteral("картинка.jpg"));
    QVERIFY(writeFile(path, jpeg));
    QCOMPARE(decodeJpegFile(path), decodeJpegData(jpeg));
    QCOMPARE(decodeJpegFileStretched(path, {PreviewSize, ThumbSize}),
             decodeJpegDataStretched(jpeg, {PreviewSize, ThumbSize}));
    QVERIFY(errorText([&] {
                decodeJpegFileStretched(path + QLatin1Char('x'), {ThumbSize});
            }).startsWith(QStringLiteral("Не удаётся открыть файл")));
}

void TestJpegDecoder::fatalErrorsGiveAReason_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("reason");
    const QByteArray good = encodeJpeg(quadrants(32, 32, TL, TR, BL, BR));
    QTest::newRow("empty") << QByteArray() << "файл пуст";
    QTest::newRow("not a JPEG") << QByteArray("GIF89a, not a JPEG at all") << "это не JPEG-файл";
    QByteArray zeroWidth = withClaimedSize(good, 0, 32);
    QTest::newRow("zero width") << zeroWidth << "файл повреждён";
    QByteArray badPrecision = good;
    badPrecision[frameHeaderAt(good) - 1] = 12;
    QTest::newRow("12-bit samples") << badPrecision << "такой вид JPEG не поддерживается";
}

void TestJpegDecoder::fatalErrorsGiveAReason()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, reason);
    QCOMPARE(errorText([&] { decodeJpegData(data); }), reason);
    QCOMPARE(errorText([&] { decodeJpegDataStretched(data, {ThumbSize}); }), reason);
}

void TestJpegDecoder::truncatedPictureStillDecodes_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<bool>("damaged");
    const QByteArray whole = encodeJpeg(quadrants(160, 160, TL, TR, BL, BR));
    QTest::newRow("whole") << whole << false;
    // Stray bytes between segments, common in phone photos, lose nothing.
    QTest::newRow("extraneous bytes") << QByteArray(whole).insert(2, "junk") << false;
    QTest::newRow("no end marker") << whole.chopped(2) << false;
    QTest::newRow("cut") << whole.left(whole.size() * 2 / 3) << true;
    const QByteArray progressive = encodeJpeg(quadrants(160, 160, TL, TR, BL, BR), true);
    QTest::newRow("progressive, cut") << progressive.left(progressive.size() * 3 / 4) << true;
    QTest::newRow("progressive, no end marker") << progressive.chopped(2) << false;
    QTest::newRow("stray marker") << QByteArray(whole).replace(whole.size() * 2 / 3, 2, "\xFF\xD3")
                                  << true;
}

void TestJpegDecoder::truncatedPictureStillDecodes()
{
    // The library warns about lost data and fills in the rest; that is not a failure, but it is
    // told.
    QFETCH(QByteArray, jpeg);
    QFETCH(bool, damaged);
    const QImage image = decodeJpegData(jpeg);
    QCOMPARE(image.size(), QSize(160, 160));
    QVERIFY(near(image.pixel(40, 40), TL.rgb()));
    bool told = !damaged;
    decodeJpegDataStretched(jpeg, {ThumbSize}, &told);
    QCOMPARE(told, damaged);
    std::FILE* file = fmemopen(jpeg.data(), size_t(jpeg.size()), "rb");
    QCOMPARE(decodeJpegStreamReduced(file, 80).damaged, damaged);
    std::fclose(file);
}

void TestJpegDecoder::missingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("нет.jpg"));
    const QString text = errorText([&] { decodeJpegFile(path); });
    QVERIFY2(text.startsWith(QStringLiteral("Не удаётся открыть файл")), qPrintable(text));
    QVERIFY(text.contains(path));
    QVERIFY(errorText([] { decodeJpegFile(QString()); }).startsWith(QStringLiteral("Не удаётся")));
}

void TestJpegDecoder::oversizedHeaderRefusedBeforeAllocating_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("11000 x 11000") << 11000 << 11000;
    QTest::newRow("one row over the limit") << 12000 << 10001;
    QTest::newRow("65500 x 65500") << 65500 << 65500;
}

void TestJpegDecoder::oversizedHeaderRefusedBeforeAllocating()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const QByteArray jpeg =
        withClaimedSize(encodeJpeg(quadrants(16, 16, TL, TR, BL, BR)), width, height);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const bool limitMemory = false; // the sanitizers reserve far more address space than this
#else
    const bool limitMemory = true;
#endif
    // Allow 200 MB more address space than is in use: decoding even the smallest of these
    // pictures would need 360 MB, so any allocation for it fails with another message.
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_AS, &saved) == 0);
    if (limitMemory) {
        std::ifstream statm("/proc/self/statm");
        unsigned long pages = 0;
        statm >> pages;
        QVERIFY(pages > 0);
        rlimit tight = saved;
        tight.rlim_cur = rlim_t(pages) * rlim_t(getpagesize()) + 200ul * 1024 * 1024;
        QVERIFY(setrlimit(RLIMIT_AS, &tight) == 0);
    }
    const QString text = errorText([&] { decodeJpegData(jpeg); });
    const QString stretchedText = errorText([&] {
        decodeJpegDataStretched(jpeg, {PreviewSize, ThumbSize});
    });
    if (limitMemory)
        QVERIFY(setrlimit(RLIMIT_AS, &saved) == 0);
    QVERIFY2(text.startsWith(QStringLiteral("Картинка слишком велика")), qPrintable(text));
    QVERIFY(text.contains(QString::number(width)) && text.contains(QString::number(height)));
    QCOMPARE(stretchedText, text);
}

void TestJpegDecoder::scanLimit_data()
{
    QTest::addColumn<int>("scans");
    QTest::addColumn<bool>("refused");
    QTest::newRow("ordinary progressive") << 0 << false;
    QTest::newRow("500 scans") << 500 << false;
    QTest::newRow("501 scans") << 501 << true;
    QTest::newRow("5000 scans") << 5000 << true;
}

void TestJpegDecoder::scanLimit()
{
    QFETCH(int, scans);
    QFETCH(bool, refused);
    QByteArray jpeg = encodeJpeg(quadrants(48, 48, TL, TR, BL, BR), true);
    if (scans > 0)
        jpeg = withRepeatedScans(jpeg, scans);
    const QString text = errorText([&] {
        const QImage image = decodeJpegData(jpeg);
        QCOMPARE(image.size(), QSize(48, 48));
    });
    if (refused)
        QVERIFY2(text.contains(QStringLiteral("больше 500")), qPrintable(text));
    else
        QCOMPARE(text, QString());
    QCOMPARE(errorText([&] { decodeJpegDataStretched(jpeg, {ThumbSize}); }), text);
}

void TestJpegDecoder::scanLimitShrinksForLargePictures()
{
    // 9 megapixels: the scans-times-pixels bound lets 455 scans through, not 500.
    const QByteArray jpeg = encodeJpeg(quadrants(3000, 3000, TL, TR, BL, BR), true, 50);
    QCOMPARE(errorText([&] { decodeJpegData(withRepeatedScans(jpeg, 455)); }), QString());
    const QString text = errorText([&] { decodeJpegData(withRepeatedScans(jpeg, 480)); });
    QVERIFY2(text.contains(QStringLiteral("больше 455")), qPrintable(text));
}

void TestJpegDecoder::stretchedEqualsScaledFullDecode_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    auto row = [](const char* name, const QImage& picture, bool progressive = false) {
        QTest::newRow(name) << encodeJpeg(picture, progressive);
    };
    // 1728 x 1152 puts some pixel centres of both copies on source pixel borders.
    row("baseline, 1728 x 1152", texture(1728, 1152));
    row("baseline, every centre on a border", texture(226, 338));
    row("progressive", texture(1000, 700), true);
    row("grey", texture(640, 480, true));
    row("grey, progressive", texture(333, 250, true), true);
    row("smaller than the copies", texture(64, 48));
    row("odd size", texture(333, 17));
    row("1 x 1", texture(1, 1));
    row("3 x 7000", texture(3, 7000));
    row("7000 x 3", texture(7000, 3));
    QTest::newRow("CMYK") << encodeInkJpeg(texture(300, 200), InkJpeg::AdobeCmyk);
}

// The copies equal what QImage::scaled() without smoothing makes of the full decode.
void TestJpegDecoder::stretchedEqualsScaledFullDecode()
{
    QFETCH(QByteArray, jpeg);
    const QImage full = decodeJpegData(jpeg);
    const QList<QSize> sizes{PreviewSize, ThumbSize, QSize(), full.size(), QSize(5, 300)};
    const QList<QImage> copies = decodeJpegDataStretched(jpeg, sizes);
    QCOMPARE(copies.size(), sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        if (sizes[i].isEmpty()) {
            QVERIFY(copies[i].isNull());
            continue;
        }
        const QImage expected =
            full.scaled(sizes[i], Qt::IgnoreAspectRatio, Qt::FastTransformation);
        QCOMPARE(copies[i].format(), full.format());
        QCOMPARE(copies[i], expected);
        // The rule is the one written down, not only what this Qt happens to do.
        const int x = sizes[i].width() / 2, y = sizes[i].height() - 1;
        QCOMPARE(copies[i].pixel(x, y),
                 full.pixel(stretchSource(x, full.width(), sizes[i].width()),
                            stretchSource(y, full.height(), sizes[i].height())));
    }
}

void TestJpegDecoder::stretchedNeverHoldsTheFullPicture_data()
{
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<double>("imagesAllowed");
    // The library keeps a progressive picture's coefficients, about one decoded image's worth.
    QTest::newRow("baseline") << false << 0.25;
    QTest::newRow("progressive") << true << 1.25;
}

void TestJpegDecoder::stretchedNeverHoldsTheFullPicture()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizer's own memory would dominate the reading");
#endif
    QFETCH(bool, progressive);
    QFETCH(double, imagesAllowed);
    const int width = 4000, height = 3000;
    const QByteArray jpeg = encodeJpeg(texture(width, height), progressive, 80);
    if (!resetPeakMemory())
        QSKIP("the kernel's high-water mark cannot be reset here");
    const qint64 before = statusKb("VmRSS");
    const QList<QImage> copies = decodeJpegDataStretched(jpeg, {PreviewSize, ThumbSize});
    const double grownMb = double(statusKb("VmHWM") - before) / 1024;
    const double imageMb = double(width) * height * 3 / 1048576;
    QCOMPARE(copies.size(), 2);
    QVERIFY2(grownMb < imageMb * imagesAllowed,
             qPrintable(QStringLiteral("grew %1 MiB, a full image is %2 MiB")
                            .arg(grownMb, 0, 'f', 1)
                            .arg(imageMb, 0, 'f', 1)));
}

void TestJpegDecoder::inkPictures_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("progressive");
    QTest::newRow("CMYK, ink values") << int(InkJpeg::PlainCmyk) << false;
    QTest::newRow("CMYK, Adobe inverted") << int(InkJpeg::AdobeCmyk) << false;
    QTest::newRow("YCCK, Adobe inverted") << int(InkJpeg::AdobeYcck) << false;
    QTest::newRow("YCCK, progressive") << int(InkJpeg::AdobeYcck) << true;
}

// Print-shop pictures come out in the colours they were made from.
void TestJpegDecoder::inkPictures()
{
    QFETCH(int, kind);
    QFETCH(bool, progressive);
    // Dark, light, saturated and grey, so both K and the inks matter.
    const QColor dark(90, 20, 30), light(250, 240, 160), vivid(20, 200, 90), grey(128, 128, 128);
    const QImage source = quadrants(96, 64, dark, light, vivid, grey);
    const QByteArray jpeg = encodeInkJpeg(source, InkJpeg(kind), progressive);
    const QImage image = decodeJpegData(jpeg);
    QCOMPARE(image.format(), QImage::Format_RGB888);
    QCOMPARE(image.size(), source.size());
    for (const QPoint p : {QPoint(24, 16), QPoint(72, 16), QPoint(24, 48), QPoint(72, 48)})
        QVERIFY2(near(image.pixel(p), source.pixel(p), 8),
                 qPrintable(QColor(image.pixel(p)).name()));
}

// The corners ("TL", "TR", "BL", "BR") that show `colour` well inside, joined by commas.
QString cornersOf(const QImage& image, const QColor& colour)
{
    const int w = image.width(), h = image.height(), dx = w / 8, dy = h / 8;
    const std::pair<const char*, QPoint> corners[] = {{"TL", {dx, dy}},
                                                      {"TR", {w - 1 - dx, dy}},
                                                      {"BL", {dx, h - 1 - dy}},
                                                      {"BR", {w - 1 - dx, h - 1 - dy}}};
    QStringList found;
    for (const auto& [name, at] : corners)
        if (near(image.pixel(at), colour.rgb()))
            found << QLatin1String(name);
    return found.join(QLatin1Char(','));
}

void TestJpegDecoder::copiesAreTurnedUpright_data()
{
    QTest::addColumn<QByteArray>("exif");
    QTest::addColumn<QString>("red");
    QTest::addColumn<QString>("blue");
    auto row = [](const QString& name, const QByteArray& exif, const char* red, const char* blue) {
        QTest::newRow(qPrintable(name))
            << exif << QString::fromLatin1(red) << QString::fromLatin1(blue);
    };
    const char* const expected[8][2] = {{"TL", "TR"}, {"TR", "TL"}, {"BR", "BL"}, {"BL", "BR"},
                                        {"TL", "BL"}, {"TR", "BR"}, {"BR", "TR"}, {"BL", "TL"}};
    for (int tag = 1; tag <= 8; ++tag)
        row(QStringLiteral("tag %1").arg(tag), exifOrientationSegment(tag), expected[tag - 1][0],
            expected[tag - 1][1]);
    row(QStringLiteral("no Exif"), QByteArray(), "TL", "TR");
    row(QStringLiteral("tag 0"), exifOrientationSegment(0), "TL", "TR");
    row(QStringLiteral("tag 9"), exifOrientationSegment(9), "TL", "TR");
    // "Exif", pad, TIFF header, entry count, then the entry cut before its value.
    row(QStringLiteral("cut inside the entry"),
        jpegSegment(0xE1, exifOrientationSegment(6).mid(4, 6 + 8 + 2 + 8)), "TL", "TR");
}

// A stored landscape picture with its red mark top left and blue top right: each tag moves the
// marks of both copies into its own pair of corners; a useless tag leaves them where they are.
void TestJpegDecoder::copiesAreTurnedUpright()
{
    QFETCH(QByteArray, exif);
    QFETCH(QString, red);
    QFETCH(QString, blue);
    const QByteArray jpeg = withSegmentsAfterSoi(encodeJpeg(cornerMarks(160, 100)), exif);
    const QList<QImage> copies = decodeJpegDataStretched(jpeg, {PreviewSize, ThumbSize});
    QCOMPARE(copies.size(), 2);
    QCOMPARE(copies[0].size(), PreviewSize);
    QCOMPARE(copies[1].size(), ThumbSize);
    for (const QImage& copy : copies) {
        QCOMPARE(cornersOf(copy, MarkRed), red);
        QCOMPARE(cornersOf(copy, MarkBlue), blue);
    }
    // The full decode stays as stored.
    QCOMPARE(cornersOf(decodeJpegData(jpeg), MarkRed), QStringLiteral("TL"));
}

void TestJpegDecoder::windowShowsTheStretchedCopies_data()
{
    QTest::addColumn<int>("orientation");
    QTest::newRow("untagged") << 1;
    QTest::newRow("tagged 6, a phone's portrait") << 6;
}

// The window's preview and thumbnail, from the choice and from a slot switch's reload, are
// exactly the full picture scaled without smoothing and then turned upright, the thumbnail cut to
// the bitmap's 80 rows.
void TestJpegDecoder::windowShowsTheStretchedCopies()
{
    QFETCH(int, orientation);
    QTemporaryDir dir;
    QByteArray jpeg = encodeJpeg(texture(1728, 1152), true);
    if (orientation != 1)
        jpeg = withSegmentsAfterSoi(jpeg, exifOrientationSegment(orientation));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("picture.jpg")), jpeg));
    const QImage full = decodeJpegData(jpeg);
    auto shown = [&](QSize size) {
        return orientedImage(full.scaled(storedSize(size, orientation), Qt::IgnoreAspectRatio,
                                         Qt::FastTransformation),
                             orientation);
    };
    const QImage preview = shown(PreviewSize);
    QCOMPARE(preview.size(), PreviewSize);
    QImage thumb = SlotStrip::placeholder();
    QPainter(&thumb).drawImage(0, 0, shown(ThumbSize));

    FakeServices fakes;
    auto& [dialogs, shell, pauser, services] = fakes;
    MainWindow window(services, dir.path() + QStringLiteral("/program/"));
    window.show();
    child<FileListBox>(window, "fileList")->setDirectory(dir.path());
    window.chooseSlot(4);
    const auto found = child<FileListBox>(window, "fileList")
                           ->findItems(QStringLiteral("picture.jpg"), Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    child<FileListBox>(window, "fileList")->setCurrentItem(found.first());
    QVERIFY2(dialogs.log.isEmpty(), qPrintable(dialogs.log.join('\n')));
    QVERIFY(window.setup().slot(4).chosen);
    QCOMPARE(child<PictureBox>(window, "preview")->picture(), preview);
    QCOMPARE(window.cleanThumbnail(), thumb);

    window.chooseSlot(1);
    QVERIFY(child<PictureBox>(window, "preview")->picture() != preview);
    window.chooseSlot(4);
    QVERIFY(dialogs.log.isEmpty());
    QCOMPARE(child<PictureBox>(window, "preview")->picture(), preview);
    QCOMPARE(window.cleanThumbnail(), thumb);
}

QTEST_MAIN(TestJpegDecoder)
#include "tst_jpegdecoder.moc"
