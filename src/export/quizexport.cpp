// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/quizexport.h"

#include "export/exportedquiz.h"
#include "export/exportfile.h"
#include "export/onefilepage.h"
#include "export/printedsheet.h"
#include "export/scormpackage.h"

QStringList exportQuiz(QuizExport kind, const QString& quizFolder, const QString& file,
                       const QString& suppliedFolder)
{
    const ExportedQuiz quiz(quizFolder, suppliedFolder);
    if (kind == QuizExport::Scorm) {
        writeScormPackage(quiz, file);
        return quiz.notices();
    }
    const QByteArray bytes = kind == QuizExport::Page ? oneFilePage(quiz) : printedSheet(quiz);
    ExportFile out(file);
    out.write(bytes);
    out.commit();
    return quiz.notices();
}
