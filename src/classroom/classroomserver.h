// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/classroomadmission.h"
#include "classroom/httpendpoint.h"
#include "classroom/lessonnumbergate.h"
#include "classroom/lessonrecord.h"
#include "classroom/phonepage.h"
#include "classroom/pupilresult.h"
#include "core/answerorder.h"

#include <QAbstractSocket>
#include <QHash>
#include <QHostAddress>

#include <functional>
#include <system_error>

class ExportedQuiz;
class GuardedListener;
class QHttpServerRequest;
class ResultsJournal;

// The HTTP side of a lesson. It serves the pupils' page from memory under /<code>/ (PhonePage's
// files), takes "join", "result" and "presence" posts, asks for the lesson's six-digit number at
// "/", and answers everything else with one page saying the lesson is gone. A post is parsed
// (PupilPost), admitted (ClassroomAdmission) and recorded; a join or a result is answered once the
// journal has synced it, while the server goes on serving. It lives in a thread of its own.
class ClassroomServer : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 MaxBody = 4096;

    // A lesson with a code and a number, its pupils and results so far.
    ClassroomServer(const ExportedQuiz& quiz, const LessonRecord& lesson,
                    const ClassroomLimits& limits, ResultsJournal* journal);
    // Waits for the results still being written, whose answers need this object.
    ~ClassroomServer() override;
    // Listens on address:port (0: any free one): address_in_use, address_not_available,
    // permission_denied or io_error when it cannot.
    std::error_code listenOn(const QHostAddress& address, quint16 port);
    quint16 port() const;
    // Starts the idle sweep; called in the server's thread.
    void start();
    // The teacher's own; called in the server's thread.
    void removePupil(const QString& id);
    void setPupilsPerAddress(int pupils);

signals:
    // A pupil new to the lesson, on the disk.
    void pupilJoined(const LessonPupil& pupil);
    // The pupil's page is open (hidden: in the background). Sent at most every few seconds per
    // pupil unless it changed.
    void pupilSeen(const QString& id, bool hidden);
    // An address holds all the places one may hold; once per address and cap.
    void addressFull(const QString& address, int pupils);
    // A result on the disk (or kept in memory only, after journalFailed).
    void resultTaken(const PupilResult& result);
    // The results file failed; results go on in memory.
    void journalFailed(std::error_code error);

private:
    void serve(HttpExchange& exchange);
    void answer(HttpExchange& exchange, int status, const QByteArray& body = {},
                const QByteArray& type = {}, const QByteArray& location = {});
    void post(const QString& what, HttpExchange& exchange);
    void enter(HttpExchange& exchange);
    void seen(const QString& id, bool hidden);
    // Journals line (none: just waits for what is queued) and answers once it is on the disk;
    // then runs taken.
    void record(HttpExchange& exchange, const QByteArray& line, const QByteArray& reply,
                std::function<void()> taken);

    QString m_prefix;
    LessonNumberGate m_numbers;
    struct Seen {
        qint64 at = 0;
        bool hidden = false;
    };
    QHash<QString, Seen> m_seen;
    QHash<QString, int> m_fullNoticed;
    // Each file's whole reply, made once.
    QHash<QString, HttpReply> m_files;
    // For every path that is no lesson's: the same page, so that nothing tells a code apart.
    HttpReply m_gone;
    AnswerOrder m_order;
    ClassroomAdmission m_admission;
    ResultsJournal* m_journal;
    // The page for typing the lesson's number, its problem filled in per request.
    QByteArray m_enterPage;
    bool m_journalFailed = false;
    GuardedListener* m_listener = nullptr;
    HttpEndpoint* m_endpoint = nullptr;
};
