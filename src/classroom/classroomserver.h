// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/classroomadmission.h"
#include "classroom/httpendpoint.h"
#include "classroom/phonepage.h"
#include "classroom/pupilresult.h"
#include "core/answerorder.h"

#include <QAbstractSocket>
#include <QHash>
#include <QHostAddress>

#include <system_error>

class ExportedQuiz;
class GuardedListener;
class QHttpServerRequest;
class ResultsJournal;

// The HTTP side of a class. It serves the pupils' page from memory under /<code>/ (PhonePage's
// files), takes "join" and "result" posts, and answers everything else with 404. A post is
// parsed (PupilPost), admitted (ClassroomAdmission) and recorded; a result is answered once the
// journal has synced it, while the server goes on serving. It lives in a thread of its own.
class ClassroomServer : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 MaxBody = 4096;

    ClassroomServer(const ExportedQuiz& quiz, const QString& code, const ClassroomLimits& limits,
                    ResultsJournal* journal, const QList<PupilResult>& earlier = {});
    // Waits for the results still being written, whose answers need this object.
    ~ClassroomServer() override;
    // Listens on address:port (0: any free one); false with the socket's error when it cannot.
    bool listenOn(const QHostAddress& address, quint16 port, QAbstractSocket::SocketError& error);
    quint16 port() const;
    // Starts the idle sweep; called in the server's thread.
    void start();

signals:
    void pupilJoined(const QString& id, const QString& name);
    // A result on the disk (or kept in memory only, after journalFailed).
    void resultTaken(const PupilResult& result);
    // The results file failed; results go on in memory.
    void journalFailed(std::error_code error);

private:
    void serve(HttpExchange& exchange);
    void answer(HttpExchange& exchange, int status, const QByteArray& body = {},
                const QByteArray& type = {}, const QByteArray& location = {});
    void post(const QString& what, HttpExchange& exchange);
    // Journals the result (not again when repeated) and answers reply once it is on the disk.
    void record(HttpExchange& exchange, const PupilResult& result, const QByteArray& reply,
                bool repeated);

    QString m_prefix;
    // Each file's whole reply, made once.
    QHash<QString, HttpReply> m_files;
    AnswerOrder m_order;
    ClassroomAdmission m_admission;
    ResultsJournal* m_journal;
    bool m_journalFailed = false;
    GuardedListener* m_listener = nullptr;
    HttpEndpoint* m_endpoint = nullptr;
};
