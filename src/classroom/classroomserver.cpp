// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomserver.h"

#include "classroom/guardedlistener.h"
#include "classroom/phonepage.h"
#include "classroom/resultsjournal.h"
#include "export/exportedquiz.h"

#include <QDateTime>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpSocket>

#include <algorithm>
#include <cmath>

namespace
{

// A reply that is none of the page's files (an error, a post's answer) runs nothing and is framed
// by nothing; the page's files bring their own policy.
const QByteArray SecurityHeaders[][2] = {
    {"X-Content-Type-Options", "nosniff"},
    {"Cache-Control", "no-store"},
    {"Content-Security-Policy", "default-src 'none'; frame-ancestors 'none'"},
    {"X-Frame-Options", "DENY"},
    {"Referrer-Policy", "no-referrer"},
};

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

// own replaces the security headers of the same names.
HttpReply reply(int status, const QByteArray& body, const QByteArray& type,
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

bool exactKeys(const QJsonObject& object, const QStringList& keys)
{
    if (object.size() != keys.size())
        return false;
    for (const QString& key : keys)
        if (!object.contains(key))
            return false;
    return true;
}

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

int rightAnswers(const QStringList& answers, const AnswerOrder& order)
{
    int right = 0;
    for (int i = 0; i < answers.size() && i < 6; ++i) {
        // Number() of the page's script: surrounding spaces ignored, empty is 0.
        const QString text = answers[i].trimmed();
        bool ok = text.isEmpty();
        const double value = ok ? 0 : text.toDouble(&ok);
        if (ok && value == order.entries[size_t(i)])
            ++right;
    }
    return right;
}

ClassroomServer::ClassroomServer(const ExportedQuiz& quiz, const QString& code,
                                 const ClassroomLimits& limits, ResultsJournal* journal)
    : m_prefix(QLatin1Char('/') + code + QLatin1Char('/')), m_order(quiz.contents().order),
      m_limits(limits), m_journal(journal)
{
    // start.htm is not among them: it carries the answer order.
    const PhonePage page(quiz);
    for (const PhonePage::File& file : page.files())
        m_files.insert(m_prefix + file.name, reply(200, file.body, file.type, {}, file.headers));
}

bool ClassroomServer::listenOn(const QHostAddress& address, quint16 port,
                               QAbstractSocket::SocketError& error)
{
    m_listener = new GuardedListener(MaxHeaders + MaxBody, ConnectionDeadlines{}, this);
    m_listener->setRefusal(tooBigResponse());
    if (!m_listener->listen(address, port)) {
        error = m_listener->serverError();
        delete m_listener;
        m_listener = nullptr;
        return false;
    }
    m_endpoint = new HttpEndpoint(
        m_listener, [this](HttpExchange& exchange) { serve(exchange); }, this);
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

void ClassroomServer::answer(HttpExchange& exchange, int status, const QByteArray& body,
                             const QByteArray& type, const QByteArray& location)
{
    exchange.reply(reply(status, body, type, location));
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
        else
            answer(exchange, 404);
        return;
    }
    const QString what = path.startsWith(m_prefix) ? path.mid(m_prefix.size()) : QString();
    if (what != QStringLiteral("join") && what != QStringLiteral("result")) {
        answer(exchange, 404);
        return;
    }
    QByteArray body;
    const int status = post(what, request, body);
    answer(exchange, status, body, body.isEmpty() ? QByteArray() : PlainText);
}

bool ClassroomServer::withinRate(QHash<QString, std::deque<qint64>>& log, const QString& key,
                                 int limit)
{
    const qint64 minuteAgo = now() - 60000;
    if (log.size() > 4096) {
        for (auto it = log.begin(); it != log.end();)
            it = it->empty() || it->back() < minuteAgo ? log.erase(it) : std::next(it);
    }
    std::deque<qint64>& times = log[key];
    while (!times.empty() && times.front() < minuteAgo)
        times.pop_front();
    if (int(times.size()) >= limit)
        return false;
    times.push_back(now());
    return true;
}

int ClassroomServer::post(const QString& what, const QHttpServerRequest& request, QByteArray& reply)
{
    static const QString TooOften =
        QStringLiteral("Слишком много отправок. Подожди минуту и проверь ещё раз.");
    if (!withinRate(m_byAddress, request.remoteAddress().toString(), m_limits.resultsPerAddress)) {
        reply = TooOften.toUtf8();
        return 429;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(request.body(), &error);
    const QJsonObject object = document.object();
    const bool isResult = what == QStringLiteral("result");
    const QStringList keys = isResult
                                 ? QStringList{QStringLiteral("id"), QStringLiteral("name"),
                                               QStringLiteral("right"), QStringLiteral("answers")}
                                 : QStringList{QStringLiteral("id"), QStringLiteral("name")};
    static const QRegularExpression idPattern(QStringLiteral("^[0-9a-f]{32}$"));
    const QString id = object.value(QStringLiteral("id")).toString();
    const QString name = cleanPupilName(object.value(QStringLiteral("name")).toString());
    const QJsonValue right = object.value(QStringLiteral("right"));
    const QJsonArray answers = object.value(QStringLiteral("answers")).toArray();
    bool wellFormed = error.error == QJsonParseError::NoError && document.isObject() &&
                      exactKeys(object, keys) && idPattern.match(id).hasMatch() && !name.isEmpty();
    QStringList cells;
    if (wellFormed && isResult) {
        wellFormed = right.isDouble() && right.toDouble() == std::floor(right.toDouble()) &&
                     right.toDouble() >= 0 && right.toDouble() <= 6 && answers.size() == 6;
        for (const QJsonValue& cell : answers) {
            wellFormed = wellFormed && cell.isString() && cell.toString().size() <= 16;
            cells << cell.toString();
        }
    }
    if (!wellFormed) {
        reply = QStringLiteral("Неверный запрос.").toUtf8();
        return 400;
    }
    if (!m_pupils.contains(id)) {
        if (m_pupils.size() >= m_limits.pupils) {
            reply = QStringLiteral("Класс уже полон: в нём %1 учеников. Скажи об этом учителю.")
                        .arg(m_limits.pupils)
                        .toUtf8();
            return 403;
        }
        m_pupils.insert(id, name);
        emit pupilJoined(id, name);
    } else if (m_pupils.value(id) != name) {
        m_pupils[id] = name;
        emit pupilJoined(id, name);
    }
    if (!isResult)
        return 200;
    if (!withinRate(m_byPupil, id, m_limits.resultsPerPupil)) {
        reply = TooOften.toUtf8();
        return 429;
    }
    PupilResult result;
    result.id = id;
    result.name = name;
    // What the page counted is not trusted: a forged count would go into the table.
    result.right = rightAnswers(cells, m_order);
    result.answers = cells;
    result.time = QDateTime::currentDateTime();
    if (m_journal && !m_journalFailed) {
        if (const std::error_code failure = m_journal->append(result.jsonLine())) {
            m_journalFailed = true;
            emit journalFailed(failure);
        }
    }
    emit resultTaken(result);
    return 200;
}
