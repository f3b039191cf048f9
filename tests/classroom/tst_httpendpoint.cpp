// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/guardedlistener.h"
#include "classroom/httpendpoint.h"

#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QTest>

#include <vector>

// The replies of the HTTP library through the endpoint, on whichever Qt this is: "/later" is
// answered through a pending reply, anything else at once with its path as the body.
class TestHttpEndpoint : public QObject
{
    Q_OBJECT

    GuardedListener* m_listener = nullptr;
    std::vector<PendingReply> m_pending;
    int m_handled = 0;

    HttpEndpoint* m_endpoint = nullptr;

    // The replies on one connection to the chunks, each written after a pause.
    QByteArray repliesTo(const QList<QByteArray>& chunks, int replies)
    {
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, m_listener->serverPort());
        for (const QByteArray& chunk : chunks) {
            client.write(chunk);
            QTest::qWait(50);
        }
        QByteArray got;
        [&] { QTRY_COMPARE((got += client.readAll()).count("HTTP/1.1 200"), replies); }();
        return got;
    }

private slots:
    void init()
    {
        m_listener = new GuardedListener(8192, ConnectionDeadlines{}, this);
        QVERIFY(m_listener->listen(QHostAddress::LocalHost));
        m_endpoint = new HttpEndpoint(
            m_listener,
            [this](HttpExchange& exchange) {
                const QByteArray path = exchange.request().url().path().toUtf8();
                ++m_handled;
                if (path == "/later")
                    m_pending.push_back(exchange.defer());
                else
                    exchange.reply({200, path, {{"Content-Type", "text/plain"}}});
            },
            m_listener->parent());
    }

    // Requests the listener answers ahead of the library get the bytes, in the order, that the
    // library alone gives them.
    void answeredAheadAsByTheLibrary_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<int>("replies");
        QTest::addColumn<int>("byLibrary");
        QTest::newRow("GET") << QList<QByteArray>{"GET /file HTTP/1.1\r\nHost: x\r\n\r\n"} << 1
                             << 0;
        QTest::newRow("HEAD") << QList<QByteArray>{"HEAD /file HTTP/1.1\r\n\r\n"} << 1 << 0;
        QTest::newRow("split") << QList<QByteArray>{"GET /fi", "le HTTP/1.1\r\n\r\n",
                                                    "GET /file HTTP/1.1\r\n\r\n"}
                               << 2 << 1;
        QTest::newRow("a body like a request")
            << QList<QByteArray>{"POST /other HTTP/1.1\r\nContent-Length: 22\r\n\r\n",
                                 "GET /file HTTP/1.1\r\n\r\n"}
            << 1 << 1;
        QTest::newRow("pipelined, the library's among them")
            << QList<QByteArray>{"GET /file HTTP/1.1\r\n\r\nGET /other HTTP/1.1\r\n\r\n"
                                 "HEAD /file HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n"
                                 "GET /file HTTP/1.1\r\n\r\nGET /file HTTP/1.0\r\n\r\n"}
            << 5 << 2;
    }
    void answeredAheadAsByTheLibrary()
    {
        QFETCH(const QList<QByteArray>, chunks);
        QFETCH(const int, replies);
        QFETCH(const int, byLibrary);
        const QByteArray expected = repliesTo(chunks, replies);
        m_endpoint->answerAhead("/file", {200, "/file", {{"Content-Type", "text/plain"}}});
        m_handled = 0;
        QCOMPARE(repliesTo(chunks, replies), expected);
        QCOMPARE(m_handled, byLibrary);
    }

    // A pupil who drops while the result's reply waits: the reply finds nobody, touches nothing
    // freed (the sanitized pass runs this), and the next pupil is served.
    void pupilDropsWhileReplyPending()
    {
        auto* dropped = new QTcpSocket;
        dropped->connectToHost(QHostAddress::LocalHost, m_listener->serverPort());
        dropped->write("GET /later HTTP/1.1\r\nHost: x\r\n\r\n");
        QTRY_COMPARE(m_pending.size(), size_t(1));
        delete dropped;
        QTRY_VERIFY(!m_pending[0].isOpen());
        QTest::qWait(50);
        m_pending[0].send({200, "late", {}});
        m_pending.clear();

        // Pipelined behind a pending reply, the next request waits its turn.
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, m_listener->serverPort());
        client.write("GET /later HTTP/1.1\r\nHost: x\r\n\r\nHEAD /now HTTP/1.1\r\nHost: x\r\n\r\n");
        QTRY_COMPARE(m_pending.size(), size_t(1));
        QTest::qWait(50);
        QCOMPARE(client.bytesAvailable(), 0);
        m_pending[0].send({200, "late", {}});
        QByteArray got;
        QTRY_VERIFY((got += client.readAll()).count("HTTP/1.1 200") == 2);
        QVERIFY2(got.indexOf("late") < got.indexOf("HTTP/1.1 200", 10), got);
        // HEAD: the length a GET would get, and no body. (Qt 6.8 writes header names in lower
        // case.)
        got = got.toLower();
        QVERIFY2(got.endsWith("content-length: 4\r\n\r\n"), got);
        QCOMPARE(got.count("content-length"), 2);
    }
};

QTEST_GUILESS_MAIN(TestHttpEndpoint)
#include "tst_httpendpoint.moc"
