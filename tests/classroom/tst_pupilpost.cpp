// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/pupilpost.h"

#include <QtTest>

class TestPupilPost : public QObject
{
    Q_OBJECT

private slots:
    // A body is taken only in its one exact form: "what" is what the server reads from it (the
    // cleaned name of a join; the answers and seq of a result), empty when refused.
    void parse_data()
    {
        QTest::addColumn<bool>("result");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("what");
        const QByteArray token = "0123456789abcdef0123456789abcdef";
        const auto result = [&](const QByteArray& answers, const QByteArray& seq = "1") {
            return "{\"token\":\"" + token + "\",\"answers\":[" + answers + "],\"seq\":" + seq +
                   "}";
        };
        const QByteArray six = "3,null,2,6,4,null";
        // clang-format off
        QTest::newRow("join") << false << QByteArray(R"({"name":" Аня  Ли "})") << "Аня Ли";
        QTest::newRow("join with token") << false << "{\"name\":\"Аня\",\"token\":\"" + token + "\"}" << "Аня";
        QTest::newRow("format characters removed") << false << QByteArray("{\"name\":\"\\u202eА\\u200bня\\u2066\"}") << "Аня";
        QTest::newRow("typed number removed") << false << QByteArray("{\"name\":\"Аня (2) ( 3 )\"}") << "Аня";
        QTest::newRow("lone surrogate gone, cut at 40 characters")
            << false << "{\"name\":\"\\ud83dА" + QByteArray("😀").repeated(41) + "\"}"
            << "А" + QString("😀").repeated(39);
        QTest::newRow("nothing left of a name") << false << QByteArray("{\"name\":\"\\u200b(1)\"}") << "";
        QTest::newRow("join, unknown field") << false << QByteArray(R"({"name":"Аня","id":"x"})") << "";
        QTest::newRow("result") << true << result(six, "7") << "3,0,2,6,4,0 #7";
        QTest::newRow("answer 7") << true << result("3,7,2,6,4,5") << "";
        QTest::newRow("answer as text") << true << result("\"3\",1,2,6,4,5") << "";
        QTest::newRow("answer 1.5") << true << result("3,1.5,2,6,4,5") << "";
        QTest::newRow("five answers") << true << result("3,1,2,6,4") << "";
        QTest::newRow("seq 0") << true << result(six, "0") << "";
        QTest::newRow("seq as text") << true << result(six, "\"1\"") << "";
        QTest::newRow("token as a number") << true << QByteArray(R"({"token":12,"answers":[3,1,2,6,4,5],"seq":1})") << "";
        QTest::newRow("no token, for a 403") << true << QByteArray(R"({"answers":[3,1,2,6,4,5],"seq":2})") << "3,1,2,6,4,5 #2";
        QTest::newRow("broken JSON") << true << result(six).chopped(1) << "";
        // clang-format on
    }
    void parse()
    {
        QFETCH(bool, result);
        QFETCH(QByteArray, body);
        QFETCH(QString, what);
        const auto post =
            PupilPost::parse(result ? PupilPost::Kind::Result : PupilPost::Kind::Join, body);
        QCOMPARE(post.has_value(), !what.isEmpty());
        if (!post)
            return;
        QStringList answers;
        for (const int answer : post->answers)
            answers << QString::number(answer);
        QCOMPARE(result ? answers.join(',') + " #" + QString::number(post->seq) : post->name, what);
    }
};

QTEST_GUILESS_MAIN(TestPupilPost)
#include "tst_pupilpost.moc"
