// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

// How long a connection may take over each step, in ms.
struct ConnectionDeadlines {
    // From the last whole request to the next one's first byte.
    int idle = 5000;
    // From a request's first byte to the request read whole.
    int request = 10000;
    // With replies unsent, without a byte written.
    int send = 30000;
};

// The listening socket of the classroom server, with what the HTTP library lacks, in the manner
// of nginx: a request (headers and body) is refused once it would grow past maxRequest bytes,
// before it is read whole; each connection has deadlines (see ConnectionDeadlines), and a
// connection still sending is never cut because its queue is long, only when nothing moves; and
// the connections never use up the process's descriptors: at the cap, the one idle longest makes
// room for the new one, so that a flood of idle connections cannot keep a pupil out. It only ever
// aborts a socket: the HTTP library owns and deletes them.
class GuardedListener : public QTcpServer
{
    Q_OBJECT

public:
    static constexpr int Backlog = 1024;
    // A connection whose replies wait unsent beyond this reads no further request until they
    // drain, so that a client that never reads holds no more than about this much.
    static constexpr qint64 MaxUnsent = 64 * 1024;

    GuardedListener(qint64 maxRequest, const ConnectionDeadlines& deadlines,
                    QObject* parent = nullptr);
    // Starts the sweep; call in the thread the listener works in.
    void startSweeping();
    int connectionCount() const { return int(m_connections.size()); }
    // The response a request that grew too big gets before its connection is closed.
    void setRefusal(const QByteArray& response) { m_refusal = response; }

    // For the HTTP library's side: the connection a request came on, by its peer.
    QTcpSocket* socketFor(const QHostAddress& peer, quint16 port) const;
    // A request was read whole: its deadline ends and the idle time starts anew.
    void requestTaken(QTcpSocket* socket);
    // Whether the connection's last request asked for the connection to close after its reply,
    // judged by its version (HTTP/1.0 without keep-alive) and its Connection header.
    bool closesAfterReply(QTcpSocket* socket, const QByteArray& connectionHeader) const;
    // A held connection is neither idle nor read: its reply is pending or draining.
    void setHeld(QTcpSocket* socket, bool held);
    // drained() follows once the socket has at most threshold bytes unsent, or has closed.
    void watchDrain(QTcpSocket* socket, qint64 threshold);
    // GET and HEAD of exactly this target are answered with wire (HEAD: with its first headSize
    // bytes) before the HTTP library reads them, as long as the request is plain: a whole head,
    // no body, kept alive, nothing the library would treat otherwise. wire must be what the
    // library sends for it; everything else the library reads as before.
    void addPrepared(const QByteArray& target, const QByteArray& wire, qsizetype headSize);

signals:
    void drained(QTcpSocket* socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Connection {
        qint64 lastRequest = 0;
        qint64 requestStart = 0;
        qint64 lastWrite = 0;
        qint64 unsent = 0;
        qint64 pending = 0;
        bool sized = false;
        bool http10 = false;
        bool held = false;
        // The library has begun reading a request: what is available is its.
        bool libraryReading = false;
        qint64 drainThreshold = -1;
        quint16 port = 0;
        QHostAddress peer;
    };
    struct Prepared {
        QByteArray get;
        QByteArray head;
    };
    void readyRead(QTcpSocket* socket);
    void answerPrepared(QTcpSocket* socket, Connection& connection);
    bool measureNewRequest(QTcpSocket* socket, Connection& connection);
    void refuse(QTcpSocket* socket);
    void sweep();
    void checkDrains();
    void closeLongestIdle();
    void forget(QTcpSocket* socket);

    qint64 m_maxRequest;
    ConnectionDeadlines m_deadlines;
    int m_cap;
    QByteArray m_refusal;
    QHash<QTcpSocket*, Connection> m_connections;
    QHash<std::pair<QHostAddress, quint16>, QTcpSocket*> m_byPeer;
    QHash<QByteArray, Prepared> m_prepared;
    // What a connection has read, looked at without taking it.
    QByteArray m_seen;
    QTimer m_sweep;
    QTimer m_drainCheck;
};
