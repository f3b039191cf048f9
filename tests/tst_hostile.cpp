// Bad and awkward JPEG files from tests/hostile/corpus (made by make-corpus.py), plus a few too big
// to commit, fed through the decoder and through a real main window's choice of a picture. Every
// file must decode or be refused with a readable message, quickly, within bounded memory, and a
// refused file must leave the slot exactly as it was.

#include "app/errors.h"
#include "fakes.h"
#include "processmemory.h"
#include "testjpeg.h"
#include "ui/browser.h"
#include "ui/jpegdecoder.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"

#include <QElapsedTimer>
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
// The sanitizer slows everything several times over and its shadow memory and quarantine would
// dominate any reading of the process's memory.
constexpr bool Sanitized = true;
constexpr qint64 TimeLimitMs = 2000 * 6;
#else
constexpr bool Sanitized = false;
constexpr qint64 TimeLimitMs = 2000;
#endif
constexpr qint64 MemoryLimitKb = 1024 * 1024;

// Peak memory of whatever runs between Start() and Peak(); the kernel's high-water mark is reset
// first, so earlier cases do not count.
struct MemoryProbe {
    bool resettable = false;
    void Start() { resettable = ResetPeakMemory(); }
    qint64 PeakKb() const { return StatusKb("VmHWM"); }
};

struct Measured {
    qint64 ms = 0;
    qint64 peakKb = 0;
};

template <class F> Measured Measure(F&& f)
{
    MemoryProbe probe;
    probe.Start();
    QElapsedTimer timer;
    timer.start();
    f();
    return {timer.elapsed(), probe.PeakKb()};
}

void CheckBounds(const Measured& m)
{
    if (qEnvironmentVariableIsSet("QUIRVEL_HOSTILE_VERBOSE"))
        qInfo("%lld ms, peak %lld MiB", m.ms, m.peakKb / 1024);
    QVERIFY2(m.ms < TimeLimitMs, qPrintable(QStringLiteral("took %1 ms").arg(m.ms)));
    if (!Sanitized)
        QVERIFY2(m.peakKb > 0 && m.peakKb < MemoryLimitKb,
                 qPrintable(QStringLiteral("peak memory %1 MiB").arg(m.peakKb / 1024)));
}

// What the user reads must say something: the library's numbered message or a Russian sentence.
bool IsClearMessage(const QString& text)
{
    static const QRegularExpression library(QStringLiteral("^JPEG error #\\d+$"));
    static const QRegularExpression russian(QStringLiteral("[А-Яа-яЁё]{3,}"));
    return library.match(text).hasMatch() || russian.match(text).hasMatch();
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray Segment(uchar marker, const QByteArray& payload)
{
    const int length = int(payload.size()) + 2;
    QByteArray out;
    out += char(0xFF);
    out += char(marker);
    out += char(length >> 8);
    out += char(length & 0xFF);
    return out + payload;
}

// A good picture behind 256 full-size Exif blocks: 16 MB the library has to skip.
QByteArray WithHugeExif(const QByteArray& picture)
{
    QByteArray exif("Exif\0\0MM\0*\0\0\0\x08\xFF\xFF", 16);
    exif.append(65533 - 2 - exif.size(), '\x5A');
    QByteArray out = picture.left(2);
    for (int i = 0; i < 256; ++i)
        out += Segment(0xE1, exif);
    return out + picture.mid(2);
}

// A good picture whose comment segments are hundreds of thousands of tiny ones.
QByteArray WithManyComments(const QByteArray& picture)
{
    QByteArray out = picture.left(2);
    const QByteArray comment = Segment(0xFE, QByteArray("x"));
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

SlotState StateOf(TForm1& form, int k)
{
    return {form.Setup.Slot(k).PicturePath, form.Setup.Slot(k).Chosen,
            form.PictureBox(k)->Picture(), form.CleanThumb, form.PictureBox(7)->Picture()};
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

    bool Select(TForm1& form, const QString& name);
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

    const QByteArray good = ReadAll(corpus.filePath(QStringLiteral("control-baseline.jpg")));
    QVERIFY(Write(m_folder + QStringLiteral("/exif-16mb.jpg"), WithHugeExif(good)));
    QVERIFY(Write(m_folder + QStringLiteral("/comments-400k.jpg"), WithManyComments(good)));

    // A plain black picture fills the slot before each case, so any picture taken instead shows.
    QImage black(40, 30, QImage::Format_RGB888);
    black.fill(Qt::black);
    QVERIFY(Write(m_folder + QStringLiteral("/0-good.jpg"), EncodeJpeg(black)));
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
    const Measured m = Measure([&] {
        try {
            image = DecodeJpegFile(m_folder + QLatin1Char('/') + name);
        } catch (const QuirvelError& e) {
            refusal = e.text();
        }
    });
    CheckBounds(m);

    if (image) {
        QVERIFY2(Expect(expect) != Expect::Refused, "decoded a file that must be refused");
        QVERIFY(!image->isNull());
        QVERIFY(image->format() == QImage::Format_RGB888 ||
                image->format() == QImage::Format_Grayscale8);
    } else {
        QVERIFY2(Expect(expect) != Expect::Decodes, qPrintable(refusal));
        QVERIFY2(IsClearMessage(refusal), qPrintable(refusal));
    }
}

bool TestHostile::Select(TForm1& form, const QString& name)
{
    const QList<QListWidgetItem*> found = form.FileListBox1->findItems(name, Qt::MatchExactly);
    if (found.size() != 1)
        return false;
    form.FileListBox1->setCurrentItem(found.first());
    return true;
}

void TestHostile::choice()
{
    QFETCH(QString, name);
    QFETCH(int, expect);

    ScriptedDialogs dialogs;
    RecordingShell shell;
    CountingPauser pauser;
    Services services{dialogs, shell, pauser};
    TForm1 form(services, m_dir.path() + QStringLiteral("/program/"));
    form.show();
    form.FileListBox1->SetDirectory(m_folder);
    form.Image3Click();
    QVERIFY(Select(form, QStringLiteral("0-good.jpg")));
    QCOMPARE(form.Setup.Slot(3).PicturePath, m_folder + QStringLiteral("/0-good.jpg"));
    QVERIFY(dialogs.log.isEmpty());
    const SlotState before = StateOf(form, 3);

    const QString path = m_folder + QLatin1Char('/') + name;
    QString refusal;
    try {
        DecodeJpegFile(path);
    } catch (const QuirvelError& e) {
        refusal = e.text();
    }

    const Measured m = Measure([&] { QVERIFY(Select(form, name)); });
    CheckBounds(m);
    QCOMPARE(form.Setup.CurrentFile, path);
    QCOMPARE(form.Setup.CurrentSlot, 3);

    if (dialogs.log.isEmpty()) {
        QVERIFY2(Expect(expect) != Expect::Refused, "the window took a file that must be refused");
        QCOMPARE(form.Setup.Slot(3).PicturePath, path);
        QVERIFY(form.Setup.Slot(3).Chosen);
        QVERIFY(form.PictureBox(3)->Picture() != before.thumb);
    } else {
        QVERIFY2(Expect(expect) != Expect::Decodes, qPrintable(dialogs.log.join('\n')));
        QCOMPARE(dialogs.log.size(), 1);
        QCOMPARE(dialogs.errors().size(), 1);
        QVERIFY2(IsClearMessage(refusal), qPrintable(refusal));
        QCOMPARE(dialogs.errors().first(), StandardErrorText(refusal));
        QVERIFY(StateOf(form, 3) == before);
    }
    // No other slot was touched either way.
    for (int k : {1, 2, 4, 5, 6})
        QVERIFY(!form.Setup.Slot(k).Chosen && form.Setup.Slot(k).PicturePath.isEmpty());
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

    ScriptedDialogs dialogs;
    RecordingShell shell;
    CountingPauser pauser;
    Services services{dialogs, shell, pauser};
    TForm1 form(services, m_dir.path() + QStringLiteral("/program/"));
    form.show();
    form.FileListBox1->SetDirectory(m_dir.path() + QStringLiteral("/spoiled"));
    form.Image2Click();
    QVERIFY(Select(form, spoiler));
    QCOMPARE(form.Setup.Slot(2).PicturePath, picture);
    form.Image5Click();
    QVERIFY(dialogs.log.isEmpty());

    QFile::remove(picture);
    QVERIFY(QFile::copy(m_folder + QLatin1Char('/') + spoiler, picture));
    const Measured m = Measure([&] { form.Image2Click(); });
    CheckBounds(m);

    QCOMPARE(dialogs.errors().size(), 1);
    QString refusal;
    try {
        DecodeJpegFile(picture);
    } catch (const QuirvelError& e) {
        refusal = e.text();
    }
    QVERIFY2(IsClearMessage(refusal), qPrintable(refusal));
    QCOMPARE(dialogs.errors().first(), StandardErrorText(refusal));
    QCOMPARE(form.Setup.CurrentSlot, 2);
    QCOMPARE(form.Setup.Slot(2).PicturePath, picture);
    QCOMPARE(form.PictureBox(7)->Picture(), TForm1::Placeholder());
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
