// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quizsetup.h"
#include "core/services.h"
#include "core/shuffle.h"

#include <QStringList>

// The supplied images every quiz page uses, in the order they are copied.
extern const QStringList DecorationNames;

// Places slot k's picture as k.jpg for every slot, the decorations and the page as start.htm in
// the quiz folder, whole or not at all: everything is staged in a hidden folder inside the quiz
// folder first and only then renamed over the old files (see quizrecovery.h), so that even a
// killed process leaves a state the recovery turns into the old quiz or the new one.
// Each picture that cannot be copied shows one box at its slot's turn; a decoration missing from
// the supplied files shows its box and leaves the old copy; the first decoration that cannot be
// staged, or a file that cannot be replaced, shows one box. Every box names the file and the
// reason. Then the result is false and the quiz folder holds the previous quiz. A page that
// cannot be written throws QuirvelError, the folder untouched. A full disk, which no other
// picture would fit either, ends the pictures at its first box.
[[nodiscard]] bool writeQuizPage(const QuizSetup& setup, const AnswerOrder& order, IShell& shell,
                                 IDialogs& dialogs);
