// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// One picture of the quiz with its two texts. Texts are kept exactly as typed; an answer's
// line breaks are CR LF pairs so that they reach the page as physical lines.
struct QuizSlot {
    QString picturePath;
    bool chosen = false;
    QString question;
    QString answer;
    QString extension = QStringLiteral("jpg");
};
