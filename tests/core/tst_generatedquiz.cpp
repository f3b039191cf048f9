// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/answerorder.h"
#include "core/generatedquiz.h"
#include "core/quirvelerror.h"
#include "core/quizsetup.h"
#include "core/startpage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// A folder is refused, before anything is asked or changed, unless this program wrote its page.
class TestGeneratedQuiz : public QObject
{
    Q_OBJECT
private slots:
    void refused_data();
    void refused();
};

void TestGeneratedQuiz::refused_data()
{
    QTest::addColumn<QString>("page"); // "-": none; "png": slot 3 named 3.png; else the text
    QTest::addColumn<QString>("error");
    const QString foreign = "Файл «";
    QTest::newRow("no page") << "-"
                             << "нет страницы викторины";
    QTest::newRow("another page") << "<html>Hi</html>\r\n" << foreign;
    QTest::newRow("3.png") << "png" << foreign;
}

void TestGeneratedQuiz::refused()
{
    QFETCH(QString, page);
    QFETCH(QString, error);
    QTemporaryDir quiz;
    QVERIFY(quiz.isValid());
    if (page == "png") {
        QuizSetup setup;
        setup.initialise(quiz.path());
        setup.slot(3).extension = "png";
        writeStartPage(setup, AnswerOrder{}, quiz.path());
    } else if (page != "-") {
        QFile file(quiz.filePath("start.htm"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(page.toUtf8()) == page.size());
    }
    try {
        readGeneratedQuiz(quiz.path());
        QFAIL("the folder was taken");
    } catch (const QuirvelError& e) {
        QVERIFY2(e.text().contains(error), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(TestGeneratedQuiz)
#include "tst_generatedquiz.moc"
