// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindowfixture.h"
#include "ui/drivecombobox.h"
#include "ui/folderlistbox.h"
#include "ui/inputgate.h"
#include "ui/picturebrowser.h"

#include <QDir>
#include <QFile>

// The picture browser in the window: folders followed, F5, the start folder.
class TestPictureBrowser : public MainWindowFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpPictures(); }
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void folderChange();
    void followsFolder();
    void rereadKey();
    void startFolder();
};

void TestPictureBrowser::folderChange()
{
    MainWindow& window = *m_window;
    choose("a.jpg");
    const QImage framed1 = child<PictureBox>(window, "thumbnail1")->picture();
    const QImage preview = child<PictureBox>(window, "preview")->picture();

    const auto sub = child<FolderListBox>(window, "folderList")
                         ->findItems(QStringLiteral("sub"), Qt::MatchEndsWith);
    QCOMPARE(sub.size(), 1);
    emit child<FolderListBox>(window, "folderList")->itemActivated(sub.first());
    QCOMPARE(child<FolderListBox>(window, "folderList")->directory(), path("sub"));
    QCOMPARE(child<FileListBox>(window, "fileList")->directory(), path("sub"));
    QCOMPARE(child<FileListBox>(window, "fileList")->count(), 1);
    QVERIFY(child<FileListBox>(window, "fileList")->selectedItems().isEmpty());
    QVERIFY(window.setup().currentFile.isEmpty());
    QCOMPARE(window.setup().slot(1).picturePath, path("a.jpg"));
    QCOMPARE(child<PictureBox>(window, "thumbnail1")->picture(), framed1);
    QCOMPARE(child<PictureBox>(window, "preview")->picture(), preview);

    // Opening the folder already open changes nothing.
    choose("s.jpg");
    emit child<FolderListBox>(window, "folderList")
        ->itemActivated(child<FolderListBox>(window, "folderList")->currentItem());
    QCOMPARE(window.setup().currentFile, path("sub/s.jpg"));
    QCOMPARE(child<FileListBox>(window, "fileList")->selectedItems().size(), 1);

    // A folder that cannot be read is reported and the browser stays where it was.
    emit child<FolderListBox>(window, "folderList")->openRequested(path("gone"));
    QCOMPARE(m_fakes->dialogs.errors(),
             QStringList{QStringLiteral("Не удаётся открыть папку «%1».").arg(path("gone"))});
    QCOMPARE(child<FolderListBox>(window, "folderList")->directory(), path("sub"));

    // A drive goes to its root.
    child<PictureBrowser>(window, "pictureBrowser")->openChosenDrive();
    QCOMPARE(child<FolderListBox>(window, "folderList")->directory(),
             QDir(child<DriveComboBox>(window, "driveCombo")->drive()).absolutePath());
    QCOMPARE(child<FileListBox>(window, "fileList")->directory(),
             child<FolderListBox>(window, "folderList")->directory());
    QCOMPARE(m_fakes->dialogs.errors().size(), 1);
    checkInvariants();
}

// Files and folders come and go under the browser: it follows without asking anything.

void TestPictureBrowser::followsFolder()
{
    MainWindow& window = *m_window;
    auto* list = child<FileListBox>(window, "fileList");
    auto* folders = child<FolderListBox>(window, "folderList");
    QVERIFY(writeFile(path("watched/inner/k.jpg"), encodeJpeg(quadrants(8, 8, TL, TR, BL, BR))));
    emit folders->openRequested(path("watched/inner"));
    choose("k.jpg");
    QVERIFY(writeFile(path("watched/inner/new.jpg"), QByteArray()));
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), 2, 20000);
    QCOMPARE(window.setup().currentFile, path("watched/inner/k.jpg"));
    QCOMPARE(list->selectedItems().value(0)->text(), QStringLiteral("k.jpg"));

    QVERIFY(QFile::remove(path("watched/inner/k.jpg")));
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), 1, 20000);
    QVERIFY(window.setup().currentFile.isEmpty() && list->selectedItems().isEmpty());
    QCOMPARE(window.setup().slot(1).picturePath, path("watched/inner/k.jpg"));

    QVERIFY(QDir(path("watched")).removeRecursively());
    QTRY_COMPARE_WITH_TIMEOUT(folders->directory(), m_dir.path(), 20000);
    QCOMPARE(list->directory(), m_dir.path());

    // Outside the start folder, where nothing else changes and re-reads the list.
    QTemporaryDir outside;
    emit folders->openRequested(outside.path());
    QVERIFY(writeFile(outside.filePath("late.jpg"), QByteArray()));
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), 1, 20000);
    QVERIFY(m_fakes->dialogs.log.isEmpty());
    checkInvariants();
}

// F5 reads the folder again, where no change is reported, but not while a generation runs.

void TestPictureBrowser::rereadKey()
{
    MainWindow& window = *m_window;
    auto* list = child<FileListBox>(window, "fileList");
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    choose("a.jpg");
    const int listed = list->count();
    QVERIFY(writeFile(path("f5.jpg"), QByteArray()));
    {
        const InputGate generationRuns(&window);
        QTest::keyClick(&window, Qt::Key_F5);
        QCOMPARE(list->count(), listed);
    }
    QTest::keyClick(&window, Qt::Key_F5);
    QCOMPARE(list->count(), listed + 1);
    QCOMPARE(window.setup().currentFile, path("a.jpg"));
    QCOMPARE(list->selectedItems().value(0)->text(), QStringLiteral("a.jpg"));
    QVERIFY(m_fakes->dialogs.log.isEmpty() && QFile::remove(path("f5.jpg")));
}

// The installed program started from the menu, in the home folder, opens the pictures folder.

void TestPictureBrowser::startFolder()
{
    const QString home = m_dir.path(), pictures = path("sub");
    QCOMPARE(PictureBrowser::startFolder(true, home + "/", home, pictures), pictures);
    QCOMPARE(PictureBrowser::startFolder(true, home, home, path("gone")), home);
    QCOMPARE(PictureBrowser::startFolder(true, pictures, home, home), pictures);
    QCOMPARE(PictureBrowser::startFolder(false, home, home, pictures), home);
}

QTEST_MAIN(TestPictureBrowser)
#include "tst_picturebrowser.moc"
