// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// One confirmed check of one pupil, as the server accepted it: "right" is the server's own count.
struct PupilResult {
    QString id;
    QString name;
    // Among pupils with equal or look-alike names, this one's place in join order (1, 2 ...);
    // 0 in files written before names were numbered.
    int number = 0;
    int right = 0;
    QStringList answers;
    QDateTime time;
    // The pupil's count of checks; 0 in files written before it was sent.
    qint64 seq = 0;

    // One line of JSON without the line break, as the results file and the command print it.
    QByteArray jsonLine() const;
    // A line written by jsonLine; nothing for anything else.
    static std::optional<PupilResult> fromJsonLine(const QByteArray& line);
};

// A name as a pupil typed it, made safe to show and to store: NFC, without control and format
// characters (bidi overrides, zero-width ones), spaces collapsed, at most MaxPupilNameLength
// characters, without a trailing "(n)": numbers are the server's, to tell equal names apart. Empty
// when nothing is left.
inline constexpr int MaxPupilNameLength = 40;
QString cleanPupilName(const QString& typed);
