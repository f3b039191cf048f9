// SPDX-License-Identifier: GPL-3.0-or-later
#include "classquiz.h"
#include "classroom/classroom.h"
#include "classroom/resultsjournal.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSemaphore>
#include <QtTest>

#include <atomic>

class TestClassroomServer : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_quiz = m_dir.filePath("quiz");
    QNetworkAccessManager m_network;
    std::atomic<bool> m_hold = false;
    QSemaphore m_syncing, m_release;
    Classroom* m_class = nullptr;
    QString m_url;
    QByteArray m_token;

    QNetworkReply* send(const QString& what, const QByteArray& body,
                        const QByteArray& type = "application/json", const QByteArray& origin = {},
                        const QString& url = {})
    {
        QNetworkRequest request(QUrl((url.isEmpty() ? m_url : url) + what));
        request.setRawHeader("Content-Type", type);
        if (!origin.isEmpty())
            request.setRawHeader("Origin", origin);
        return body.isNull() ? m_network.get(request) : m_network.post(request, body);
    }
    static int status(QNetworkReply* reply)
    {
        if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 20000))
            return -1;
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }
    static QByteArray result(const QByteArray& token, int seq)
    {
        return "{\"token\":\"" + token +
               "\",\"answers\":[3,1,2,6,4,null],\"seq\":" + QByteArray::number(seq) + "}";
    }
    int lines() const { return int(LessonRecord::read(m_class->journalPath()).results.size()); }

private slots:
    void initTestCase()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("data")));
        QVERIFY(writeClassQuiz(m_quiz));
        m_class = new Classroom(m_quiz, QUIRVEL_DECOR_DIR, this);
        m_class->setBeforeSync([this] {
            if (m_hold) {
                m_syncing.release();
                m_release.acquire();
            }
        });
        m_class->start({QHostAddress(QHostAddress::LocalHost), 0, {}});
        m_url = m_class->url(QHostAddress(QHostAddress::LocalHost));
        QNetworkReply* joined = send("join", R"({"name":"Аня"})");
        QCOMPARE(status(joined), 200);
        m_token = QJsonDocument::fromJson(joined->readAll())
                      .object()
                      .value("token")
                      .toString()
                      .toLatin1();
    }
    // A post is taken only under the lesson's code, as JSON, from the lesson's own page and with
    // a token the server made; what it refuses leaves the results file as it was.
    void postsAreChecked_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("origin");
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<int>("status");
        const QString wrongCode =
            QString(m_url).replace(QRegularExpression("/[a-z2-7]{20}/$"), "/aaaaaaaaaaaaaaaaaaaa/");
        const QByteArray host = "http://" + QUrl(m_url).authority().toLatin1();
        QTest::newRow("wrong code")
            << wrongCode << QByteArray("application/json") << QByteArray() << m_token << 404;
        QTest::newRow("form post")
            << m_url << QByteArray("text/plain") << QByteArray() << m_token << 415;
        QTest::newRow("another site's page") << m_url << QByteArray("application/json")
                                             << QByteArray("http://evil.example") << m_token << 403;
        QTest::newRow("wrong token") << m_url << QByteArray("application/json") << QByteArray()
                                     << QByteArray(32, 'a') << 403;
        QTest::newRow("own page") << m_url << QByteArray("application/json; charset=utf-8") << host
                                  << m_token << 200;
    }
    void postsAreChecked()
    {
        QFETCH(QString, url);
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, origin);
        QFETCH(QByteArray, token);
        const int before = lines();
        static int seq = 0;
        QTEST(status(send("result", result(token, ++seq), type, origin, url)), "status");
        QCOMPARE(lines() - before, QTest::currentDataTag() == QString("own page") ? 1 : 0);
    }
    // A result is answered only once its sync is done, and pages are served while it waits; the
    // same check sent again is answered alike and written once.
    void pagesDoNotWaitForTheDisk()
    {
        const int before = lines();
        m_hold = true;
        QNetworkReply* first = send("result", result(m_token, 100));
        QVERIFY(QTest::qWaitFor([this] { return m_syncing.tryAcquire(); }, 20000));
        QCOMPARE(status(send(QString(), QByteArray())), 200);
        QVERIFY(!first->isFinished());
        m_hold = false;
        m_release.release();
        QCOMPARE(status(first), 200);
        QNetworkReply* again = send("result", result(m_token, 100));
        QCOMPARE(status(again), 200);
        QCOMPARE(again->readAll(), first->readAll());
        QCOMPARE(lines(), before + 1);
    }
    // Started again (a closed window, a restarted program), the lesson keeps its code, number
    // and tokens, and a check recorded before is not recorded again. A regenerated page starts a
    // new lesson, and the old code gets the page every unknown path gets.
    void lessonSurvivesARestart()
    {
        const QString code = m_class->code();
        const QString number = m_class->number();
        QCOMPARE(status(send("result", result(m_token, 300))), 200);
        m_class->stop();
        m_class->start({QHostAddress(QHostAddress::LocalHost), 0, {}});
        QVERIFY(m_class->continued());
        QCOMPARE(m_class->code() + m_class->number(), code + number);
        m_url = m_class->url(QHostAddress(QHostAddress::LocalHost));
        const int before = lines();
        QCOMPARE(status(send("result", result(m_token, 300))), 200);
        QCOMPARE(lines(), before);
        m_class->stop();
        QVERIFY(writeClassQuiz(m_quiz, {{6, 5, 4, 3, 2, 1}, "6, 5, 4, 3, 2, 1"}));
        Classroom regenerated(m_quiz, QUIRVEL_DECOR_DIR);
        regenerated.start({QHostAddress(QHostAddress::LocalHost), 0, {}});
        QVERIFY(!regenerated.continued() && regenerated.code() != code);
        const QString host = QString("http://127.0.0.1:%1/").arg(regenerated.port());
        QNetworkReply* gone = send(QString(), QByteArray(), {}, {}, host + code + "/");
        QNetworkReply* nowhere = send(QString(), QByteArray(), {}, {}, host + "x/y");
        QCOMPARE(status(gone), 404);
        QCOMPARE(status(nowhere), 404);
        const QByteArray page = gone->readAll();
        QVERIFY(QString::fromUtf8(page).contains("Урок закончился или начался заново"));
        QCOMPARE(nowhere->readAll(), page);
    }
};

QTEST_MAIN(TestClassroomServer)
#include "tst_classroomserver.moc"
