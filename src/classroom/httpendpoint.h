// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <utility>

class GuardedListener;
class QHttpServerRequest;

// What the server answers: Content-Length is always added, never to be given here.
struct HttpReply {
    using Headers = QList<std::pair<QByteArray, QByteArray>>;
    HttpReply(int code = 200, QByteArray content = {}, Headers fields = {})
        : status(code), body(std::move(content)), headers(std::move(fields))
    {
    }

    int status = 200;
    QByteArray body;
    Headers headers;
    // The reply as it goes on the wire, for one that is sent again and again (a file), made by
    // HttpEndpoint::prepare where the library lets a reply be written whole.
    QByteArray wire;
};

// A reply kept to be sent later, such as a result's, sent once it is on the disk. While it is
// kept the connection reads no further request, so that replies keep their order. Send or drop it
// in the server's thread, before the endpoint goes.
class PendingReply
{
public:
    PendingReply();
    PendingReply(PendingReply&& other) noexcept;
    PendingReply& operator=(PendingReply&& other) noexcept;
    ~PendingReply();

    // False once it was sent, or when the client has gone.
    bool isOpen() const;
    // Sends the reply, or nothing when the client has gone.
    void send(const HttpReply& reply);

    struct State;
    explicit PendingReply(std::unique_ptr<State> state);

private:
    std::unique_ptr<State> m_state;
};

// One request and the means to answer it: now, or later through a PendingReply.
class HttpExchange
{
public:
    struct State;
    explicit HttpExchange(State& state) : m_state(state) {}

    const QHttpServerRequest& request() const;
    // HEAD: answered with the headers a GET would get, without the body.
    bool isHead() const;
    void reply(const HttpReply& reply);
    PendingReply defer();

private:
    State& m_state;
};

// Qt HttpServer on the listener's connections, whichever Qt this is built with. The listener
// must already listen; it becomes the endpoint's.
class HttpEndpoint : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(HttpExchange&)>;

    HttpEndpoint(GuardedListener* listener, Handler handler, QObject* parent = nullptr);
    ~HttpEndpoint() override;

    // Makes the reply's wire form once, so that sending it costs one write and no copy.
    static void prepare(HttpReply& reply);
    // GET and HEAD of exactly this target (as sent, "/a/b.jpg") are answered with reply, a 200,
    // by the listener before the library parses them; the handler must give the same reply for
    // them, as it does for the requests the library still reads (see GuardedListener).
    void answerAhead(const QByteArray& target, const HttpReply& reply);

    class Server;

private:
    // A child, so that it moves to the server's thread with the endpoint.
    Server* m_server;
};
