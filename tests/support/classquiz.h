// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A quiz folder a class can play: a page of six questions and six small pictures.

#include "core/quizfolder.h"
#include "core/startpage.h"
#include "testjpeg.h"

#include <QDir>

inline bool writeClassQuiz(const QString& folder,
                           const AnswerOrder& order = {{3, 1, 2, 6, 4, 5},
                                                       QStringLiteral("3, 1, 2, 6, 4, 5")})
{
    QuizSetup setup;
    setup.title = QStringLiteral("Класс");
    for (int k = 1; k <= 6; ++k)
        setup.slot(k) = {
            {}, true, QStringLiteral("Кто?"), QStringLiteral("Он"), QStringLiteral("jpg")};
    if (!QDir().mkpath(folder))
        return false;
    writeStartPage(setup, order, folder);
    for (int k = 1; k <= 6; ++k)
        if (!writeFile(folder + QStringLiteral("/%1.jpg").arg(k),
                       encodeJpeg(QImage(64, 48, QImage::Format_RGB32))))
            return false;
    return true;
}
