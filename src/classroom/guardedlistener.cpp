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

} // namespace

GuardedListener::GuardedListener(qint64 maxRequest, int idleMs, QObject* parent)
    : QTcpServer(parent), m_maxRequest(maxRequest), m_idleMs(idleMs), m_cap(connectionCap()),
      m_sweep(this)
{
    m_sweep.setInterval(std::max(100, idleMs / 4));
    connect(&m_sweep, &QTimer::timeout, this, &GuardedListener::sweep);
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
    // A request in progress is held whole by the HTTP library; this bounds what it can hold.
    socket->setReadBufferSize(m_maxRequest + 4096);
    m_connections.insert(socket, {now(), 0});
    // Connected before the HTTP library's own handler, so a request is measured before it is read.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readyRead(socket); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
        if (auto it = m_connections.find(socket); it != m_connections.end())
            it->lastActive = now();
    });
    connect(socket, &QObject::destroyed, this, [this, socket] { m_connections.remove(socket); });
    addPendingConnection(socket);
    emit newConnection();
}

void GuardedListener::readyRead(QTcpSocket* socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    it->lastActive = now();
    // Between requests the library has no transaction open and everything available is new;
    // within one it has read all that came before, so what is available now is what came since.
    if (!socket->isTransactionStarted())
        it->pending = 0;
    it->pending += socket->bytesAvailable();
    if (it->pending <= m_maxRequest)
        return;
    disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    socket->write(m_refusal);
    socket->disconnectFromHost();
}

void GuardedListener::sweep()
{
    const qint64 limit = now() - m_idleMs;
    QList<QTcpSocket*> idle;
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it)
        if (it->lastActive < limit)
            idle << it.key();
    for (QTcpSocket* socket : idle) {
        m_connections.remove(socket);
        socket->abort();
        socket->deleteLater();
    }
}

void GuardedListener::closeLongestIdle()
{
    auto oldest = std::min_element(
        m_connections.begin(), m_connections.end(),
        [](const Connection& a, const Connection& b) { return a.lastActive < b.lastActive; });
    if (oldest == m_connections.end())
        return;
    QTcpSocket* socket = oldest.key();
    m_connections.erase(oldest);
    socket->abort();
    socket->deleteLater();
}
