// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/onefilepage.h"

#include "core/quirvelerror.h"
#include "core/startpage.h"
#include "export/exportedquiz.h"

#include <QString>

namespace
{

[[noreturn]] void unexpectedPage()
{
    // The page reader accepted the page, so this is the program's own mistake.
    throw QuirvelError(QStringLiteral("Страница викторины не похожа на ту, что пишет программа"));
}

} // namespace

QByteArray oneFilePage(const ExportedQuiz& quiz)
{
    // Written again from what the reader found, the page must give the same bytes; only then is
    // every name it refers to known, even where typed texts hold quotes or line breaks.
    const QuizPageContents& contents = quiz.contents();
    if (renderPage(contents) != quiz.page())
        unexpectedPage();
    return renderPage(contents, [&quiz](const QString& name) {
        const QByteArray bytes = quiz.file(name);
        if (bytes.isNull())
            unexpectedPage();
        return (name.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive)
                    ? QByteArray("data:image/gif;base64,")
                    : QByteArray("data:image/jpeg;base64,")) +
               bytes.toBase64();
    });
}
