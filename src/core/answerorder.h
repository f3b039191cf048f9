// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quizsetup.h"

#include <QString>
#include <array>

// Which picture's answer stands in which answer cell: entry k (k = 1..6) is the picture whose
// answer fills cell k-1 of the page. Text is the same numbers joined by ", " for the page's script.
struct AnswerOrder {
    std::array<int, QuizSetup::SlotCount> entries{1, 2, 3, 4, 5, 6};
    QString text = QStringLiteral("1, 2, 3, 4, 5, 6");
    int operator[](int k) const; // k = 1..6
};
