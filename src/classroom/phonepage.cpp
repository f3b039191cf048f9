// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/phonepage.h"

#include "classroom/pupilresult.h"
#include "export/exportedquiz.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSize>

// Outside any namespace, as the resource initialiser requires; the resources live in a static
// library, so nothing would pull them in otherwise.
static void initClassroomResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(classroom);
        return true;
    }();
    Q_UNUSED(done);
}

namespace
{

// Nothing inline and nothing from elsewhere may run, and nothing may frame the page: a frame
// would let another page dress it up or click through it.
const QList<QPair<QByteArray, QByteArray>> PageHeaders = {
    {"Content-Security-Policy", "default-src 'self'; script-src 'self'; style-src 'self'; "
                                "frame-ancestors 'none'; base-uri 'none'; form-action 'self'"},
    {"X-Frame-Options", "DENY"},
};

// The size in the frame header of the pictures the exports write (baseline or progressive), so
// the page reserves their place and a picture below the fold is not fetched before it is needed.
QSize jpegSize(const QByteArray& jpeg)
{
    int at = 2;
    while (at + 9 < jpeg.size() && uchar(jpeg[at]) == 0xff) {
        const uchar marker = uchar(jpeg[at + 1]);
        const int length = (uchar(jpeg[at + 2]) << 8) | uchar(jpeg[at + 3]);
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
            return {(uchar(jpeg[at + 7]) << 8) | uchar(jpeg[at + 8]),
                    (uchar(jpeg[at + 5]) << 8) | uchar(jpeg[at + 6])};
        at += 2 + length;
    }
    return {};
}

QString shownText(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QByteArray quizJson(const ExportedQuiz& quiz)
{
    const QuizPageContents& contents = quiz.contents();
    QJsonArray pictures;
    for (int k = 1; k <= 6; ++k) {
        const QSize size = jpegSize(quiz.picture(k));
        pictures.append(QJsonObject{
            {QStringLiteral("number"), k},
            {QStringLiteral("question"), shownText(contents.questions[size_t(k - 1)])},
            {QStringLiteral("src"), quiz.pictureName(k)},
            {QStringLiteral("width"), size.width()},
            {QStringLiteral("height"), size.height()},
        });
    }
    QJsonArray answers;
    for (int i = 1; i <= 6; ++i)
        answers.append(shownText(contents.answers[size_t(contents.order[i] - 1)]));
    const QJsonObject data{
        {QStringLiteral("title"), shownText(contents.title)},
        {QStringLiteral("pictures"), pictures},
        {QStringLiteral("answers"), answers},
    };
    return QJsonDocument(data).toJson(QJsonDocument::Compact);
}

} // namespace

QByteArray PhonePage::resource(const QString& name)
{
    QFile file(QStringLiteral(":/classroom/") + name);
    // Compiled in: it cannot be missing.
    if (!file.open(QIODevice::ReadOnly))
        qFatal("classroom resource %s is missing", qPrintable(name));
    return file.readAll();
}

PhonePage::PhonePage(const ExportedQuiz& quiz)
{
    initClassroomResources();
    const QByteArray title = quiz.contents().title.toHtmlEscaped().toUtf8();
    QByteArray page = resource(QStringLiteral("phone.htm"));
    // The title last: what a teacher typed is never read as a placeholder.
    page.replace("{{maxName}}", QByteArray::number(MaxPupilNameLength));
    page.replace("{{title}}", title);
    m_files = {
        {QString(), page, "text/html; charset=utf-8", PageHeaders},
        {QStringLiteral("phone.js"), resource(QStringLiteral("phone.js")),
         "text/javascript; charset=utf-8", PageHeaders},
        {QStringLiteral("phone.css"), resource(QStringLiteral("phone.css")),
         "text/css; charset=utf-8", PageHeaders},
        {QStringLiteral("quiz.json"), quizJson(quiz), "application/json", PageHeaders},
    };
    for (int k = 1; k <= 6; ++k)
        m_files.append({quiz.pictureName(k), quiz.picture(k), "image/jpeg", PageHeaders});
}
