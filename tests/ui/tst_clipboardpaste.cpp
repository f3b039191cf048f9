// SPDX-License-Identifier: GPL-3.0-or-later
// Runs on a real X server (x11-test.sh): the offscreen platform has no clipboard of other programs.
#include "findchild.h"
#include "ui/slotpanel.h"

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QtTest>

class TestClipboardPaste : public QObject
{
    Q_OBJECT
private slots:
    void vanishingOwner_data();
    void vanishingOwner();
};

void TestClipboardPaste::vanishingOwner_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("key"); // Ctrl+V, or a middle click, which pastes the selection
    QTest::newRow("answer, Ctrl+V") << "answerEdit" << true;
    QTest::newRow("answer, middle click") << "answerEdit" << false;
    QTest::newRow("question, Ctrl+V") << "questionEdit" << true;
}

// Another program takes the clipboard and quits before or after the paste; the field then
// holds that program's text or stays empty, and the process lives on.
void TestClipboardPaste::vanishingOwner()
{
    QFETCH(QString, field);
    QFETCH(bool, key);
    SlotPanel panel;
    panel.show();
    QWidget* edit = child<QWidget>(panel, field);
    const char* textProperty = edit->inherits("QPlainTextEdit") ? "plainText" : "text";
    const auto mode = key ? QClipboard::Clipboard : QClipboard::Selection;
    int pasted = 0;
    // The crash came by about the 26th paste; 40 keep a margin.
    for (int round = 0; round < 40; ++round) {
        edit->setProperty(textProperty, QString());
        const QString text = QStringLiteral("Ответ %1").arg(round);
        QProcess owner;
        owner.start("xclip", {"-selection", key ? "clipboard" : "primary", "-quiet"});
        QVERIFY2(owner.waitForStarted(10000), "xclip is not installed");
        owner.write(text.toUtf8());
        owner.closeWriteChannel();
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(mode), text, 10000);
        // An owner killed just as Qt asks it leaves the paste waiting out Qt's own five seconds;
        // half the rounds paste from an owner already gone, which is what crashed.
        if (round % 2 == 0) {
            owner.kill();
            owner.waitForFinished(10000);
        }
        if (key)
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        else
            QTest::mouseClick(static_cast<QAbstractScrollArea*>(edit)->viewport(),
                              Qt::MiddleButton);
        owner.kill();
        owner.waitForFinished(10000);
        const QString after = edit->property(textProperty).toString();
        QVERIFY2(after == text || after.isEmpty(), qPrintable(after));
        pasted += after == text;
    }
    QVERIFY(pasted > 0);
}

QTEST_MAIN(TestClipboardPaste)
#include "tst_clipboardpaste.moc"
