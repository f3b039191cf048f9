// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/programplaces.h"
#include "core/quizsetup.h"
#include "findchild.h"
#include "ui/generationinfodialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestInfoWindow : public QObject
{
    Q_OBJECT
private slots:
    void fixedTexts();
    void placeShown_data();
    void placeShown();
    void closingLetsTheCallerGoOn_data();
    void closingLetsTheCallerGoOn();
};

void TestInfoWindow::fixedTexts()
{
    GenerationInfoDialog info(ProgramPlaces::inOneFolder(QStringLiteral("/opt/q/")));
    QCOMPARE(info.windowTitle(), QStringLiteral("  Для сведения"));
    QCOMPARE(child<QLabel>(info, "headingLabel")->text(),
             QStringLiteral("Будет  произведена генерация WEB-страницы  -  викторины..."));
    QCOMPARE(child<QLabel>(info, "upperRule")->text(), QString(143, QLatin1Char('*')));
    QCOMPARE(child<QLabel>(info, "lowerRule")->text(), QString(139, QLatin1Char('*')));
    QCOMPARE(child<QLabel>(info, "attentionLabel")->text(), QStringLiteral("В Н И М А Н И Е !"));
    QCOMPARE(child<QLabel>(info, "folderIntroLabel")->text(),
             QStringLiteral("Викторина будет находитья в папке с названием :"));
    QCOMPARE(child<QLabel>(info, "folderNameLabel")->text(), QStringLiteral("Название викторины"));
    QCOMPARE(child<QLabel>(info, "locationLabel")->text(),
             QStringLiteral("Там, где расположена программа QUIRVEL"));
    QCOMPARE(child<QLabel>(info, "laterViewingLabel")->text(),
             QStringLiteral("Вдальнейшем, для просмотра викторины нужно выбирать файл "
                            "start.htm"));
    QCOMPARE(child<QLabel>(info, "startPromptLabel")->text(),
             QStringLiteral("Для начала генерации нажми кнопку  ->"));
    QCOMPARE(child<QPushButton>(info, "createButton")->text(), QStringLiteral("Создать викторину"));
    QCOMPARE(child<QLabel>(info, "correctionsLabel")->text(),
             QStringLiteral("После просмотра можно вернуться и внести коррективы в заготовку"));
    QCOMPARE(child<QPushButton>(info, "createButton")->geometry(), QRect(376, 280, 201, 33));
    QCOMPARE(child<QLabel>(info, "attentionLabel")->palette().color(QPalette::WindowText),
             QColor(Qt::red));
    QVERIFY(child<QLabel>(info, "attentionLabel")->font().bold());
    QCOMPARE(child<QLabel>(info, "headingLabel")->font().pixelSize(), 19);
    QVERIFY(child<QLabel>(info, "headingLabel")->font().italic());
}

void TestInfoWindow::placeShown_data()
{
    const QString beside = QStringLiteral("Там, где расположена программа QUIRVEL");
    QTest::addColumn<QString>("quizzes");
    QTest::addColumn<bool>("inDocuments");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("shown");
    QTest::newRow("beside the program")
        << "/opt/quirvel/bin/" << false << beside << "/opt/quirvel/bin/";
    QTest::newRow("no closing separator")
        << "/opt/quirvel/bin" << false << beside << "/opt/quirvel/bin/";
    QTest::newRow("documents") << "/home/u/Документы/QUIRVEL/" << true
                               << "В папке QUIRVEL среди ваших документов"
                               << "/home/u/Документы/QUIRVEL/";
}

// The folder shown is where quizzes go, never where the supplied files are; the sentence above
// it keeps its place and look, and its fixed box holds the whole text.
void TestInfoWindow::placeShown()
{
    QFETCH(QString, quizzes);
    QFETCH(bool, inDocuments);
    QFETCH(QString, location);
    QFETCH(QString, shown);
    GenerationInfoDialog info(
        ProgramPlaces{QStringLiteral("/usr/share/quirvel/"), quizzes, inDocuments, {}});
    const QLabel* label = child<QLabel>(info, "locationLabel");
    QCOMPARE(label->text(), location);
    QCOMPARE(label->geometry(), QRect(24, 152, 337, 25));
    QCOMPARE(label->font().pixelSize(), 13);
    QVERIFY(label->font().bold());
    QCOMPARE(label->palette().color(QPalette::WindowText),
             info.palette().color(QPalette::WindowText));
    QVERIFY(label->fontMetrics().horizontalAdvance(location) <= label->width());
    QCOMPARE(child<QLabel>(info, "programFolderLabel")->text(), shown);
    QCOMPARE(child<QLabel>(info, "programFolderLabel")->geometry().topLeft(), QPoint(24, 192));
}

void TestInfoWindow::closingLetsTheCallerGoOn_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("button") << true;
    QTest::newRow("close box") << false;
}

// Fires only when closing failed, so the modal loop cannot hang the test; never a time budget.
constexpr int ModalLoopGuardMs = 30000;

// Each showing is closed from inside the modal loop; exec() must return and the folder name label
// follow the folder name as it is at that showing.
void TestInfoWindow::closingLetsTheCallerGoOn()
{
    QFETCH(bool, byButton);
    QuizSetup setup;
    GenerationInfoDialog info(ProgramPlaces::inOneFolder(QStringLiteral("/p/")));
    info.setSetup(&setup);
    for (const QString& name : {QStringLiteral("Первая"), QStringLiteral("Вторая")}) {
        setup.folderName = name;
        QString shown;
        bool stuck = false;
        QTimer::singleShot(0, &info, [&] {
            shown = child<QLabel>(info, "folderNameLabel")->text();
            if (byButton)
                QTest::mouseClick(child<QPushButton>(info, "createButton"), Qt::LeftButton);
            else
                info.close();
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, &info, [&] {
            stuck = true;
            info.done(0);
        });
        watchdog.start(ModalLoopGuardMs);
        info.exec();
        QVERIFY(!stuck);
        QVERIFY(!info.isVisible());
        QCOMPARE(shown, name);
    }
}

QTEST_MAIN(TestInfoWindow)
#include "tst_infowindow.moc"
