// SPDX-License-Identifier: GPL-3.0-or-later
// Bad and awkward JPEG files from tests/hostile/corpus (made by make-corpus.py), plus a few too big
// to commit, fed through the decoder and through a real main window's choice of a picture. Every
// file must decode or be refused with a readable message within bounded memory, and a
// refused file must leave the slot exactly as it was.

#include "core/quirvelerror.h"
#include "fakes.h"
#include "findchild.h"
#include "jpeg/jpegdecoder.h"
#include "processmemory.h"
#include "testjpeg.h"
#include "ui/filelistbox.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"
#include "ui/slotstrip.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <optional>

namespace
{

enum class Expect { Decodes, Refused, Either };

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's shadow memory and quarantine would dominate any reading of the process's memory.
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
constexpr qint64 MemoryLimitKb = 1024 * 1024;

// Peak memory of whatever f does; the kernel's high-water mark is reset first, so earlier cases
// do not count. How fast a refusal is belongs to the benchmark, not here: CTest's timeout guards
// against a hang.
template <class F> void checkPeakMemory(F&& f)
{
    resetPeakMemory();
    f();
    const qint64 peakKb = statusKb("VmHWM");
    if (qEnvironmentVariableIsSet("QUIRVEL_HOSTILE_VERBOSE"))
        qInfo("peak %lld MiB", peakKb / 1024);
    if (!Sanitized)
        QVERIFY2(peakKb > 0 && peakKb < MemoryLimitKb,
                 qPrintable(QStringLiteral("peak memory %1 MiB").arg(peakKb / 1024)));
}

// What the user reads must say something in Russian, never a bare library code.
bool isClearMessage(const QString& text)
{
    static const QRegularExpression russian(QStringLiteral("[А-Яа-яЁё]{3,}"));
    return russian.match(text).hasMatch() && !text.contains(QStringLiteral("JPEG error"));
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A good picture behind 256 full-size Exif blocks: 16 MB the library has to skip.
QByteArray withHugeExif(const QByteArray& picture)
{
    QByteArray exif("Exif\0\0MM\0*\0\0\0\x08\xFF\xFF", 16);
    exif.append(65533 - 2 - exif.size(), '\x5A');
    QByteArray out = picture.left(2);
    for (int i = 0; i < 256; ++i)
        out += jpegSegment(0xE1, exif);
    return out + picture.mid(2);
}

// A good picture whose comment segments are hundreds of thousands of tiny ones.
QByteArray withManyComments(const QByteArray& picture)
{
    QByteArray out = picture.left(2);
    const QByteArray comment = jpegSegment(0xFE, QByteArray("x"));
    out.reserve(picture.size() + 400000 * comment.size());
    for (int i = 0; i < 400000; ++i)
        out += comment;
    return out + picture.mid(2);
}

struct Case {
    const char* file;
    Expect expect;
};

// Every corpus file with what must become of it. Truncations after the headers decode (the
// library fills the rest with grey); anything the library cannot read must be refused.
const Case Cases[] = {
    {"control-baseline.jpg", Expect::Decodes},
    {"control-progressive.jpg", Expect::Decodes},
    {"control-gray.jpg", Expect::Decodes},
    {"arithmetic.jpg", Expect::Decodes},
    {"arithmetic-progressive.jpg", Expect::Decodes},
    {"restart-every-row.jpg", Expect::Decodes},
    {"odd-sampling.jpg", Expect::Decodes},
    {"exif-64k.jpg", Expect::Decodes},
    {"cmyk.jpg", Expect::Decodes},
    {"ycck.jpg", Expect::Decodes},
    {"empty.jpg", Expect::Refused},
    {"random.jpg", Expect::Refused},
    {"random-after-soi.jpg", Expect::Refused},
    {"png-named.jpg", Expect::Refused},
    {"text-named.jpg", Expect::Refused},
    {"trunc-baseline-soi.jpg", Expect::Refused},
    {"trunc-baseline-in-dht.jpg", Expect::Refused},
    {"trunc-baseline-in-sos.jpg", Expect::Refused},
    {"trunc-baseline-scan-start.jpg", Expect::Either},
    {"trunc-baseline-scan-half.jpg", Expect::Either},
    {"trunc-baseline-no-eoi.jpg", Expect::Decodes},
    {"trunc-progressive-soi.jpg", Expect::Refused},
    {"trunc-progressive-in-dht.jpg", Expect::Refused},
    {"trunc-progressive-in-sos.jpg", Expect::Refused},
    {"trunc-progressive-scan-start.jpg", Expect::Either},
    {"trunc-progressive-between-scans.jpg", Expect::Either},
    {"trunc-progressive-scan-half.jpg", Expect::Either},
    {"trunc-progressive-no-eoi.jpg", Expect::Decodes},
    {"corrupt-scan-data.jpg", Expect::Either},
    {"declares-65500x65500.jpg", Expect::Refused},
    {"declares-12000x12000.jpg", Expect::Refused},
    {"declares-12000x10000.jpg", Expect::Either},
    {"declares-65500x1.jpg", Expect::Either},
    {"declares-zero-width.jpg", Expect::Refused},
    {"declares-5-components.jpg", Expect::Refused},
    {"many-scans.jpg", Expect::Refused},
    {"precision-12.jpg", Expect::Refused},
    {"precision-16.jpg", Expect::Refused},
    {"lossless.jpg", Expect::Refused},
    {"hierarchical.jpg", Expect::Refused},
    {"bogus-huffman-table.jpg", Expect::Refused},
    {"missing-quant-table.jpg", Expect::Refused},
    {"exif-orientation-6-mm.jpg", Expect::Decodes},
    {"exif-orientation-8-ii.jpg", Expect::Decodes},
    {"exif-ifd-loop.jpg", Expect::Decodes},
    {"exif-offset-outside.jpg", Expect::Decodes},
    {"exif-subifd-outside.jpg", Expect::Decodes},
    {"exif-huge-count.jpg", Expect::Decodes},
    {"exif-truncated-entry.jpg", Expect::Decodes},
    {"exif-many-subifds.jpg", Expect::Decodes},
    {"exif-empty-first.jpg", Expect::Decodes},
    {"exif-broken-first.jpg", Expect::Decodes},
    {"exif-pad-byte.jpg", Expect::Decodes},
    {"exif-file-ends-inside.jpg", Expect::Refused},
    // Made by the test itself, below.
    {"exif-16mb.jpg", Expect::Decodes},
    {"comments-400k.jpg", Expect::Decodes},
};

// The slot as the user sees it: what the refused choice must leave alone.
struct SlotState {
    QString path;
    bool chosen;
    QImage thumb;
    QImage clean;
    QImage preview;
    bool operator==(const SlotState&) const = default;
};

SlotState stateOf(MainWindow& window, int k)
{
    return {window.setup().slot(k).picturePath, window.setup().slot(k).chosen,
            child<PictureBox>(window, numbered("thumbnail", k))->picture(), window.cleanThumbnail(),
            child<PictureBox>(window, "preview")->picture()};
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void decoder_data();
    void decoder();
    void choice_data() { decoder_data(); }
    void choice();
    void slotSwitchToSpoiledPicture_data();
    void slotSwitchToSpoiledPicture();

private:
    QTemporaryDir m_dir;
    QString m_folder;

    bool selectFile(MainWindow& window, const QString& name);
};

void TestHostile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_folder = m_dir.path() + QStringLiteral("/pictures");
    QVERIFY(QDir().mkpath(m_folder));
    const QDir corpus(QStringLiteral(QUIRVEL_HOSTILE_CORPUS));
    const QStringList names = corpus.entryList({QStringLiteral("*.jpg")}, QDir::Files);
    QVERIFY2(names.size() >= 40, "the corpus is missing: run tests/hostile/make-corpus.py");
    for (const QString& name : names)
        QVERIFY(QFile::copy(corpus.filePath(name), m_folder + QLatin1Char('/') + name));
    for (const Case& c : Cases)
        QVERIFY2(QFile::exists(m_folder + QLatin1Char('/') + QLatin1String(c.file)) ||
                     QByteArray(c.file) == "exif-16mb.jpg" ||
                     QByteArray(c.file) == "comments-400k.jpg",
                 c.file);

    const QByteArray good = readAll(corpus.filePath(QStringLiteral("control-baseline.jpg")));
    QVERIFY(writeBytes(m_folder + QStringLiteral("/exif-16mb.jpg"), withHugeExif(good)));
    QVERIFY(writeBytes(m_folder + QStringLiteral("/comments-400k.jpg"), withManyComments(good)));

    // A plain black picture fills the slot before each case, so any picture taken instead shows.
    QImage black(40, 30, QImage::Format_RGB888);
    black.fill(Qt::black);
    QVERIFY(writeBytes(m_folder + QStringLiteral("/0-good.jpg"), encodeJpeg(black)));
}

void TestHostile::decoder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expect");
    for (const Case& c : Cases)
        QTest::newRow(c.file) << QString::fromLatin1(c.file) << int(c.expect);
}

void TestHostile::decoder()
{
    QFETCH(QString, name);
    QFETCH(int, expect);

    std::optional<QImage> image;
    QString refusal;
    checkPeakMemory([&] {
        try {
            image = decodeJpegFile(m_folder + QLatin1Char('/') + name);
        } catch (const QuirvelError& e) {
            refusal = e.text();
        }
    });

    if (image) {
        QVERIFY2(Expect(expect) != Expect::Refused, "decoded a file that must be refused");
        QVERIFY(!image->isNull());
        QVERIFY(image->format() == QImage::Format_RGB888 ||
                image->format() == QImage::Format_Grayscale8);
    } else {
        QVERIFY2(Expect(expect) != Expect::Decodes, qPrintable(refusal));
        QVERIFY2(isClearMessage(refusal), qPrintable(refusal));
    }
}

bool TestHostile::selectFile(MainWindow& window, const QString& name)
{
    const QList<QListWidgetItem*> found =
        child<FileListBox>(window, "fileList")->findItems(name, Qt::MatchExactly);
    if (found.size() != 1)
        return false;
    child<FileListBox>(window, "fileList")->setCurrentItem(found.first());
    return true;
}

void TestHostile::choice()
{
    QFETCH(QString, name);
    QFETCH(int, expect);

    FakeServices fakes;
    auto& [dialogs, shell, pauser, services] = fakes;
    MainWindow window(services, m_dir.path() + QStringLiteral("/program/"));
    window.show();
    child<FileListBox>(window, "fileList")->setDirectory(m_folder);
    window.chooseSlot(3);
    QVERIFY(selectFile(window, QStringLiteral("0-good.jpg")));
    QCOMPARE(window.setup().slot(3).picturePath, m_folder + QStringLiteral("/0-good.jpg"));
    QVERIFY(dialogs.log.isEmpty());
    const SlotState before = stateOf(window, 3);

    const QString path = m_folder + QLatin1Char('/') + name;
    QString refusal;
    try {
        decodeJpegFile(path);
    } catch (const QuirvelError& e) {
        refusal = e.text();
    }

    checkPeakMemory([&] { QVERIFY(selectFile(window, name)); });
    QCOMPARE(window.setup().currentFile, path);
    QCOMPARE(window.setup().currentSlot, 3);

    if (dialogs.errors().isEmpty()) {
        QVERIFY2(Expect(expect) != Expect::Refused, "the window took a file that must be refused");
        QCOMPARE(window.setup().slot(3).picturePath, path);
        QVERIFY(window.setup().slot(3).chosen);
        QVERIFY(child<PictureBox>(window, numbered("thumbnail", 3))->picture() != before.thumb);
        // Taken, but named when its data is cut short or corrupt; a missing end marker loses
        // nothing.
        static const QRegularExpression cutShort(QStringLiteral("^(trunc|corrupt|declares)-"));
        const bool cut = cutShort.match(name).hasMatch() && !name.endsWith("no-eoi.jpg");
        QCOMPARE(dialogs.log,
                 cut ? QStringList{"Message: " + partialPictureNotice(3, name)} : QStringList());
    } else {
        QVERIFY2(Expect(expect) != Expect::Decodes, qPrintable(dialogs.log.join('\n')));
        QCOMPARE(dialogs.log.size(), 1);
        QCOMPARE(dialogs.errors().size(), 1);
        QVERIFY2(isClearMessage(refusal), qPrintable(refusal));
        QCOMPARE(dialogs.errors().first(),
                 standardErrorText(namedPictureFailure(3, name, refusal)));
        QVERIFY(stateOf(window, 3) == before);
    }
    // No other slot was touched either way.
    for (int k : {1, 2, 4, 5, 6})
        QVERIFY(!window.setup().slot(k).chosen && window.setup().slot(k).picturePath.isEmpty());
}

void TestHostile::slotSwitchToSpoiledPicture_data()
{
    QTest::addColumn<QString>("spoiler");
    for (const char* name : {"empty.jpg", "random.jpg", "declares-65500x65500.jpg",
                             "many-scans.jpg", "trunc-baseline-in-sos.jpg", "precision-16.jpg"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// A chosen file overwritten with junk before its slot comes back: the preview reload refuses it.
void TestHostile::slotSwitchToSpoiledPicture()
{
    QFETCH(QString, spoiler);
    const QString picture = m_dir.path() + QStringLiteral("/spoiled/") + spoiler;
    QVERIFY(QDir().mkpath(m_dir.path() + QStringLiteral("/spoiled")));
    QFile::remove(picture);
    QVERIFY(QFile::copy(m_folder + QStringLiteral("/0-good.jpg"), picture));

    FakeServices fakes;
    auto& [dialogs, shell, pauser, services] = fakes;
    MainWindow window(services, m_dir.path() + QStringLiteral("/program/"));
    window.show();
    child<FileListBox>(window, "fileList")->setDirectory(m_dir.path() + QStringLiteral("/spoiled"));
    window.chooseSlot(2);
    QVERIFY(selectFile(window, spoiler));
    QCOMPARE(window.setup().slot(2).picturePath, picture);
    window.chooseSlot(5);
    QVERIFY(dialogs.log.isEmpty());

    QFile::remove(picture);
    QVERIFY(QFile::copy(m_folder + QLatin1Char('/') + spoiler, picture) && setModified(picture, 1));
    checkPeakMemory([&] { window.chooseSlot(2); });

    QCOMPARE(dialogs.errors().size(), 1);
    QString refusal;
    try {
        decodeJpegFile(picture);
    } catch (const QuirvelError& e) {
        refusal = e.text();
    }
    QVERIFY2(isClearMessage(refusal), qPrintable(refusal));
    QCOMPARE(dialogs.errors().first(), standardErrorText(namedPictureFailure(2, spoiler, refusal)));
    QCOMPARE(window.setup().currentSlot, 2);
    QCOMPARE(window.setup().slot(2).picturePath, picture);
    QCOMPARE(child<PictureBox>(window, "preview")->picture(), SlotStrip::placeholder());
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
