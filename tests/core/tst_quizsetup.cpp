// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quirvelerror.h"
#include "core/quizsetup.h"
#include "fakes.h"

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
    void guardedShowsRussianOnly();
    void applicationTitle_data();
    void applicationTitle();
};

void TestQuizSetup::freshSetup()
{
    QuizSetup setup;
    setup.initialise(QStringLiteral("/opt/quirvel"));
    QCOMPARE(setup.suppliedFolder, QStringLiteral("/opt/quirvel/"));
    QCOMPARE(setup.quizzesFolder, QStringLiteral("/opt/quirvel/"));
    QCOMPARE(setup.quizFolder(), QStringLiteral("/opt/quirvel//"));
    setup.initialise(ProgramPlaces{"/usr/share/quirvel", "/home/u/Documents/QUIRVEL/", true, {}});
    QCOMPARE(setup.suppliedFolder, QStringLiteral("/usr/share/quirvel/"));
    QCOMPARE(setup.quizFolder(), QStringLiteral("/home/u/Documents/QUIRVEL//"));
    QVERIFY(setup.firstGeneration);
    QCOMPARE(setup.currentSlot, 1);
    for (int k = 1; k <= 6; ++k) {
        QVERIFY(!setup.slot(k).chosen);
        QVERIFY(setup.slot(k).picturePath.isEmpty());
        QCOMPARE(setup.slot(k).extension, QStringLiteral("jpg"));
    }
}

void TestQuizSetup::completeOnlyWithSixPictures()
{
    QuizSetup setup;
    QVERIFY(!setup.isComplete());
    for (int k = 1; k <= 5; ++k) {
        setup.selectSlot(k);
        setup.setPicture(QStringLiteral("/p/%1.jpg").arg(k));
        QVERIFY(setup.slot(k).chosen);
        QVERIFY(!setup.isComplete());
    }
    setup.selectSlot(6);
    setup.setPicture(QStringLiteral("/p/6.jpg"));
    QVERIFY(setup.isComplete());
}

void TestQuizSetup::questionForOneOrAll()
{
    QuizSetup setup;
    setup.selectSlot(2);
    setup.setQuestion(QStringLiteral("Кто это?"), false);
    setup.setAnswer(QStringLiteral("Кот\r\nрыжий"));
    QCOMPARE(setup.slot(2).question, QStringLiteral("Кто это?"));
    QCOMPARE(setup.slot(2).answer, QStringLiteral("Кот\r\nрыжий"));
    QVERIFY(setup.slot(1).question.isEmpty());

    setup.selectSlot(4);
    setup.setQuestion(QStringLiteral("Что это?"), true);
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(setup.slot(k).question, QStringLiteral("Что это?"));
    QCOMPARE(setup.slot(2).answer, QStringLiteral("Кот\r\nрыжий"));
}

void TestQuizSetup::resetKeepsNamesAndExtension()
{
    QuizSetup setup;
    setup.initialise(QStringLiteral("/prog/"));
    setup.title = QStringLiteral("Звери");
    setup.folderName = QStringLiteral("zveri");
    setup.firstGeneration = false;
    setup.currentFile = QStringLiteral("/p/a.jpg");
    for (int k = 1; k <= 6; ++k) {
        setup.selectSlot(k);
        setup.setPicture(QStringLiteral("/p/a.jpg"));
        setup.setQuestion(QStringLiteral("q"), false);
        setup.setAnswer(QStringLiteral("a"));
    }
    setup.reset();
    QVERIFY(setup.firstGeneration);
    QCOMPARE(setup.currentSlot, 1);
    QCOMPARE(setup.folderName, QStringLiteral("zveri"));
    QCOMPARE(setup.title, QStringLiteral("Звери"));
    QCOMPARE(setup.currentFile, QStringLiteral("/p/a.jpg"));
    for (int k = 1; k <= 6; ++k) {
        const QuizSlot& slot = setup.slot(k);
        QVERIFY(!slot.chosen);
        QVERIFY(slot.picturePath.isEmpty() && slot.question.isEmpty() && slot.answer.isEmpty());
        QCOMPARE(slot.extension, QStringLiteral("jpg"));
    }
    QVERIFY(!setup.isComplete());
}

void TestQuizSetup::samePictureForTwoSlots()
{
    QuizSetup setup;
    setup.selectSlot(1);
    setup.setPicture(QStringLiteral("/p/cat.jpg"));
    setup.selectSlot(3);
    setup.setPicture(QStringLiteral("/p/cat.jpg"));
    QCOMPARE(setup.slot(1).picturePath, setup.slot(3).picturePath);
    QCOMPARE(setup.currentSlot, 3);
}

void TestQuizSetup::slotOutOfRangeIsAnError()
{
    QuizSetup setup;
    QVERIFY_THROWS_EXCEPTION(QuirvelError, setup.selectSlot(0));
    QVERIFY_THROWS_EXCEPTION(QuirvelError, setup.selectSlot(7));
    QCOMPARE(setup.currentSlot, 1);
}

void TestQuizSetup::errorBoxText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "JPEG error #42"
                            << "JPEG error #42.";
    QTest::newRow("cyrillic") << "Нет файла"
                              << "Нет файла.";
    QTest::newRow("question") << "Где?"
                              << "Где?.";
    QTest::newRow("full stop") << "Готово."
                               << "Готово.";
    QTest::newRow("bang") << "Стоп!"
                          << "Стоп!";
    QTest::newRow("paren") << "(x)"
                           << "(x)";
    QTest::newRow("comma") << "a,"
                           << "a,";
    QTest::newRow("blank") << "a "
                           << "a ";
    QTest::newRow("slash") << "a/"
                           << "a/.";
    QTest::newRow("empty") << ""
                           << "";
}

void TestQuizSetup::errorBoxText()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(standardErrorText(text), shown);
}

// An exception none of our code worded (a library's, the standard library's) shows no English.
void TestQuizSetup::guardedShowsRussianOnly()
{
    ScriptedDialogs dialogs;
    guarded(dialogs, [] { throw QuirvelError(QStringLiteral("Нет файла")); });
    guarded(dialogs, [] { throw std::length_error("basic_string::_M_create"); });
    QCOMPARE(dialogs.errors(), QStringList({"Нет файла.", "Внутренняя ошибка программы."}));
}

void TestQuizSetup::applicationTitle_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << "/usr/bin/quirvel"
                           << "quirvel";
    QTest::newRow("capitals") << "/x/QUIRVEL"
                              << "Quirvel";
    QTest::newRow("dots") << "/x/Quirvel.Test.bin"
                          << "Quirvel";
    QTest::newRow("dotted folder") << "/a.b/QuIrVeL"
                                   << "Quirvel";
}

void TestQuizSetup::applicationTitle()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(applicationTitleFrom(path), title);
}

QTEST_GUILESS_MAIN(TestQuizSetup)
#include "tst_quizsetup.moc"
