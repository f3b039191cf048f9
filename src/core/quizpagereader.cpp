// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizpagereader.h"

#include "core/cp1251.h"
#include "core/errorreason.h"
#include "core/pagetemplate.h"
#include "core/quirvelerror.h"

#include <QFile>
#include <QFileInfo>
#include <QStringView>
#include <algorithm>
#include <bitset>
#include <cerrno>
#include <vector>

namespace
{

// A fixed stretch of the page between two inserted values, with its Knuth-Morris-Pratt table:
// Qt's own search can take length × length time on crafted input, this one only what it scans.
struct FixedText {
    QByteArray bytes;
    std::vector<qsizetype> fallback;

    explicit FixedText(const QString& text) : bytes(toWindows1251(text)), fallback(bytes.size())
    {
        qsizetype k = 0;
        for (qsizetype i = 1; i < bytes.size(); ++i) {
            while (k > 0 && bytes[i] != bytes[k])
                k = fallback[k - 1];
            if (bytes[i] == bytes[k])
                ++k;
            fallback[i] = k;
        }
    }
};

// The page cut at its inserted values: fixed[0] value[0] fixed[1] ... value[n-1] fixed[n]. The
// credit and the site link are the same on every page of a build, so they count as fixed text.
struct PagePattern {
    std::vector<FixedText> fixed;
    std::vector<PageTemplateLine> inserts;

    PagePattern()
    {
        QString text;
        for (const PageTemplateLine& line : pageTemplate()) {
            text += QString::fromUtf8(line.before);
            if (line.what == PageInsert::Credit || line.what == PageInsert::SiteLink) {
                text += pageBuildValue(line.what);
            } else if (line.what != PageInsert::None) {
                fixed.emplace_back(text);
                inserts.push_back(line);
                text.clear();
            }
            text += QString::fromUtf8(line.after) + QStringLiteral("\r\n");
        }
        fixed.emplace_back(text);
    }
};

const PagePattern& pagePattern()
{
    static const PagePattern pattern;
    return pattern;
}

// The code point of a "&#N;" at i exactly as the writer writes one (N in decimal without leading
// zeros, a character Windows-1251 lacks), with length set to its length; 0 when there is none.
char32_t writtenReference(QStringView text, qsizetype i, qsizetype& length)
{
    if (text[i] != u'&' || i + 2 >= text.size() || text[i + 1] != u'#' || text[i + 2] < u'1' ||
        text[i + 2] > u'9')
        return 0;
    char32_t cp = 0;
    qsizetype j = i + 2;
    for (; j < text.size() && j < i + 2 + 7 && text[j] >= u'0' && text[j] <= u'9'; ++j)
        cp = cp * 10 + (text[j].unicode() - u'0');
    if (j >= text.size() || text[j] != u';' || cp > 0x10FFFF || windows1251Holds(cp))
        return 0;
    length = j + 1 - i;
    return cp;
}

class PageParser
{
public:
    PageParser(const QByteArray& bytes, const QString& name) : m_bytes(bytes), m_name(name) {}

    QuizPageContents parse() const
    {
        const PagePattern& pattern = pagePattern();
        const QByteArray& head = pattern.fixed.front().bytes;
        if (!m_bytes.startsWith(head))
            refuse(std::mismatch(head.begin(), head.end(), m_bytes.begin(), m_bytes.end()).first -
                   head.begin());

        // Each value runs to the next place its following fixed text occurs, the last one to the
        // page's closing lines.
        const qsizetype count = qsizetype(pattern.inserts.size());
        std::vector<qsizetype> starts(count), ends(count);
        qsizetype pos = head.size();
        for (qsizetype i = 0; i < count; ++i) {
            const FixedText& next = pattern.fixed[i + 1];
            qsizetype end = m_bytes.size() - next.bytes.size();
            if (i + 1 < count)
                end = find(next, pos);
            else if (end < pos || !m_bytes.endsWith(next.bytes))
                refuse(find(next, pos) + next.bytes.size());
            starts[i] = pos;
            ends[i] = end;
            pos = end + next.bytes.size();
        }

        const auto value = [&](qsizetype i) {
            return QByteArrayView(m_bytes).sliced(starts[i], ends[i] - starts[i]);
        };
        QuizPageContents contents;
        std::array<QString, QuizSetup::SlotCount> cells;
        qsizetype title = -1;
        for (qsizetype i = 0; i < count; ++i) {
            const PageTemplateLine& line = pattern.inserts[i];
            switch (line.what) {
            case PageInsert::Title:
                if (title < 0) {
                    title = i;
                    contents.title = decode(starts[i], ends[i]);
                } else if (value(i) != value(title)) {
                    refuse(starts[i]);
                }
                break;
            case PageInsert::OrderText:
                contents.order = order(starts[i], ends[i]);
                break;
            case PageInsert::Question:
                contents.questions[line.slot - 1] = decode(starts[i], ends[i]);
                break;
            case PageInsert::Extension:
                contents.extensions[line.slot - 1] = decode(starts[i], ends[i]);
                break;
            case PageInsert::Answer:
                cells[line.slot - 1] = decode(starts[i], ends[i]);
                break;
            default:
                break;
            }
        }
        for (int k = 1; k <= QuizSetup::SlotCount; ++k)
            contents.answers[contents.order[k] - 1] = cells[k - 1];
        return contents;
    }

private:
    // The line is counted in the file as it is, so that the user can find the place.
    [[noreturn]] void refuse(qsizetype offset) const
    {
        const auto line = std::count(m_bytes.begin(), m_bytes.begin() + offset, '\n') + 1;
        if (m_name.isEmpty())
            throw QuirvelError(QStringLiteral("Это не страница викторины, созданная программой "
                                              "QUIRVEL, или она была изменена (строка %1)")
                                   .arg(line));
        throw QuirvelError(QStringLiteral("Файл «%1» не является страницей викторины, созданной "
                                          "программой QUIRVEL, или был изменён (строка %2)")
                               .arg(m_name)
                               .arg(line));
    }

    // Where the fixed text next occurs from `from`. When it does not, the page departs from the
    // template where the longest start of that text found so far ends.
    qsizetype find(const FixedText& fixed, qsizetype from) const
    {
        const char* hay = m_bytes.constData();
        const char* needle = fixed.bytes.constData();
        const qsizetype length = fixed.bytes.size();
        qsizetype k = 0;
        qsizetype longest = 0;
        qsizetype departure = from;
        for (qsizetype i = from; i < m_bytes.size(); ++i) {
            while (k > 0 && hay[i] != needle[k])
                k = fixed.fallback[k - 1];
            if (hay[i] == needle[k])
                ++k;
            if (k == length)
                return i + 1 - length;
            if (k > longest) {
                longest = k;
                departure = i + 1;
            }
        }
        refuse(departure);
    }

    // The writer writes every character as its Windows-1251 byte and one the code page lacks as
    // "&#N;" in plain decimal; "&" and everything else typed goes in unchanged. So only references
    // of that exact form are turned back: "&#1040;" (А, which the code page holds), "&#x20AC;"
    // or "&#0223;" can only have been typed as they stand.
    QString decode(qsizetype start, qsizetype end) const
    {
        const QString raw = fromWindows1251(m_bytes.sliced(start, end - start));
        // The one byte the code page leaves undefined is never written.
        const qsizetype undefined = raw.indexOf(QChar(QChar::ReplacementCharacter));
        if (undefined >= 0)
            refuse(start + undefined);
        QString text;
        text.reserve(raw.size());
        for (qsizetype i = 0; i < raw.size(); ++i) {
            qsizetype length = 1;
            const char32_t cp = writtenReference(raw, i, length);
            // A lone high surrogate before a low one's reference came from the surrogate and the
            // reference as typed: had the user's text held the pair, it would be one reference.
            if (cp == 0 ||
                (QChar::isLowSurrogate(cp) && !text.isEmpty() && text.back().isHighSurrogate())) {
                text += raw[i];
                continue;
            }
            if (QChar::requiresSurrogates(cp)) {
                text += QChar(QChar::highSurrogate(cp));
                text += QChar(QChar::lowSurrogate(cp));
            } else {
                text += QChar(char16_t(cp));
            }
            i += length - 1;
        }
        return text;
    }

    // The order is written only as six different digits 1..6 joined by ", ".
    AnswerOrder order(qsizetype start, qsizetype end) const
    {
        const QByteArrayView text = QByteArrayView(m_bytes).sliced(start, end - start);
        AnswerOrder order;
        if (text.size() != 16)
            refuse(start);
        std::bitset<QuizSetup::SlotCount + 1> seen;
        for (int k = 0; k < QuizSetup::SlotCount; ++k) {
            const int entry = text[3 * k] - '0';
            if (entry < 1 || entry > QuizSetup::SlotCount || seen.test(entry) ||
                (k < QuizSetup::SlotCount - 1 && text.sliced(3 * k + 1, 2) != ", "))
                refuse(start + 3 * k);
            seen.set(entry);
            order.entries[k] = entry;
        }
        order.text = QString::fromLatin1(text);
        return order;
    }

    const QByteArray& m_bytes;
    QString m_name;
};

QString tooBig(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("Страница больше 16 МБ: это не страница викторины");
    return QStringLiteral("Файл «%1» больше 16 МБ: это не страница викторины").arg(name);
}

} // namespace

QuizPageContents readQuizPage(const QString& pagePath, QByteArray* read)
{
    QFile file(pagePath);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        // Qt refuses a folder itself, without a system call that would set errno.
        const std::error_code error = QFileInfo(pagePath).isDir()
                                          ? std::make_error_code(std::errc::is_a_directory)
                                          : lastSystemError();
        throw QuirvelError(
            QStringLiteral("Не удаётся открыть файл «%1»: %2").arg(pagePath, errorReason(error)));
    }
    if (file.size() > MaxQuizPageSize)
        throw QuirvelError(tooBig(pagePath));
    // The cap also holds for a file that grows meanwhile or has no size to report.
    errno = 0;
    const QByteArray bytes = file.read((file.isSequential() ? MaxQuizPageSize : file.size()) + 1);
    if (file.error() != QFileDevice::NoError)
        throw QuirvelError(cannotRead(pagePath, lastSystemError()));
    if (bytes.size() > MaxQuizPageSize)
        throw QuirvelError(tooBig(pagePath));
    QuizPageContents contents = PageParser(bytes, pagePath).parse();
    if (read)
        *read = bytes;
    return contents;
}

QuizPageContents readQuizPage(const QByteArray& bytes)
{
    if (bytes.size() > MaxQuizPageSize)
        throw QuirvelError(tooBig(QString()));
    return PageParser(bytes, QString()).parse();
}
