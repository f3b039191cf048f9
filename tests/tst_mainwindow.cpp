#include "fakes.h"
#include "testjpeg.h"
#include "ui/browser.h"
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

QRgb Masked(QRgb c)
{
    return qRgb(qRed(c), 0, 0);
}

bool FramedAt(const QImage& thumb)
{
    for (const QPoint p : FramePoints)
        if (qGreen(thumb.pixel(p)) != 0 || qBlue(thumb.pixel(p)) != 0)
            return false;
    return true;
}

// thumb must be clean with the frame ANDed over it, and nothing else changed.
bool FramedOver(const QImage& thumb, const QImage& clean)
{
    if (thumb.size() != QSize(113, 80) || clean.size() != thumb.size())
        return false;
    for (const QPoint p : FramePoints)
        if (thumb.pixel(p) != Masked(clean.pixel(p)))
            return false;
    for (int y = 0; y < thumb.height(); ++y)
        for (int x = 0; x < thumb.width(); ++x) {
            const QRgb t = thumb.pixel(x, y), c = clean.pixel(x, y);
            if (t != c && t != Masked(c))
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
    std::unique_ptr<TForm1> m_form;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(WriteFile(path("a.jpg"), EncodeJpeg(Quadrants(640, 480, TL, TR, BL, BR))));
    QVERIFY(WriteFile(path("b.JPG"), EncodeJpeg(Quadrants(57, 200, TL, TR, BL, BR, true), true)));
    QVERIFY(WriteFile(path("c.Jpg"), EncodeJpeg(Quadrants(64, 64, TL, TR, BL, BR))));
    QVERIFY(
        WriteFile(path("d.jpg"), EncodeJpeg(Quadrants(300, 150, Flat, Flat, Flat, Flat), true)));
    QVERIFY(WriteFile(path("e.jpg"), EncodeJpeg(Quadrants(1, 1, Other, Other, Other, Other))));
    QVERIFY(WriteFile(path("x.jpgx"), EncodeJpeg(Quadrants(64, 64, TL, TR, BL, BR))));
    QVERIFY(WriteFile(path("bad.jpg"), QByteArray("this is no picture")));
    QVERIFY(WriteFile(path("empty.jpg"), QByteArray()));
    QVERIFY(QDir(m_dir.path()).mkdir("sub"));
    QVERIFY(WriteFile(path("sub/s.jpg"), EncodeJpeg(Quadrants(20, 20, Flat, Flat, Flat, Flat))));
    QVERIFY(QDir::setCurrent(m_dir.path()));
    m_placeholder = TForm1::Placeholder();
    QCOMPARE(m_placeholder.size(), QSize(113, 80));
}

void TestMainWindow::init()
{
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_shell = std::make_unique<RecordingShell>();
    m_pauser = std::make_unique<CountingPauser>();
    m_services = std::make_unique<Services>(Services{*m_dialogs, *m_shell, *m_pauser});
    m_form = std::make_unique<TForm1>(*m_services, m_dir.path());
    m_form->show();
}

void TestMainWindow::cleanup()
{
    m_form.reset();
}

void TestMainWindow::choose(const QString& name)
{
    const auto found = m_form->FileListBox1->findItems(name, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(name));
    m_form->FileListBox1->setCurrentItem(found.first());
}

void TestMainWindow::checkInvariants()
{
    TForm1& f = *m_form;
    for (int k = 1; k <= 6; ++k)
        QVERIFY2(FramedAt(f.PictureBox(k)->Picture()) == (k == f.Setup.CurrentSlot),
                 qPrintable(QStringLiteral("frame on thumbnail %1").arg(k)));
    QVERIFY(FramedOver(f.PictureBox(f.Setup.CurrentSlot)->Picture(), f.CleanThumb));
    if (f.Setup.Current().Chosen)
        QCOMPARE(f.Image7->Picture().size(), QSize(249, 169));
    else
        QCOMPARE(f.Image7->Picture(), m_placeholder);
}

void TestMainWindow::startUp()
{
    TForm1& f = *m_form;
    QCOMPARE(f.windowTitle(), QStringLiteral("  Создание теста-викторины  QUIRVEL 1.1"));
    QCOMPARE(f.Setup.CurrentSlot, 1);
    QCOMPARE(f.Label4->text(), QStringLiteral("N1"));
    QCOMPARE(f.CleanThumb, m_placeholder);
    QVERIFY(FramedOver(f.Image1->Picture(), m_placeholder));
    for (int k = 2; k <= 7; ++k)
        QCOMPARE(f.PictureBox(k)->Picture(), m_placeholder);
    checkInvariants();
    QVERIFY(f.Edit1->text().isEmpty() && f.Edit2->text().isEmpty());
    QVERIFY(f.Memo7->toPlainText().isEmpty() && !f.CheckBox1->isChecked());
    QCOMPARE(f.ProgressBar1->value(), 0);
    QCOMPARE(f.Label2->text(), QStringLiteral("Выбирай картинки, делай подписи, жми генерацию..."));

    // The browser starts on the current folder, with nothing picked.
    QCOMPARE(f.DirectoryListBox1->Directory(), QDir::currentPath());
    QCOMPARE(f.FileListBox1->Directory(), QDir::currentPath());
    QVERIFY(QDir::currentPath().startsWith(f.DriveComboBox1->Drive()));
    QStringList listed;
    for (int i = 0; i < f.FileListBox1->count(); ++i)
        listed << f.FileListBox1->item(i)->text();
    QCOMPARE(listed,
             QStringList({"a.jpg", "b.JPG", "bad.jpg", "c.Jpg", "d.jpg", "e.jpg", "empty.jpg"}));
    QVERIFY(f.Setup.CurrentFile.isEmpty());

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
    TImage* thumb = m_form->Image3;
    thumb->Canvas().fill(under);
    m_form->DrawSlotFrame(3);
    const QImage& bitmap = thumb->Picture();
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
    TForm1& f = *m_form;
    const QImage framed1 = f.Image1->Picture();
    QTest::mouseClick(f.Image4, Qt::LeftButton);
    QCOMPARE(f.Setup.CurrentSlot, 4);
    QCOMPARE(f.Label4->text(), QStringLiteral("N4"));
    QCOMPARE(f.Image1->Picture(), m_placeholder);
    QVERIFY(FramedOver(f.Image4->Picture(), m_placeholder));
    checkInvariants();

    f.Image1Click();
    QCOMPARE(f.Image1->Picture(), framed1);
    QCOMPARE(f.Image4->Picture(), m_placeholder);
    QCOMPARE(f.CleanThumb, m_placeholder);
    checkInvariants();

    // The current slot again: everything stays.
    f.Image1Click();
    QCOMPARE(f.Setup.CurrentSlot, 1);
    QCOMPARE(f.Image1->Picture(), framed1);
    QCOMPARE(f.CleanThumb, m_placeholder);
    for (int k = 2; k <= 7; ++k)
        QCOMPARE(f.PictureBox(k)->Picture(), m_placeholder);
    QVERIFY(m_dialogs->log.isEmpty());
}

void TestMainWindow::choosePicture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QList<QColor>>("quadrants");
    QTest::newRow("large colour into 2") << "a.jpg" << 2 << QList<QColor>{TL, TR, BL, BR};
    const QImage grey = Quadrants(4, 4, TL, TR, BL, BR, true);
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
    TForm1& f = *m_form;
    f.ImageClick(slot);
    choose(file);

    QCOMPARE(f.Setup.CurrentFile, path(file));
    QCOMPARE(f.Setup.CurrentSlot, slot);
    QCOMPARE(f.Setup.Slot(slot).PicturePath, path(file));
    QVERIFY(f.Setup.Slot(slot).Chosen);
    QVERIFY(m_dialogs->log.isEmpty());
    checkInvariants();

    // Stretched over all 113 x 81 without keeping proportions, so the quadrants meet at the
    // middle of the box; the frame lies over it.
    const QImage& clean = f.CleanThumb;
    const QPoint centres[] = {{28, 20}, {85, 20}, {28, 60}, {85, 60}};
    for (int q = 0; q < 4; ++q)
        QVERIFY2(Near(clean.pixel(centres[q]), quadrants[q].rgb()), qPrintable(QString::number(q)));
    QVERIFY(Near(clean.pixel(2, 20), quadrants[0].rgb()));
    QVERIFY(Near(clean.pixel(28, 79), quadrants[2].rgb()));
    // The preview, already at its box's size.
    const QImage& preview = f.Image7->Picture();
    const QPoint previewCentres[] = {{62, 42}, {186, 42}, {62, 126}, {186, 126}};
    for (int q = 0; q < 4; ++q)
        QVERIFY(Near(preview.pixel(previewCentres[q]), quadrants[q].rgb()));

    for (int k = 1; k <= 6; ++k)
        if (k != slot) {
            QVERIFY(!f.Setup.Slot(k).Chosen);
            QCOMPARE(f.PictureBox(k)->Picture(), m_placeholder);
        }
}

void TestMainWindow::previewReloadedOnSwitch()
{
    TForm1& f = *m_form;
    const QString file = path("reload.jpg");
    QVERIFY(WriteFile(file, EncodeJpeg(Quadrants(80, 60, TL, TR, BL, BR))));
    f.FileListBox1->addItem(QStringLiteral("reload.jpg"));
    f.Image2Click();
    choose("reload.jpg");
    const QImage thumb = f.Image2->Picture();

    f.Image3Click();
    QCOMPARE(f.Image7->Picture(), m_placeholder);
    QVERIFY(!FramedAt(f.Image2->Picture()));
    checkInvariants();

    // The preview comes from the disk again; the thumbnail keeps what was painted.
    QVERIFY(WriteFile(file, EncodeJpeg(Quadrants(80, 60, Other, Other, Other, Other))));
    f.Image2Click();
    QVERIFY(Near(f.Image7->Picture().pixel(62, 42), Other.rgb()));
    QCOMPARE(f.Image2->Picture(), thumb);
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
    TForm1& f = *m_form;
    // As a list with a looser mask would show it.
    if (f.FileListBox1->findItems(file, Qt::MatchExactly).isEmpty())
        f.FileListBox1->addItem(file);
    const QImage framed1 = f.Image1->Picture();
    choose(file);
    QCOMPARE(f.Setup.CurrentFile, path(file));
    QCOMPARE(f.Setup.Slot(1).Chosen, taken);
    QCOMPARE(f.Setup.Slot(1).PicturePath, taken ? path(file) : QString());
    QCOMPARE(f.Image1->Picture() != framed1, taken);
    QCOMPARE(f.Image7->Picture() != m_placeholder, taken);
    QVERIFY(m_dialogs->log.isEmpty());
    checkInvariants();
}

void TestMainWindow::folderChange()
{
    TForm1& f = *m_form;
    choose("a.jpg");
    const QImage framed1 = f.Image1->Picture();
    const QImage preview = f.Image7->Picture();

    const auto sub = f.DirectoryListBox1->findItems(QStringLiteral("sub"), Qt::MatchEndsWith);
    QCOMPARE(sub.size(), 1);
    emit f.DirectoryListBox1->itemActivated(sub.first());
    QCOMPARE(f.DirectoryListBox1->Directory(), path("sub"));
    QCOMPARE(f.FileListBox1->Directory(), path("sub"));
    QCOMPARE(f.FileListBox1->count(), 1);
    QVERIFY(f.FileListBox1->selectedItems().isEmpty());
    QVERIFY(f.Setup.CurrentFile.isEmpty());
    QCOMPARE(f.Setup.Slot(1).PicturePath, path("a.jpg"));
    QCOMPARE(f.Image1->Picture(), framed1);
    QCOMPARE(f.Image7->Picture(), preview);

    // Opening the folder already open changes nothing.
    choose("s.jpg");
    emit f.DirectoryListBox1->itemActivated(f.DirectoryListBox1->currentItem());
    QCOMPARE(f.Setup.CurrentFile, path("sub/s.jpg"));
    QCOMPARE(f.FileListBox1->selectedItems().size(), 1);

    // A folder that cannot be read is reported and the browser stays where it was.
    emit f.DirectoryListBox1->openRequested(path("gone"));
    QCOMPARE(m_dialogs->errors(),
             QStringList{QStringLiteral("Не удаётся открыть папку «%1».").arg(path("gone"))});
    QCOMPARE(f.DirectoryListBox1->Directory(), path("sub"));

    // A drive goes to its root.
    f.DriveComboBox1Change();
    QCOMPARE(f.DirectoryListBox1->Directory(), QDir(f.DriveComboBox1->Drive()).absolutePath());
    QCOMPARE(f.FileListBox1->Directory(), f.DirectoryListBox1->Directory());
    QCOMPARE(m_dialogs->errors().size(), 1);
    checkInvariants();
}

void TestMainWindow::reselectAfterSwitch()
{
    TForm1& f = *m_form;
    choose("a.jpg");
    f.Image3Click();
    choose("a.jpg"); // already selected: the list reports nothing
    QVERIFY(!f.Setup.Slot(3).Chosen);
    choose("d.jpg");
    choose("a.jpg");
    QCOMPARE(f.Setup.Slot(3).PicturePath, path("a.jpg"));
    QCOMPARE(f.Setup.Slot(1).PicturePath, path("a.jpg"));
    QVERIFY(Near(f.CleanThumb.pixel(28, 20), TL.rgb()));
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
    TForm1& f = *m_form;
    choose("d.jpg");
    const QImage thumb = f.Image1->Picture(), clean = f.CleanThumb, preview = f.Image7->Picture();
    choose(file);
    QCOMPARE(m_dialogs->errors(), QStringList{QStringLiteral("JPEG error #%1.").arg(code)});
    QCOMPARE(f.Setup.CurrentFile, path(file));
    QCOMPARE(f.Setup.Slot(1).PicturePath, path("d.jpg"));
    QVERIFY(f.Setup.Slot(1).Chosen);
    QCOMPARE(f.Image1->Picture(), thumb);
    QCOMPARE(f.CleanThumb, clean);
    QCOMPARE(f.Image7->Picture(), preview);
    checkInvariants();
}

void TestMainWindow::switchToVanishedPicture()
{
    TForm1& f = *m_form;
    const QString file = path("vanishing.jpg");
    QVERIFY(WriteFile(file, EncodeJpeg(Quadrants(40, 40, Flat, Flat, Flat, Flat))));
    f.FileListBox1->addItem(QStringLiteral("vanishing.jpg"));
    f.Image2Click();
    choose("vanishing.jpg");
    f.Setup.Slot(2).Answer = QStringLiteral("первая\r\nвторая");
    f.Setup.Slot(2).Question = QStringLiteral("вопрос");
    f.Image3Click();
    QVERIFY(QFile::remove(file));

    // The texts arrive before the failure is reported.
    connect(f.Memo7, &QPlainTextEdit::textChanged, this, [&] { m_dialogs->log << "Memo7"; });
    connect(f.Edit2, &QLineEdit::textChanged, this, [&] { m_dialogs->log << "Edit2"; });
    f.Image2Click();
    QCOMPARE(m_dialogs->log,
             QStringList({"Memo7", "Edit2",
                          QStringLiteral("Error: Не удаётся открыть файл «%1».").arg(file)}));
    QCOMPARE(f.Setup.CurrentSlot, 2);
    QCOMPARE(f.Label4->text(), QStringLiteral("N2"));
    QVERIFY(FramedAt(f.Image2->Picture()));
    QVERIFY(!FramedAt(f.Image3->Picture()));
    QVERIFY(FramedOver(f.Image2->Picture(), f.CleanThumb));
    QCOMPARE(f.Image7->Picture(), m_placeholder);
    QCOMPARE(f.Memo7->toPlainText(), QStringLiteral("первая\nвторая"));
    QCOMPARE(f.Edit2->text(), QStringLiteral("вопрос"));
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
    TForm1& f = *m_form;
    f.Memo7->setPlainText(shownAnswer);
    f.Edit2->setText(shownQuestion);
    f.Setup.Slot(4).Answer = storedAnswer;
    f.Setup.Slot(4).Question = storedQuestion;
    QSignalSpy answerSpy(f.Memo7, &QPlainTextEdit::textChanged);
    QSignalSpy questionSpy(f.Edit2, &QLineEdit::textChanged);
    f.Image4Click();
    QCOMPARE(answerSpy.count(), answerChanges);
    QCOMPARE(questionSpy.count(), questionChanges);
    QString shown = storedAnswer;
    QCOMPARE(f.Memo7->toPlainText(), shown.replace("\r\n", "\n"));
    QCOMPARE(f.Edit2->text(), storedQuestion);
}

void TestMainWindow::exitButton()
{
    TForm1& f = *m_form;
    QVERIFY(f.isVisible());
    QTest::mouseClick(f.Button4, Qt::LeftButton);
    QVERIFY(!f.isVisible());
    QVERIFY(f.CleanThumb.isNull());
    QVERIFY(m_dialogs->log.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
