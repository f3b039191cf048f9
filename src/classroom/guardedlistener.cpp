// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/guardedlistener.h"

#include <QDateTime>
#include <QTcpSocket>

#include <algorithm>
#include <sys/resource.h>

namespace
{

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// Descriptors left for everything else the process opens: files, the display, the results file.
constexpr rlim_t ReservedDescriptors = 100;

int connectionCap()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 4096;
    return int(
        std::clamp<rlim_t>(limit.rlim_cur, ReservedDescriptors + 16, 4096 + ReservedDescriptors) -
        ReservedDescriptors);
}

// The declared body length of a request head; -1 for a body whose length is not declared.
qint64 declaredBody(QByteArrayView head)
{
    qint64 length = 0;
    for (QByteArrayView line : QByteArray::fromRawData(head.data(), head.size()).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.first(colon).trimmed().toByteArray().toLower();
        const QByteArray value = line.sliced(colon + 1).trimmed().toByteArray();
        if (name == "transfer-encoding")
            return -1;
        if (name == "content-length") {
            bool ok = false;
            length = value.toLongLong(&ok);
            if (!ok || length < 0)
                return -1;
        }
    }
    return length;
}

} // namespace

GuardedListener::GuardedListener(qint64 maxRequest, const ConnectionDeadlines& deadlines,
                                 QObject* parent)
    : QTcpServer(parent), m_maxRequest(maxRequest), m_deadlines(deadlines), m_cap(connectionCap()),
      m_sweep(this), m_drainCheck(this)
{
    // nginx's backlog: a class connecting at once is not left waiting for SYN retries.
    setListenBacklogSize(Backlog);
    m_sweep.setInterval(std::clamp(std::min(m_deadlines.idle, m_deadlines.request) / 4, 50, 1000));
    connect(&m_sweep, &QTimer::timeout, this, &GuardedListener::sweep);
    m_drainCheck.setInterval(20);
    connect(&m_drainCheck, &QTimer::timeout, this, &GuardedListener::checkDrains);
    // Out of descriptors after all (the process opened others): make room and go on accepting,
    // where the server would otherwise stop for good.
    connect(this, &QTcpServer::acceptError, this, [this] {
        closeLongestIdle();
        resumeAccepting();
    });
}

void GuardedListener::startSweeping()
{
    m_sweep.start();
}

void GuardedListener::incomingConnection(qintptr descriptor)
{
    while (m_connections.size() >= m_cap)
        closeLongestIdle();
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    // A reply's head and body leave as two writes; Nagle would hold the body back for the
    // client's delayed acknowledgement of the head, some 40 ms a reply (nginx's tcp_nodelay).
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // A request in progress is held whole by the HTTP library; this bounds what it can hold.
    socket->setReadBufferSize(m_maxRequest + 4096);
    Connection connection;
    connection.lastRequest = connection.lastWrite = now();
    connection.peer = socket->peerAddress();
    connection.port = socket->peerPort();
    m_byPeer.insert({connection.peer, connection.port}, socket);
    m_connections.insert(socket, connection);
    // Connected before the HTTP library's own handler, so a request is measured before it is read.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readyRead(socket); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
        if (auto it = m_connections.find(socket); it != m_connections.end())
            it->lastWrite = now();
    });
    connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
    addPendingConnection(socket);
    emit newConnection();
}

QTcpSocket* GuardedListener::socketFor(const QHostAddress& peer, quint16 port) const
{
    return m_byPeer.value({peer, port});
}

void GuardedListener::requestTaken(QTcpSocket* socket)
{
    if (auto it = m_connections.find(socket); it != m_connections.end()) {
        it->lastRequest = now();
        it->requestStart = 0;
        it->sized = false;
    }
}

bool GuardedListener::closesAfterReply(QTcpSocket* socket, const QByteArray& connectionHeader) const
{
    const QByteArray header = connectionHeader.toLower();
    if (header.contains("close"))
        return true;
    const auto it = m_connections.constFind(socket);
    return it != m_connections.cend() && it->http10 && !header.contains("keep-alive");
}

void GuardedListener::setHeld(QTcpSocket* socket, bool held)
{
    if (auto it = m_connections.find(socket); it != m_connections.end()) {
        it->held = held;
        // A held socket hears nothing of its writes; progress is judged from the queue instead.
        it->lastWrite = now();
        it->unsent = socket->bytesToWrite();
    }
}

void GuardedListener::watchDrain(QTcpSocket* socket, qint64 threshold)
{
    if (auto it = m_connections.find(socket); it != m_connections.end()) {
        it->drainThreshold = threshold;
        m_drainCheck.start();
    }
}

void GuardedListener::readyRead(QTcpSocket* socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    // Between requests the library has no transaction open and everything available is new.
    if (!socket->isTransactionStarted() && !measureNewRequest(socket, *it))
        return;
    if (it->sized)
        return;
    // Within a request whose size is not known yet, the library has read all that came before,
    // so what is available now is what came since.
    if (socket->isTransactionStarted())
        it->pending += socket->bytesAvailable();
    if (it->pending > m_maxRequest)
        refuse(socket);
}

// Judges the next request from what has come of it; false when it was refused. Requests queued
// behind it (pipelined) are judged each in turn, once the library has read this one.
bool GuardedListener::measureNewRequest(QTcpSocket* socket, Connection& connection)
{
    const QByteArray seen = socket->peek(m_maxRequest + 1);
    if (seen.isEmpty())
        return true;
    if (connection.requestStart == 0)
        connection.requestStart = now();
    const qsizetype lineEnd = seen.indexOf('\n');
    if (lineEnd >= 0)
        connection.http10 = seen.first(lineEnd).trimmed().endsWith("HTTP/1.0");
    const qsizetype headEnd = seen.indexOf("\r\n\r\n");
    connection.pending = seen.size();
    connection.sized = false;
    if (headEnd < 0)
        return true;
    const qint64 body = declaredBody(QByteArrayView(seen).first(headEnd));
    if (body < 0 || headEnd + 4 + body > m_maxRequest) {
        refuse(socket);
        return false;
    }
    connection.sized = true;
    return true;
}

void GuardedListener::refuse(QTcpSocket* socket)
{
    disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    socket->write(m_refusal);
    socket->disconnectFromHost();
}

void GuardedListener::sweep()
{
    const qint64 time = now();
    QList<QTcpSocket*> late;
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        QTcpSocket* socket = it.key();
        const qint64 unsent = socket->bytesToWrite();
        if (unsent < it->unsent)
            it->lastWrite = time;
        it->unsent = unsent;
        const bool sending = unsent > 0;
        const bool tooSlow = sending && time - it->lastWrite > m_deadlines.send;
        const bool requestLate =
            !it->held && it->requestStart != 0 && time - it->requestStart > m_deadlines.request;
        const bool idle = !it->held && !sending && it->requestStart == 0 &&
                          time - it->lastRequest > m_deadlines.idle;
        if (tooSlow || requestLate || idle)
            late << socket;
    }
    for (QTcpSocket* socket : late)
        socket->abort();
}

void GuardedListener::checkDrains()
{
    bool watching = false;
    QList<QTcpSocket*> done;
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it->drainThreshold < 0)
            continue;
        QTcpSocket* socket = it.key();
        if (socket->state() != QAbstractSocket::ConnectedState ||
            socket->bytesToWrite() <= it->drainThreshold) {
            it->drainThreshold = -1;
            done << socket;
        } else {
            watching = true;
        }
    }
    if (!watching)
        m_drainCheck.stop();
    for (QTcpSocket* socket : done)
        emit drained(socket);
}

void GuardedListener::closeLongestIdle()
{
    auto activity = [](const Connection& c) { return std::max(c.lastRequest, c.lastWrite); };
    auto oldest = std::min_element(
        m_connections.begin(), m_connections.end(),
        [&](const Connection& a, const Connection& b) { return activity(a) < activity(b); });
    if (oldest == m_connections.end())
        return;
    QTcpSocket* socket = oldest.key();
    // Forgotten now, so that the loop making room sees the room made.
    forget(socket);
    socket->abort();
}

void GuardedListener::forget(QTcpSocket* socket)
{
    const auto it = m_connections.constFind(socket);
    if (it == m_connections.cend())
        return;
    m_byPeer.remove({it->peer, it->port});
    m_connections.erase(it);
}
