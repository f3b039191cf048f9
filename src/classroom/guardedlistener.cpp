// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/guardedlistener.h"

#include <QDateTime>
#include <QTcpSocket>

#include <algorithm>
#include <cstring>
#include <optional>
#include <sys/resource.h>
#include <sys/socket.h>

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

bool isTokenChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c && std::strchr("!#$%&'*+-.^_`|~", c));
}

bool isHostChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c && std::strchr(".-:[]", c));
}

bool namedAs(QByteArrayView name, QByteArrayView field)
{
    return name.compare(field, Qt::CaseInsensitive) == 0;
}

// A request the listener may answer ahead of the library: its target and the size of its head.
struct PlainRequest {
    QByteArrayView target;
    qsizetype size = 0;
    bool head = false;
};

// The whole GET or HEAD head at the front of data, when nothing in it is unusual: CRLF lines, a
// plain target and Host, no body, no upgrade, a connection kept alive. For anything else, or a
// head not whole yet, nothing: the library reads it, so that what it allows still works and
// what it refuses is still refused.
std::optional<PlainRequest> plainRequest(QByteArrayView data)
{
    constexpr int MaxFields = 32;
    qsizetype end = data.indexOf("\r\n");
    if (end < 0)
        return std::nullopt;
    QByteArrayView line = data.first(end);
    PlainRequest out;
    out.head = line.startsWith("HEAD ");
    if (!out.head && !line.startsWith("GET "))
        return std::nullopt;
    const bool http10 = line.endsWith(" HTTP/1.0");
    if (!http10 && !line.endsWith(" HTTP/1.1"))
        return std::nullopt;
    line = line.sliced(out.head ? 5 : 4);
    if (!line.startsWith('/') || line.size() < 10)
        return std::nullopt;
    out.target = line.chopped(9);
    for (const char c : out.target)
        if (c <= ' ' || c >= 127)
            return std::nullopt;
    bool keptAlive = !http10;
    for (int fields = 0;; ++fields) {
        const qsizetype start = end + 2;
        end = data.indexOf("\r\n", start);
        if (end < 0 || fields > MaxFields)
            return std::nullopt;
        if (end == start)
            break;
        const QByteArrayView field = data.sliced(start, end - start);
        const qsizetype colon = field.indexOf(':');
        if (colon <= 0)
            return std::nullopt;
        const QByteArrayView name = field.first(colon);
        const QByteArrayView value = field.sliced(colon + 1).trimmed();
        for (const char c : name)
            if (!isTokenChar(c))
                return std::nullopt;
        for (const char c : value)
            if ((c < ' ' && c != '\t') || c == 127)
                return std::nullopt;
        if (namedAs(name, "content-length") || namedAs(name, "transfer-encoding") ||
            namedAs(name, "upgrade"))
            return std::nullopt;
        if (namedAs(name, "host") && !std::all_of(value.begin(), value.end(), isHostChar))
            return std::nullopt;
        if (namedAs(name, "connection")) {
            const QByteArray options = value.toByteArray().toLower();
            if (options.contains("close") || options.contains("upgrade"))
                return std::nullopt;
            keptAlive = keptAlive || options.contains("keep-alive");
        }
    }
    if (!keptAlive)
        return std::nullopt;
    out.size = end + 2;
    return out;
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
        it->libraryReading = false;
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

void GuardedListener::addPrepared(const QByteArray& target, const QByteArray& wire,
                                  qsizetype headSize)
{
    m_prepared.insert(target, {wire, wire.first(headSize)});
}

void GuardedListener::readyRead(QTcpSocket* socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    if (!it->libraryReading) {
        // The library opens a transaction even on nothing to read; nothing of it was read.
        if (socket->isTransactionStarted())
            socket->commitTransaction();
        if (!it->held && !m_prepared.isEmpty())
            answerPrepared(socket, *it);
        if (socket->state() != QAbstractSocket::ConnectedState)
            return;
        // What is left, the library reads next, after this.
        it->libraryReading = !it->held && socket->bytesAvailable() > 0;
    }
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

// Answers the plain requests for prepared replies at the front of what was read, in their order,
// up to the first other one, which the library reads. Each answer leaves at most MaxUnsent
// unsent; the library answers the request that would go beyond and holds the connection.
void GuardedListener::answerPrepared(QTcpSocket* socket, Connection& connection)
{
    for (;;) {
        const qint64 available = std::min(socket->bytesAvailable(), m_maxRequest);
        if (available <= 0)
            return;
        m_seen.resize(available);
        if (socket->peek(m_seen.data(), available) != available)
            return;
        const std::optional<PlainRequest> request = plainRequest(m_seen);
        if (!request)
            return;
        const auto it = m_prepared.constFind(
            QByteArray::fromRawData(request->target.data(), request->target.size()));
        if (it == m_prepared.cend())
            return;
        const QByteArray& reply = request->head ? it->head : it->get;
        if (socket->bytesToWrite() + reply.size() > MaxUnsent)
            return;
        socket->skip(request->size);
        connection.lastRequest = now();
        connection.requestStart = 0;
        connection.pending = 0;
        connection.sized = false;
        // Nothing queued: straight to the descriptor, sparing the socket's buffer and signals.
        qint64 sent = 0;
        if (socket->bytesToWrite() == 0) {
            sent = std::max<qint64>(0, ::send(int(socket->socketDescriptor()), reply.constData(),
                                              size_t(reply.size()), MSG_NOSIGNAL | MSG_DONTWAIT));
            if (sent > 0)
                connection.lastWrite = now();
        }
        if (sent < reply.size()) {
            // The rest, or all of it after an error, which the socket then meets itself.
            socket->write(sent ? reply.sliced(sent) : reply);
            socket->flush();
            if (socket->state() != QAbstractSocket::ConnectedState)
                return;
        }
    }
}

// Judges the next request from what has come of it; false when it was refused. Requests queued
// behind it (pipelined) are judged each in turn, once the library has read this one.
bool GuardedListener::measureNewRequest(QTcpSocket* socket, Connection& connection)
{
    const QByteArray seen = socket->peek(std::min(socket->bytesAvailable(), m_maxRequest + 1));
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
