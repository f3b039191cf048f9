// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/texts.h"
#include "mainwindowfixture.h"
#include "testjpeg.h"
#include "ui/drivecombobox.h"
#include "ui/filelistbox.h"
#include "ui/folderlistbox.h"
#include "ui/inputgate.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"
#include "ui/picturebrowser.h"
#include "ui/slotstrip.h"
#include "ui/texts.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

class TestMainWindow : public MainWindowFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpPictures(); }
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void startUp();
    void frameOverColours_data();
    void frameOverColours();
    void switchingSlots();
    void choosePicture_data();
    void choosePicture();
    void previewReloadedOnSwitch_data();
    void previewReloadedOnSwitch();
    void extensionTest_data();
    void extensionTest();
    void reselectAfterSwitch();
    void undecodableChoiceChangesOnlyCurrentFile_data();
    void undecodableChoiceChangesOnlyCurrentFile();
    void switchToVanishedPicture();
    void textsSetOnlyWhenDifferent_data();
    void textsSetOnlyWhenDifferent();
    void exitButton();
    void accessibleNames();
    void keyboardReach();
    void busActionsWhileHeld_data();
    void busActionsWhileHeld();
    void focusVisible_data();
    void focusVisible();
};

void TestMainWindow::startUp()
{
    MainWindow& window = *m_window;
    QCOMPARE(window.windowTitle(), QStringLiteral("  Создание теста-викторины  QUIRVEL 1.1"));
    QCOMPARE(window.setup().currentSlot, 1);
    QCOMPARE(child<QLabel>(window, "slotNumberLabel")->text(), QStringLiteral("N1"));
    QCOMPARE(window.cleanThumbnail(), m_placeholder);
    QVERIFY(framedOver(child<PictureBox>(window, "thumbnail1")->picture(), m_placeholder));
    for (int k = 2; k <= MainWindow::SlotCount; ++k)
        QCOMPARE(child<PictureBox>(window, numbered("thumbnail", k))->picture(), m_placeholder);
    QCOMPARE(child<PictureBox>(window, "preview")->picture(), m_placeholder);
    checkInvariants();
    QVERIFY(child<QLineEdit>(window, "titleEdit")->text().isEmpty() &&
            child<QLineEdit>(window, "questionEdit")->text().isEmpty());
    QVERIFY(child<QPlainTextEdit>(window, "answerEdit")->toPlainText().isEmpty() &&
            !child<QCheckBox>(window, "oneForAllCheck")->isChecked());
    QCOMPARE(child<QProgressBar>(window, "progressBar")->value(), 0);
    QCOMPARE(child<QLabel>(window, "statusLabel")->text(), CoreText::Resting);

    // The browser starts on the current folder, with nothing picked.
    QCOMPARE(child<FolderListBox>(window, "folderList")->directory(), QDir::currentPath());
    QCOMPARE(child<FileListBox>(window, "fileList")->directory(), QDir::currentPath());
    QVERIFY(QDir::currentPath().startsWith(child<DriveComboBox>(window, "driveCombo")->drive()));
    QStringList listed;
    for (int i = 0; i < child<FileListBox>(window, "fileList")->count(); ++i)
        listed << child<FileListBox>(window, "fileList")->item(i)->text();
    QCOMPARE(listed,
             QStringList({"a.jpg", "b.JPG", "bad.jpg", "c.Jpg", "d.jpg", "e.jpg", "empty.jpg"}));
    QVERIFY(window.setup().currentFile.isEmpty());

    QVERIFY(window.minimumSize() == window.size() && window.maximumSize() == window.size());
    // The client area holds every widget.
    for (const QWidget* w : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(window.rect().contains(w->geometry()), qPrintable(w->objectName()));
    QVERIFY(m_fakes->dialogs.log.isEmpty());
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
    PictureBox* thumb = child<PictureBox>(*m_window, "thumbnail3");
    thumb->canvas().fill(under);
    child<SlotStrip>(*m_window, "slotStrip")->drawFrame(3);
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
    MainWindow& window = *m_window;
    const QImage framed1 = child<PictureBox>(window, "thumbnail1")->picture();
    QTest::mouseClick(child<PictureBox>(window, "thumbnail4"), Qt::LeftButton);
    QCOMPARE(window.setup().currentSlot, 4);
    QCOMPARE(child<QLabel>(window, "slotNumberLabel")->text(), QStringLiteral("N4"));
    QCOMPARE(child<PictureBox>(window, "thumbnail1")->picture(), m_placeholder);
    QVERIFY(framedOver(child<PictureBox>(window, "thumbnail4")->picture(), m_placeholder));
    checkInvariants();

    window.chooseSlot(1);
    QCOMPARE(child<PictureBox>(window, "thumbnail1")->picture(), framed1);
    QCOMPARE(child<PictureBox>(window, "thumbnail4")->picture(), m_placeholder);
    QCOMPARE(window.cleanThumbnail(), m_placeholder);
    checkInvariants();

    // The current slot again: everything stays.
    window.chooseSlot(1);
    QCOMPARE(window.setup().currentSlot, 1);
    QCOMPARE(child<PictureBox>(window, "thumbnail1")->picture(), framed1);
    QCOMPARE(window.cleanThumbnail(), m_placeholder);
    for (int k = 2; k <= MainWindow::SlotCount; ++k)
        QCOMPARE(child<PictureBox>(window, numbered("thumbnail", k))->picture(), m_placeholder);
    QCOMPARE(child<PictureBox>(window, "preview")->picture(), m_placeholder);
    QVERIFY(m_fakes->dialogs.log.isEmpty());
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
    MainWindow& window = *m_window;
    window.chooseSlot(slot);
    choose(file);

    QCOMPARE(window.setup().currentFile, path(file));
    QCOMPARE(window.setup().currentSlot, slot);
    QCOMPARE(window.setup().slot(slot).picturePath, path(file));
    QVERIFY(window.setup().slot(slot).chosen);
    QVERIFY(m_fakes->dialogs.log.isEmpty());
    checkInvariants();

    // Stretched over all 113 x 81 without keeping proportions, so the quadrants meet at the
    // middle of the box; the frame lies over it.
    const QImage& clean = window.cleanThumbnail();
    const QPoint centres[] = {{28, 20}, {85, 20}, {28, 60}, {85, 60}};
    for (int q = 0; q < 4; ++q)
        QVERIFY2(near(clean.pixel(centres[q]), quadrants[q].rgb()), qPrintable(QString::number(q)));
    QVERIFY(near(clean.pixel(2, 20), quadrants[0].rgb()));
    QVERIFY(near(clean.pixel(28, 79), quadrants[2].rgb()));
    // The preview, already at its box's size.
    const QImage& preview = child<PictureBox>(window, "preview")->picture();
    const QPoint previewCentres[] = {{62, 42}, {186, 42}, {62, 126}, {186, 126}};
    for (int q = 0; q < 4; ++q)
        QVERIFY(near(preview.pixel(previewCentres[q]), quadrants[q].rgb()));

    for (int k = 1; k <= 6; ++k)
        if (k != slot) {
            QVERIFY(!window.setup().slot(k).chosen);
            QCOMPARE(child<PictureBox>(window, numbered("thumbnail", k))->picture(), m_placeholder);
        }
}

void TestMainWindow::previewReloadedOnSwitch_data()
{
    QTest::addColumn<bool>("sameSize");
    QTest::addColumn<int>("laterMs"); // the rewrite's modification time after the first one's
    QTest::newRow("other size, an hour later") << false << 3600'000;
    QTest::newRow("same size, an hour later") << true << 3600'000;
    QTest::newRow("same size, within one second") << true << 500;
}

void TestMainWindow::previewReloadedOnSwitch()
{
    QFETCH(bool, sameSize);
    QFETCH(int, laterMs);
    MainWindow& window = *m_window;
    const QString file = path("reload.jpg");
    QByteArray first = encodeJpeg(quadrants(80, 60, TL, TR, BL, BR));
    QByteArray second = encodeJpeg(quadrants(80, 60, Other, Other, Other, Other));
    if (sameSize) { // bytes after the end of a picture are not read
        const qsizetype gap = second.size() - first.size();
        (gap > 0 ? first : second).append(QByteArray(qAbs(gap), '\0'));
    }
    const qint64 at = (QDateTime::currentSecsSinceEpoch() - 7200) * 1000 + 100;
    const auto writeAt = [&file](const QByteArray& bytes, qint64 ms) {
        QFile f(file);
        return f.open(QIODevice::ReadWrite) && f.resize(0) && f.write(bytes) == bytes.size() &&
               f.flush() &&
               f.setFileTime(QDateTime::fromMSecsSinceEpoch(ms), QFileDevice::FileModificationTime);
    };
    const auto removed = qScopeGuard([&file] { QFile::remove(file); });
    QVERIFY(writeAt(first, at));
    child<FileListBox>(window, "fileList")->addItem(QStringLiteral("reload.jpg"));
    window.chooseSlot(2);
    choose("reload.jpg");
    const QImage thumb = child<PictureBox>(window, "thumbnail2")->picture();

    window.chooseSlot(3);
    QCOMPARE(child<PictureBox>(window, "preview")->picture(), m_placeholder);
    QVERIFY(!framedAt(child<PictureBox>(window, "thumbnail2")->picture()));
    checkInvariants();

    // The preview comes from the disk again; the thumbnail keeps what was painted.
    QVERIFY(writeAt(second, at + laterMs));
    window.chooseSlot(2);
    QVERIFY(near(child<PictureBox>(window, "preview")->picture().pixel(62, 42), Other.rgb()));
    QCOMPARE(child<PictureBox>(window, "thumbnail2")->picture(), thumb);
    checkInvariants();
    QVERIFY(m_fakes->dialogs.log.isEmpty());
}

void TestMainWindow::extensionTest_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("said"); // once per folder
    QTest::addColumn<QString>("then"); // what the user does next on the picked entry
    const QString& rule = UiText::ExtensionRule;
    QTest::newRow(".jpg") << "a.jpg" << true << ""
                          << "";
    QTest::newRow(".JPG") << "b.JPG" << true << ""
                          << "";
    QTest::newRow(".Jpg") << "c.Jpg" << false << rule << "";
    QTest::newRow(".jpgx") << "x.jpgx" << false << ""
                           << "";
    QTest::newRow(".jpg, Ctrl+click on it") << "a.jpg" << true << ""
                                            << "ctrl-click";
    QTest::newRow(".JPG, Ctrl+Space on it") << "b.JPG" << true << ""
                                            << "ctrl-space";
}

void TestMainWindow::extensionTest()
{
    QFETCH(QString, file);
    QFETCH(bool, taken);
    QFETCH(QString, said);
    QFETCH(QString, then);
    MainWindow& window = *m_window;
    auto* list = child<FileListBox>(window, "fileList");
    // As a list with a looser mask would show it.
    if (list->findItems(file, Qt::MatchExactly).isEmpty())
        list->addItem(file);
    const QImage framed1 = child<PictureBox>(window, "thumbnail1")->picture();
    choose(file);
    if (then == "ctrl-click")
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->currentItem()).center());
    else if (then == "ctrl-space")
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(window.setup().currentFile, path(file));
    QCOMPARE(window.setup().slot(1).chosen, taken);
    QCOMPARE(window.setup().slot(1).picturePath, taken ? path(file) : QString());
    QCOMPARE(child<PictureBox>(window, "thumbnail1")->picture() != framed1, taken);
    QCOMPARE(child<PictureBox>(window, "preview")->picture() != m_placeholder, taken);
    QCOMPARE(m_fakes->dialogs.messages(), said.isEmpty() ? QStringList() : QStringList{said});
    checkInvariants();
    choose("e.jpg");
    choose(file);
    QCOMPARE(m_fakes->dialogs.log.size(), int(!said.isEmpty()));
}

void TestMainWindow::reselectAfterSwitch()
{
    MainWindow& window = *m_window;
    choose("a.jpg");
    window.chooseSlot(3);
    choose("a.jpg"); // already selected: the list reports nothing
    QVERIFY(!window.setup().slot(3).chosen);
    choose("d.jpg");
    choose("a.jpg");
    QCOMPARE(window.setup().slot(3).picturePath, path("a.jpg"));
    QCOMPARE(window.setup().slot(1).picturePath, path("a.jpg"));
    QVERIFY(near(window.cleanThumbnail().pixel(28, 20), TL.rgb()));
    checkInvariants();
}

void TestMainWindow::undecodableChoiceChangesOnlyCurrentFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a picture") << "bad.jpg"
                                   << "это не JPEG-файл";
    QTest::newRow("empty file") << "empty.jpg"
                                << "файл пуст";
}

void TestMainWindow::undecodableChoiceChangesOnlyCurrentFile()
{
    QFETCH(QString, file);
    QFETCH(QString, reason);
    MainWindow& window = *m_window;
    choose("d.jpg");
    const QImage thumb = child<PictureBox>(window, "thumbnail1")->picture(),
                 clean = window.cleanThumbnail(),
                 preview = child<PictureBox>(window, "preview")->picture();
    choose(file);
    QCOMPARE(m_fakes->dialogs.errors(), QStringList{"Картинка 1 (" + file + "): " + reason + "."});
    QCOMPARE(window.setup().currentFile, path(file));
    QCOMPARE(window.setup().slot(1).picturePath, path("d.jpg"));
    QVERIFY(window.setup().slot(1).chosen);
    QCOMPARE(child<PictureBox>(window, "thumbnail1")->picture(), thumb);
    QCOMPARE(window.cleanThumbnail(), clean);
    QCOMPARE(child<PictureBox>(window, "preview")->picture(), preview);
    checkInvariants();
}

void TestMainWindow::switchToVanishedPicture()
{
    MainWindow& window = *m_window;
    const QString file = path("vanishing.jpg");
    QVERIFY(writeFile(file, encodeJpeg(quadrants(40, 40, Flat, Flat, Flat, Flat))));
    child<FileListBox>(window, "fileList")->addItem(QStringLiteral("vanishing.jpg"));
    window.chooseSlot(2);
    choose("vanishing.jpg");
    window.setup().slot(2).answer = QStringLiteral("первая\r\nвторая");
    window.setup().slot(2).question = QStringLiteral("вопрос");
    window.chooseSlot(3);
    QVERIFY(QFile::remove(file));

    // The texts arrive before the failure is reported.
    connect(child<QPlainTextEdit>(window, "answerEdit"), &QPlainTextEdit::textChanged, this,
            [&] { m_fakes->dialogs.log << "answer"; });
    connect(child<QLineEdit>(window, "questionEdit"), &QLineEdit::textChanged, this,
            [&] { m_fakes->dialogs.log << "question"; });
    window.chooseSlot(2);
    QCOMPARE(m_fakes->dialogs.log,
             QStringList({"answer", "question",
                          QStringLiteral("Error: Картинка 2 (vanishing.jpg): не удаётся открыть "
                                         "файл «%1».")
                              .arg(file)}));
    QCOMPARE(window.setup().currentSlot, 2);
    QCOMPARE(child<QLabel>(window, "slotNumberLabel")->text(), QStringLiteral("N2"));
    QVERIFY(framedAt(child<PictureBox>(window, "thumbnail2")->picture()));
    QVERIFY(!framedAt(child<PictureBox>(window, "thumbnail3")->picture()));
    QVERIFY(
        framedOver(child<PictureBox>(window, "thumbnail2")->picture(), window.cleanThumbnail()));
    QCOMPARE(child<PictureBox>(window, "preview")->picture(), m_placeholder);
    QCOMPARE(child<QPlainTextEdit>(window, "answerEdit")->toPlainText(),
             QStringLiteral("первая\nвторая"));
    QCOMPARE(child<QLineEdit>(window, "questionEdit")->text(), QStringLiteral("вопрос"));
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
    MainWindow& window = *m_window;
    child<QPlainTextEdit>(window, "answerEdit")->setPlainText(shownAnswer);
    child<QLineEdit>(window, "questionEdit")->setText(shownQuestion);
    window.setup().slot(4).answer = storedAnswer;
    window.setup().slot(4).question = storedQuestion;
    QSignalSpy answerSpy(child<QPlainTextEdit>(window, "answerEdit"), &QPlainTextEdit::textChanged);
    QSignalSpy questionSpy(child<QLineEdit>(window, "questionEdit"), &QLineEdit::textChanged);
    window.chooseSlot(4);
    QCOMPARE(answerSpy.count(), answerChanges);
    QCOMPARE(questionSpy.count(), questionChanges);
    QString shown = storedAnswer;
    QCOMPARE(child<QPlainTextEdit>(window, "answerEdit")->toPlainText(),
             shown.replace("\r\n", "\n"));
    QCOMPARE(child<QLineEdit>(window, "questionEdit")->text(), storedQuestion);
}

void TestMainWindow::exitButton()
{
    MainWindow& window = *m_window;
    QVERIFY(window.isVisible());
    QTest::mouseClick(child<QPushButton>(window, "exitButton"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QVERIFY(window.cleanThumbnail().isNull());
    QVERIFY(m_fakes->dialogs.log.isEmpty());
}

// The names the bus test does not meet on its way, and the role of a painted picture.
void TestMainWindow::accessibleNames()
{
    MainWindow& window = *m_window;
    window.chooseSlot(3);
    for (const auto& [name, expected] :
         QList<std::pair<QString, QString>>{{"folderList", "Папки"},
                                            {"driveCombo", "Диск"},
                                            {"answerCopy5", "Картинка 5: ответ"},
                                            {"progressBar", "Ход генерации"},
                                            {"preview", "Картинка 3 крупно"}})
        QCOMPARE(QAccessible::queryAccessibleInterface(child<QWidget>(window, name))
                     ->text(QAccessible::Name),
                 expected);
    QCOMPARE(QAccessible::queryAccessibleInterface(child<PictureBox>(window, "preview"))->role(),
             QAccessible::Graphic);
    QCOMPARE(child<QPushButton>(window, "slotButton1")->accessibleDescription(), "пусто");
}

// Shift+F10 opens the context menu at the focus; in a text field, its edit menu with the quiz
// menu inside.
void TestMainWindow::keyboardReach()
{
    MainWindow& window = *m_window;
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* button2 = child<QPushButton>(window, "slotButton2");
    button2->setFocus();
    auto* quizMenu = child<QMenu>(window, "contextMenu");
    QTest::keyClick(button2, Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(quizMenu->isVisible());
    QVERIFY(quizMenu->geometry().contains(button2->mapToGlobal(button2->rect().center())));
    quizMenu->close();

    auto* title = child<QLineEdit>(window, "titleEdit");
    title->setFocus();
    QTest::keyClick(title, Qt::Key_F10, Qt::ShiftModifier);
    QMenu* editMenu = nullptr;
    QTRY_VERIFY((editMenu = window.findChild<QMenu*>("editMenu")) && editMenu->isVisible());
    const QList<QAction*> entries = editMenu->actions();
    QVERIFY(entries.at(entries.size() - 2)->isSeparator());
    QCOMPARE(entries.last()->menu(), quizMenu);
    QCOMPARE(entries.last()->text(), "Викторина");
    editMenu->close();
}

// Assistive technology presses, picks and edits around the input gate's event filter; while the
// window holds input none of it acts, and an edited field shows its stored text again.
void TestMainWindow::busActionsWhileHeld_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("underBox"); // a modal question box is up instead of a hold
    for (const char* name : {"generateButton", "newButton", "instructionsButton", "exitButton",
                             "slotButton3", "fileList", "titleEdit", "questionEdit", "answerEdit"})
        QTest::newRow(name) << QString(name) << false;
    for (const char* name :
         {"exitButton", "newButton", "slotButton3", "fileList", "titleEdit", "answerEdit"})
        QTest::addRow("%s under a box", name) << QString(name) << true;
}

void TestMainWindow::busActionsWhileHeld()
{
    QFETCH(QString, name);
    QFETCH(bool, underBox);
    MainWindow& window = *m_window;
    auto* widget = child<QWidget>(window, name);
    QAccessibleInterface* bus = QAccessible::queryAccessibleInterface(widget);
    {
        QDialog box(&window);
        std::optional<InputGate> hold;
        box.setModal(true);
        if (underBox)
            box.show();
        else
            hold.emplace(&window);
        if (QAccessibleTableInterface* list = bus->tableInterface())
            QVERIFY(list->selectRow(1));
        else if (QAccessibleEditableTextInterface* text = bus->editableTextInterface())
            text->replaceText(0, 0, "чужой");
        else
            bus->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        // A press clicks a moment later.
        auto* button = qobject_cast<QAbstractButton*>(widget);
        QTRY_VERIFY(!button || !button->isDown());
    }
    const QuizSlot& slot = window.setup().slot(1);
    QVERIFY(window.setup().currentSlot == 1 && slot.picturePath.isEmpty() &&
            slot.question.isEmpty() && slot.answer.isEmpty());
    QVERIFY(!bus->textInterface() || bus->textInterface()->characterCount() == 0);
    QVERIFY(window.isVisible() && m_fakes->dialogs.log.isEmpty() &&
            m_fakes->shell.opened.isEmpty());
}

// Tabbed to, each focus stop must look other than once Tab has moved on.
void TestMainWindow::focusVisible_data()
{
    QTest::addColumn<QString>("name");
    openWindow();
    for (const QWidget* stop : m_window->focusOrder())
        QTest::newRow(qPrintable(stop->objectName())) << stop->objectName();
}

void TestMainWindow::focusVisible()
{
    QFETCH(QString, name);
    MainWindow& window = *m_window;
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.setAttribute(Qt::WA_KeyboardFocusChange);
    QWidget* stop = child<QWidget>(window, name);
    stop->setFocus(Qt::TabFocusReason);
    const QRect area(stop->mapTo(&window, QPoint()), stop->size());
    const QImage focused = window.grab(area).toImage();
    QTest::keyClick(stop, Qt::Key_Tab);
    QVERIFY(window.grab(area).toImage() != focused);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
