// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizfolder.h"
#include "core/startpage.h"
#include "fakes.h"
#include "testfiles.h"
#include "testjpeg.h"
#include "ui/classroomwindow.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class TestClassroomWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_quiz = m_dir.filePath("quiz");
    ScriptedDialogs m_dialogs;
    Classroom::Options m_local{QHostAddress(QHostAddress::LocalHost), 0, {}};

private slots:
    void initTestCase()
    {
        QuizSetup setup;
        setup.title = "Класс";
        for (int k = 1; k <= 6; ++k)
            setup.slot(k) = {{}, true, "Кто?", "Он", "jpg"};
        QVERIFY(QDir().mkpath(m_quiz));
        writeStartPage(setup, AnswerOrder{{3, 1, 2, 6, 4, 5}, "3, 1, 2, 6, 4, 5"}, m_quiz);
        for (int k = 1; k <= 6; ++k)
            QVERIFY(writeFile(m_quiz + QString("/%1.jpg").arg(k),
                              encodeJpeg(QImage(64, 48, QImage::Format_RGB32))));
    }
    // Results posted as a pupil's page posts them fill the table; closing asks while they are
    // unsaved, and the saved spreadsheet keeps a formula-like name as text.
    void tableShowsResults()
    {
        ClassroomWindow window(m_dialogs);
        QVERIFY(window.start(m_quiz, QUIRVEL_DECOR_DIR, m_local));
        QNetworkAccessManager network;
        for (const char* pupil : {R"("id":"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa","name":"Юля")",
                                  R"("id":"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb","name":"=Петя")"}) {
            QNetworkRequest request(window.selectedUrl() + "result");
            request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
            network.post(request, QByteArray("{") + pupil +
                                      R"(,"right":0,"answers":["3","1","2","1","1","1"]})");
        }
        auto* table = window.findChild<QTableWidget*>("results");
        QTRY_COMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 0)->text() + table->item(0, 1)->text(), "=Петя3 из 6");
        QCOMPARE(table->item(1, 2)->text(), "1");
        QVERIFY(!window.close());
        m_dialogs.saveAnswers << m_dir.filePath("class.csv");
        window.findChild<QPushButton*>("saveResults")->click();
        QFile csv(m_dir.filePath("class.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly) && csv.readAll().contains("\n'=Петя;3;1;"));
        QVERIFY(window.close());
        QVERIFY(!window.isRunning());
    }
    // The QR code on the screen reads back as the address shown beside it.
    void qrCodeDecodes()
    {
        ClassroomWindow window(m_dialogs);
        QVERIFY(window.start(m_quiz, QUIRVEL_DECOR_DIR, m_local));
        const QString shot = m_dir.filePath("window.png");
        QVERIFY(window.grab().save(shot));
        QProcess zbar;
        zbar.start("zbarimg", {"--raw", "-q", shot});
        QVERIFY(zbar.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(), window.selectedUrl());
    }
};

QTEST_MAIN(TestClassroomWindow)
#include "tst_classroomwindow.moc"
