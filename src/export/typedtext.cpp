// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/typedtext.h"

#include <QColor>
#include <QHash>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>
#include <vector>

namespace
{

struct Element {
    QString name;
    QTextCharFormat outer; // the format before it opened
};

// The browser's sizes 1..7 against its normal size 3.
double fontSizeFactor(const QString& value)
{
    static const double factors[] = {0.625, 0.8125, 1.0, 1.125, 1.5, 2.0, 3.0};
    bool ok = false;
    int size = value.trimmed().toInt(&ok);
    if (!ok)
        return 1.0;
    if (value.trimmed().startsWith(QLatin1Char('+')) ||
        value.trimmed().startsWith(QLatin1Char('-')))
        size += 3;
    return factors[qBound(1, size, 7) - 1];
}

QColor htmlColor(QString value)
{
    value = value.trimmed();
    QColor colour = QColor::fromString(value);
    // Browsers also take bare hex digits.
    if (!colour.isValid() && !value.startsWith(QLatin1Char('#')))
        colour = QColor::fromString(QLatin1Char('#') + value);
    return colour;
}

void applyFont(QTextCharFormat& format, const QString& attributes)
{
    static const QRegularExpression attribute(
        QStringLiteral(R"~((\w+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))~"));
    for (auto it = attribute.globalMatch(attributes); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(1).toLower();
        const QString value = m.captured(2) + m.captured(3) + m.captured(4);
        if (name == QLatin1String("color")) {
            const QColor colour = htmlColor(value);
            if (colour.isValid())
                format.setForeground(colour);
        } else if (name == QLatin1String("size")) {
            format.setFontPointSize(format.fontPointSize() * fontSizeFactor(value));
        }
    }
}

// The character an entity stands for, or nothing for one the browser would print as typed.
QString entity(const QString& name)
{
    static const QHash<QString, QString> named{
        {QStringLiteral("amp"), QStringLiteral("&")},
        {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},
        {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},
        {QStringLiteral("nbsp"), QString(QChar(0xA0))},
        {QStringLiteral("laquo"), QStringLiteral("«")},
        {QStringLiteral("raquo"), QStringLiteral("»")},
        {QStringLiteral("mdash"), QStringLiteral("—")},
        {QStringLiteral("ndash"), QStringLiteral("–")},
        {QStringLiteral("hellip"), QStringLiteral("…")},
        {QStringLiteral("copy"), QStringLiteral("©")},
        {QStringLiteral("deg"), QStringLiteral("°")},
        {QStringLiteral("times"), QStringLiteral("×")},
    };
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const bool hex =
            name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
        const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString(QChar(QChar::ReplacementCharacter));
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    return named.value(name);
}

// An opening tag sets its format, a closing one ends its element and any left open inside it.
void applyTag(QTextCharFormat& format, std::vector<Element>& open, const QString& name,
              bool closing, const QString& attributes)
{
    if (closing) {
        for (auto e = open.rbegin(); e != open.rend(); ++e) {
            if (e->name == name) {
                format = e->outer;
                open.erase(std::next(e).base(), open.end());
                return;
            }
        }
        return;
    }
    open.push_back({name, format});
    if (name == QLatin1String("b"))
        format.setFontWeight(QFont::Bold);
    else if (name == QLatin1String("i"))
        format.setFontItalic(true);
    else if (name == QLatin1String("u"))
        format.setFontUnderline(true);
    else
        applyFont(format, attributes);
}

} // namespace

void insertTypedText(QTextCursor& cursor, const QString& text)
{
    static const QRegularExpression tag(QStringLiteral(R"(<(/?)([A-Za-z][A-Za-z0-9]*)([^<>]*)>)"));
    static const QRegularExpression reference(
        QStringLiteral(R"(&(#[0-9]+|#[xX][0-9A-Fa-f]+|[A-Za-z]+);)"));
    static const QStringList known{QStringLiteral("b"), QStringLiteral("i"), QStringLiteral("u"),
                                   QStringLiteral("br"), QStringLiteral("font")};
    constexpr auto here = QRegularExpression::AnchorAtOffsetMatchOption;
    std::vector<Element> open;
    QTextCharFormat format = cursor.charFormat();
    if (format.fontPointSize() <= 0)
        format.setFontPointSize(cursor.document()->defaultFont().pointSizeF());
    QString run;
    // A run of spaces, over tags too, is one space, and none at the start or end of a line.
    bool lineStart = true;
    bool spaceDue = false;
    const auto put = [&](const QString& shown) {
        if (spaceDue && !lineStart)
            run += QLatin1Char(' ');
        run += shown;
        spaceDue = lineStart = false;
    };
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        const QRegularExpressionMatch m =
            c == QLatin1Char('&') ? reference.match(text, i, QRegularExpression::NormalMatch, here)
            : c == QLatin1Char('<') ? tag.match(text, i, QRegularExpression::NormalMatch, here)
                                    : QRegularExpressionMatch();
        const QString decoded = c == QLatin1Char('&') ? entity(m.captured(1)) : QString();
        const QString name = c == QLatin1Char('<') ? m.captured(2).toLower() : QString();
        qsizetype taken = m.capturedLength();
        if (QStringLiteral(" \t\r\n").contains(c)) {
            spaceDue = true;
        } else if (m.hasMatch() && !decoded.isEmpty()) {
            put(decoded);
        } else if (m.hasMatch() && known.contains(name)) {
            cursor.insertText(std::exchange(run, QString()), format);
            if (name == QLatin1String("br")) {
                cursor.insertText(QString(QChar(QChar::LineSeparator)), format);
                lineStart = true;
                spaceDue = false;
            } else {
                applyTag(format, open, name, !m.captured(1).isEmpty(), m.captured(3));
            }
        } else {
            put(QString(c));
            taken = 0;
        }
        i += std::max<qsizetype>(taken, 1);
    }
    cursor.insertText(run, format);
}
