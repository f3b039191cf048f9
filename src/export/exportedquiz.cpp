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

// The whole file, or the reason it could not be read. Decorations are small; the cap keeps a
// strange folder from filling the memory.
QByteArray readSmallFile(const QString& path, std::error_code& error)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        error = lastSystemError();
        return {};
    }
    errno = 0;
    const QByteArray bytes = file.read(MaxQuizPageSize + 1);
    if (file.error() != QFileDevice::NoError)
        error = lastSystemError();
    else if (bytes.size() > MaxQuizPageSize)
        error = std::make_error_code(std::errc::file_too_large);
    return bytes;
}

} // namespace

ExportedQuiz::ExportedQuiz(const QString& quizFolder, const QString& suppliedFolder)
{
    const QString pagePath = quizFolder + QLatin1Char('/') + StartPageName;
    m_contents = readQuizPage(pagePath);
    std::error_code error;
    m_page = readSmallFile(pagePath, error);
    if (error)
        throw QuirvelError(
            QStringLiteral("Не удаётся прочитать файл «%1»: %2").arg(pagePath, errorReason(error)));
    // The bytes sent are the bytes read: a page changed meanwhile is read again.
    m_contents = readQuizPage(m_page);

    for (const QString& name : DecorationNames) {
        error.clear();
        QByteArray bytes = readSmallFile(quizFolder + QLatin1Char('/') + name, error);
        if (error == std::errc::no_such_file_or_directory) {
            error.clear();
            bytes = readSmallFile(suppliedFolder + QLatin1Char('/') + name, error);
        }
        if (error)
            throw QuirvelError(
                QStringLiteral("Не удаётся прочитать файл «%1»: %2").arg(name, errorReason(error)));
        m_decorations.insert(name, bytes);
    }

    // The pictures are independent: every core takes the next one.
    std::array<QString, QuizSetup::SlotCount> failures;
    std::array<bool, QuizSetup::SlotCount> damaged{};
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i; (i = next++) < QuizSetup::SlotCount;) {
            const QString name = pictureName(i + 1);
            const QByteArray path = QFile::encodeName(quizFolder + QLatin1Char('/') + name);
            errno = 0;
            std::FILE* file = std::fopen(path.constData(), "rb");
            if (!file) {
                failures[size_t(i)] =
                    namedPictureFailure(i + 1, name, errorReason(lastSystemError()));
                continue;
            }
            // The library reads 4 KB at a time; one system call per 4 KB of a 6 MB photo costs
            // more than the decoding saves.
            std::vector<char> buffer(1 << 20);
            std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
            try {
                m_pictures[size_t(i)] = reducedPicture(file, &damaged[size_t(i)]);
            } catch (const QuirvelError& e) {
                failures[size_t(i)] = namedPictureFailure(i + 1, name, e.text());
            } catch (const std::bad_alloc&) {
                failures[size_t(i)] =
                    namedPictureFailure(i + 1, name, QStringLiteral("не хватает памяти"));
            }
            std::fclose(file);
        }
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
    for (int k = 1; k <= 6; ++k)
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
