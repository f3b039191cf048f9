// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quizpagereader.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>

// A generated quiz folder as the exports send it: the page's bytes and contents, the six pictures
// made small (reducedPicture) and the eight decorations. Reading it throws QuirvelError: with the
// page reader's message for a page this program did not write, "Картинка k (k.jpg): " and the
// reason for a picture that is missing or cannot be decoded. A picture that decodes only in part is
// sent as decoded and named in notices().
class ExportedQuiz
{
public:
    // A decoration missing from the quiz folder is taken from suppliedFolder.
    ExportedQuiz(const QString& quizFolder, const QString& suppliedFolder);

    const QuizPageContents& contents() const { return m_contents; }
    const QByteArray& page() const { return m_page; }
    // "k.jpg", as the page names slot k's picture (k = 1..6).
    QString pictureName(int k) const;
    const QByteArray& picture(int k) const { return m_pictures[size_t(k - 1)]; }
    // "Картинка k (k.jpg) повреждена: показана не полностью" for each such picture.
    const QStringList& notices() const { return m_notices; }
    // A picture or a decoration by the file name the page uses; null when it is neither.
    QByteArray file(const QString& name) const;

private:
    void readDecorations(const QString& quizFolder, const QString& suppliedFolder);
    // Slot by slot, on every core.
    void reducePictures(const QString& quizFolder);

    QuizPageContents m_contents;
    QByteArray m_page;
    std::array<QByteArray, QuizSetup::SlotCount> m_pictures;
    QHash<QString, QByteArray> m_decorations;
    QStringList m_notices;
};
