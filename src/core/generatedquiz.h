// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quizpagereader.h"

#include <QString>

class QuizSetup;

// A quiz folder this program wrote, read back for editing.
struct GeneratedQuiz {
    QString folder; // absolute
    QuizPageContents contents;
};

// Reads the quiz at path (its folder or its start.htm) and checks that this program wrote it;
// anything else throws QuirvelError. Nothing is changed, so a refusal leaves all as it was.
GeneratedQuiz readGeneratedQuiz(const QString& path);

// Starts setup afresh with the quiz's title and texts; pictures are left to the caller, which
// sets each one only where it can be shown. A quiz among the program's own (directly in
// quizzesFolder) is rewritten in place; one from elsewhere gets a new folder name, as after New.
void adoptReopened(QuizSetup& setup, const GeneratedQuiz& quiz, const QString& quizzesFolder);
