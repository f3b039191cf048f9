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

private slots:
    void init()
    {
        m_listener = new GuardedListener(8192, ConnectionDeadlines{}, this);
        QVERIFY(m_listener->listen(QHostAddress::LocalHost));
        new HttpEndpoint(
            m_listener,
            [this](HttpExchange& exchange) {
                const QByteArray path = exchange.request().url().path().toUtf8();
                if (path == "/later")
                    m_pending.push_back(exchange.defer());
                else
                    exchange.reply({200, path, {{"Content-Type", "text/plain"}}});
            },
            m_listener->parent());
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
