// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/onefilepage.h"

#include "core/cp1251.h"
#include "core/pagetemplate.h"
#include "core/quirvelerror.h"
#include "export/exportedquiz.h"

#include <QString>

#include <span>
#include <vector>

namespace
{

struct FileSource {
    int line; // counted from 1
    const char* attribute;
};

// Every file the page refers to: the body's background, then the number icons, pictures and
// separator lines.
constexpr FileSource Sources[] = {
    {36, "background=\""}, {55, "src=\""},  {57, "src=\""},  {79, "src=\""},  {81, "src=\""},
    {85, "src=\""},        {89, "src=\""},  {91, "src=\""},  {114, "src=\""}, {116, "src=\""},
    {120, "src=\""},       {124, "src=\""}, {126, "src=\""}, {148, "src=\""}, {150, "src=\""},
};

[[noreturn]] void unexpectedPage()
{
    // The page reader accepted the page, so this is the program's own mistake.
    throw QuirvelError(QStringLiteral("Страница викторины не похожа на ту, что пишет программа"));
}

} // namespace

QByteArray oneFilePage(const ExportedQuiz& quiz)
{
    // The page is written again line by line from what the reader found, as the writer writes
    // it, so that the start of every template line is known even where typed texts hold line
    // breaks; the reader guarantees the same bytes.
    const QuizPageContents& c = quiz.contents();
    const std::span<const PageTemplateLine> lines = pageTemplate();
    std::vector<qsizetype> starts, valueEnds;
    QByteArray rewritten;
    for (const PageTemplateLine& line : lines) {
        QString value;
        switch (line.what) {
        case PageInsert::None:
            break;
        case PageInsert::Title:
            value = c.title;
            break;
        case PageInsert::OrderText:
            value = c.order.text;
            break;
        case PageInsert::Question:
            value = c.questions[size_t(line.slot - 1)];
            break;
        case PageInsert::Extension:
            value = c.extensions[size_t(line.slot - 1)];
            break;
        case PageInsert::Answer:
            value = c.answers[size_t(c.order[line.slot] - 1)];
            break;
        case PageInsert::Credit:
        case PageInsert::SiteLink:
            value = pageBuildValue(line.what);
            break;
        }
        starts.push_back(rewritten.size());
        rewritten += toWindows1251(QString::fromUtf8(line.before) + value);
        valueEnds.push_back(rewritten.size());
        rewritten += toWindows1251(QString::fromUtf8(line.after)) + "\r\n";
    }
    const QByteArray& page = quiz.page();
    if (rewritten != page)
        unexpectedPage();

    QByteArray out;
    out.reserve(page.size() + 8 * 1024 * 1024);
    qsizetype copied = 0;
    for (const FileSource& source : Sources) {
        const size_t i = size_t(source.line - 1);
        const qsizetype lineEnd = i + 1 < starts.size() ? starts[i + 1] : page.size();
        const qsizetype at = page.indexOf(source.attribute, starts[i]);
        if (at < 0 || at >= valueEnds[i])
            unexpectedPage();
        const qsizetype valueStart = at + qsizetype(qstrlen(source.attribute));
        // A picture's name ends in its inserted extension; the quote comes after.
        const qsizetype valueEnd = page.indexOf(
            '"',
            qMax(valueStart, lines[i].what == PageInsert::Extension ? valueEnds[i] : valueStart));
        if (valueEnd < 0 || valueEnd >= lineEnd)
            unexpectedPage();
        // Line 114's value ends in a blank; the whole value is replaced.
        const QString name =
            QString::fromLatin1(page.mid(valueStart, valueEnd - valueStart)).trimmed();
        const QByteArray bytes = quiz.file(name);
        if (bytes.isNull())
            unexpectedPage();
        out += page.mid(copied, valueStart - copied);
        out += name.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive)
                   ? "data:image/gif;base64,"
                   : "data:image/jpeg;base64,";
        out += bytes.toBase64();
        copied = valueEnd;
    }
    out += page.mid(copied);
    return out;
}
