// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroom.h"

#include "classroom/resultsjournal.h"
#include "core/errorreason.h"
#include "core/quirvelerror.h"
#include "export/exportedquiz.h"
#include "export/exportfile.h"

#include <QCoreApplication>
#include <QRandomGenerator>

QString newClassroomCode()
{
    static const char Alphabet[] = "abcdefghijklmnopqrstuvwxyz234567";
    QString code;
    for (int i = 0; i < 20; ++i)
        code += QLatin1Char(Alphabet[QRandomGenerator::system()->bounded(32)]);
    return code;
}

QString journalFailure(const QString& path, std::error_code error)
{
    return QStringLiteral("Не удаётся записать результаты в файл «%1»: %2.\nРезультаты остаются в "
                          "программе: сохраните их кнопкой «Сохранить результаты…».")
        .arg(path, errorReason(error));
}

Classroom::Classroom(const QString& quizFolder, const QString& suppliedFolder, QObject* parent)
    : QObject(parent), m_quizFolder(quizFolder),
      m_quiz(std::make_unique<ExportedQuiz>(quizFolder, suppliedFolder)),
      m_pageDigest(LessonRecord::pageDigest(m_quiz->page())), m_table(m_quiz->contents().order)
{
    m_thread.setObjectName(QStringLiteral("classroom"));
}

Classroom::~Classroom()
{
    stop();
}

void Classroom::chooseLesson(bool newLesson)
{
    const QDate today = QDate::currentDate();
    const int last = ResultsJournal::lastNumber(m_quizFolder, today);
    const QString latest = ResultsJournal::pathFor(m_quizFolder, today, last);
    m_lesson = newLesson || last == 0 ? LessonRecord() : LessonRecord::read(latest);
    m_continued = m_lesson.isLesson() && m_lesson.page == m_pageDigest;
    if (m_continued) {
        m_journalPath = latest;
        return;
    }
    m_lesson = LessonRecord();
    m_lesson.code = newClassroomCode();
    m_lesson.number = newLessonNumber();
    m_lesson.page = m_pageDigest;
    m_journalPath = ResultsJournal::pathFor(m_quizFolder, today, last + 1);
}

void Classroom::start(const Options& options)
{
    stop();
    chooseLesson(options.newLesson);
    m_limits = options.limits;
    m_table.reset(m_lesson);
    m_journalProblem.clear();
    m_journal = std::make_unique<ResultsJournal>(m_journalPath);
    if (const std::error_code error = m_journal->open()) {
        m_journalProblem = journalFailure(m_journalPath, error);
        m_journal.reset();
    } else {
        m_journal->setBeforeSync(m_beforeSync);
        if (!m_continued)
            m_journal->append(m_lesson.headerLine(), {});
    }
    auto* server = new ClassroomServer(*m_quiz, m_lesson, options.limits, m_journal.get());
    if (const std::error_code error = server->listenOn(options.address, options.port)) {
        delete server;
        m_journal.reset();
        const QString port = QString::number(options.port);
        if (error == std::errc::address_in_use)
            throw QuirvelError(QStringLiteral("Порт %1 уже занят другой программой. Закройте её "
                                              "или укажите другой порт.")
                                   .arg(port));
        if (error == std::errc::address_not_available)
            throw QuirvelError(QStringLiteral("У этого компьютера нет адреса %1.")
                                   .arg(options.address.toString()));
        if (error == std::errc::permission_denied)
            throw QuirvelError(
                QStringLiteral("Нет прав открыть порт %1: выберите порт больше 1023.").arg(port));
        throw QuirvelError(QStringLiteral("Не удаётся открыть порт %1 для учеников.").arg(port));
    }
    m_port = server->port();
    connect(server, &ClassroomServer::pupilJoined, &m_table, &ClassroomTable::join);
    connect(server, &ClassroomServer::pupilSeen, &m_table, [this](const QString& id, bool hidden) {
        m_table.seen(id, hidden, QDateTime::currentMSecsSinceEpoch());
    });
    connect(server, &ClassroomServer::resultTaken, this, &Classroom::takeResult);
    connect(server, &ClassroomServer::addressFull, this, &Classroom::addressFull);
    connect(server, &ClassroomServer::journalFailed, this, [this](std::error_code failure) {
        emit journalFailed(journalFailure(m_journalPath, failure));
    });
    server->moveToThread(&m_thread);
    connect(&m_thread, &QThread::started, server, &ClassroomServer::start);
    m_server = server;
    m_thread.start();
}

void Classroom::stop()
{
    if (!m_server)
        return;
    // Deleted in its own thread, with its sockets and timers.
    QMetaObject::invokeMethod(
        m_server, [server = m_server] { delete server; }, Qt::BlockingQueuedConnection);
    m_server = nullptr;
    m_thread.quit();
    m_thread.wait();
    m_journal.reset();
    // The last results the server took before it went, so that a spreadsheet saved now has them.
    QCoreApplication::sendPostedEvents(this);
    QCoreApplication::sendPostedEvents(&m_table);
}

QString Classroom::title() const
{
    return m_quiz->contents().title;
}

QString Classroom::url(const QHostAddress& address) const
{
    return QStringLiteral("http://%1:%2/%3/").arg(address.toString()).arg(m_port).arg(code());
}

void Classroom::takeResult(const PupilResult& result)
{
    m_table.add(result);
    emit resultTaken(result);
}

void Classroom::removePupils(const QStringList& ids)
{
    for (const QString& id : ids) {
        m_table.remove(id);
        if (m_server)
            QMetaObject::invokeMethod(m_server,
                                      [server = m_server, id] { server->removePupil(id); });
    }
}

void Classroom::setPupilsPerAddress(int pupils)
{
    m_limits.pupilsPerAddress = pupils;
    if (m_server)
        QMetaObject::invokeMethod(
            m_server, [server = m_server, pupils] { server->setPupilsPerAddress(pupils); });
}

void Classroom::saveResults(const QString& file) const
{
    ExportFile out(file);
    out.write(m_table.csv());
    out.commit();
}
