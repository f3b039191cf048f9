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
      m_quiz(std::make_unique<ExportedQuiz>(quizFolder, suppliedFolder))
{
    m_thread.setObjectName(QStringLiteral("classroom"));
}

Classroom::~Classroom()
{
    stop();
}

void Classroom::start(const Options& options, const QString& journalPath,
                      const QList<PupilResult>& earlier)
{
    stop();
    m_table = ClassroomTable();
    for (const PupilResult& result : earlier)
        m_table.add(result);
    m_journalPath = journalPath;
    m_journalProblem.clear();
    m_journal = std::make_unique<ResultsJournal>(journalPath);
    if (const std::error_code error = m_journal->open()) {
        m_journalProblem = journalFailure(journalPath, error);
        m_journal.reset();
    } else {
        m_journal->setBeforeSync(m_beforeSync);
    }
    m_code = newClassroomCode();
    auto* server = new ClassroomServer(*m_quiz, m_code, options.limits, m_journal.get(), earlier);
    QAbstractSocket::SocketError error{};
    if (!server->listenOn(options.address, options.port, error)) {
        delete server;
        m_journal.reset();
        const QString port = QString::number(options.port);
        switch (error) {
        case QAbstractSocket::AddressInUseError:
            throw QuirvelError(QStringLiteral("Порт %1 уже занят другой программой. Закройте её "
                                              "или укажите другой порт.")
                                   .arg(port));
        case QAbstractSocket::SocketAddressNotAvailableError:
            throw QuirvelError(QStringLiteral("У этого компьютера нет адреса %1.")
                                   .arg(options.address.toString()));
        case QAbstractSocket::SocketAccessError:
            throw QuirvelError(
                QStringLiteral("Нет прав открыть порт %1: выберите порт больше 1023.").arg(port));
        default:
            throw QuirvelError(
                QStringLiteral("Не удаётся открыть порт %1 для учеников.").arg(port));
        }
    }
    m_port = server->port();
    connect(server, &ClassroomServer::pupilJoined, this, &Classroom::pupilJoined);
    connect(server, &ClassroomServer::resultTaken, this, &Classroom::takeResult);
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
}

QString Classroom::url(const QHostAddress& address) const
{
    return QStringLiteral("http://%1:%2/%3/").arg(address.toString()).arg(m_port).arg(m_code);
}

void Classroom::takeResult(const PupilResult& result)
{
    m_table.add(result);
    emit resultTaken(result);
}

void Classroom::saveResults(const QString& file) const
{
    ExportFile out(file);
    out.write(m_table.csv());
    out.commit();
}
