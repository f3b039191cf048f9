// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/pagetemplate.h"
#include "core/quizpagereader.h"
#include "core/quizsetup.h"
#include "core/shuffle.h"

#include <QIODevice>
#include <QString>
#include <functional>

// What stands in the page for a file it names (the background, a number image, a picture, a
// separator line): the bytes of the src or background value, given the file's name.
using PageFileSource = std::function<QByteArray(const QString& name)>;

// The quiz page: 166 template lines, each ended by CR LF, in Windows-1251, the texts inserted
// exactly as typed. Without a fileSource every file is named as it is in the quiz folder.
QByteArray renderPage(const QuizPageContents& contents, const PageFileSource& fileSource = {});

// Writes the page of this setup to an open device. Stops at the first failed write and throws
// QuirvelError "Не удаётся записать файл «start.htm»: " and the reason.
void writeStartPage(QIODevice& out, const QuizSetup& setup, const AnswerOrder& order);

// Writes quizFolder + "/start.htm" whole or not at all: a failure leaves any earlier page as it
// was and throws QuirvelError as above.
void writeStartPage(const QuizSetup& setup, const AnswerOrder& order, const QString& quizFolder);
