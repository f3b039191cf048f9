// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/shuffle.h"

#include "core/quirvelerror.h"

#include <QStringList>
#include <chrono>
#include <random>
#include <utility>

AnswerOrder shuffleAnswers(const UniformDraw& draw)
{
    AnswerOrder order;
    constexpr int Last = QuizSetup::SlotCount;
    std::array<int, Last>& e = order.entries;
    const int passes = draw(100);
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 1; i <= Last; ++i) {
            // The partner never reaches the last position; that one moves only as the walking
            // index.
            const int j = 1 + draw(Last - 1);
            Q_ASSERT(j >= 1 && j < Last);
            std::swap(e[i - 1], e[j - 1]);
        }
    }
    QStringList parts;
    for (const int entry : e)
        parts << QString::number(entry);
    order.text = parts.join(QStringLiteral(", "));
    return order;
}

AnswerOrder shuffleAnswers()
{
    std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    return shuffleAnswers(
        [&generator](int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator); });
}
