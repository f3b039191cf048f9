// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomserver.h"

#include "classroom/guardedlistener.h"
#include "classroom/phonepage.h"
#include "classroom/pupilpost.h"
#include "classroom/resultsjournal.h"
#include "export/exportedquiz.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include <algorithm>
#include <memory>
#include <optional>

namespace
{

// A reply that is none of the page's files (an error, a post's answer) runs nothing and is framed
// by nothing; the page's files bring their own policy.
const QByteArray SecurityHeaders[][2] = {
    {"X-Content-Type-Options", "nosniff"},
    {"Cache-Control", "no-store"},
    {"Content-Security-Policy", "default-src 'none'; frame-ancestors 'none'"},
    // For browsers that know no frame-ancestors.
    {"X-Frame-Options", "DENY"},
    {"Referrer-Policy", "no-referrer"},
};

// Headers of a request, however many, are far below this.
constexpr qint64 MaxHeaders = 8192;

// The refusal of a request too big to read: written straight to the socket, since no request
// object exists for it.
QByteArray tooBigResponse()
{
    QByteArray out = "HTTP/1.1 413 Payload Too Large\r\n";
    for (const auto& header : SecurityHeaders)
        out += header[0] + ": " + header[1] + "\r\n";
    return out + "Content-Length: 0\r\nConnection: close\r\n\r\n";
}

// own replaces the security headers of the same names.
HttpReply makeReply(int status, const QByteArray& body, const QByteArray& type,
                    const QByteArray& location,
                    const QList<std::pair<QByteArray, QByteArray>>& own = {})
{
    HttpReply out{status, body, {}};
    for (const auto& header : SecurityHeaders) {
        const bool replaced = std::any_of(
            own.cbegin(), own.cend(), [&](const auto& mine) { return mine.first == header[0]; });
        if (!replaced)
            out.headers.emplace_back(header[0], header[1]);
    }
    out.headers.append(own);
    if (!type.isEmpty())
        out.headers.emplace_back("Content-Type", type);
    if (!location.isEmpty())
        out.headers.emplace_back("Location", location);
    if (status == 405)
        out.headers.emplace_back("Allow", "GET, HEAD, POST");
    return out;
}

const QByteArray Json = "application/json; charset=utf-8";
const QByteArray Html = "text/html; charset=utf-8";
// The two small pages' own policy: their inline style and a form to this server, nothing else.
const std::pair<QByteArray, QByteArray> PageStyle{
    "Content-Security-Policy",
    "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'; frame-ancestors 'none'"};
// A page open the whole lesson reports every 10 s; the table needs to hear it less often.
constexpr qint64 SeenEveryMs = 5000;

QByteArray jsonBody(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray errorBody(const QString& text)
{
    return jsonBody({{QStringLiteral("error"), text}});
}

// The media type without its parameters ("; charset=utf-8").
QByteArray mediaType(const QHttpServerRequest& request)
{
    return request.value("content-type").split(';').constFirst().trimmed().toLower();
}

// {"token", "state": "open" | "hidden"}: the token and whether the page is hidden.
std::optional<std::pair<QByteArray, bool>> presenceReport(const QByteArray& body)
{
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    const QString state = object.value(QStringLiteral("state")).toString();
    const QJsonValue token = object.value(QStringLiteral("token"));
    if (object.size() != 2 || !token.isString() ||
        (state != QStringLiteral("open") && state != QStringLiteral("hidden")))
        return std::nullopt;
    return std::pair{token.toString().toLatin1(), state == QStringLiteral("hidden")};
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

ClassroomServer::ClassroomServer(const ExportedQuiz& quiz, const LessonRecord& lesson,
                                 const ClassroomLimits& limits, ResultsJournal* journal)
    : m_prefix(QLatin1Char('/') + lesson.code + QLatin1Char('/')), m_numbers(lesson.number),
      m_order(quiz.contents().order), m_admission(limits), m_journal(journal),
      m_enterPage(PhonePage::resource(QStringLiteral("enter.htm")))
{
    m_admission.continueFrom(lesson);
    // start.htm is not among them: it carries the answer order.
    const PhonePage page(quiz);
    for (const PhonePage::File& file : page.files()) {
        HttpReply reply = makeReply(200, file.body, file.type, {}, file.headers);
        HttpEndpoint::prepare(reply);
        m_files.insert(m_prefix + file.name, reply);
    }
    m_gone = makeReply(404, PhonePage::resource(QStringLiteral("ended.htm")), Html, {});
    HttpEndpoint::prepare(m_gone);
}

ClassroomServer::~ClassroomServer()
{
    if (!m_journal)
        return;
    // Results already synced still reach the table.
    m_journal->drain();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

std::error_code ClassroomServer::listenOn(const QHostAddress& address, quint16 port)
{
    m_listener = new GuardedListener(MaxHeaders + MaxBody, ConnectionDeadlines{}, this);
    m_listener->setRefusal(tooBigResponse());
    if (!m_listener->listen(address, port)) {
        const QAbstractSocket::SocketError error = m_listener->serverError();
        delete m_listener;
        m_listener = nullptr;
        switch (error) {
        case QAbstractSocket::AddressInUseError:
            return std::make_error_code(std::errc::address_in_use);
        case QAbstractSocket::SocketAddressNotAvailableError:
            return std::make_error_code(std::errc::address_not_available);
        case QAbstractSocket::SocketAccessError:
            return std::make_error_code(std::errc::permission_denied);
        default:
            return std::make_error_code(std::errc::io_error);
        }
    }
    m_endpoint = new HttpEndpoint(
        m_listener, [this](HttpExchange& exchange) { serve(exchange); }, this);
    // serve() answers a GET of these with nothing but the file, so the listener may too.
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
        m_endpoint->answerAhead(it.key().toUtf8(), *it);
    return {};
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

void ClassroomServer::answer(HttpExchange& exchange, int status, const QByteArray& body,
                             const QByteArray& type, const QByteArray& location)
{
    exchange.reply(makeReply(status, body, type, location));
}

void ClassroomServer::removePupil(const QString& id)
{
    m_admission.remove(id);
    m_seen.remove(id);
    if (m_journal && !m_journalFailed)
        m_journal->append(LessonRecord::removalLine(id, QDateTime::currentDateTime()), {});
}

void ClassroomServer::setPupilsPerAddress(int pupils)
{
    m_admission.setPupilsPerAddress(pupils);
}

void ClassroomServer::serve(HttpExchange& exchange)
{
    const QHttpServerRequest& request = exchange.request();
    const QString path = request.url().path();
    const auto method = request.method();
    const bool get =
        method == QHttpServerRequest::Method::Get || method == QHttpServerRequest::Method::Head;
    if (!get && method != QHttpServerRequest::Method::Post) {
        answer(exchange, 405);
        return;
    }
    if (request.body().size() > MaxBody) {
        answer(exchange, 413);
        return;
    }
    if (get) {
        if (const auto it = m_files.constFind(path); it != m_files.cend())
            exchange.reply(*it);
        else if (path + QLatin1Char('/') == m_prefix)
            answer(exchange, 302, {}, {}, m_prefix.toUtf8());
        else if (path == QStringLiteral("/"))
            enter(exchange);
        else
            exchange.reply(m_gone);
        return;
    }
    const QString what = path.startsWith(m_prefix) ? path.mid(m_prefix.size()) : QString();
    if (what != QStringLiteral("join") && what != QStringLiteral("result") &&
        what != QStringLiteral("presence")) {
        exchange.reply(m_gone);
        return;
    }
    post(what, exchange);
}

void ClassroomServer::enter(HttpExchange& exchange)
{
    const QHttpServerRequest& request = exchange.request();
    const QUrlQuery query(request.url());
    QString problem;
    int status = 200;
    if (query.hasQueryItem(QStringLiteral("number"))) {
        const QString typed = query.queryItemValue(QStringLiteral("number")).trimmed();
        switch (m_numbers.check(addressOf(request), typed, now())) {
        case LessonNumberGate::Verdict::Right:
            answer(exchange, 303, {}, {}, m_prefix.toUtf8());
            return;
        case LessonNumberGate::Verdict::Wrong:
            problem = QStringLiteral("Нет урока с номером %1. Проверь номер и введи его ещё раз.")
                          .arg(typed.left(6).toHtmlEscaped());
            break;
        case LessonNumberGate::Verdict::TooMany:
            status = 429;
            problem = QStringLiteral("Слишком много неверных номеров с этого адреса. Подожди "
                                     "минуту или отсканируй QR-код учителя.");
            break;
        case LessonNumberGate::Verdict::Closed:
            status = 429;
            problem = QStringLiteral("Вход по номеру закрыт: его слишком часто угадывали. "
                                     "Отсканируй QR-код учителя.");
            break;
        }
    }
    QByteArray page = m_enterPage;
    page.replace("{{problem}}", problem.toUtf8());
    exchange.reply(makeReply(status, page, Html, {}, {PageStyle}));
}

void ClassroomServer::seen(const QString& id, bool hidden)
{
    Seen& last = m_seen[id];
    const qint64 at = now();
    if (last.hidden == hidden && at - last.at < SeenEveryMs)
        return;
    last = {at, hidden};
    emit pupilSeen(id, hidden);
}

void ClassroomServer::post(const QString& what, HttpExchange& exchange)
{
    const QHttpServerRequest& request = exchange.request();
    const auto refuse = [&](int status, const QString& text) {
        answer(exchange, status, errorBody(text), Json);
    };
    const bool isPresence = what == QStringLiteral("presence");
    // navigator.sendBeacon posts a string as text/plain; a presence report acts on nothing.
    const QByteArray type = mediaType(request);
    if (type != "application/json" && !(isPresence && type == "text/plain"))
        return refuse(415, QStringLiteral("Неверный запрос."));
    if (!sameOrigin(request))
        return refuse(403, QStringLiteral("Запрос пришёл не со страницы урока."));
    const QString address = addressOf(request);
    if (isPresence) {
        const auto report = presenceReport(request.body());
        if (!report)
            return refuse(400, QStringLiteral("Неверный запрос."));
        const ClassroomAdmission::Decision decision = m_admission.presence(report->first, now());
        if (decision.status != 200)
            return refuse(decision.status, decision.error);
        seen(decision.id, report->second);
        return answer(exchange, 204);
    }
    const bool isResult = what == QStringLiteral("result");
    const auto post = PupilPost::parse(isResult ? PupilPost::Kind::Result : PupilPost::Kind::Join,
                                       request.body());
    if (!post)
        return refuse(400, QStringLiteral("Неверный запрос."));
    const ClassroomAdmission::Decision decision = isResult
                                                      ? m_admission.result(address, *post, now())
                                                      : m_admission.join(address, *post, now());
    if (decision.addressFull &&
        m_fullNoticed.value(address) != m_admission.limits().pupilsPerAddress) {
        m_fullNoticed.insert(address, m_admission.limits().pupilsPerAddress);
        emit addressFull(address, m_admission.limits().pupilsPerAddress);
    }
    if (decision.status != 200)
        return refuse(decision.status, decision.error);
    seen(decision.id, false);
    if (!isResult) {
        const QString shown = PupilNames::shown(decision.name, decision.number, false);
        const QByteArray reply =
            jsonBody({{QStringLiteral("token"), QString::fromLatin1(decision.token)},
                      {QStringLiteral("pupil"), decision.pupil},
                      {QStringLiteral("name"), shown}});
        if (!decision.joined)
            return answer(exchange, 200, reply, Json);
        // The token is given only once the file holds it: a pupil whose join a crash lost would
        // come back unknown.
        record(exchange, LessonRecord::joinLine(*decision.joined), reply,
               [this, pupil = *decision.joined] { emit pupilJoined(pupil); });
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
    if (decision.repeated)
        record(exchange, {}, reply, {});
    else
        record(exchange, result.jsonLine(), reply, [this, result] { emit resultTaken(result); });
}

void ClassroomServer::record(HttpExchange& exchange, const QByteArray& line,
                             const QByteArray& reply, std::function<void()> taken)
{
    // Shared, since the journal's callbacks are copied; sent (and so emptied) in this thread only.
    auto later = std::make_shared<PendingReply>(exchange.defer());
    auto finish = [this, later, reply, taken](std::error_code error) {
        if (error && !m_journalFailed) {
            m_journalFailed = true;
            emit journalFailed(error);
        }
        if (taken)
            taken();
        later->send(makeReply(200, reply, Json, {}));
    };
    if (!m_journal || m_journalFailed)
        return finish({});
    auto synced = [this, finish](std::error_code error) {
        QMetaObject::invokeMethod(
            this, [finish, error] { finish(error); }, Qt::QueuedConnection);
    };
    if (line.isEmpty())
        m_journal->whenSynced(synced);
    else
        m_journal->append(line, synced);
}
