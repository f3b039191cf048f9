// SPDX-License-Identifier: GPL-3.0-or-later
// The one place that knows which Qt HttpServer this is. Qt 6.5 changed its request entry point
// and replies: before, a handler got the socket and wrote to it; since, it gets a responder that
// owns the connection's turn (the library reads no further request while one is alive) and adds
// Content-Length itself.
#include "classroom/httpendpoint.h"

#include "classroom/guardedlistener.h"

#include <QAbstractHttpServer>
#include <QBuffer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>
#include <QtGlobal>

#include <QSet>

#include <map>
#include <optional>

#define QUIRVEL_HTTP_RESPONDER (QT_VERSION >= QT_VERSION_CHECK(6, 5, 0))

#if QUIRVEL_HTTP_RESPONDER
#include <QHttpHeaders>
#endif

namespace
{

#if !QUIRVEL_HTTP_RESPONDER
QByteArray statusLine(int status)
{
    static const std::map<int, const char*> reasons = {
        {200, "OK"},
        {302, "Found"},
        {400, "Bad Request"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {413, "Payload Too Large"},
        {415, "Unsupported Media Type"},
        {429, "Too Many Requests"},
        {500, "Internal Server Error"},
        {503, "Service Unavailable"},
    };
    const auto it = reasons.find(status);
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' +
           (it == reasons.end() ? "Status" : it->second) + "\r\n";
}

// The status line and headers as they go on the wire: the library of this Qt writes a header at
// a time, each a write of its own.
QByteArray wireHead(const HttpReply& reply)
{
    QByteArray out = statusLine(reply.status);
    for (const auto& [name, value] : reply.headers)
        out += name + ": " + value + "\r\n";
    return out + "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n\r\n";
}

// The reply as the library writes it.
QByteArray wire(const HttpReply& reply)
{
    return wireHead(reply) + reply.body;
}
#else
QHttpHeaders headersOf(const HttpReply& reply)
{
    QHttpHeaders headers;
    headers.reserve(reply.headers.size());
    for (const auto& [name, value] : reply.headers)
        headers.append(name, value);
    return headers;
}

// The reply, a 200, as the library writes it: its status line, the headers as QHttpHeaders keeps
// them (names in lower case) and the Content-Length it adds, then the body.
QByteArray wire(const HttpReply& reply)
{
    QHttpHeaders headers = headersOf(reply);
    headers.append(QHttpHeaders::WellKnownHeader::ContentLength,
                   QByteArray::number(reply.body.size()));
    QByteArray out = "HTTP/1.1 200 OK\r\n";
    for (qsizetype i = 0; i < headers.size(); ++i) {
        const QLatin1StringView name = headers.nameAt(i);
        out.append(QByteArrayView(name.data(), name.size())).append(": ");
        out.append(headers.valueAt(i)).append("\r\n");
    }
    return out.append("\r\n").append(reply.body);
}

void write(QHttpServerResponder& responder, const HttpReply& reply, bool head)
{
    const auto status = QHttpServerResponder::StatusCode(reply.status);
    if (!head) {
        responder.write(reply.body, headersOf(reply), status);
        return;
    }
    // A body device already at its end: the library declares its size and sends none of it.
    auto* empty = new QBuffer;
    empty->setData(reply.body);
    empty->open(QIODevice::ReadOnly);
    empty->seek(reply.body.size());
    responder.write(empty, headersOf(reply), status);
}
#endif

} // namespace

class HttpEndpoint::Server : public QAbstractHttpServer
{
public:
    Server(GuardedListener* listener, Handler handler, QObject* parent)
        : QAbstractHttpServer(parent), m_listener(listener), m_handler(std::move(handler))
    {
        QObject::connect(listener, &GuardedListener::drained, this, [this](QTcpSocket* socket) {
            if (m_closing.remove(socket) && socket->state() == QAbstractSocket::ConnectedState)
                socket->disconnectFromHost();
            release(socket);
        });
        bind(listener);
    }
    ~Server() override
    {
#if QUIRVEL_HTTP_RESPONDER
        // The responders refer to the library's connections, which go with the base class.
        m_drainHolds.clear();
#endif
    }

    GuardedListener* listener() const
    {
        return m_listener;
    }

#if QUIRVEL_HTTP_RESPONDER
    using Responder = QHttpServerResponder;
#else
    using Responder = void;
#endif

    // Writes the reply and then keeps the connection from reading while too much of it waits
    // unsent, or until all of it left when the connection is to close.
    void send(QTcpSocket* socket, [[maybe_unused]] Responder* responder, const HttpReply& reply,
              bool head, bool closes)
    {
#if QUIRVEL_HTTP_RESPONDER
        write(*responder, reply, head);
#else
        if (!socket || socket->state() != QAbstractSocket::ConnectedState)
            return;
        if (!reply.wire.isEmpty() && !head) {
            socket->write(reply.wire);
        } else {
            socket->write(wireHead(reply));
            // Written apart, the body is queued without a copy of its own.
            if (!head)
                socket->write(reply.body);
        }
#endif
        if (!socket)
            return;
        socket->flush();
        const qint64 unsent = socket->bytesToWrite();
        if (closes && unsent == 0) {
            socket->disconnectFromHost();
            return;
        }
        if (!closes && unsent <= GuardedListener::MaxUnsent)
            return;
#if QUIRVEL_HTTP_RESPONDER
        m_drainHolds.erase(socket);
        m_drainHolds.emplace(socket, std::move(*responder));
#endif
        hold(socket);
        if (closes)
            m_closing.insert(socket);
        m_listener->watchDrain(socket, closes ? 0 : GuardedListener::MaxUnsent / 2);
    }

    // The connection reads no further request until release().
    void hold(QTcpSocket* socket)
    {
#if !QUIRVEL_HTTP_RESPONDER
        // This library reads on readyRead alone: silenced, it waits. (The responder does it since.)
        socket->blockSignals(true);
#endif
        m_listener->setHeld(socket, true);
    }

    void release(QTcpSocket* socket)
    {
        m_listener->setHeld(socket, false);
#if QUIRVEL_HTTP_RESPONDER
        m_drainHolds.erase(socket);
#else
        socket->blockSignals(false);
        // What the library missed while the signals were off: the close, or the next request.
        if (socket->state() == QAbstractSocket::UnconnectedState)
            socket->deleteLater();
        else if (socket->bytesAvailable() > 0)
            QMetaObject::invokeMethod(socket, &QTcpSocket::readyRead, Qt::QueuedConnection);
#endif
    }

protected:
#if QUIRVEL_HTTP_RESPONDER
    bool handleRequest(const QHttpServerRequest& request, QHttpServerResponder& responder) override
    {
        serve(request, m_listener->socketFor(request.remoteAddress(), request.remotePort()),
              &responder);
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QHttpServerResponder& responder) override
    {
        responder.write(QHttpServerResponder::StatusCode::NotFound);
    }
#else
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        serve(request, socket, nullptr);
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket* socket) override
    {
        socket->abort();
    }
#endif

private:
    void serve(const QHttpServerRequest& request, QTcpSocket* socket, Responder* responder);

    GuardedListener* m_listener;
    Handler m_handler;
    QSet<QTcpSocket*> m_closing;
#if QUIRVEL_HTTP_RESPONDER
    std::map<QTcpSocket*, QHttpServerResponder> m_drainHolds;
#endif
};

struct HttpExchange::State {
    const QHttpServerRequest& request;
    HttpEndpoint::Server& server;
    QTcpSocket* socket;
    HttpEndpoint::Server::Responder* responder;
    bool head;
    bool closes;
    bool answered = false;
};

struct PendingReply::State {
    QPointer<HttpEndpoint::Server> server;
    QPointer<QTcpSocket> socket;
    bool head = false;
    bool closes = false;
#if QUIRVEL_HTTP_RESPONDER
    std::optional<QHttpServerResponder> responder;
#endif

    ~State()
    {
        // Dropped unsent: the client would wait for ever for a reply that cannot come.
        if (server && socket) {
            socket->abort();
            server->release(socket);
        }
    }
};

void HttpEndpoint::Server::serve(const QHttpServerRequest& request, QTcpSocket* socket,
                                 Responder* responder)
{
    if (socket)
        m_listener->requestTaken(socket);
    HttpExchange::State state{
        request,
        *this,
        socket,
        responder,
        request.method() == QHttpServerRequest::Method::Head,
        socket && m_listener->closesAfterReply(socket, request.value("connection"))};
    HttpExchange exchange(state);
    m_handler(exchange);
    if (!state.answered)
        exchange.reply(HttpReply(404));
}

const QHttpServerRequest& HttpExchange::request() const
{
    return m_state.request;
}

bool HttpExchange::isHead() const
{
    return m_state.head;
}

void HttpExchange::reply(const HttpReply& reply)
{
    if (m_state.answered)
        return;
    m_state.answered = true;
    m_state.server.send(m_state.socket, m_state.responder, reply, m_state.head, m_state.closes);
}

PendingReply HttpExchange::defer()
{
    auto state = std::make_unique<PendingReply::State>();
    if (m_state.answered || !m_state.socket)
        return PendingReply(std::move(state));
    m_state.answered = true;
    state->server = &m_state.server;
    state->socket = m_state.socket;
    state->head = m_state.head;
    state->closes = m_state.closes;
#if QUIRVEL_HTTP_RESPONDER
    state->responder.emplace(std::move(*m_state.responder));
#endif
    m_state.server.hold(m_state.socket);
    return PendingReply(std::move(state));
}

PendingReply::PendingReply() = default;
PendingReply::PendingReply(std::unique_ptr<State> state) : m_state(std::move(state)) {}
PendingReply::PendingReply(PendingReply&& other) noexcept = default;
PendingReply& PendingReply::operator=(PendingReply&& other) noexcept = default;
PendingReply::~PendingReply() = default;

bool PendingReply::isOpen() const
{
    return m_state && m_state->server && m_state->socket &&
           m_state->socket->state() == QAbstractSocket::ConnectedState;
}

void PendingReply::send(const HttpReply& reply)
{
    if (!m_state || !m_state->server || !m_state->socket)
        return;
    std::unique_ptr<State> state = std::move(m_state);
    HttpEndpoint::Server* server = state->server;
    QTcpSocket* socket = state->socket;
    state->server = nullptr;
    if (socket->state() == QAbstractSocket::ConnectedState) {
        server->release(socket);
#if QUIRVEL_HTTP_RESPONDER
        server->send(socket, &*state->responder, reply, state->head, state->closes);
#else
        server->send(socket, nullptr, reply, state->head, state->closes);
#endif
    } else {
        server->release(socket);
    }
}

HttpEndpoint::HttpEndpoint(GuardedListener* listener, Handler handler, QObject* parent)
    : QObject(parent), m_server(new Server(listener, std::move(handler), this))
{
}

HttpEndpoint::~HttpEndpoint() = default;

void HttpEndpoint::prepare([[maybe_unused]] HttpReply& reply)
{
#if !QUIRVEL_HTTP_RESPONDER
    reply.wire = wire(reply);
#endif
}

void HttpEndpoint::answerAhead(const QByteArray& target, const HttpReply& reply)
{
    if (reply.status != 200)
        return;
    const QByteArray whole = reply.wire.isEmpty() ? wire(reply) : reply.wire;
    m_server->listener()->addPrepared(target, whole, whole.size() - reply.body.size());
}
