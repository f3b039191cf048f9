#pragma once

#include <QString>
#include <array>
#include <functional>

// Which picture's answer stands in which answer cell: entry k (k = 1..6) is the picture whose
// answer fills cell k-1 of the page. Text is the same numbers joined by ", " for the page's script.
struct AnswerOrder {
    std::array<int, 6> Entries{1, 2, 3, 4, 5, 6};
    QString Text = QStringLiteral("1, 2, 3, 4, 5, 6");
    int operator[](int k) const; // k = 1..6
};

// Returns a uniform integer in 0 .. n-1.
using UniformDraw = std::function<int(int n)>;

// R passes (R drawn from 0..99) of swapping each position with a partner drawn from 1..5.
AnswerOrder ShuffleAnswers(const UniformDraw& draw);
// The same with a generator seeded afresh from the high-resolution clock.
AnswerOrder ShuffleAnswers();
