// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/pupilresult.h"

#include <QDate>
#include <QList>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

// The results of a class as JSON lines in a file of their own, each one on the disk before the
// pupil hears it was taken, so that a crash of the program loses none. One writer thread appends
// what was queued since its last round and syncs once for all of it (group commit): the server's
// thread never waits for the disk, and a slow sync costs one wait for many results.
class ResultsJournal
{
public:
    // Runs in the writer thread once the line is synced, with the failure if it is not.
    using Done = std::function<void(std::error_code)>;

    explicit ResultsJournal(const QString& path) : m_path(path) {}
    // Writes what is queued, then ends the writer thread.
    ~ResultsJournal();
    ResultsJournal(const ResultsJournal&) = delete;
    ResultsJournal& operator=(const ResultsJournal&) = delete;

    // $XDG_DATA_HOME/quirvel/classroom, where the lessons' files are kept.
    static QString folder();
    // <folder>/<quiz>-<date>.jsonl; number 2, 3 ... for a new table the same day:
    // <quiz>-<date>-2.jsonl.
    static QString pathFor(const QString& quizFolder, QDate date, int number = 1);
    // The number of the day's latest table of the quiz; 0 when there is none.
    static int lastNumber(const QString& quizFolder, QDate date);

    const QString& path() const { return m_path; }
    // Opens the file and starts the writer thread.
    std::error_code open();
    // Queues the line; done runs after the round that wrote it synced. After a failure nothing
    // more is written and every done gets that failure.
    void append(const QByteArray& line, Done done);
    // done runs once everything queued before it is on the disk.
    void whenSynced(Done done) { append({}, std::move(done)); }
    // Returns once every queued line is written and its done has run.
    void drain();
    // For tests: runs in the writer thread before each sync, to hold it up.
    void setBeforeSync(std::function<void()> hook) { m_beforeSync = std::move(hook); }

private:
    struct Entry {
        QByteArray line;
        Done done;
    };
    void writeRounds();

    QString m_path;
    int m_fd = -1;
    std::function<void()> m_beforeSync;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_written;
    std::vector<Entry> m_queue;
    bool m_writing = false;
    bool m_stopping = false;
    std::error_code m_failure;
    std::thread m_writer;
};
