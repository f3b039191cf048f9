// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry for the quiz page reader, which takes whatever file the user opens. A refusal
// (QuirvelError) is the expected way out. A page it accepts must be exactly the page the writer
// gives for what was read, or reopening and regenerating would change the quiz.

#include "core/quirvelerror.h"
#include "core/quizpagereader.h"
#include "core/startpage.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QuizPageContents page;
    try {
        page = readQuizPage(bytes);
    } catch (const QuirvelError&) {
        return 0;
    }
    QuizSetup setup;
    setup.title = page.title;
    for (int k = 1; k <= 6; ++k) {
        setup.slot(k).question = page.questions[k - 1];
        setup.slot(k).answer = page.answers[k - 1];
        setup.slot(k).extension = page.extensions[k - 1];
    }
    QBuffer rewritten;
    rewritten.open(QIODevice::WriteOnly);
    writeStartPage(rewritten, setup, page.order);
    if (rewritten.data() != bytes)
        std::abort();
    return 0;
}
