// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quizexportkind.h"

#include <QString>
#include <QStringList>

// The three ways a generated quiz folder leaves the computer. Each reads the folder first
// (ExportedQuiz: a page this program did not write, or a picture that is missing or cannot be
// decoded, refuses the export) and then replaces `file` whole, or leaves it as it was. Failures
// throw QuirvelError with a Russian message. Decorations missing from the quiz folder come from
// suppliedFolder. The sheet needs a QGuiApplication. What a finished export should still tell (a
// picture sent only in part, see ExportedQuiz::notices) is returned, one line each.
QStringList exportQuiz(QuizExport kind, const QString& quizFolder, const QString& file,
                       const QString& suppliedFolder);
