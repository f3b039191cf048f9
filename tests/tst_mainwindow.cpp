#include "fakes.h"
#include "findchild.h"
#include "testjpeg.h"
#include "ui/drivecombobox.h"
#include "ui/filelistbox.h"
#include "ui/folderlistbox.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <jerror.h>

#include <memory>

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

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUp();
    void frameOverColours_data();
    void frameOverColours();
    void switchingSlots();
    void choosePicture_data();
    void choosePicture();
    void previewReloadedOnSwitch();
    void extensionTest_data();
    void extensionTest();
    void folderChange();
    void reselectAfterSwitch();
    void undecodableChoiceChangesOnlyCurrentFile_data();
    void undecodableChoiceChangesOnlyCurrentFile();
    void switchToVanishedPicture();
    void textsSetOnlyWhenDifferent_data();
    void textsSetOnlyWhenDifferent();
    void exitButton();

private:
    void choose(const QString& name);
    void checkInvariants();
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QImage m_placeholder;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<RecordingShell> m_shell;
    std::unique_ptr<CountingPauser> m_pauser;
    std::unique_ptr<Services> m_services;
    std::unique_ptr<MainWindow> m_form;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(writeFile(path("a.jpg"), encodeJpeg(quadrants(640, 480, TL, TR, BL, BR))));
    QVERIFY(writeFile(path("b.JPG"), encodeJpeg(quadrants(57, 200, TL, TR, BL, BR, true), true)));
    QVERIFY(writeFile(path("c.Jpg"), encodeJpeg(quadrants(64, 64, TL, TR, BL, BR))));
    QVERIFY(
        writeFile(path("d.jpg"), encodeJpeg(quadrants(300, 150, Flat, Flat, Flat, Flat), true)));
    QVERIFY(writeFile(path("e.jpg"), encodeJpeg(quadrants(1, 1, Other, Other, Other, Other))));
    QVERIFY(writeFile(path("x.jpgx"), encodeJpeg(quadrants(64, 64, TL, TR, BL, BR))));
    QVERIFY(writeFile(path("bad.jpg"), QByteArray("this is no picture")));
    QVERIFY(writeFile(path("empty.jpg"), QByteArray()));
    QVERIFY(QDir(m_dir.path()).mkdir("sub"));
    QVERIFY(writeFile(path("sub/s.jpg"), encodeJpeg(quadrants(20, 20, Flat, Flat, Flat, Flat))));
    QVERIFY(QDir::setCurrent(m_dir.path()));
    m_placeholder = MainWindow::placeholder();
    QCOMPARE(m_placeholder.size(), QSize(113, 80));
}

void TestMainWindow::init()
{
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_shell = std::make_unique<RecordingShell>();
    m_pauser = std::make_unique<CountingPauser>();
    m_services = std::make_unique<Services>(Services{*m_dialogs, *m_shell, *m_pauser});
    m_form = std::make_unique<MainWindow>(*m_services, m_dir.path());
    m_form->show();
}

void TestMainWindow::cleanup()
{
    m_form.reset();
}

void TestMainWindow::choose(const QString& name)
{
    const auto found = child<FileListBox>(*m_form, "fileList")->findItems(name, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(name));
    child<FileListBox>(*m_form, "fileList")->setCurrentItem(found.first());
}

void TestMainWindow::checkInvariants()
{
    MainWindow& f = *m_form;
    for (int k = 1; k <= 6; ++k)
        QVERIFY2(framedAt(child<PictureBox>(f, numbered("thumbnail", k))->picture()) ==
                     (k == f.setup().currentSlot),
                 qPrintable(QStringLiteral("frame on thumbnail %1").arg(k)));
    QVERIFY(
        framedOver(child<PictureBox>(f, numbered("thumbnail", f.setup().currentSlot))->picture(),
                   f.cleanThumbnail()));
    if (f.setup().current().chosen)
        QCOMPARE(child<PictureBox>(f, "preview")->picture().size(), QSize(249, 169));
    else
        QCOMPARE(child<PictureBox>(f, "preview")->picture(), m_placeholder);
}

void TestMainWindow::startUp()
{
    MainWindow& f = *m_form;
    QCOMPARE(f.windowTitle(), QStringLiteral("  Создание теста-викторины  QUIRVEL 1.1"));
    QCOMPARE(f.setup().currentSlot, 1);
    QCOMPARE(child<QLabel>(f, "slotNumberLabel")->text(), QStringLiteral("N1"));
    QCOMPARE(f.cleanThumbnail(), m_placeholder);
    QVERIFY(framedOver(child<PictureBox>(f, "thumbnail1")->picture(), m_placeholder));
    for (int k = 2; k <= MainWindow::SlotCount; ++k)
        QCOMPARE(child<PictureBox>(f, numbered("thumbnail", k))->picture(), m_placeholder);
    QCOMPARE(child<PictureBox>(f, "preview")->picture(), m_placeholder);
    checkInvariants();
    QVERIFY(child<QLineEdit>(f, "titleEdit")->text().isEmpty() &&
            child<QLineEdit>(f, "questionEdit")->text().isEmpty());
    QVERIFY(child<QPlainTextEdit>(f, "answerEdit")->toPlainText().isEmpty() &&
            !child<QCheckBox>(f, "oneForAllCheck")->isChecked());
    QCOMPARE(child<QProgressBar>(f, "progressBar")->value(), 0);
    QCOMPARE(child<QLabel>(f, "statusLabel")->text(),
             QStringLiteral("Выбирай картинки, делай подписи, жми генерацию..."));

    // The browser starts on the current folder, with nothing picked.
    QCOMPARE(child<FolderListBox>(f, "folderList")->directory(), QDir::currentPath());
    QCOMPARE(child<FileListBox>(f, "fileList")->directory(), QDir::currentPath());
    QVERIFY(QDir::currentPath().startsWith(child<DriveComboBox>(f, "driveCombo")->drive()));
    QStringList listed;
    for (int i = 0; i < child<FileListBox>(f, "fileList")->count(); ++i)
        listed << child<FileListBox>(f, "fileList")->item(i)->text();
    QCOMPARE(listed,
             QStringList({"a.jpg", "b.JPG", "bad.jpg", "c.Jpg", "d.jpg", "e.jpg", "empty.jpg"}));
    QVERIFY(f.setup().currentFile.isEmpty());

    // The client area holds every widget.
    for (const QWidget* w : f.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(f.rect().contains(w->geometry()), qPrintable(w->objectName()));
    QVERIFY(m_dialogs->log.isEmpty());
}

void TestMainWindow::frameOverColours_data()
{
    QTest::addColumn<QColor>("under");
    QTest::addColumn<QColor>("frame");
    QTest::newRow("white") << QColor(Qt::white) << QColor(Qt::red);
    QTest::newRow("black") << QColor(Qt::black) << QColor(Qt::black);
    QTest::newRow("pure blue") << QColor(Qt::blue) << QColor(Qt::black);
    QTest::newRow("grey") << QColor(128, 128, 128) << QColor(128, 0, 0);
}

void TestMainWindow::frameOverColours()
{
    QFETCH(QColor, under);
    QFETCH(QColor, frame);
    PictureBox* thumb = child<PictureBox>(*m_form, "thumbnail3");
    thumb->canvas().fill(under);
    m_form->drawSlotFrame(3);
    const QImage& bitmap = thumb->picture();
    QCOMPARE(bitmap.size(), QSize(113, 80));
    // The path (2,0)-(2,78)-(110,78)-(110,2)-(0,2), three pixels wide.
    for (const QPoint p :
         {QPoint(1, 40), QPoint(2, 40), QPoint(3, 40), QPoint(2, 0), QPoint(56, 77), QPoint(56, 78),
          QPoint(56, 79), QPoint(109, 40), QPoint(110, 40), QPoint(111, 40), QPoint(56, 1),
          QPoint(56, 3), QPoint(0, 2), QPoint(110, 78)})
        QVERIFY2(bitmap.pixel(p) == frame.rgb(),
                 qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    for (const QPoint p : {QPoint(56, 40), QPoint(5, 40), QPoint(56, 75), QPoint(107, 40),
                           QPoint(56, 5), QPoint(112, 40), QPoint(112, 79)})
        QVERIFY2(bitmap.pixel(p) == under.rgb(),
                 qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
}

void TestMainWindow::switchingSlots()
{
    MainWindow& f = *m_form;
    const QImage framed1 = child<PictureBox>(f, "thumbnail1")->picture();
    QTest::mouseClick(child<PictureBox>(f, "thumbnail4"), Qt::LeftButton);
    QCOMPARE(f.setup().currentSlot, 4);
    QCOMPARE(child<QLabel>(f, "slotNumberLabel")->text(), QStringLiteral("N4"));
    QCOMPARE(child<PictureBox>(f, "thumbnail1")->picture(), m_placeholder);
    QVERIFY(framedOver(child<PictureBox>(f, "thumbnail4")->picture(), m_placeholder));
    checkInvariants();

    f.chooseSlot(1);
    QCOMPARE(child<PictureBox>(f, "thumbnail1")->picture(), framed1);
    QCOMPARE(child<PictureBox>(f, "thumbnail4")->picture(), m_placeholder);
    QCOMPARE(f.cleanThumbnail(), m_placeholder);
    checkInvariants();

    // The current slot again: everything stays.
    f.chooseSlot(1);
    QCOMPARE(f.setup().currentSlot, 1);
    QCOMPARE(child<PictureBox>(f, "thumbnail1")->picture(), framed1);
    QCOMPARE(f.cleanThumbnail(), m_placeholder);
    for (int k = 2; k <= MainWindow::SlotCount; ++k)
        QCOMPARE(child<PictureBox>(f, numbered("thumbnail", k))->picture(), m_placeholder);
    QCOMPARE(child<PictureBox>(f, "preview")->picture(), m_placeholder);
    QVERIFY(m_dialogs->log.isEmpty());
}

void TestMainWindow::choosePicture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QList<QColor>>("quadrants");
    QTest::newRow("large colour into 2") << "a.jpg" << 2 << QList<QColor>{TL, TR, BL, BR};
    const QImage grey = quadrants(4, 4, TL, TR, BL, BR, true);
    QTest::newRow("grey progressive .JPG into 5")
        << "b.JPG" << 5
        << QList<QColor>{grey.pixel(0, 0), grey.pixel(3, 0), grey.pixel(0, 3), grey.pixel(3, 3)};
    QTest::newRow("progressive colour into 6")
        << "d.jpg" << 6 << QList<QColor>{Flat, Flat, Flat, Flat};
    QTest::newRow("one pixel into 1") << "e.jpg" << 1 << QList<QColor>{Other, Other, Other, Other};
}

void TestMainWindow::choosePicture()
{
    QFETCH(QString, file);
    QFETCH(int, slot);
    QFETCH(QList<QColor>, quadrants);
    MainWindow& f = *m_form;
    f.chooseSlot(slot);
    choose(file);

    QCOMPARE(f.setup().currentFile, path(file));
    QCOMPARE(f.setup().currentSlot, slot);
    QCOMPARE(f.setup().slot(slot).picturePath, path(file));
    QVERIFY(f.setup().slot(slot).chosen);
    QVERIFY(m_dialogs->log.isEmpty());
    checkInvariants();

    // Stretched over all 113 x 81 without keeping proportions, so the quadrants meet at the
    // middle of the box; the frame lies over it.
    const QImage& clean = f.cleanThumbnail();
    const QPoint centres[] = {{28, 20}, {85, 20}, {28, 60}, {85, 60}};
    for (int q = 0; q < 4; ++q)
        QVERIFY2(near(clean.pixel(centres[q]), quadrants[q].rgb()), qPrintable(QString::number(q)));
    QVERIFY(near(clean.pixel(2, 20), quadrants[0].rgb()));
    QVERIFY(near(clean.pixel(28, 79), quadrants[2].rgb()));
    // The preview, already at its box's size.
    const QImage& preview = child<PictureBox>(f, "preview")->picture();
    const QPoint previewCentres[] = {{62, 42}, {186, 42}, {62, 126}, {186, 126}};
    for (int q = 0; q < 4; ++q)
        QVERIFY(near(preview.pixel(previewCentres[q]), quadrants[q].rgb()));

    for (int k = 1; k <= 6; ++k)
        if (k != slot) {
            QVERIFY(!f.setup().slot(k).chosen);
            QCOMPARE(child<PictureBox>(f, numbered("thumbnail", k))->picture(), m_placeholder);
        }
}

void TestMainWindow::previewReloadedOnSwitch()
{
    MainWindow& f = *m_form;
    const QString file = path("reload.jpg");
    QVERIFY(writeFile(file, encodeJpeg(quadrants(80, 60, TL, TR, BL, BR))));
    child<FileListBox>(f, "fileList")->addItem(QStringLiteral("reload.jpg"));
    f.chooseSlot(2);
    choose("reload.jpg");
    const QImage thumb = child<PictureBox>(f, "thumbnail2")->picture();

    f.chooseSlot(3);
    QCOMPARE(child<PictureBox>(f, "preview")->picture(), m_placeholder);
    QVERIFY(!framedAt(child<PictureBox>(f, "thumbnail2")->picture()));
    checkInvariants();

    // The preview comes from the disk again; the thumbnail keeps what was painted.
    QVERIFY(writeFile(file, encodeJpeg(quadrants(80, 60, Other, Other, Other, Other))));
    f.chooseSlot(2);
    QVERIFY(near(child<PictureBox>(f, "preview")->picture().pixel(62, 42), Other.rgb()));
    QCOMPARE(child<PictureBox>(f, "thumbnail2")->picture(), thumb);
    checkInvariants();
    QVERIFY(m_dialogs->log.isEmpty());
    QFile::remove(file);
}

void TestMainWindow::extensionTest_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("taken");
    QTest::newRow(".jpg") << "a.jpg" << true;
    QTest::newRow(".JPG") << "b.JPG" << true;
    QTest::newRow(".Jpg") << "c.Jpg" << false;
    QTest::newRow(".jpgx") << "x.jpgx" << false;
}

void TestMainWindow::extensionTest()
{
    QFETCH(QString, file);
    QFETCH(bool, taken);
    MainWindow& f = *m_form;
    // As a list with a looser mask would show it.
    if (child<FileListBox>(f, "fileList")->findItems(file, Qt::MatchExactly).isEmpty())
        child<FileListBox>(f, "fileList")->addItem(file);
    const QImage framed1 = child<PictureBox>(f, "thumbnail1")->picture();
    choose(file);
    QCOMPARE(f.setup().currentFile, path(file));
    QCOMPARE(f.setup().slot(1).chosen, taken);
    QCOMPARE(f.setup().slot(1).picturePath, taken ? path(file) : QString());
    QCOMPARE(child<PictureBox>(f, "thumbnail1")->picture() != framed1, taken);
    QCOMPARE(child<PictureBox>(f, "preview")->picture() != m_placeholder, taken);
    QVERIFY(m_dialogs->log.isEmpty());
    checkInvariants();
}

void TestMainWindow::folderChange()
{
    MainWindow& f = *m_form;
    choose("a.jpg");
    const QImage framed1 = child<PictureBox>(f, "thumbnail1")->picture();
    const QImage preview = child<PictureBox>(f, "preview")->picture();

    const auto sub =
        child<FolderListBox>(f, "folderList")->findItems(QStringLiteral("sub"), Qt::MatchEndsWith);
    QCOMPARE(sub.size(), 1);
    emit child<FolderListBox>(f, "folderList")->itemActivated(sub.first());
    QCOMPARE(child<FolderListBox>(f, "folderList")->directory(), path("sub"));
    QCOMPARE(child<FileListBox>(f, "fileList")->directory(), path("sub"));
    QCOMPARE(child<FileListBox>(f, "fileList")->count(), 1);
    QVERIFY(child<FileListBox>(f, "fileList")->selectedItems().isEmpty());
    QVERIFY(f.setup().currentFile.isEmpty());
    QCOMPARE(f.setup().slot(1).picturePath, path("a.jpg"));
    QCOMPARE(child<PictureBox>(f, "thumbnail1")->picture(), framed1);
    QCOMPARE(child<PictureBox>(f, "preview")->picture(), preview);

    // Opening the folder already open changes nothing.
    choose("s.jpg");
    emit child<FolderListBox>(f, "folderList")
        ->itemActivated(child<FolderListBox>(f, "folderList")->currentItem());
    QCOMPARE(f.setup().currentFile, path("sub/s.jpg"));
    QCOMPARE(child<FileListBox>(f, "fileList")->selectedItems().size(), 1);

    // A folder that cannot be read is reported and the browser stays where it was.
    emit child<FolderListBox>(f, "folderList")->openRequested(path("gone"));
    QCOMPARE(m_dialogs->errors(),
             QStringList{QStringLiteral("Не удаётся открыть папку «%1».").arg(path("gone"))});
    QCOMPARE(child<FolderListBox>(f, "folderList")->directory(), path("sub"));

    // A drive goes to its root.
    f.openChosenDrive();
    QCOMPARE(child<FolderListBox>(f, "folderList")->directory(),
             QDir(child<DriveComboBox>(f, "driveCombo")->drive()).absolutePath());
    QCOMPARE(child<FileListBox>(f, "fileList")->directory(),
             child<FolderListBox>(f, "folderList")->directory());
    QCOMPARE(m_dialogs->errors().size(), 1);
    checkInvariants();
}

void TestMainWindow::reselectAfterSwitch()
{
    MainWindow& f = *m_form;
    choose("a.jpg");
    f.chooseSlot(3);
    choose("a.jpg"); // already selected: the list reports nothing
    QVERIFY(!f.setup().slot(3).chosen);
    choose("d.jpg");
    choose("a.jpg");
    QCOMPARE(f.setup().slot(3).picturePath, path("a.jpg"));
    QCOMPARE(f.setup().slot(1).picturePath, path("a.jpg"));
    QVERIFY(near(f.cleanThumbnail().pixel(28, 20), TL.rgb()));
    checkInvariants();
}

void TestMainWindow::undecodableChoiceChangesOnlyCurrentFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("code");
    QTest::newRow("not a picture") << "bad.jpg" << int(JERR_NO_SOI);
    QTest::newRow("empty file") << "empty.jpg" << int(JERR_INPUT_EMPTY);
}

void TestMainWindow::undecodableChoiceChangesOnlyCurrentFile()
{
    QFETCH(QString, file);
    QFETCH(int, code);
    MainWindow& f = *m_form;
    choose("d.jpg");
    const QImage thumb = child<PictureBox>(f, "thumbnail1")->picture(), clean = f.cleanThumbnail(),
                 preview = child<PictureBox>(f, "preview")->picture();
    choose(file);
    QCOMPARE(m_dialogs->errors(), QStringList{QStringLiteral("JPEG error #%1.").arg(code)});
    QCOMPARE(f.setup().currentFile, path(file));
    QCOMPARE(f.setup().slot(1).picturePath, path("d.jpg"));
    QVERIFY(f.setup().slot(1).chosen);
    QCOMPARE(child<PictureBox>(f, "thumbnail1")->picture(), thumb);
    QCOMPARE(f.cleanThumbnail(), clean);
    QCOMPARE(child<PictureBox>(f, "preview")->picture(), preview);
    checkInvariants();
}

void TestMainWindow::switchToVanishedPicture()
{
    MainWindow& f = *m_form;
    const QString file = path("vanishing.jpg");
    QVERIFY(writeFile(file, encodeJpeg(quadrants(40, 40, Flat, Flat, Flat, Flat))));
    child<FileListBox>(f, "fileList")->addItem(QStringLiteral("vanishing.jpg"));
    f.chooseSlot(2);
    choose("vanishing.jpg");
    f.setup().slot(2).answer = QStringLiteral("первая\r\nвторая");
    f.setup().slot(2).question = QStringLiteral("вопрос");
    f.chooseSlot(3);
    QVERIFY(QFile::remove(file));

    // The texts arrive before the failure is reported.
    connect(child<QPlainTextEdit>(f, "answerEdit"), &QPlainTextEdit::textChanged, this,
            [&] { m_dialogs->log << "answer"; });
    connect(child<QLineEdit>(f, "questionEdit"), &QLineEdit::textChanged, this,
            [&] { m_dialogs->log << "question"; });
    f.chooseSlot(2);
    QCOMPARE(m_dialogs->log,
             QStringList({"answer", "question",
                          QStringLiteral("Error: Не удаётся открыть файл «%1».").arg(file)}));
    QCOMPARE(f.setup().currentSlot, 2);
    QCOMPARE(child<QLabel>(f, "slotNumberLabel")->text(), QStringLiteral("N2"));
    QVERIFY(framedAt(child<PictureBox>(f, "thumbnail2")->picture()));
    QVERIFY(!framedAt(child<PictureBox>(f, "thumbnail3")->picture()));
    QVERIFY(framedOver(child<PictureBox>(f, "thumbnail2")->picture(), f.cleanThumbnail()));
    QCOMPARE(child<PictureBox>(f, "preview")->picture(), m_placeholder);
    QCOMPARE(child<QPlainTextEdit>(f, "answerEdit")->toPlainText(),
             QStringLiteral("первая\nвторая"));
    QCOMPARE(child<QLineEdit>(f, "questionEdit")->text(), QStringLiteral("вопрос"));
}

void TestMainWindow::textsSetOnlyWhenDifferent_data()
{
    QTest::addColumn<QString>("shownAnswer");
    QTest::addColumn<QString>("storedAnswer");
    QTest::addColumn<QString>("shownQuestion");
    QTest::addColumn<QString>("storedQuestion");
    QTest::addColumn<int>("answerChanges");
    QTest::addColumn<int>("questionChanges");
    QTest::newRow("same, line breaks differ only in form") << "a\nb"
                                                           << "a\r\nb"
                                                           << "q"
                                                           << "q" << 0 << 0;
    QTest::newRow("both empty") << ""
                                << ""
                                << ""
                                << "" << 0 << 0;
    QTest::newRow("new texts") << "a"
                               << "a\r\nb"
                               << ""
                               << "q" << 1 << 1;
    QTest::newRow("emptied") << "a\nb"
                             << ""
                             << "q"
                             << "" << 1 << 1;
}

void TestMainWindow::textsSetOnlyWhenDifferent()
{
    QFETCH(QString, shownAnswer);
    QFETCH(QString, storedAnswer);
    QFETCH(QString, shownQuestion);
    QFETCH(QString, storedQuestion);
    QFETCH(int, answerChanges);
    QFETCH(int, questionChanges);
    MainWindow& f = *m_form;
    child<QPlainTextEdit>(f, "answerEdit")->setPlainText(shownAnswer);
    child<QLineEdit>(f, "questionEdit")->setText(shownQuestion);
    f.setup().slot(4).answer = storedAnswer;
    f.setup().slot(4).question = storedQuestion;
    QSignalSpy answerSpy(child<QPlainTextEdit>(f, "answerEdit"), &QPlainTextEdit::textChanged);
    QSignalSpy questionSpy(child<QLineEdit>(f, "questionEdit"), &QLineEdit::textChanged);
    f.chooseSlot(4);
    QCOMPARE(answerSpy.count(), answerChanges);
    QCOMPARE(questionSpy.count(), questionChanges);
    QString shown = storedAnswer;
    QCOMPARE(child<QPlainTextEdit>(f, "answerEdit")->toPlainText(), shown.replace("\r\n", "\n"));
    QCOMPARE(child<QLineEdit>(f, "questionEdit")->text(), storedQuestion);
}

void TestMainWindow::exitButton()
{
    MainWindow& f = *m_form;
    QVERIFY(f.isVisible());
    QTest::mouseClick(child<QPushButton>(f, "exitButton"), Qt::LeftButton);
    QVERIFY(!f.isVisible());
    QVERIFY(f.cleanThumbnail().isNull());
    QVERIFY(m_dialogs->log.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
