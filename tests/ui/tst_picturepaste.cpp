// SPDX-License-Identifier: GPL-3.0-or-later
// Runs on a real X server (x11-test.sh): a picture or a picture file pasted from another program.
#include "fakes.h"
#include "jpeg/pictureconversion.h"
#include "ui/mainwindow.h"

#include <QClipboard>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestPicturePaste : public QObject
{
    Q_OBJECT
private slots:
    void paste_data();
    void paste();
};

void TestPicturePaste::paste_data()
{
    QTest::addColumn<QString>("target"); // what xclip offers
    QTest::addColumn<QString>("content");
    QTest::newRow("image/png from a browser") << "image/png"
                                              << "";
    QTest::newRow("file copied in a file manager") << "x-special/gnome-copied-files"
                                                   << "copy\n";
    QTest::newRow("file as text/uri-list") << "text/uri-list"
                                           << "";
}

// Ctrl+V (and Shift+Insert) puts the picture into the current slot as a JPEG; an owner that quit
// before the paste leaves the slot as it was with a message, and the process lives on.
void TestPicturePaste::paste()
{
    QFETCH(QString, target);
    QFETCH(QString, content);
    QTemporaryDir dir;
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(200, 120, 40));
    const QString png = dir.filePath("from browser.png");
    QVERIFY(picture.save(png));
    FakeServices fakes;
    MainWindow window(fakes.services, dir.path());
    window.show();
    // The window manager may still be starting.
    QTRY_VERIFY_WITH_TIMEOUT((window.activateWindow(), window.isActiveWindow()), 20000);
    for (int round = 0; round < 4; ++round) {
        const int k = round + 1;
        window.chooseSlot(k);
        QProcess owner;
        owner.start("xclip", {"-selection", "clipboard", "-t", target, "-quiet"});
        QVERIFY2(owner.waitForStarted(10000), "xclip is not installed");
        QFile file(png);
        QVERIFY(file.open(QIODevice::ReadOnly));
        owner.write(content.isEmpty() && target == "image/png"
                        ? file.readAll()
                        : (content + QUrl::fromLocalFile(png).toString() + "\n").toUtf8());
        owner.closeWriteChannel();
        QTRY_VERIFY_WITH_TIMEOUT(
            QGuiApplication::clipboard()->mimeData()->formats().contains(target), 10000);
        const bool gone = round == 3;
        if (gone) {
            owner.kill();
            owner.waitForFinished(10000);
        }
        QTest::keyClick(&window, round % 2 ? Qt::Key_Insert : Qt::Key_V,
                        round % 2 ? Qt::ShiftModifier : Qt::ControlModifier);
        owner.kill();
        owner.waitForFinished(10000);
        const QuizSlot& slot = window.setup().slot(k);
        if (gone && !slot.chosen) {
            QCOMPARE(fakes.dialogs.messages().size(), 1);
            continue;
        }
        QVERIFY2(slot.chosen, qPrintable(fakes.dialogs.log.join('\n')));
        QFile held(slot.picturePath);
        QVERIFY(held.open(QIODevice::ReadOnly));
        QCOMPARE(PictureConversion::kindOf(held.readAll()), PictureConversion::Kind::Jpeg);
    }
}

QTEST_MAIN(TestPicturePaste)
#include "tst_picturepaste.moc"
