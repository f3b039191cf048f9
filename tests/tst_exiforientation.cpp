// The Exif Orientation reader, the turning of pictures by it, and the libjpeg hook that keeps the
// first Exif segment and nothing else.

#include "jpeg/exiforientation.h"
#include "jpeg/exifsegment.h"
#include "jpeg/orientation.h"
#include "testjpeg.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csetjmp>

namespace
{

// One IFD entry; a SHORT value sits in the first two bytes of the value field.
struct Entry {
    quint16 tag, type;
    quint32 count, value;
};
constexpr Entry orientationTag(quint32 value)
{
    return {0x0112, 3, 1, value};
}
constexpr Entry exifIfd(quint32 offset)
{
    return {0x8769, 4, 1, offset};
}

void put(QByteArray& out, quint32 value, int bytes, bool little)
{
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (little ? 8 * i : 8 * (bytes - 1 - i)) & 0xFF);
}

// Entry count (or `count` claimed instead), entries, a zero next-IFD offset.
QByteArray directory(bool little, const QList<Entry>& entries, int count = -1)
{
    QByteArray out;
    put(out, count < 0 ? quint32(entries.size()) : quint32(count), 2, little);
    for (const Entry& e : entries) {
        put(out, e.tag, 2, little);
        put(out, e.type, 2, little);
        put(out, e.count, 4, little);
        put(out, e.type == 3 ? e.value << 16 >> (little ? 16 : 0) : e.value, 4, little);
    }
    put(out, 0, 4, little);
    return out;
}

// An APP1 payload: "Exif", zero, pad byte, TIFF header pointing at `ifd0`, then `directories`
// from TIFF offset 8 on.
QByteArray exif(bool little, const QByteArray& directories, quint32 ifd0 = 8)
{
    QByteArray out("Exif\0\0", 6);
    out += little ? "II" : "MM";
    put(out, 42, 2, little);
    put(out, ifd0, 4, little);
    return out + directories;
}

QByteArray tagged(bool little, int value)
{
    return exif(little, directory(little, {orientationTag(quint32(value))}));
}

// The TIFF offset just past an IFD0 of `entries` entries, where a sub-IFD can go.
constexpr quint32 after(int entries)
{
    return quint32(8 + 2 + 12 * entries + 4);
}

// Every big block the library allocates is counted: a kept segment is one.
qint64 largeBytes = 0;
void* (*libraryAllocLarge)(j_common_ptr, int, size_t) = nullptr;

void* countingAllocLarge(j_common_ptr cinfo, int pool, size_t size)
{
    largeBytes += qint64(size);
    return libraryAllocLarge(cinfo, pool, size);
}

struct Reader {
    jpeg_decompress_struct cinfo{}; // first, so the error handler finds the rest
    jpeg_error_mgr jerr{};
    std::jmp_buf escape{};
    ExifSegment segment;
};

[[noreturn]] void escape(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<Reader*>(cinfo)->escape, 1);
}

void quiet(j_common_ptr) {}

// The library's part in a frame of its own, since its errors longjmp back here.
bool readHeaderInto(Reader& r, const QByteArray& jpeg, std::FILE* file)
{
    if (setjmp(r.escape))
        return false;
    jpeg_create_decompress(&r.cinfo);
    libraryAllocLarge = r.cinfo.mem->alloc_large;
    r.cinfo.mem->alloc_large = countingAllocLarge;
    saveFirstExifSegment(&r.cinfo, &r.segment);
    if (file)
        jpeg_stdio_src(&r.cinfo, file);
    else
        jpeg_mem_src(&r.cinfo, reinterpret_cast<const JOCTET*>(jpeg.constData()),
                     static_cast<unsigned long>(jpeg.size()));
    return jpeg_read_header(&r.cinfo, TRUE) == JPEG_HEADER_OK;
}

struct Header {
    bool read = false;
    int orientation = 0;
    QByteArray kept;
    qint64 largeBytes = 0;
};

// The header read from memory, or from a file through the stdio source.
Header readHeader(const QByteArray& jpeg, bool fromFile = false)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.jpg"));
    std::FILE* file = fromFile && writeFile(path, jpeg)
                          ? std::fopen(QFile::encodeName(path).constData(), "rb")
                          : nullptr;
    if (fromFile && !file)
        return {};
    Reader r;
    r.cinfo.err = jpeg_std_error(&r.jerr);
    r.jerr.error_exit = escape;
    r.jerr.output_message = quiet;
    largeBytes = 0;
    Header h;
    h.read = readHeaderInto(r, jpeg, file);
    h.orientation = exifOrientation(r.segment);
    h.kept = QByteArray(reinterpret_cast<const char*>(r.segment.data), qsizetype(r.segment.size));
    h.largeBytes = largeBytes;
    jpeg_destroy_decompress(&r.cinfo);
    if (file)
        std::fclose(file);
    return h;
}

const QByteArray& plainJpeg()
{
    static const QByteArray jpeg =
        encodeJpeg(quadrants(32, 24, Qt::red, Qt::green, Qt::blue, Qt::white));
    return jpeg;
}

} // namespace

class TestExifOrientation : public QObject
{
    Q_OBJECT
private slots:
    void reader_data();
    void reader();
    void oriented_data();
    void oriented();
    void hook_data();
    void hook();
};

void TestExifOrientation::reader_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("expected");
    for (int value = 1; value <= 8; ++value) {
        QTest::addRow("II %d", value) << tagged(true, value) << value;
        QTest::addRow("MM %d", value) << tagged(false, value) << value;
    }
    for (int value : {0, 9, 65535})
        QTest::addRow("out of range %d", value) << tagged(value == 9, value) << 1;

    const Entry make{0x010F, 2, 6, 0};
    QTest::newRow("after other entries")
        << exif(true, directory(true, {make, orientationTag(6)})) << 6;
    QTest::newRow("first valid one counts")
        << exif(false, directory(false, {orientationTag(9), orientationTag(8), orientationTag(3)}))
        << 8;
    QTest::newRow("type LONG") << exif(false, directory(false, {{0x0112, 4, 1, 6}})) << 1;
    QTest::newRow("count 2") << exif(true, directory(true, {{0x0112, 3, 2, 6}})) << 1;
    // Header 6 + 8, IFD0: count 2, entry 12, next-IFD offset 4.
    const QByteArray six = tagged(false, 6);
    QTest::newRow("entry cut short") << six.left(6 + 8 + 2 + 11) << 1;
    QTest::newRow("no next-IFD offset") << six.left(6 + 8 + 2 + 12) << 6;
    QTest::newRow("TIFF header cut short") << six.left(6 + 7) << 1;
    QTest::newRow("IFD0 far outside")
        << exif(false, directory(false, {orientationTag(6)}), ~0u) << 1;
    QTest::newRow("IFD0 at the end")
        << exif(true, directory(true, {orientationTag(6)}), after(1)) << 1;
    QTest::newRow("entry past the count")
        << exif(true, directory(true, {make, orientationTag(6)}, 1)) << 1;
    QTest::newRow("huge count, whole entries read")
        << exif(true, directory(true, {make, orientationTag(3)}, 0xFFFF)) << 3;

    QTest::newRow("Exif sub-IFD") << exif(false, directory(false, {exifIfd(after(1))}) +
                                                     directory(false, {orientationTag(6)}))
                                  << 6;
    QTest::newRow("sub-IFD read where IFD0 names it")
        << exif(true, directory(true, {exifIfd(after(2)), orientationTag(7)}) +
                          directory(true, {orientationTag(5)}))
        << 5;
    QTest::newRow("entry past the sub-IFD's count")
        << exif(false, directory(false, {exifIfd(after(1))}) +
                           directory(false, {make, orientationTag(6)}, 1))
        << 1;
    QTest::newRow("sub-IFD is IFD0")
        << exif(true, directory(true, {exifIfd(8), orientationTag(4)})) << 4;
    QTest::newRow("sub-IFD's sub-IFD not read")
        << exif(false, directory(false, {exifIfd(after(1))}) +
                           directory(false, {exifIfd(after(1) + 18)}) +
                           directory(false, {orientationTag(6)}))
        << 1;
    QTest::newRow("sub-IFD outside")
        << exif(false, directory(false, {exifIfd(~0u), orientationTag(2)})) << 2;

    QByteArray pad = six, zero = six, order = six, magic = six;
    pad[5] = 'X';
    zero[4] = 'X';
    order[7] = 'I';
    magic[9] = 43;
    QTest::newRow("pad byte not looked at") << pad << 6;
    QTest::newRow("no zero after Exif") << zero << 1;
    QTest::newRow("not Exif") << QByteArray("Exig") + six.mid(4) << 1;
    QTest::newRow("byte order MI") << order << 1;
    QTest::newRow("magic 43") << magic << 1;
    QTest::newRow("empty") << QByteArray() << 1;
}

void TestExifOrientation::reader()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, expected);
    QCOMPARE(exifOrientation(payload), expected);
}

void TestExifOrientation::oriented_data()
{
    // Where the corners of a stored 2 x 3 picture land. The Exif table: the stored first row
    // shows at the top (1, 2), bottom (3, 4), left (5, 8) or right (6, 7); its first column at
    // the left (1, 4), right (2, 3), top (5, 6) or bottom (7, 8).
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<QPoint>("topRight");
    QTest::addColumn<QPoint>("bottomLeft");
    QTest::newRow("0") << 0 << QSize(2, 3) << QPoint(0, 0) << QPoint(1, 0) << QPoint(0, 2);
    QTest::newRow("1") << 1 << QSize(2, 3) << QPoint(0, 0) << QPoint(1, 0) << QPoint(0, 2);
    QTest::newRow("2") << 2 << QSize(2, 3) << QPoint(1, 0) << QPoint(0, 0) << QPoint(1, 2);
    QTest::newRow("3") << 3 << QSize(2, 3) << QPoint(1, 2) << QPoint(0, 2) << QPoint(1, 0);
    QTest::newRow("4") << 4 << QSize(2, 3) << QPoint(0, 2) << QPoint(1, 2) << QPoint(0, 0);
    QTest::newRow("5") << 5 << QSize(3, 2) << QPoint(0, 0) << QPoint(0, 1) << QPoint(2, 0);
    QTest::newRow("6") << 6 << QSize(3, 2) << QPoint(2, 0) << QPoint(2, 1) << QPoint(0, 0);
    QTest::newRow("7") << 7 << QSize(3, 2) << QPoint(2, 1) << QPoint(2, 0) << QPoint(0, 1);
    QTest::newRow("8") << 8 << QSize(3, 2) << QPoint(0, 1) << QPoint(0, 0) << QPoint(2, 1);
    QTest::newRow("9") << 9 << QSize(2, 3) << QPoint(0, 0) << QPoint(1, 0) << QPoint(0, 2);
}

void TestExifOrientation::oriented()
{
    QFETCH(int, orientation);
    QFETCH(QSize, size);
    QFETCH(QPoint, topLeft);
    QFETCH(QPoint, topRight);
    QFETCH(QPoint, bottomLeft);
    for (const QImage::Format format : {QImage::Format_RGB888, QImage::Format_Grayscale8}) {
        QImage stored(2, 3, format);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 2; ++x)
                stored.setPixelColor(x, y, QColor::fromRgb(0x101010 * (2 * y + x + 1)));
        const QImage shown = orientedImage(stored, orientation);
        QCOMPARE(shown.format(), format);
        QCOMPARE(shown.size(), size);
        QCOMPARE(storedSize(size, orientation), stored.size());
        QCOMPARE(shown.pixelColor(topLeft), stored.pixelColor(0, 0));
        QCOMPARE(shown.pixelColor(topRight), stored.pixelColor(1, 0));
        QCOMPARE(shown.pixelColor(bottomLeft), stored.pixelColor(0, 2));
    }
}

void TestExifOrientation::hook_data()
{
    QTest::addColumn<QByteArray>("segments"); // right after the start marker
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<int>("orientation");

    const QByteArray six = tagged(false, 6);
    const QByteArray three = tagged(true, 3);
    const QByteArray xmp = QByteArray("http://ns.adobe.com/xap/1.0/", 29).leftJustified(65533, 'x');
    const QByteArray bulkyEight = tagged(true, 8).leftJustified(65533, 'Z');

    QTest::newRow("no APP1") << QByteArray() << QByteArray() << 1;
    QTest::newRow("tag 6") << jpegSegment(0xE1, six) << six << 6;
    QTest::newRow("4 MB of XMP first")
        << jpegSegment(0xE1, xmp).repeated(64) + jpegSegment(0xE1, six) << six << 6;
    QTest::newRow("16 MB of Exif after")
        << jpegSegment(0xE1, six) + jpegSegment(0xE1, bulkyEight).repeated(256) << six << 6;
    QTest::newRow("full-size Exif") << jpegSegment(0xE1, bulkyEight) << bulkyEight << 8;
    QTest::newRow("too short Exif passed over")
        << jpegSegment(0xE1, QByteArray("Exif\0\0", 6)) + jpegSegment(0xE1, three) << three << 3;
    QTest::newRow("bogus length") << QByteArray("\xFF\xE1\x00\x01", 4) + jpegSegment(0xE1, three)
                                  << three << 3;
    const QByteArray untagged = exif(false, directory(false, {}));
    QTest::newRow("first Exif untagged")
        << jpegSegment(0xE1, untagged) + jpegSegment(0xE1, three) << untagged << 1;
}

// Through the library, from memory and from a file.
void TestExifOrientation::hook()
{
    QFETCH(QByteArray, segments);
    QFETCH(QByteArray, kept);
    QFETCH(int, orientation);
    const QByteArray jpeg = withSegmentsAfterSoi(plainJpeg(), segments);
    for (const bool fromFile : {false, true}) {
        const Header plain = readHeader(plainJpeg(), fromFile);
        const Header h = readHeader(jpeg, fromFile);
        QVERIFY(plain.read && h.read);
        QCOMPARE(h.orientation, orientation);
        QCOMPARE(h.kept, kept);
        // The kept segment is the one big block added; skipped ones cost nothing.
        QCOMPARE(h.largeBytes - plain.largeBytes, qint64(kept.size()));
    }
}

QTEST_MAIN(TestExifOrientation)
#include "tst_exiforientation.moc"
