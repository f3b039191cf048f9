#pragma once

#include "core/quizsetup.h"
#include "core/services.h"
#include "core/shuffle.h"

#include <QStringList>

// The supplied images every quiz page uses, in the order they are copied.
extern const QStringList DecorationNames;

// Places slot k's picture as k.jpg in the quiz folder for every slot, then writes the page.
// Failed deletions and copies are reported one box each and the work goes on; a failure while
// writing the page throws QuirvelError.
void writeQuizPage(const QuizSetup& setup, const AnswerOrder& order, IShell& shell,
                   IDialogs& dialogs);

// Copies the decoration images from the supplied folder into the quiz folder, one box per failure.
void copyDecorations(const QuizSetup& setup, IShell& shell, IDialogs& dialogs);
