// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/answerorder.h"

#include <functional>

// Returns a uniform integer in 0 .. n-1.
using UniformDraw = std::function<int(int n)>;

// R passes (R drawn from 0..99) of swapping each position with a partner drawn from 1..5.
AnswerOrder shuffleAnswers(const UniformDraw& draw);
// The same with a generator seeded afresh from the high-resolution clock.
AnswerOrder shuffleAnswers();
