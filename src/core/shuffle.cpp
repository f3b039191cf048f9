#include "core/shuffle.h"

#include "core/quirvelerror.h"

#include <QStringList>
#include <chrono>
#include <random>
#include <utility>

int AnswerOrder::operator[](int k) const
{
    if (k < 1 || k > int(Entries.size()))
        throw QuirvelError(QStringLiteral("Номер ответа вне диапазона 1..6: %1").arg(k));
    return Entries[k - 1];
}

AnswerOrder ShuffleAnswers(const UniformDraw& draw)
{
    AnswerOrder order;
    std::array<int, 6>& e = order.Entries;
    const int passes = draw(100);
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 1; i <= 6; ++i) {
            // The partner never reaches position 6; that position moves only as the walking index.
            const int j = 1 + draw(5);
            Q_ASSERT(j >= 1 && j <= 5);
            std::swap(e[i - 1], e[j - 1]);
        }
    }
    QStringList parts;
    for (const int entry : e)
        parts << QString::number(entry);
    order.Text = parts.join(QStringLiteral(", "));
    return order;
}

AnswerOrder ShuffleAnswers()
{
    std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    return ShuffleAnswers(
        [&generator](int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator); });
}
