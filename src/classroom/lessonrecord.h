// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/pupilresult.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

// A pupil as the lesson file keeps one: the token only as its SHA-256, so that the file lets no one
// act for a pupil.
struct LessonPupil {
    QByteArray tokenDigest; // raw SHA-256
    QString id;
    QString name;
    int number = 1;
    int pupil = 0;
    QDateTime joined;
};

// A lesson: one quiz page, as generated, played on one day. Its file is the results file, mode
// 0600, in lines of JSON: first the lesson itself (its code, its six-digit number and the SHA-256
// of the page), then joins, results and removals as they happen. A lesson read back goes on as it
// was: the same code and number, every pupil's token still good.
struct LessonRecord {
    QString code;
    QString number;
    QByteArray page; // hex SHA-256 of start.htm
    // Every pupil who joined, in join order, and every result, in the order taken; removed ones
    // too, since the numbers they took are not given again.
    QList<LessonPupil> pupils;
    QList<PupilResult> results;
    QSet<QString> removed; // ids

    bool isLesson() const { return !code.isEmpty(); }

    static QByteArray pageDigest(const QByteArray& page);
    QByteArray headerLine() const;
    static QByteArray joinLine(const LessonPupil& pupil);
    static QByteArray removalLine(const QString& id, const QDateTime& time);
    // What the file holds; lines cut off by a crash or not of this kind are skipped. A file
    // written before lessons were kept has results but no code.
    static LessonRecord read(const QString& path);
};

// Six digits, for a pupil who types the address: any of 000000..999999.
QString newLessonNumber();
