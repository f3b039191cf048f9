#include "export/onefilepage.h"

#include "core/quirvelerror.h"
#include "export/exportedquiz.h"

#include <QString>

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
    const QByteArray& page = quiz.page();
    QByteArray out;
    out.reserve(page.size() + 8 * 1024 * 1024);
    qsizetype copied = 0;
    qsizetype lineStart = 0;
    int line = 1;
    for (const FileSource& source : Sources) {
        for (; line < source.line; ++line) {
            lineStart = page.indexOf("\r\n", lineStart);
            if (lineStart < 0)
                unexpectedPage();
            lineStart += 2;
        }
        const qsizetype lineEnd = page.indexOf("\r\n", lineStart);
        const qsizetype at = page.indexOf(source.attribute, lineStart);
        if (lineEnd < 0 || at < 0 || at > lineEnd)
            unexpectedPage();
        const qsizetype valueStart = at + qsizetype(qstrlen(source.attribute));
        const qsizetype valueEnd = page.indexOf('"', valueStart);
        if (valueEnd < 0 || valueEnd > lineEnd)
            unexpectedPage();
        // Line 114's value ends in a blank; the whole value is replaced.
        const QString name =
            QString::fromLatin1(page.mid(valueStart, valueEnd - valueStart)).trimmed();
        const QByteArray bytes = quiz.file(name);
        if (bytes.isNull())
            unexpectedPage();
        out += page.mid(copied, valueStart - copied);
        out += name.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive) ? "data:image/gif;base64,"
                                                                          : "data:image/jpeg;base64,";
        out += bytes.toBase64();
        copied = valueEnd;
    }
    out += page.mid(copied);
    return out;
}
