// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/onefilepage.h"

#include "core/cp1251.h"
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

// What a screen reader says for the image a file name stands for: a picture its slot, a number
// image its digit; a separator line is decoration. The background is no image element.
QString altText(const QString& name)
{
    const QString base = name.section(QLatin1Char('.'), 0, 0);
    if (name.startsWith(QLatin1String("line"), Qt::CaseInsensitive))
        return QString();
    if (name.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive))
        return base.left(1);
    return QStringLiteral("Картинка ") + base;
}

} // namespace

QByteArray oneFilePage(const ExportedQuiz& quiz)
{
    // Written again from what the reader found, the page must give the same bytes; only then is
    // every name it refers to known, even where typed texts hold quotes or line breaks.
    const QuizPageContents& contents = quiz.contents();
    if (renderPage(contents) != quiz.page())
        unexpectedPage();
    QByteArray page = renderPage(contents, [&quiz](const QString& name) {
        const QByteArray bytes = quiz.file(name);
        if (bytes.isNull())
            unexpectedPage();
        QByteArray source = (name.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive)
                                 ? QByteArray("data:image/gif;base64,")
                                 : QByteArray("data:image/jpeg;base64,")) +
                            bytes.toBase64();
        // The page's own quote closes the alt value that follows the source.
        if (name != QLatin1String("fong.gif"))
            source += "\" alt=\"" + toWindows1251(altText(name));
        return source;
    });
    // This page stands alone, so it says its language itself.
    const QByteArray html = "<html>";
    const qsizetype at = page.indexOf(html);
    if (at < 0)
        unexpectedPage();
    page.insert(at + html.size() - 1, " lang=\"ru\"");
    return page;
}
