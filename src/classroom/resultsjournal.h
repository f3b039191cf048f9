// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/pupilresult.h"

#include <QDate>
#include <QList>
#include <QString>

#include <system_error>

// The results of a class as JSON lines in a file of their own, each one on the disk before the
// pupil hears it was taken, so that a crash of the program loses none.
class ResultsJournal
{
public:
    explicit ResultsJournal(const QString& path) : m_path(path) {}
    ~ResultsJournal();
    ResultsJournal(const ResultsJournal&) = delete;
    ResultsJournal& operator=(const ResultsJournal&) = delete;

    // $XDG_DATA_HOME/quirvel/classroom/<quiz>-<date>.jsonl; number 2, 3 ... for a new table the
    // same day: <quiz>-<date>-2.jsonl.
    static QString pathFor(const QString& quizFolder, QDate date, int number = 1);
    // Today's latest table of the quiz, to continue it; empty when there is none.
    static QString latestPath(const QString& quizFolder, QDate date);
    // A file for a new table, beside any earlier ones of the day.
    static QString newPath(const QString& quizFolder, QDate date);
    // The results a journal holds; lines it did not write are skipped.
    static QList<PupilResult> read(const QString& path);

    const QString& path() const { return m_path; }
    std::error_code open();
    // Appends the line and syncs it.
    std::error_code append(const QByteArray& line);

private:
    QString m_path;
    int m_fd = -1;
};
