// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/shuffle.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>

// What a quiz page holds of its quiz, as the setup keeps it: the texts as they were typed (an
// answer's line breaks as CR LF), slot k at index k-1, and the answer order the page was written
// with. Writing the page again from these with the same order gives the same bytes.
struct QuizPageContents {
    QString title;
    std::array<QString, QuizSetup::SlotCount> questions;
    std::array<QString, QuizSetup::SlotCount> answers;
    std::array<QString, QuizSetup::SlotCount> extensions;
    AnswerOrder order;
};

// A bigger file cannot be a page and is refused without being read.
constexpr qint64 MaxQuizPageSize = 16 * 1024 * 1024;

// Reads a start.htm that this program wrote. Anything else (another page, a page edited by hand
// or written by a build with another credit line, a cut or oversized file) throws QuirvelError
// with a message for the user; nothing is returned half read. bytes, when given, gets the page as
// it was read.
QuizPageContents readQuizPage(const QString& pagePath, QByteArray* bytes = nullptr);
QuizPageContents readQuizPage(const QByteArray& bytes);
