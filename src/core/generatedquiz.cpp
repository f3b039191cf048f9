// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/generatedquiz.h"

#include "core/pagetemplate.h"
#include "core/quirvelerror.h"
#include "core/quizsetup.h"

#include <QDir>
#include <QFileInfo>

GeneratedQuiz readGeneratedQuiz(const QString& path)
{
    const QFileInfo given(path);
    if (!given.exists())
        throw QuirvelError(QStringLiteral("Не найдена папка викторины «%1»").arg(path));
    const QString folder = given.isDir() ? given.absoluteFilePath() : given.absolutePath();
    const QString page =
        given.isDir() ? QDir(folder).filePath(StartPageName) : given.absoluteFilePath();
    // Only a plain file is read: a pipe or a device under the page's name would never end.
    if (!QFileInfo(page).isFile())
        throw QuirvelError(
            QStringLiteral("В папке «%1» нет страницы викторины %2").arg(folder, StartPageName));
    GeneratedQuiz quiz{folder, readQuizPage(page)};
    // Every page this program writes names its pictures k.jpg.
    for (const QString& extension : quiz.contents.extensions)
        if (extension != QLatin1String("jpg"))
            throw QuirvelError(QStringLiteral("Файл «%1» не является страницей викторины, "
                                              "созданной программой QUIRVEL, или был изменён")
                                   .arg(page));
    return quiz;
}

void adoptReopened(QuizSetup& setup, const GeneratedQuiz& quiz, const QString& quizzesFolder)
{
    setup.reset();
    for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
        QuizSlot& slot = setup.slot(k);
        slot.question = quiz.contents.questions[size_t(k - 1)];
        slot.answer = quiz.contents.answers[size_t(k - 1)];
    }
    setup.title = quiz.contents.title;
    const QFileInfo folder(QFileInfo(quiz.folder).canonicalFilePath());
    if (folder.absolutePath() == QDir(quizzesFolder).canonicalPath()) {
        setup.folderName = folder.fileName();
        setup.firstGeneration = false;
    } else {
        setup.folderName.clear();
    }
}
