// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/shuffle.h"

#include <QtTest>
#include <algorithm>

Q_DECLARE_METATYPE(QList<int>)

class TestShuffle : public QObject
{
    Q_OBJECT
private slots:
    void scriptedDraws_data();
    void scriptedDraws();
    void clockSeededOrdersArePermutations();
};

void TestShuffle::scriptedDraws_data()
{
    QTest::addColumn<int>("passes");
    QTest::addColumn<QList<int>>("partnerDraws"); // repeated for every pass
    QTest::addColumn<QString>("text");
    QTest::newRow("R = 0 keeps the identity") << 0 << QList<int>{} << "1, 2, 3, 4, 5, 6";
    QTest::newRow("partner always 1") << 1 << QList<int>{0} << "6, 1, 2, 3, 4, 5";
    QTest::newRow("partner always 5") << 1 << QList<int>{4} << "5, 1, 2, 3, 6, 4";
    QTest::newRow("two passes undo each other")
        << 2 << QList<int>{0, 1, 2, 3, 4, 4} << "1, 2, 3, 4, 5, 6";
}

void TestShuffle::scriptedDraws()
{
    QFETCH(int, passes);
    QFETCH(QList<int>, partnerDraws);
    QFETCH(QString, text);
    QList<int> ranges;
    int partnerCalls = 0;
    const AnswerOrder order = shuffleAnswers([&](int n) {
        ranges << n;
        if (ranges.size() == 1)
            return passes;
        return partnerDraws.at(partnerCalls++ % partnerDraws.size());
    });
    QCOMPARE(order.text, text);
    const QStringList numbers = text.split(QStringLiteral(", "));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(order[k], numbers.at(k - 1).toInt());
    // One draw of R from 0..99, then six partner draws from 0..4 per pass: never position 6.
    QList<int> expectedRanges{100};
    for (int i = 0; i < 6 * passes; ++i)
        expectedRanges << 5;
    QCOMPARE(ranges, expectedRanges);
}

void TestShuffle::clockSeededOrdersArePermutations()
{
    QSet<QString> seen;
    for (int run = 0; run < 500; ++run) {
        const AnswerOrder order = shuffleAnswers();
        QStringList numbers;
        for (int k = 1; k <= 6; ++k)
            numbers << QString::number(order[k]);
        QCOMPARE(order.text, numbers.join(QStringLiteral(", ")));
        std::array<int, 6> sorted = order.entries;
        std::sort(sorted.begin(), sorted.end());
        QVERIFY2((sorted == std::array<int, 6>{1, 2, 3, 4, 5, 6}), qPrintable(order.text));
        seen.insert(order.text);
    }
    // Re-seeded at every call: a run of equal orders would mean a stuck seed.
    QVERIFY(seen.size() > 50);
}

QTEST_GUILESS_MAIN(TestShuffle)
#include "tst_shuffle.moc"
