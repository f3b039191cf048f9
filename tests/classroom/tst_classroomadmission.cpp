// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomadmission.h"

#include <QtTest>

namespace
{

PupilPost join(const QString& name, const QByteArray& token = {})
{
    PupilPost post;
    post.name = name;
    post.token = token;
    post.tokenSent = !token.isEmpty();
    return post;
}

PupilPost result(const QByteArray& token, qint64 seq, int first = 3)
{
    PupilPost post;
    post.kind = PupilPost::Kind::Result;
    post.token = token;
    post.seq = seq;
    post.answers = {first, 1, 2, 6, 4, 5};
    return post;
}

constexpr qint64 Minute = 60000;

} // namespace

class TestClassroomAdmission : public QObject
{
    Q_OBJECT

private slots:
    // Joins from several addresses as fast as they come (per-minute limits lifted): each address
    // gets its cap, the class its cap, and no more; then a pupil from another address.
    void floodLeavesRoom_data()
    {
        QTest::addColumn<int>("pupils");
        QTest::addColumn<int>("perAddress");
        QTest::addColumn<int>("addresses");
        QTest::addColumn<int>("admitted");
        QTest::addColumn<int>("latecomer");
        QTest::newRow("4 flooding addresses") << 200 << 40 << 4 << 160 << 200;
        QTest::newRow("class cap exactly") << 7 << 40 << 1 << 7 << 403;
        QTest::newRow("address cap exactly") << 200 << 3 << 2 << 6 << 200;
    }
    void floodLeavesRoom()
    {
        QFETCH(int, pupils);
        QFETCH(int, perAddress);
        QFETCH(int, addresses);
        ClassroomAdmission admission({20, 1000000, pupils, perAddress});
        int admitted = 0;
        for (int a = 1; a <= addresses; ++a)
            for (int i = 0; i < 60; ++i)
                admitted +=
                    admission.join(QString("127.0.0.%1").arg(a), join("x"), 0).status == 200;
        QTEST(admitted, "admitted");
        const auto pupil = admission.join("127.0.1.1", join("Аня"), 0);
        QTEST(pupil.status, "latecomer");
        if (pupil.status == 200)
            QCOMPARE(admission.result("127.0.1.1", result(pupil.token, 1), 0).status, 200);
    }
    // What acts for a pupil needs its token; the per-minute limits slow, then let in again;
    // results are limited per pupil, not per address; a seq sent again is not recorded again.
    void tokensAndLimits()
    {
        ClassroomAdmission admission({2, 3, 200, 40});
        const QString home = "127.0.0.1";
        const auto a = admission.join(home, join("Аня"), 0);
        const auto b = admission.join(home, join("Боря"), 0);
        QCOMPARE(admission.join(home, join("Вера"), 1).status, 200);
        QCOMPARE(admission.join(home, join("Гена"), 2).status, 429);
        QCOMPARE(admission.join(home, join("Гена"), Minute + 1).status, 200);
        for (const QByteArray& wrong : {QByteArray(32, 'f'), a.token + "\n", a.token.toUpper(), {}})
            QCOMPARE(admission.result(home, result(wrong, 1), Minute + 3).status, 403);
        QCOMPARE(admission.join(home, join("Аня", QByteArray(32, 'f')), Minute + 2).status, 403);
        QCOMPARE(admission.join("127.0.0.2", join("Аня", a.token), Minute + 4).pupil, a.pupil);
        QCOMPARE(admission.result(home, result(a.token, 1, 3), Minute + 5).repeated, false);
        const auto again = admission.result(home, result(a.token, 1, 5), Minute + 6);
        QVERIFY(again.repeated && again.answers[0] == 3 && again.status == 200);
        QCOMPARE(admission.result(home, result(a.token, 2), Minute + 7).status, 200);
        QCOMPARE(admission.result(home, result(a.token, 3), Minute + 8).status, 429);
        QCOMPARE(admission.result(home, result(b.token, 1), Minute + 9).status, 200);
    }
    // A place whose token did nothing for ten minutes goes to whoever needs it; the token takes a
    // free place again as the same pupil.
    void idlePlacesAreFreed()
    {
        ClassroomAdmission admission({20, 60, 1, 40});
        const auto a = admission.join("127.0.0.1", join("Аня"), 0);
        QCOMPARE(admission.join("127.0.0.2", join("Боря"), 5 * Minute).status, 403);
        const auto b = admission.join("127.0.0.2", join("Боря"), 10 * Minute);
        QCOMPARE(b.status, 200);
        QCOMPARE(admission.result("127.0.0.1", result(a.token, 1), 11 * Minute).status, 403);
        const auto back = admission.result("127.0.0.1", result(a.token, 1), 20 * Minute);
        QCOMPARE(back.status, 200);
        QCOMPARE(back.id, a.id);
        QCOMPARE(admission.seated(), 1);
    }
    // A lesson read back after a restart: its tokens are good, a seq it recorded is answered as
    // before, no number is given again, and a removed pupil's token is good no more. Joins with a
    // token (reloads) never count against the join limit.
    void lessonGoesOn()
    {
        const QString home = "127.0.0.1";
        ClassroomAdmission before({20, 1, 200, 40});
        const auto a = before.join(home, join("Аня"), 0);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(before.join(home, join("Аня", a.token), 1).status, 200);
        QCOMPARE(before.join(home, join("Боря"), 2).status, 429);
        LessonRecord lesson;
        lesson.pupils << *a.joined;
        lesson.results << PupilResult{a.id, "Аня", 1, 1, {"4", "1", "", "", "", ""}, {}, 7};
        ClassroomAdmission after({20, 60, 200, 40});
        after.continueFrom(lesson);
        const auto again = after.result(home, result(a.token, 7), 0);
        QVERIFY(again.status == 200 && again.repeated && again.answers[0] == 4);
        QCOMPARE(again.id, a.id);
        QCOMPARE(after.join(home, join("аня"), 0).number, 2);
        after.remove(a.id);
        QCOMPARE(after.result(home, result(a.token, 8), 0).status, 403);
        QCOMPARE(after.seated(), 1);
    }
};

QTEST_GUILESS_MAIN(TestClassroomAdmission)
#include "tst_classroomadmission.moc"
