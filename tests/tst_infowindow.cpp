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
    GenerationInfoDialog form(ProgramPlaces::inOneFolder(QStringLiteral("/opt/q/")));
    QCOMPARE(form.windowTitle(), QStringLiteral("  Для сведения"));
    QCOMPARE(child<QLabel>(form, "headingLabel")->text(),
             QStringLiteral("Будет  произведена генерация WEB-страницы  -  викторины..."));
    QCOMPARE(child<QLabel>(form, "upperRule")->text(), QString(143, QLatin1Char('*')));
    QCOMPARE(child<QLabel>(form, "lowerRule")->text(), QString(139, QLatin1Char('*')));
    QCOMPARE(child<QLabel>(form, "attentionLabel")->text(), QStringLiteral("В Н И М А Н И Е !"));
    QCOMPARE(child<QLabel>(form, "folderIntroLabel")->text(),
             QStringLiteral("Викторина будет находитья в папке с названием :"));
    QCOMPARE(child<QLabel>(form, "folderNameLabel")->text(), QStringLiteral("Название викторины"));
    QCOMPARE(child<QLabel>(form, "locationLabel")->text(),
             QStringLiteral("Там, где расположена программа QUIRVEL"));
    QCOMPARE(child<QLabel>(form, "laterViewingLabel")->text(),
             QStringLiteral("Вдальнейшем, для просмотра викторины нужно выбирать файл "
                            "start.htm"));
    QCOMPARE(child<QLabel>(form, "startPromptLabel")->text(),
             QStringLiteral("Для начала генерации нажми кнопку  ->"));
    QCOMPARE(child<QPushButton>(form, "createButton")->text(), QStringLiteral("Создать викторину"));
    QCOMPARE(child<QLabel>(form, "correctionsLabel")->text(),
             QStringLiteral("После просмотра можно вернуться и внести коррективы в заготовку"));
    QCOMPARE(child<QPushButton>(form, "createButton")->geometry(), QRect(376, 280, 201, 33));
    QCOMPARE(child<QLabel>(form, "attentionLabel")->palette().color(QPalette::WindowText),
             QColor(Qt::red));
    QVERIFY(child<QLabel>(form, "attentionLabel")->font().bold());
    QCOMPARE(child<QLabel>(form, "headingLabel")->font().pixelSize(), 19);
    QVERIFY(child<QLabel>(form, "headingLabel")->font().italic());
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
    GenerationInfoDialog form(
        ProgramPlaces{QStringLiteral("/usr/share/quirvel/"), quizzes, inDocuments});
    const QLabel* label = child<QLabel>(form, "locationLabel");
    QCOMPARE(label->text(), location);
    QCOMPARE(label->geometry(), QRect(24, 152, 337, 25));
    QCOMPARE(label->font().pixelSize(), 13);
    QVERIFY(label->font().bold());
    QCOMPARE(label->palette().color(QPalette::WindowText),
             form.palette().color(QPalette::WindowText));
    QVERIFY(label->fontMetrics().horizontalAdvance(location) <= label->width());
    QCOMPARE(child<QLabel>(form, "programFolderLabel")->text(), shown);
    QCOMPARE(child<QLabel>(form, "programFolderLabel")->geometry().topLeft(), QPoint(24, 192));
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
    GenerationInfoDialog form(ProgramPlaces::inOneFolder(QStringLiteral("/p/")));
    form.setSetup(&setup);
    for (const QString& name : {QStringLiteral("Первая"), QStringLiteral("Вторая")}) {
        setup.folderName = name;
        QString shown;
        bool stuck = false;
        QTimer::singleShot(0, &form, [&] {
            shown = child<QLabel>(form, "folderNameLabel")->text();
            if (byButton)
                QTest::mouseClick(child<QPushButton>(form, "createButton"), Qt::LeftButton);
            else
                form.close();
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, &form, [&] {
            stuck = true;
            form.done(0);
        });
        watchdog.start(ModalLoopGuardMs);
        form.exec();
        QVERIFY(!stuck);
        QVERIFY(!form.isVisible());
        QCOMPARE(shown, name);
    }
}

QTEST_MAIN(TestInfoWindow)
#include "tst_infowindow.moc"
