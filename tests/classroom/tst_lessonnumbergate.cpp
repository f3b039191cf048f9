// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/lessonnumbergate.h"

#include <QtTest>

class TestLessonNumberGate : public QObject
{
    Q_OBJECT

private slots:
    // An address has 60 wrong numbers at once and one more every 30 s; while its bucket is empty
    // even the right number is refused, so that the last answer tells nothing. Other addresses go
    // on; 1,000 wrong numbers close the way for the whole lesson.
    void guessingIsSlowedThenStopped()
    {
        using Verdict = LessonNumberGate::Verdict;
        LessonNumberGate gate("042917");
        for (int i = 0; i < 60; ++i)
            QCOMPARE(gate.check("10.0.0.1", "000000", 0), Verdict::Wrong);
        QCOMPARE(gate.check("10.0.0.1", "042917", 29999), Verdict::TooMany);
        QCOMPARE(gate.check("10.0.0.2", "042917", 29999), Verdict::Right);
        QCOMPARE(gate.check("10.0.0.1", "000001", 30000), Verdict::Wrong);
        QCOMPARE(gate.check("10.0.0.1", "042917", 30001), Verdict::TooMany);
        QCOMPARE(gate.check("10.0.0.1", "042917", 60000), Verdict::Right);
        int wrong = 61;
        for (int a = 3; wrong < 1000; ++a)
            for (int i = 0; i < 60 && wrong < 1000; ++i, ++wrong)
                QCOMPARE(gate.check(QString("10.0.1.%1").arg(a), "000000", 60000), Verdict::Wrong);
        QCOMPARE(gate.check("10.0.9.9", "042917", 60000), Verdict::Closed);
    }
};

QTEST_GUILESS_MAIN(TestLessonNumberGate)
#include "tst_lessonnumbergate.moc"
