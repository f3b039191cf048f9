// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/printedsheet.h"

#include "export/exportedquiz.h"
#include "export/typedtext.h"
#include "jpeg/jpegdecoder.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QtMath>

#include <array>
#include <memory>

namespace
{

constexpr int Dpi = 300;

int mm(double millimetres)
{
    return int(millimetres * Dpi / 25.4 + 0.5);
}

// What shrinks, in this order, until the pupil's part fits its page.
struct Measures {
    int pictureHeight = mm(36);
    double questionPoints = 10;
    double answerPoints = 11;
};
const int SmallestPicture = mm(25);
constexpr double SmallestType = 9;

// Lays texts and pictures down the page from the top, starting a new page when one is full. A
// dry run only measures: it draws nothing and never starts a page.
class SheetPainter
{
public:
    SheetPainter(QPdfWriter& writer) : m_writer(writer), m_painter(&writer)
    {
        m_width = m_painter.viewport().width();
        m_bottom = m_painter.viewport().height();
    }
    int width() const { return m_width; }
    int bottom() const { return m_bottom; }
    void setDry(bool dry)
    {
        m_dry = dry;
        m_y = 0;
    }
    QFont font(double points, bool bold = false) const
    {
        // DejaVu Sans holds all of Windows-1251. Named, Symbola gives emoji that the PDF can
        // embed; left to fontconfig they would come from a colour font that it cannot.
        QFont font;
        font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Symbola")});
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    }
    // Typed text laid out `width` wide; a word longer than a line is broken where it must.
    std::unique_ptr<QTextDocument> layout(const QFont& font, int width, const QString& text)
    {
        auto document = std::make_unique<QTextDocument>();
        document->documentLayout()->setPaintDevice(&m_writer);
        document->setDefaultFont(font);
        document->setDocumentMargin(0);
        QTextOption option(Qt::AlignLeft);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        document->setDefaultTextOption(option);
        document->setTextWidth(width);
        QTextCursor cursor(document.get());
        insertTypedText(cursor, text);
        return document;
    }
    int textHeight(const QFont& font, int width, const QString& text)
    {
        return qCeil(layout(font, width, text)->size().height());
    }
    void need(int height)
    {
        if (!m_dry && m_y > 0 && m_y + height > m_bottom)
            newPage();
    }
    void newPage()
    {
        m_writer.newPage();
        m_y = 0;
    }
    void text(const QFont& font, int x, int y, int width, const QString& text)
    {
        if (m_dry)
            return;
        const auto document = layout(font, width, text);
        m_painter.save();
        m_painter.translate(x, y);
        document->drawContents(&m_painter);
        m_painter.restore();
    }
    void box(int x, int y, int side, const QString& inside = QString())
    {
        if (m_dry)
            return;
        m_painter.setPen(QPen(Qt::black, mm(0.3)));
        m_painter.drawRect(x, y, side, side);
        if (!inside.isEmpty()) {
            m_painter.setFont(font(12, true));
            m_painter.drawText(QRect(x, y, side, side), Qt::AlignCenter, inside);
        }
    }
    void picture(const QImage& image, const QRect& area)
    {
        if (m_dry)
            return;
        QSize size = image.size().scaled(area.size(), Qt::KeepAspectRatio);
        m_painter.drawImage(QRect(area.topLeft(), size), image);
    }
    int& y() { return m_y; }

private:
    QPdfWriter& m_writer;
    QPainter m_painter;
    int m_width = 0;
    int m_bottom = 0;
    int m_y = 0;
    bool m_dry = false;
};

void heading(SheetPainter& sheet, const QString& text, double points)
{
    const QFont font = sheet.font(points, true);
    const int height = sheet.textHeight(font, sheet.width(), text);
    sheet.need(height);
    sheet.text(font, 0, sheet.y(), sheet.width(), text);
    sheet.y() += height + mm(5);
}

// One row per answer cell, in the page's order: a box, then the answer.
void answerRows(SheetPainter& sheet, const ExportedQuiz& quiz, bool withKey, double points)
{
    const QuizPageContents& contents = quiz.contents();
    const QFont font = sheet.font(points);
    const int side = mm(9);
    const int textX = side + mm(4);
    for (int cell = 1; cell <= 6; ++cell) {
        const int picture = contents.order[cell];
        const QString& answer = contents.answers[size_t(picture - 1)];
        const int height =
            qMax(side, mm(2) + sheet.textHeight(font, sheet.width() - textX, answer));
        sheet.need(height);
        sheet.box(0, sheet.y(), side, withKey ? QString::number(picture) : QString());
        sheet.text(font, textX, sheet.y() + mm(2), sheet.width() - textX, answer);
        sheet.y() += height + mm(3);
    }
}

// The title, two pictures a row, each with its number and its question, then the answers.
void pupilPart(SheetPainter& sheet, const ExportedQuiz& quiz, const std::array<QImage, 6>& pictures,
               const Measures& measures)
{
    const QuizPageContents& contents = quiz.contents();
    heading(sheet, contents.title, 18);
    const int gap = mm(8);
    const int column = (sheet.width() - gap) / 2;
    const int numberWidth = mm(10);
    const int pictureHeight = measures.pictureHeight;
    const QFont numberFont = sheet.font(16, true);
    const QFont questionFont = sheet.font(measures.questionPoints);
    for (int k = 1; k <= 6; k += 2) {
        int questions = 0;
        for (int j = k; j <= k + 1; ++j)
            questions = qMax(questions, sheet.textHeight(questionFont, column,
                                                         contents.questions[size_t(j - 1)]));
        sheet.need(pictureHeight + mm(2) + questions);
        for (int j = k; j <= k + 1; ++j) {
            const int x = (j - k) * (column + gap);
            sheet.text(numberFont, x, sheet.y(), numberWidth, QString::number(j));
            sheet.picture(pictures[size_t(j - 1)],
                          QRect(x + numberWidth, sheet.y(), column - numberWidth, pictureHeight));
            sheet.text(questionFont, x, sheet.y() + pictureHeight + mm(2), column,
                       contents.questions[size_t(j - 1)]);
        }
        sheet.y() += pictureHeight + mm(2) + questions + mm(5);
    }
    heading(sheet, QStringLiteral("Впишите в клетку номер картинки, к которой подходит ответ"), 12);
    answerRows(sheet, quiz, false, measures.answerPoints);
}

// First the pictures shrink, then the type; below the smallest type the part may flow on.
Measures fitted(SheetPainter& sheet, const ExportedQuiz& quiz,
                const std::array<QImage, 6>& pictures)
{
    Measures measures;
    const auto fits = [&] {
        sheet.setDry(true);
        pupilPart(sheet, quiz, pictures, measures);
        const bool fit = sheet.y() <= sheet.bottom();
        sheet.setDry(false);
        return fit;
    };
    while (!fits() && measures.pictureHeight > SmallestPicture)
        measures.pictureHeight = qMax(SmallestPicture, measures.pictureHeight - mm(2));
    while (!fits() && measures.answerPoints > SmallestType) {
        measures.answerPoints -= 0.5;
        measures.questionPoints = qMax(SmallestType, measures.questionPoints - 0.5);
    }
    return measures;
}

// The title as the page shows it, without its tags, for the PDF's own title.
QString shownText(const QString& typed)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    insertTypedText(cursor, typed);
    return document.toPlainText();
}

} // namespace

QByteArray printedSheet(const ExportedQuiz& quiz)
{
    const QuizPageContents& contents = quiz.contents();
    std::array<QImage, 6> pictures;
    for (int k = 1; k <= 6; ++k)
        pictures[size_t(k - 1)] = decodeJpegData(quiz.picture(k));
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(Dpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setTitle(shownText(contents.title));
        writer.setCreator(QStringLiteral("QUIRVEL"));
        SheetPainter sheet(writer);
        pupilPart(sheet, quiz, pictures, fitted(sheet, quiz, pictures));

        sheet.newPage();
        heading(sheet, QStringLiteral("Ключ: ") + contents.title, 14);
        answerRows(sheet, quiz, true, Measures().answerPoints);
    }
    return pdf;
}
