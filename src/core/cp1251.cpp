// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cp1251.h"

#include "core/quirvelerror.h"

#include <QHash>
#include <array>
#include <iconv.h>

namespace
{

constexpr char32_t Undefined = 0xFFFD;

// The code page as glibc knows it, read once: byte -> code point, and the reverse.
struct CodePage {
    std::array<char32_t, 256> toUnicode{};
    QHash<char32_t, char> fromUnicode;

    CodePage()
    {
        iconv_t cd = iconv_open("UTF-32LE", "CP1251");
        // Without the converter every page would be garbage; better to refuse to write one.
        if (cd == iconv_t(-1))
            throw QuirvelError(QStringLiteral("Кодовая страница Windows-1251 недоступна"));
        for (int b = 0; b < 256; ++b) {
            toUnicode[b] = Undefined;
            char in = char(b);
            unsigned char out[4] = {};
            char* inPtr = &in;
            char* outPtr = reinterpret_cast<char*>(out);
            size_t inLeft = 1;
            size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || outLeft != 0)
                continue;
            const char32_t cp = char32_t(out[0]) | char32_t(out[1]) << 8 | char32_t(out[2]) << 16 |
                                char32_t(out[3]) << 24;
            toUnicode[b] = cp;
            fromUnicode.insert(cp, char(b));
        }
        iconv_close(cd);
    }
};

const CodePage& codePage()
{
    static const CodePage table;
    return table;
}

} // namespace

QByteArray toWindows1251(const QString& text)
{
    const CodePage& table = codePage();
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t cp = text.at(i).unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text.at(i).unicode(), text.at(i + 1).unicode());
            ++i;
        }
        const auto found = table.fromUnicode.constFind(cp);
        if (found != table.fromUnicode.cend())
            out.append(found.value());
        else
            out.append("&#" + QByteArray::number(quint32(cp)) + ';');
    }
    return out;
}

bool windows1251Holds(char32_t codePoint)
{
    return codePage().fromUnicode.contains(codePoint);
}

QString fromWindows1251(const QByteArray& bytes)
{
    const CodePage& table = codePage();
    QString out;
    out.reserve(bytes.size());
    for (const char b : bytes)
        out.append(QChar(char16_t(table.toUnicode[static_cast<unsigned char>(b)])));
    return out;
}
