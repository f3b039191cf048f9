// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quizsetup.h"
#include "core/shuffle.h"

#include <QIODevice>
#include <QString>

// Writes the quiz page (start.htm) to an open device: 166 template lines, each ended by CR LF,
// in Windows-1251, the user's texts inserted exactly as typed. Stops at the first failed write
// and throws QuirvelError with the device's error text.
void writeStartPage(QIODevice& out, const QuizSetup& setup, const AnswerOrder& order);

// Writes quizFolder + "/start.htm" whole or not at all: a failure leaves any earlier page as it
// was and throws QuirvelError with the system's error text.
void writeStartPage(const QuizSetup& setup, const AnswerOrder& order, const QString& quizFolder);
