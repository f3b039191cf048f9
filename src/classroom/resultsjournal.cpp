// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/resultsjournal.h"

#include "core/errorreason.h"
#include "core/filecopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ResultsJournal::~ResultsJournal()
{
    if (m_writer.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_queued.notify_one();
        m_writer.join();
    }
    if (m_fd >= 0)
        ::close(m_fd);
}

QString ResultsJournal::pathFor(const QString& quizFolder, QDate date, int number)
{
    QString quiz = QFileInfo(quizFolder).fileName();
    for (QChar& c : quiz)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    QString name = quiz + QLatin1Char('-') + date.toString(Qt::ISODate);
    if (number > 1)
        name += QLatin1Char('-') + QString::number(number);
    return folder() + QLatin1Char('/') + name + QStringLiteral(".jsonl");
}

QString ResultsJournal::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/quirvel/classroom");
}

int ResultsJournal::lastNumber(const QString& quizFolder, QDate date)
{
    int number = 0;
    while (QFileInfo::exists(pathFor(quizFolder, date, number + 1)))
        ++number;
    return number;
}

std::error_code ResultsJournal::open()
{
    errno = 0;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return lastSystemError();
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC,
                  0600);
    if (m_fd < 0)
        return lastSystemError();
    // A line cut off by a crash is ended first: the next result glued to it would be lost too.
    struct stat info = {};
    char last = '\n';
    errno = 0;
    if (::fstat(m_fd, &info) != 0 ||
        (info.st_size > 0 && ::pread(m_fd, &last, 1, info.st_size - 1) != 1))
        return lastSystemError();
    if (last != '\n') {
        if (const std::error_code error = writeAll(m_fd, "\n", 1))
            return error;
        if (::fdatasync(m_fd) != 0)
            return lastSystemError();
    }
    m_writer = std::thread([this] { writeRounds(); });
    return {};
}

void ResultsJournal::append(const QByteArray& line, Done done)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({line, std::move(done)});
    }
    m_queued.notify_one();
}

void ResultsJournal::drain()
{
    std::unique_lock lock(m_mutex);
    m_written.wait(lock,
                   [this] { return (m_queue.empty() && !m_writing) || !m_writer.joinable(); });
}

void ResultsJournal::writeRounds()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_queued.wait(lock, [this] { return !m_queue.empty() || m_stopping; });
        if (m_queue.empty())
            return;
        std::vector<Entry> round;
        round.swap(m_queue);
        m_writing = true;
        std::error_code error = m_failure;
        lock.unlock();
        QByteArray bytes;
        for (const Entry& entry : round)
            if (!entry.line.isEmpty())
                bytes += entry.line + '\n';
        if (!error && !bytes.isEmpty()) {
            error = writeAll(m_fd, bytes.constData(), bytes.size());
            if (m_beforeSync)
                m_beforeSync();
            if (!error && ::fdatasync(m_fd) != 0)
                error = lastSystemError();
        }
        for (const Entry& entry : round)
            if (entry.done)
                entry.done(error);
        lock.lock();
        if (error)
            m_failure = error;
        m_writing = false;
        m_written.notify_all();
    }
}
