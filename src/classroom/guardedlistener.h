// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QTcpServer>
#include <QTimer>

// The listening socket of the classroom server, with what the HTTP library lacks: a request
// (headers and body) is refused once it grows past maxRequest bytes, before it is read whole; a
// connection that neither sends nor receives for idleMs is closed; and the connections never use
// up the process's descriptors: at the cap, the one idle longest makes room for the new one, so
// that a flood of idle connections cannot keep a pupil out.
class GuardedListener : public QTcpServer
{
    Q_OBJECT

public:
    GuardedListener(qint64 maxRequest, int idleMs, QObject* parent = nullptr);
    // Starts the idle sweep; call in the thread the listener works in.
    void startSweeping();
    int connectionCount() const { return int(m_connections.size()); }
    // The response a request that grew too big gets before its connection is closed.
    void setRefusal(const QByteArray& response) { m_refusal = response; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Connection {
        qint64 lastActive = 0;
        qint64 pending = 0;
    };
    void readyRead(QTcpSocket* socket);
    void sweep();
    void closeLongestIdle();

    qint64 m_maxRequest;
    int m_idleMs;
    int m_cap;
    QByteArray m_refusal;
    QHash<QTcpSocket*, Connection> m_connections;
    QTimer m_sweep;
};
