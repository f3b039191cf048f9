#include "app/errors.h"
#include "testjpeg.h"
#include "ui/jpegdecoder.h"

#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QtTest>

#include <sys/resource.h>

#include <fstream>

// jerror.h gives the library's message codes as an enum when JMESSAGE is not defined.
#include <jerror.h>

class TestJpegDecoder : public QObject
{
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void fileAndDataAgree();
    void fatalErrorsCarryTheLibraryCode_data();
    void fatalErrorsCarryTheLibraryCode();
    void truncatedPictureStillDecodes();
    void missingFile();
    void oversizedHeaderRefusedBeforeAllocating_data();
    void oversizedHeaderRefusedBeforeAllocating();
    void scanLimit_data();
    void scanLimit();
    void scanLimitShrinksForLargePictures();
};

namespace
{

const QColor TL(200, 60, 60), TR(60, 200, 60), BL(60, 60, 200), BR(220, 220, 60);

QString ErrorText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const QuirvelError& e) {
        return e.text();
    }
    return QString();
}

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
    const QImage source = Quadrants(width, height, TL, TR, BL, BR, grey);
    const QImage image = DecodeJpegData(EncodeJpeg(source, progressive));
    QCOMPARE(image.size(), QSize(width, height));
    QCOMPARE(image.format(), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    // Sample the middle of each quadrant, away from the blurred borders.
    for (const QPoint p :
         {QPoint(width / 4, height / 4), QPoint(3 * width / 4, height / 4),
          QPoint(width / 4, 3 * height / 4), QPoint(3 * width / 4, 3 * height / 4)})
        QVERIFY2(Near(image.pixel(p), source.pixel(p)),
                 qPrintable(QStringLiteral("at %1,%2").arg(p.x()).arg(p.y())));
}

void TestJpegDecoder::fileAndDataAgree()
{
    QTemporaryDir dir;
    const QByteArray jpeg = EncodeJpeg(Quadrants(90, 70, TL, TR, BL, BR), true);
    const QString path = dir.filePath(QStringLiteral("картинка.jpg"));
    QVERIFY(WriteFile(path, jpeg));
    QCOMPARE(DecodeJpegFile(path), DecodeJpegData(jpeg));
}

void TestJpegDecoder::fatalErrorsCarryTheLibraryCode_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("code");
    const QByteArray good = EncodeJpeg(Quadrants(32, 32, TL, TR, BL, BR));
    QTest::newRow("empty") << QByteArray() << int(JERR_INPUT_EMPTY);
    QTest::newRow("not a JPEG") << QByteArray("GIF89a, not a JPEG at all") << int(JERR_NO_SOI);
    QByteArray zeroWidth = WithClaimedSize(good, 0, 32);
    QTest::newRow("zero width") << zeroWidth << int(JERR_EMPTY_IMAGE);
    QByteArray badPrecision = good;
    badPrecision[FrameHeaderAt(good) - 1] = 12;
    QTest::newRow("12-bit samples") << badPrecision << int(JERR_BAD_PRECISION);
}

void TestJpegDecoder::fatalErrorsCarryTheLibraryCode()
{
    QFETCH(QByteArray, data);
    QFETCH(int, code);
    QCOMPARE(ErrorText([&] { DecodeJpegData(data); }), QStringLiteral("JPEG error #%1").arg(code));
}

void TestJpegDecoder::truncatedPictureStillDecodes()
{
    // The library warns about the missing end and fills in the rest; that is not a failure.
    const QByteArray jpeg = EncodeJpeg(Quadrants(160, 160, TL, TR, BL, BR));
    const QImage image = DecodeJpegData(jpeg.left(jpeg.size() * 2 / 3));
    QCOMPARE(image.size(), QSize(160, 160));
    QVERIFY(Near(image.pixel(40, 40), TL.rgb()));
}

void TestJpegDecoder::missingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("нет.jpg"));
    const QString text = ErrorText([&] { DecodeJpegFile(path); });
    QVERIFY2(text.startsWith(QStringLiteral("Не удаётся открыть файл")), qPrintable(text));
    QVERIFY(text.contains(path));
    QVERIFY(ErrorText([] { DecodeJpegFile(QString()); }).startsWith(QStringLiteral("Не удаётся")));
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
        WithClaimedSize(EncodeJpeg(Quadrants(16, 16, TL, TR, BL, BR)), width, height);
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
    const QString text = ErrorText([&] { DecodeJpegData(jpeg); });
    if (limitMemory)
        QVERIFY(setrlimit(RLIMIT_AS, &saved) == 0);
    QVERIFY2(text.startsWith(QStringLiteral("Картинка слишком велика")), qPrintable(text));
    QVERIFY(text.contains(QString::number(width)) && text.contains(QString::number(height)));
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
    QByteArray jpeg = EncodeJpeg(Quadrants(48, 48, TL, TR, BL, BR), true);
    if (scans > 0)
        jpeg = WithRepeatedScans(jpeg, scans);
    const QString text = ErrorText([&] {
        const QImage image = DecodeJpegData(jpeg);
        QCOMPARE(image.size(), QSize(48, 48));
    });
    if (refused)
        QVERIFY2(text.contains(QStringLiteral("больше 500")), qPrintable(text));
    else
        QCOMPARE(text, QString());
}

void TestJpegDecoder::scanLimitShrinksForLargePictures()
{
    // 9 megapixels: the scans-times-pixels bound lets 455 scans through, not 500.
    const QByteArray jpeg = EncodeJpeg(Quadrants(3000, 3000, TL, TR, BL, BR), true, 50);
    QCOMPARE(ErrorText([&] { DecodeJpegData(WithRepeatedScans(jpeg, 455)); }), QString());
    QElapsedTimer timer;
    timer.start();
    const QString text = ErrorText([&] { DecodeJpegData(WithRepeatedScans(jpeg, 480)); });
    QVERIFY2(text.contains(QStringLiteral("больше 455")), qPrintable(text));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(TestJpegDecoder)
#include "tst_jpegdecoder.moc"
