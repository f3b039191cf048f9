// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/httpendpoint.h"
#include "classroom/phonepage.h"
#include "classroom/pupilresult.h"
#include "core/answerorder.h"

#include <QAbstractSocket>
#include <QHash>
#include <QHostAddress>
#include <QSet>

#include <deque>
#include <system_error>

class ExportedQuiz;
class GuardedListener;
class QHttpServerRequest;
class ResultsJournal;

// How much a class may send, per minute and in all.
struct ClassroomLimits {
    int resultsPerPupil = 20;
    int resultsPerAddress = 60;
    int pupils = 200;
};

// The HTTP side of a class. It serves the pupils' page from memory under /<code>/ (PhonePage's
// files), takes "join" and "result" posts, and answers everything else with 404. It lives in a
// thread of its own.
class ClassroomServer : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 MaxBody = 4096;

    ClassroomServer(const ExportedQuiz& quiz, const QString& code, const ClassroomLimits& limits,
                    ResultsJournal* journal);
    // Listens on address:port (0: any free one); false with the socket's error when it cannot.
    bool listenOn(const QHostAddress& address, quint16 port, QAbstractSocket::SocketError& error);
    quint16 port() const;
    // Starts the idle sweep; called in the server's thread.
    void start();

signals:
    void pupilJoined(const QString& id, const QString& name);
    void resultTaken(const PupilResult& result);
    // The results file failed; results go on in memory.
    void journalFailed(std::error_code error);

private:
    void serve(HttpExchange& exchange);
    void answer(HttpExchange& exchange, int status, const QByteArray& body = {},
                const QByteArray& type = {}, const QByteArray& location = {});
    int post(const QString& what, const QHttpServerRequest& request, QByteArray& reply);
    bool withinRate(QHash<QString, std::deque<qint64>>& log, const QString& key, int limit);

    QString m_prefix;
    // Each file's whole reply, made once.
    QHash<QString, HttpReply> m_files;
    AnswerOrder m_order;
    ClassroomLimits m_limits;
    ResultsJournal* m_journal;
    bool m_journalFailed = false;
    GuardedListener* m_listener = nullptr;
    HttpEndpoint* m_endpoint = nullptr;
    QHash<QString, QString> m_pupils; // id -> name
    QHash<QString, std::deque<qint64>> m_byPupil;
    QHash<QString, std::deque<qint64>> m_byAddress;
};

// The count of right answers in answers (the six cells' texts as the page holds them), by the
// page's own rule: a cell is right when its text, read as a number, is the picture the order puts
// there.
int rightAnswers(const QStringList& answers, const AnswerOrder& order);
