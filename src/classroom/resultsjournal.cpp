// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/resultsjournal.h"

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
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/quirvel/classroom/") + name + QStringLiteral(".jsonl");
}

QString ResultsJournal::latestPath(const QString& quizFolder, QDate date)
{
    QString latest;
    for (int number = 1; QFileInfo::exists(pathFor(quizFolder, date, number)); ++number)
        latest = pathFor(quizFolder, date, number);
    return latest;
}

QString ResultsJournal::newPath(const QString& quizFolder, QDate date)
{
    int number = 1;
    while (QFileInfo::exists(pathFor(quizFolder, date, number)))
        ++number;
    return pathFor(quizFolder, date, number);
}

QList<PupilResult> ResultsJournal::read(const QString& path)
{
    QList<PupilResult> results;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return results;
    while (!file.atEnd())
        if (auto result = PupilResult::fromJsonLine(file.readLine().trimmed()))
            results << *result;
    return results;
}

std::error_code ResultsJournal::open()
{
    errno = 0;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return std::error_code(errno ? errno : EACCES, std::generic_category());
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC,
                  0600);
    if (m_fd < 0)
        return std::error_code(errno, std::generic_category());
    // A line cut off by a crash is ended first: the next result glued to it would be lost too.
    struct stat info = {};
    char last = '\n';
    errno = 0;
    if (::fstat(m_fd, &info) != 0 ||
        (info.st_size > 0 && ::pread(m_fd, &last, 1, info.st_size - 1) != 1))
        return std::error_code(errno ? errno : EIO, std::generic_category());
    return last == '\n' ? std::error_code() : append(QByteArray());
}

std::error_code ResultsJournal::append(const QByteArray& line)
{
    if (m_fd < 0)
        return std::make_error_code(std::errc::bad_file_descriptor);
    const QByteArray bytes = line + '\n';
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::error_code(n < 0 ? errno : EIO, std::generic_category());
        done += n;
    }
    if (::fdatasync(m_fd) != 0)
        return std::error_code(errno, std::generic_category());
    return {};
}
