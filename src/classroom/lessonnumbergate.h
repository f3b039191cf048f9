// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>

// The six-digit way into a lesson, kept from being guessed. Each address has a bucket of wrong
// numbers: Burst at once, one more back every RefillMs. The whole lesson takes at most
// LessonCap wrong numbers; after that only the QR code and the full address lead in.
// One address then guesses at most 60 + 2 x 1,440 = 2,940 of the million numbers a day (0.3 %);
// all addresses together at most 1,000 (0.1 %). A lab of 40 behind one address, each pupil
// mistyping once, stays within the burst.
class LessonNumberGate
{
public:
    static constexpr int Burst = 60;
    static constexpr qint64 RefillMs = 30 * 1000;
    static constexpr int LessonCap = 1000;
    // Buckets kept at most; full ones are forgotten first, since they hold nothing.
    static constexpr int MaxAddresses = 4096;

    enum class Verdict { Right, Wrong, TooMany, Closed };

    explicit LessonNumberGate(const QString& number) : m_number(number) {}
    Verdict check(const QString& address, const QString& typed, qint64 now);

private:
    struct Bucket {
        double left = Burst;
        qint64 at = 0;
    };
    void refill(Bucket& bucket, qint64 now) const;

    QString m_number;
    int m_wrong = 0;
    QHash<QString, Bucket> m_buckets;
};
