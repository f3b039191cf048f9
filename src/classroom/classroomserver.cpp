// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomserver.h"

#include "classroom/guardedlistener.h"
#include "classroom/pupilpage.h"
#include "classroom/pupilpost.h"
#include "classroom/resultsjournal.h"
#include "core/quizfolder.h"
#include "export/exportedquiz.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTcpSocket>

#include <algorithm>

namespace
{

// The page's script has inline handlers and calls eval, so those two stay allowed; nothing may
// come from, go to or frame the page from anywhere but the server itself.
const QByteArray SecurityHeaders[][2] = {
    {"X-Content-Type-Options", "nosniff"},
    {"Cache-Control", "no-store"},
    {"Content-Security-Policy", "default-src 'self' 'unsafe-inline' 'unsafe-eval'; "
                                "frame-ancestors 'self'; base-uri 'none'; form-action 'self'"},
    {"Referrer-Policy", "no-referrer"},
    // For browsers that know no frame-ancestors.
    {"X-Frame-Options", "SAMEORIGIN"},
};

// A client that does not read what it asked for is not served more.
constexpr qint64 MaxUnsent = 4 * 1024 * 1024;
// Headers of a request, however many, are far below this.
constexpr qint64 MaxHeaders = 8192;

const QByteArray PlainText = "text/plain; charset=utf-8";

// The refusal of a request too big to read: written straight to the socket, since no request
// object exists for it.
QByteArray tooBigResponse()
{
    QByteArray out = "HTTP/1.1 413 Payload Too Large\r\n";
    for (const auto& header : SecurityHeaders)
        out += header[0] + ": " + header[1] + "\r\n";
    return out + "Content-Length: 0\r\nConnection: close\r\n\r\n";
}

const QByteArray Json = "application/json; charset=utf-8";

QByteArray jsonBody(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray errorBody(const QString& text)
{
    return jsonBody({{QStringLiteral("error"), text}});
}

// The media type without its parameters ("; charset=utf-8").
bool isJson(const QHttpServerRequest& request)
{
    const QByteArray type = request.value("content-type");
    return type.split(';').constFirst().trimmed().toLower() == "application/json";
}

// A page of another site posting through the pupil's browser sends its own origin.
bool sameOrigin(const QHttpServerRequest& request)
{
    const QByteArray origin = request.value("origin");
    return origin.isNull() || origin == "http://" + request.value("host");
}

QString addressOf(const QHttpServerRequest& request)
{
    const QHostAddress address = request.remoteAddress();
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(v4).toString() : address.toString();
}

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

ClassroomServer::ClassroomServer(const ExportedQuiz& quiz, const QString& code,
                                 const ClassroomLimits& limits, ResultsJournal* journal,
                                 const QList<PupilResult>& earlier)
    : m_prefix(QLatin1Char('/') + code + QLatin1Char('/')), m_order(quiz.contents().order),
      m_admission(limits), m_journal(journal)
{
    m_admission.continueFrom(earlier);
    const QByteArray page = pupilPage(quiz.contents().title);
    m_files.insert(m_prefix, {page, "text/html; charset=utf-8"});
    m_files.insert(m_prefix + QStringLiteral("index.htm"), {page, "text/html; charset=utf-8"});
    m_files.insert(m_prefix + QStringLiteral("start.htm"),
                   {quiz.page(), "text/html; charset=windows-1251"});
    for (int k = 1; k <= 6; ++k)
        m_files.insert(m_prefix + quiz.pictureName(k), {quiz.picture(k), "image/jpeg"});
    for (const QString& name : DecorationNames)
        m_files.insert(m_prefix + name, {quiz.file(name), "image/gif"});
}

ClassroomServer::~ClassroomServer()
{
    if (!m_journal)
        return;
    // Results already synced still reach the table.
    m_journal->drain();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

bool ClassroomServer::listenOn(const QHostAddress& address, quint16 port,
                               QAbstractSocket::SocketError& error)
{
    m_listener = new GuardedListener(MaxHeaders + MaxBody, IdleMs, this);
    m_listener->setRefusal(tooBigResponse());
    if (!m_listener->listen(address, port)) {
        error = m_listener->serverError();
        delete m_listener;
        m_listener = nullptr;
        return false;
    }
    bind(m_listener);
    return true;
}

quint16 ClassroomServer::port() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

void ClassroomServer::start()
{
    if (m_listener)
        m_listener->startSweeping();
}

void ClassroomServer::answer(const QHttpServerRequest& request, QTcpSocket* socket, int status,
                             const QByteArray& body, const QByteArray& type,
                             const QByteArray& location)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(QHttpServerResponder::StatusCode(status));
    for (const auto& header : SecurityHeaders)
        responder.writeHeader(header[0], header[1]);
    if (!type.isEmpty())
        responder.writeHeader("Content-Type", type);
    if (!location.isEmpty())
        responder.writeHeader("Location", location);
    if (status == 405)
        responder.writeHeader("Allow", "GET, POST");
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeBody(body);
    if (request.value("connection").toLower().contains("close"))
        socket->disconnectFromHost();
}

bool ClassroomServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return true;
    if (socket->bytesToWrite() > MaxUnsent) {
        socket->abort();
        return true;
    }
    const QString path = request.url().path();
    const auto method = request.method();
    if (method != QHttpServerRequest::Method::Get && method != QHttpServerRequest::Method::Post) {
        answer(request, socket, 405);
        return true;
    }
    if (request.body().size() > MaxBody) {
        answer(request, socket, 413);
        return true;
    }
    if (method == QHttpServerRequest::Method::Get) {
        if (const auto it = m_files.constFind(path); it != m_files.cend())
            answer(request, socket, 200, it->body, it->type);
        else if (path + QLatin1Char('/') == m_prefix)
            answer(request, socket, 302, {}, {}, m_prefix.toUtf8());
        else
            answer(request, socket, 404);
        return true;
    }
    const QString what = path.startsWith(m_prefix) ? path.mid(m_prefix.size()) : QString();
    if (what != QStringLiteral("join") && what != QStringLiteral("result")) {
        answer(request, socket, 404);
        return true;
    }
    post(what, request, socket);
    return true;
}

void ClassroomServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    if (socket->state() == QAbstractSocket::ConnectedState)
        answer(request, socket, 404);
}

void ClassroomServer::post(const QString& what, const QHttpServerRequest& request,
                           QTcpSocket* socket)
{
    const auto refuse = [&](int status, const QString& text) {
        answer(request, socket, status, errorBody(text), Json);
    };
    if (!isJson(request))
        return refuse(415, QStringLiteral("Неверный запрос."));
    if (!sameOrigin(request))
        return refuse(403, QStringLiteral("Запрос пришёл не со страницы урока."));
    const bool isResult = what == QStringLiteral("result");
    const auto post = PupilPost::parse(isResult ? PupilPost::Kind::Result : PupilPost::Kind::Join,
                                       request.body());
    if (!post)
        return refuse(400, QStringLiteral("Неверный запрос."));
    const QString address = addressOf(request);
    const ClassroomAdmission::Decision decision = isResult
                                                      ? m_admission.result(address, *post, now())
                                                      : m_admission.join(address, *post, now());
    if (decision.status != 200)
        return refuse(decision.status, decision.error);
    if (!isResult) {
        const QString shown = PupilNames::shown(decision.name, decision.number, false);
        emit pupilJoined(decision.id, shown);
        answer(request, socket, 200,
               jsonBody({{QStringLiteral("token"), QString::fromLatin1(decision.token)},
                         {QStringLiteral("pupil"), decision.pupil},
                         {QStringLiteral("name"), shown}}),
               Json);
        return;
    }
    const PupilPost::Answers& answers = decision.repeated ? decision.answers : post->answers;
    const std::array<bool, 6> marks = markAnswers(answers, m_order);
    PupilResult result;
    result.id = decision.id;
    result.name = decision.name;
    result.number = decision.number;
    result.seq = post->seq;
    // Counted here: what a page would count is not trusted.
    result.right = int(std::count(marks.begin(), marks.end(), true));
    for (const int answer : answers)
        result.answers << (answer ? QString::number(answer) : QString());
    result.time = QDateTime::currentDateTime();
    QJsonArray markArray;
    for (const bool mark : marks)
        markArray << mark;
    const QByteArray reply = jsonBody({{QStringLiteral("marks"), markArray},
                                       {QStringLiteral("right"), result.right},
                                       {QStringLiteral("seq"), post->seq}});
    record(request, socket, result, reply, decision.repeated);
}

void ClassroomServer::record(const QHttpServerRequest& request, QTcpSocket* socket,
                             const PupilResult& result, const QByteArray& reply, bool repeated)
{
    const bool close = request.value("connection").toLower().contains("close");
    auto finish = [this, socket = QPointer<QTcpSocket>(socket), close, result, reply,
                   repeated](std::error_code error) {
        if (error && !m_journalFailed) {
            m_journalFailed = true;
            emit journalFailed(error);
        }
        if (!repeated)
            emit resultTaken(result);
        if (!socket || socket->state() != QAbstractSocket::ConnectedState)
            return;
        QByteArray out = "HTTP/1.1 200 OK\r\n";
        for (const auto& header : SecurityHeaders)
            out += header[0] + ": " + header[1] + "\r\n";
        out += "Content-Type: " + Json + "\r\nContent-Length: " + QByteArray::number(reply.size()) +
               "\r\n\r\n" + reply;
        socket->write(out);
        if (close)
            socket->disconnectFromHost();
    };
    if (!m_journal || m_journalFailed)
        return finish({});
    auto synced = [this, finish](std::error_code error) {
        QMetaObject::invokeMethod(
            this, [finish, error] { finish(error); }, Qt::QueuedConnection);
    };
    if (repeated)
        m_journal->whenSynced(synced);
    else
        m_journal->append(result.jsonLine(), synced);
}
