#include "app/quizsetup.h"
#include "ui/gen.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestInfoWindow : public QObject
{
    Q_OBJECT
private slots:
    void fixedTexts();
    void programFolderEndsWithSeparator();
    void closingLetsTheCallerGoOn_data();
    void closingLetsTheCallerGoOn();
};

void TestInfoWindow::fixedTexts()
{
    TForm2 form(QStringLiteral("/opt/q/"));
    QCOMPARE(form.windowTitle(), QStringLiteral("  Для сведения"));
    QCOMPARE(form.Label1->text(),
             QStringLiteral("Будет  произведена генерация WEB-страницы  -  викторины..."));
    QCOMPARE(form.Label2->text(), QString(143, QLatin1Char('*')));
    QCOMPARE(form.Label8->text(), QString(139, QLatin1Char('*')));
    QCOMPARE(form.Label5->text(), QStringLiteral("В Н И М А Н И Е !"));
    QCOMPARE(form.Label3->text(),
             QStringLiteral("Викторина будет находитья в папке с названием :"));
    QCOMPARE(form.Label4->text(), QStringLiteral("Название викторины"));
    QCOMPARE(form.Label6->text(), QStringLiteral("Там, где расположена программа QUIRVEL"));
    QCOMPARE(form.Label10->text(),
             QStringLiteral("Вдальнейшем, для просмотра викторины нужно выбирать файл "
                            "start.htm"));
    QCOMPARE(form.Label9->text(), QStringLiteral("Для начала генерации нажми кнопку  ->"));
    QCOMPARE(form.Button1->text(), QStringLiteral("Создать викторину"));
    QCOMPARE(form.Label11->text(),
             QStringLiteral("После просмотра можно вернуться и внести коррективы в заготовку"));
    QCOMPARE(form.Button1->geometry(), QRect(376, 280, 201, 33));
    QCOMPARE(form.Label5->palette().color(QPalette::WindowText), QColor(Qt::red));
    QVERIFY(form.Label5->font().bold());
    QCOMPARE(form.Label1->font().pixelSize(), 19);
    QVERIFY(form.Label1->font().italic());
}

void TestInfoWindow::programFolderEndsWithSeparator()
{
    TForm2 form(QStringLiteral("/opt/quirvel/bin/"));
    QCOMPARE(form.Label7->text(), QStringLiteral("/opt/quirvel/bin/"));
    TForm2 bare(QStringLiteral("/opt/quirvel/bin"));
    QCOMPARE(bare.Label7->text(), QStringLiteral("/opt/quirvel/bin/"));
    QCOMPARE(form.Label7->geometry().topLeft(), QPoint(24, 192));
}

void TestInfoWindow::closingLetsTheCallerGoOn_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("button") << true;
    QTest::newRow("close box") << false;
}

// Each showing is closed from inside the modal loop; exec() must return and Label4 follow the
// folder name as it is at that showing.
// Fires only when closing failed, so the modal loop cannot hang the test; never a time budget.
constexpr int ModalLoopGuardMs = 30000;

void TestInfoWindow::closingLetsTheCallerGoOn()
{
    QFETCH(bool, byButton);
    TQuizSetup setup;
    TForm2 form(QStringLiteral("/p/"));
    form.SetSetup(&setup);
    for (const QString& name : {QStringLiteral("Первая"), QStringLiteral("Вторая")}) {
        setup.FolderName = name;
        QString shown;
        bool stuck = false;
        QTimer::singleShot(0, &form, [&] {
            shown = form.Label4->text();
            if (byButton)
                QTest::mouseClick(form.Button1, Qt::LeftButton);
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
