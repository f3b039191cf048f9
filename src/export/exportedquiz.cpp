// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/exportedquiz.h"

#include "core/errorreason.h"
#include "core/pagetemplate.h"
#include "core/quirvelerror.h"
#include "core/quizfolder.h"
#include "export/reducedpicture.h"
#include "jpeg/jpegdecoder.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <new>
#include <thread>
#include <vector>

namespace
{

// Reads the whole file into bytes. Decorations are small; the cap keeps a strange folder from
// filling the memory.
std::error_code readSmallFile(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return lastSystemError();
    errno = 0;
    bytes = file.read(MaxQuizPageSize + 1);
    if (file.error() != QFileDevice::NoError)
        return lastSystemError();
    if (bytes.size() > MaxQuizPageSize)
        return std::make_error_code(std::errc::file_too_large);
    return {};
}

// Slot k's picture made small, or the reason it could not be.
QString reduce(const QString& path, const QString& name, int k, QByteArray& picture, bool& damaged)
{
    errno = 0;
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return namedPictureFailure(k, name, errorReason(lastSystemError()));
    // The library reads 4 KB at a time; one system call per 4 KB of a 6 MB photo costs more than
    // the decoding saves.
    std::vector<char> buffer(1 << 20);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    QString failure;
    try {
        picture = reducedPicture(file, &damaged);
    } catch (const QuirvelError& e) {
        failure = namedPictureFailure(k, name, e.text());
    } catch (const std::bad_alloc&) {
        failure = namedPictureFailure(k, name, QStringLiteral("не хватает памяти"));
    }
    std::fclose(file);
    return failure;
}

} // namespace

ExportedQuiz::ExportedQuiz(const QString& quizFolder, const QString& suppliedFolder)
{
    const QString pagePath = quizFolder + QLatin1Char('/') + StartPageName;
    // The bytes sent are the bytes read.
    m_contents = readQuizPage(pagePath, &m_page);
    readDecorations(quizFolder, suppliedFolder);
    reducePictures(quizFolder);
}

void ExportedQuiz::readDecorations(const QString& quizFolder, const QString& suppliedFolder)
{
    for (const QString& name : DecorationNames) {
        QByteArray bytes;
        std::error_code error = readSmallFile(quizFolder + QLatin1Char('/') + name, bytes);
        if (error == std::errc::no_such_file_or_directory)
            error = readSmallFile(suppliedFolder + QLatin1Char('/') + name, bytes);
        if (error)
            throw QuirvelError(cannotRead(name, error));
        m_decorations.insert(name, bytes);
    }
}

void ExportedQuiz::reducePictures(const QString& quizFolder)
{
    // The pictures are independent: every core takes the next one.
    std::array<QString, QuizSetup::SlotCount> failures;
    std::array<bool, QuizSetup::SlotCount> damaged{};
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i; (i = next++) < QuizSetup::SlotCount;)
            failures[size_t(i)] =
                reduce(quizFolder + QLatin1Char('/') + pictureName(i + 1), pictureName(i + 1),
                       i + 1, m_pictures[size_t(i)], damaged[size_t(i)]);
    };
    const int helpers =
        int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(QuizSetup::SlotCount))) -
        1;
    std::vector<std::thread> threads;
    for (int i = 0; i < helpers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    for (const QString& failure : failures)
        if (!failure.isEmpty())
            throw QuirvelError(failure);
    for (int k = 1; k <= QuizSetup::SlotCount; ++k)
        if (damaged[size_t(k - 1)])
            m_notices << partialPictureNotice(k, pictureName(k));
}

QString ExportedQuiz::pictureName(int k) const
{
    return QString::number(k) + QLatin1Char('.') + m_contents.extensions[size_t(k - 1)];
}

QByteArray ExportedQuiz::file(const QString& name) const
{
    for (int k = 1; k <= QuizSetup::SlotCount; ++k)
        if (name == pictureName(k))
            return picture(k);
    return m_decorations.value(name);
}
