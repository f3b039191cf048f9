#include "core/quirvelerror.h"
#include "core/quizsetup.h"

#include <QtTest>

class TestQuizSetup : public QObject
{
    Q_OBJECT
private slots:
    void freshSetup();
    void completeOnlyWithSixPictures();
    void questionForOneOrAll();
    void resetKeepsNamesAndExtension();
    void samePictureForTwoSlots();
    void slotOutOfRangeIsAnError();
    void errorBoxText_data();
    void errorBoxText();
    void applicationTitle_data();
    void applicationTitle();
};

void TestQuizSetup::freshSetup()
{
    TQuizSetup setup;
    setup.Initialise(QStringLiteral("/opt/quirvel"));
    QCOMPARE(setup.ProgramFolder, QStringLiteral("/opt/quirvel/"));
    QCOMPARE(setup.QuizFolder(), QStringLiteral("/opt/quirvel//"));
    QVERIFY(setup.FirstGeneration);
    QCOMPARE(setup.CurrentSlot, 1);
    for (int k = 1; k <= 6; ++k) {
        QVERIFY(!setup.Slot(k).Chosen);
        QVERIFY(setup.Slot(k).PicturePath.isEmpty());
        QCOMPARE(setup.Slot(k).Extension, QStringLiteral("jpg"));
    }
}

void TestQuizSetup::completeOnlyWithSixPictures()
{
    TQuizSetup setup;
    QVERIFY(!setup.IsComplete());
    for (int k = 1; k <= 5; ++k) {
        setup.SelectSlot(k);
        setup.SetPicture(QStringLiteral("/p/%1.jpg").arg(k));
        QVERIFY(setup.Slot(k).Chosen);
        QVERIFY(!setup.IsComplete());
    }
    setup.SelectSlot(6);
    setup.SetPicture(QStringLiteral("/p/6.jpg"));
    QVERIFY(setup.IsComplete());
}

void TestQuizSetup::questionForOneOrAll()
{
    TQuizSetup setup;
    setup.SelectSlot(2);
    setup.SetQuestion(QStringLiteral("Кто это?"), false);
    setup.SetAnswer(QStringLiteral("Кот\r\nрыжий"));
    QCOMPARE(setup.Slot(2).Question, QStringLiteral("Кто это?"));
    QCOMPARE(setup.Slot(2).Answer, QStringLiteral("Кот\r\nрыжий"));
    QVERIFY(setup.Slot(1).Question.isEmpty());

    setup.SelectSlot(4);
    setup.SetQuestion(QStringLiteral("Что это?"), true);
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(setup.Slot(k).Question, QStringLiteral("Что это?"));
    QCOMPARE(setup.Slot(2).Answer, QStringLiteral("Кот\r\nрыжий"));
}

void TestQuizSetup::resetKeepsNamesAndExtension()
{
    TQuizSetup setup;
    setup.Initialise(QStringLiteral("/prog/"));
    setup.Title = QStringLiteral("Звери");
    setup.FolderName = QStringLiteral("zveri");
    setup.FirstGeneration = false;
    setup.CurrentFile = QStringLiteral("/p/a.jpg");
    for (int k = 1; k <= 6; ++k) {
        setup.SelectSlot(k);
        setup.SetPicture(QStringLiteral("/p/a.jpg"));
        setup.SetQuestion(QStringLiteral("q"), false);
        setup.SetAnswer(QStringLiteral("a"));
    }
    setup.Reset();
    QVERIFY(setup.FirstGeneration);
    QCOMPARE(setup.CurrentSlot, 1);
    QCOMPARE(setup.FolderName, QStringLiteral("zveri"));
    QCOMPARE(setup.Title, QStringLiteral("Звери"));
    QCOMPARE(setup.CurrentFile, QStringLiteral("/p/a.jpg"));
    for (int k = 1; k <= 6; ++k) {
        const TQuizSlot& slot = setup.Slot(k);
        QVERIFY(!slot.Chosen);
        QVERIFY(slot.PicturePath.isEmpty() && slot.Question.isEmpty() && slot.Answer.isEmpty());
        QCOMPARE(slot.Extension, QStringLiteral("jpg"));
    }
    QVERIFY(!setup.IsComplete());
}

void TestQuizSetup::samePictureForTwoSlots()
{
    TQuizSetup setup;
    setup.SelectSlot(1);
    setup.SetPicture(QStringLiteral("/p/cat.jpg"));
    setup.SelectSlot(3);
    setup.SetPicture(QStringLiteral("/p/cat.jpg"));
    QCOMPARE(setup.Slot(1).PicturePath, setup.Slot(3).PicturePath);
    QCOMPARE(setup.CurrentSlot, 3);
}

void TestQuizSetup::slotOutOfRangeIsAnError()
{
    TQuizSetup setup;
    QVERIFY_THROWS_EXCEPTION(QuirvelError, setup.SelectSlot(0));
    QVERIFY_THROWS_EXCEPTION(QuirvelError, setup.SelectSlot(7));
    QCOMPARE(setup.CurrentSlot, 1);
}

void TestQuizSetup::errorBoxText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "JPEG error #42" << "JPEG error #42.";
    QTest::newRow("cyrillic") << "Нет файла" << "Нет файла.";
    QTest::newRow("question") << "Где?" << "Где?.";
    QTest::newRow("full stop") << "Готово." << "Готово.";
    QTest::newRow("bang") << "Стоп!" << "Стоп!";
    QTest::newRow("paren") << "(x)" << "(x)";
    QTest::newRow("comma") << "a," << "a,";
    QTest::newRow("blank") << "a " << "a ";
    QTest::newRow("slash") << "a/" << "a/.";
    QTest::newRow("empty") << "" << "";
}

void TestQuizSetup::errorBoxText()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(StandardErrorText(text), shown);
}

void TestQuizSetup::applicationTitle_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << "/usr/bin/quirvel" << "quirvel";
    QTest::newRow("capitals") << "/x/QUIRVEL" << "Quirvel";
    QTest::newRow("dots") << "/x/Quirvel.Test.bin" << "Quirvel";
    QTest::newRow("dotted folder") << "/a.b/QuIrVeL" << "Quirvel";
}

void TestQuizSetup::applicationTitle()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(ApplicationTitleFrom(path), title);
}

QTEST_GUILESS_MAIN(TestQuizSetup)
#include "tst_quizsetup.moc"
