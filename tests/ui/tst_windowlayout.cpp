// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes.h"
#include "findchild.h"
#include "ui/mainwindow.h"

#include <QtTest>

// Where every widget of the main window sits and the order Tab visits them in, whatever part of
// the window holds them.
class TestWindowLayout : public QObject
{
    Q_OBJECT
    FakeServices m_fakes;
    MainWindow m_window{m_fakes.services, QDir::currentPath()};

private slots:
    void initTestCase() { m_window.show(); }
    void geometry_data()
    {
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<bool>("sizedToText"); // such a label keeps only its top-left corner
        const auto row = [](const QString& name, const QRect& r, bool sized = false) {
            QTest::newRow(qPrintable(name)) << r << sized;
        };
        // clang-format off
        row("programNameLabel", {24, 16, 186, 37}, true);  row("statusLabel", {240, 16, 232, 32});
        row("progressBar", {240, 48, 233, 16});  row("generateButton", {488, 16, 201, 49});
        row("newButton", {712, 24, 43, 33});  row("infoButton", {768, 24, 41, 33});
        row("headerRule", {24, 72, 785, 1});  row("browserRule", {232, 72, 1, 577});
        row("fileList", {24, 88, 193, 273});  row("driveCombo", {24, 384, 193, 19});
        row("folderList", {24, 424, 193, 169});  row("instructionsButton", {24, 616, 97, 25});
        row("exitButton", {144, 616, 75, 25});  row("titleEdit", {248, 88, 393, 24});
        row("titleCaption", {648, 88, 154, 16}, true);  row("slotFrame1", {248, 408, 569, 1});
        row("slotFrame2", {248, 648, 569, 1});  row("slotFrame3", {248, 408, 1, 241});
        row("slotFrame4", {816, 408, 1, 241});  row("slotAreaCaption", {352, 408, 319, 20}, true);
        row("slotNumberLabel", {264, 416, 41, 33});  row("questionEdit", {312, 432, 201, 24});
        row("oneForAllCheck", {528, 432, 97, 17});  row("textsCaption", {528, 448, 286, 16}, true);
        row("preview", {264, 464, 249, 169});  row("answerEdit", {536, 472, 265, 153});
        // clang-format on
        for (int i = 0; i < 6; ++i) {
            const int top = 120 + 96 * (i / 2);
            row(numbered("slotButton", i + 1), {248 + 160 * (i % 2), top, 25, 25});
            row(numbered("thumbnail", i + 1), {272 + 160 * (i % 2), top, 113, 81});
            row(numbered("answerCopy", i + 1), {576 + 128 * (i % 2), top + 24, 97, 57});
        }
    }
    void geometry()
    {
        QFETCH(QRect, expected);
        QFETCH(bool, sizedToText);
        const QWidget* widget = child<QWidget>(m_window, QTest::currentDataTag());
        const QRect placed(widget->mapTo(&m_window, QPoint(0, 0)), widget->size());
        QCOMPARE(placed, sizedToText ? QRect(expected.topLeft(), placed.size()) : expected);
        // Nothing the widget sits in cuts it off.
        for (const QWidget* p = widget->parentWidget(); p != &m_window; p = p->parentWidget())
            QVERIFY(QRect(p->mapTo(&m_window, QPoint(0, 0)), p->size()).contains(placed));
    }
    void focusOrder()
    {
        QStringList expected{"generateButton", "infoButton",  "folderList", "fileList",
                             "driveCombo",     "answerCopy1", "titleEdit"};
        for (int k = 2; k <= 6; ++k)
            expected << numbered("answerCopy", k);
        expected << "answerEdit";
        for (int k = 1; k <= 6; ++k)
            expected << numbered("slotButton", k);
        expected << "instructionsButton"
                 << "exitButton"
                 << "questionEdit"
                 << "newButton"
                 << "oneForAllCheck";
        QStringList visited;
        QWidget* const first = child<QWidget>(m_window, "generateButton");
        QWidget* w = first;
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                visited << w->objectName();
        } while ((w = w->nextInFocusChain()) != first);
        QCOMPARE(visited, expected);
    }
};

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
