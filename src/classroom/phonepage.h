// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

class ExportedQuiz;

// The page a pupil plays in class, made for a phone and built from the quiz's own data: the page,
// its one script and one style (resources/classroom), quiz.json and the six small pictures. The
// data holds the answers in the order the folder's page shows them but never that order itself,
// so no pupil's device ever holds the key; the server marks each check.
class PhonePage
{
public:
    struct File {
        // Under the lesson's code; empty for the lesson's own address, which is the page.
        QString name;
        QByteArray body;
        QByteArray type;
        QList<QPair<QByteArray, QByteArray>> headers;
    };

    // quiz.json is {"title", "pictures": [{"number", "question", "src", "width", "height"} x6],
    // "answers": [the six texts in the page's order]}.
    explicit PhonePage(const ExportedQuiz& quiz);
    const QList<File>& files() const { return m_files; }
    // A file of resources/classroom, compiled in.
    static QByteArray resource(const QString& name);

private:
    QList<File> m_files;
};
