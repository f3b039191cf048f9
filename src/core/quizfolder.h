#pragma once

#include "core/quizsetup.h"
#include "core/services.h"
#include "core/shuffle.h"

#include <QStringList>

// The supplied images every quiz page uses, in the order they are copied.
extern const QStringList DecorationNames;

// Places slot k's picture as k.jpg in the quiz folder for every slot, and the page as start.htm,
// whole or not at all: all seven are made in a hidden folder inside the quiz folder first and only
// then renamed over the old ones, which are kept until the set is complete. Each picture that
// cannot be copied shows one box at its slot's turn; a file that cannot be replaced shows one box
// and the replaced ones are put back. Either way the result is false and the quiz folder holds
// the previous quiz. A page that cannot be written throws QuirvelError, the folder untouched.
[[nodiscard]] bool writeQuizPage(const QuizSetup& setup, const AnswerOrder& order, IShell& shell,
                                 IDialogs& dialogs);

// Copies the decoration images from the supplied folder into the quiz folder, one box per failure.
void copyDecorations(const QuizSetup& setup, IShell& shell, IDialogs& dialogs);
