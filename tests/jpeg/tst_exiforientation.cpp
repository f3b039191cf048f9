// SPDX-License-Identifier: GPL-3.0-or-later
// The Exif Orientation reader, the turning of pictures by it, and the libjpeg hook that keeps the
// first Exif segment and nothing else.

#include "jpeg/exiforientation.h"
#include "jpeg/exifsegment.h"
#include "jpeg/orientation.h"
#include "testjpeg.h"

#include <QtTest>

#include <csetjmp>

namespace
{

struct Entry {
    quint16 tag, type;
    quint32 count, value;
};
const auto tag = [](quint32 value) { return Entry{0x0112, 3, 1, value}; };
const auto sub = [](quint32 offset) { return Entry{0x8769, 4, 1, offset}; };
const Entry make{0x010F, 2, 6, 0};

// An APP1 payload: "Exif", zero, pad byte, TIFF header pointing at `ifd0`, then from offset 8 the
// directories, each an entry count (the last one's claimed as `count`), entries, next offset 0.
QByteArray exif(const QList<QList<Entry>>& ifds, quint32 ifd0 = 8, bool little = false,
                int count = -1)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(little ? QDataStream::LittleEndian : QDataStream::BigEndian);
    s.writeRawData(little ? "Exif\0\0II" : "Exif\0\0MM", 8);
    s << quint16(42) << ifd0;
    for (const QList<Entry>& entries : ifds) {
        s << quint16(count >= 0 && &entries == &ifds.back() ? count : entries.size());
        for (const Entry& e : entries) { // a SHORT value in the first two bytes of the field
            s << e.tag << e.type << e.count;
            e.type == 3 ? s << quint16(e.value) << quint16(0) : s << e.value;
        }
        s << quint32(0);
    }
    return out;
}

// A header read through the hook, from memory or through the stdio source. Every big block the
// library allocates is counted: a kept segment is one.
struct Reader {
    jpeg_decompress_struct cinfo{}; // first, so the library's callbacks find the rest
    jpeg_error_mgr jerr{};
    std::jmp_buf escape{};
    void* (*libraryAllocLarge)(j_common_ptr, int, size_t) = nullptr;
    qint64 largeBytes = 0;
    ExifSegment segment;
    std::FILE* file;
    bool read = false;

    Reader(const QByteArray& jpeg, bool fromFile)
        : file(fromFile ? fmemopen((void*)jpeg.data(), size_t(jpeg.size()), "rb") : nullptr)
    {
        cinfo.err = jpeg_std_error(&jerr);
        jerr.output_message = [](j_common_ptr) {};
        jerr.error_exit = [](j_common_ptr c) { std::longjmp(((Reader*)c)->escape, 1); };
        if (setjmp(escape)) // nothing here has a destructor to skip
            return;
        jpeg_create_decompress(&cinfo);
        libraryAllocLarge =
            std::exchange(cinfo.mem->alloc_large, [](j_common_ptr c, int pool, size_t size) {
                ((Reader*)c)->largeBytes += qint64(size);
                return ((Reader*)c)->libraryAllocLarge(c, pool, size);
            });
        saveFirstExifSegment(&cinfo, &segment);
        if (file)
            jpeg_stdio_src(&cinfo, file);
        else
            jpeg_mem_src(&cinfo, (const JOCTET*)jpeg.data(), jpeg.size());
        read = fromFile == bool(file) && jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK;
    }
    ~Reader()
    {
        jpeg_destroy_decompress(&cinfo);
        if (file)
            std::fclose(file);
    }
};

} // namespace

class TestExifOrientation : public QObject
{
    Q_OBJECT
private slots:
    void reader_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("expected");
        for (quint32 value = 0; value <= 9; ++value) // odd ones little-endian; 0 and 9 mean none
            QTest::addRow("%u", value)
                << exif({{tag(value)}}, 8, value % 2) << int(value % 9 ? value : 1);
        QTest::newRow("first valid") << exif({{make, tag(9), tag(8), tag(3)}}) << 8;
        // Little-endian, where a LONG 6 would read as the SHORT 6.
        QTest::newRow("LONG") << exif({{{0x0112, 4, 1, 6}}}, 8, true) << 1;
        QTest::newRow("count 2") << exif({{{0x0112, 3, 2, 6}}}) << 1;
        const QByteArray six = exif({{tag(6)}}); // Exif 6, TIFF 8, IFD0: 2 + 12 + next offset 4
        QTest::newRow("entry cut") << six.left(6 + 8 + 2 + 11) << 1;
        QTest::newRow("no next offset") << six.left(6 + 8 + 2 + 12) << 6;
        QTest::newRow("IFD0 outside") << exif({{tag(6)}}, ~0u) << 1;
        QTest::newRow("past the count") << exif({{make, tag(6)}}, 8, false, 1) << 1;
        QTest::newRow("huge count") << exif({{make, tag(3)}}, 8, false, 0xFFFF) << 3;
        // An IFD0 of one entry ends at 26, of two at 38.
        QTest::newRow("sub-IFD where named") << exif({{sub(38), tag(7)}, {tag(5)}}) << 5;
        QTest::newRow("past sub count") << exif({{sub(26)}, {make, tag(6)}}, 8, false, 1) << 1;
        QTest::newRow("sub-sub-IFD") << exif({{sub(26)}, {sub(44)}, {tag(6)}}) << 1;
        QTest::newRow("sub-IFD outside") << exif({{sub(~0u), tag(2)}}) << 2;
        const auto with = [&six](int at, char c) { return QByteArray(six).replace(at, 1, &c, 1); };
        QTest::newRow("pad byte") << with(5, 'X') << 6;
        QTest::newRow("no zero") << with(4, 'X') << 1;
        QTest::newRow("order MI") << with(7, 'I') << 1;
        QTest::newRow("magic 43") << with(9, 43) << 1;
        QTest::newRow("empty") << QByteArray() << 1;
    }
    void reader()
    {
        QFETCH(QByteArray, payload);
        QFETCH(int, expected);
        QCOMPARE(exifOrientation(payload), expected);
    }
    void oriented_data()
    {
        // The stored 2 x 3 picture's pixels are 1 2 / 3 4 / 5 6; rows of the shown one, top first.
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QByteArray>("shown");
        const char* shown[] = {"12 34 56", "12 34 56", "21 43 65", "65 43 21", "56 34 12",
                               "135 246",  "531 642",  "642 531",  "246 135",  "12 34 56"};
        for (int orientation = 0; orientation <= 9; ++orientation)
            QTest::addRow("%d", orientation) << orientation << QByteArray(shown[orientation]);
    }
    void oriented()
    {
        QFETCH(int, orientation);
        QFETCH(QByteArray, shown);
        const QList<QByteArray> rows = shown.split(' ');
        for (const QImage::Format format : {QImage::Format_RGB888, QImage::Format_Grayscale8}) {
            QImage stored(2, 3, format);
            for (int n = 0; n < 6; ++n)
                stored.setPixel(n % 2, n / 2, qRgb(32 * (n + 1), 32 * (n + 1), 32 * (n + 1)));
            const QImage image = orientedImage(stored, orientation);
            QCOMPARE(image.format(), format);
            QCOMPARE(image.size(), QSize(rows[0].size(), rows.size()));
            QCOMPARE(storedSize(image.size(), orientation), stored.size());
            for (int y = 0; y < rows.size(); ++y)
                for (int x = 0; x < rows[y].size(); ++x)
                    QCOMPARE(qGray(image.pixel(x, y)), 32 * (rows[y][x] - '0'));
        }
    }
    void hook_data()
    {
        QTest::addColumn<QByteArray>("segments"); // right after the start marker
        QTest::addColumn<QByteArray>("kept");
        QTest::addColumn<int>("orientation");
        const QByteArray six = exif({{tag(6)}}), three = exif({{tag(3)}}, 8, true);
        const QByteArray untagged = exif({{}}), cut("\xFF\xE1\x00\x01", 4);
        const QByteArray xmp = QByteArray("http://ns.adobe.com/xap/1.0/", 29).leftJustified(65533);
        const QByteArray bulkyEight = exif({{tag(8)}}).leftJustified(65533, 'Z');
        const auto app1 = [](const QByteArray& payload) { return jpegSegment(0xE1, payload); };
        QTest::newRow("no APP1") << QByteArray() << QByteArray() << 1;
        QTest::newRow("XMP before, 16 MB of Exif after")
            << app1(xmp) + app1(six) + app1(bulkyEight).repeated(256) << six << 6;
        QTest::newRow("full size") << app1(bulkyEight) << bulkyEight << 8;
        QTest::newRow("too short") << app1({"Exif\0\0", 6}) + app1(three) << three << 3;
        QTest::newRow("bogus length") << cut + app1(three) << three << 3;
        QTest::newRow("first untagged") << app1(untagged) + app1(three) << untagged << 1;
    }
    // From memory and from a file; the kept segment is the one big block added.
    void hook()
    {
        QFETCH(QByteArray, segments);
        QFETCH(QByteArray, kept);
        QFETCH(int, orientation);
        const QByteArray plain =
            encodeJpeg(quadrants(32, 24, Qt::red, Qt::green, Qt::blue, Qt::white));
        const QByteArray jpeg = withSegmentsAfterSoi(plain, segments);
        for (const bool fromFile : {false, true}) {
            const Reader before(plain, fromFile), r(jpeg, fromFile);
            QVERIFY(before.read && r.read);
            QCOMPARE(exifOrientation(r.segment), orientation);
            QCOMPARE(QByteArray((const char*)r.segment.data, r.segment.size), kept);
            QCOMPARE(r.largeBytes - before.largeBytes, qint64(kept.size()));
        }
    }
};

QTEST_MAIN(TestExifOrientation)
#include "tst_exiforientation.moc"
