// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/printedsheet.h"

#include "export/exportedquiz.h"
#include "jpeg/jpegdecoder.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace
{

constexpr int Dpi = 300;

int mm(double millimetres)
{
    return int(millimetres * Dpi / 25.4 + 0.5);
}

// The way the window shows them: an answer's CR LF is one line break.
QString typed(const QString& text)
{
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Lays texts and pictures down the page from the top, starting a new page when one is full.
class SheetPainter
{
public:
    SheetPainter(QPdfWriter& writer) : m_writer(writer), m_painter(&writer)
    {
        m_width = m_painter.viewport().width();
        m_bottom = m_painter.viewport().height();
    }
    int width() const { return m_width; }
    QFont font(double points, bool bold = false) const
    {
        // DejaVu Sans holds all of Windows-1251; fontconfig finds the rest elsewhere.
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    }
    int textHeight(const QFont& font, int width, const QString& text)
    {
        m_painter.setFont(font);
        return m_painter.boundingRect(QRect(0, 0, width, 100000), TextFlags, text).height();
    }
    void need(int height)
    {
        if (m_y > 0 && m_y + height > m_bottom)
            newPage();
    }
    void newPage()
    {
        m_writer.newPage();
        m_y = 0;
    }
    void text(const QFont& font, int x, int y, int width, const QString& text)
    {
        m_painter.setFont(font);
        m_painter.drawText(QRect(x, y, width, 100000), TextFlags, text);
    }
    void box(int x, int y, int side, const QString& inside = QString())
    {
        m_painter.setPen(QPen(Qt::black, mm(0.3)));
        m_painter.drawRect(x, y, side, side);
        if (!inside.isEmpty()) {
            m_painter.setFont(font(12, true));
            m_painter.drawText(QRect(x, y, side, side), Qt::AlignCenter, inside);
        }
    }
    void picture(const QImage& image, const QRect& area)
    {
        QSize size = image.size().scaled(area.size(), Qt::KeepAspectRatio);
        m_painter.drawImage(QRect(area.topLeft(), size), image);
    }
    int& y() { return m_y; }

    static constexpr int TextFlags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;

private:
    QPdfWriter& m_writer;
    QPainter m_painter;
    int m_width = 0;
    int m_bottom = 0;
    int m_y = 0;
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
void answerRows(SheetPainter& sheet, const ExportedQuiz& quiz, bool withKey)
{
    const QuizPageContents& contents = quiz.contents();
    const QFont font = sheet.font(11);
    const int side = mm(9);
    const int textX = side + mm(4);
    for (int cell = 1; cell <= 6; ++cell) {
        const int picture = contents.order[cell];
        const QString answer = typed(contents.answers[size_t(picture - 1)]);
        const int height = qMax(side, sheet.textHeight(font, sheet.width() - textX, answer));
        sheet.need(height);
        sheet.box(0, sheet.y(), side, withKey ? QString::number(picture) : QString());
        sheet.text(font, textX, sheet.y() + mm(2), sheet.width() - textX, answer);
        sheet.y() += height + mm(3);
    }
}

} // namespace

QByteArray printedSheet(const ExportedQuiz& quiz)
{
    const QuizPageContents& contents = quiz.contents();
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(Dpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setTitle(contents.title);
        writer.setCreator(QStringLiteral("QUIRVEL"));
        SheetPainter sheet(writer);

        heading(sheet, typed(contents.title), 18);
        // Two pictures a row, each with its number and its question.
        const int gap = mm(8);
        const int column = (sheet.width() - gap) / 2;
        const int numberWidth = mm(10);
        const int pictureHeight = mm(36);
        const QFont numberFont = sheet.font(16, true);
        const QFont questionFont = sheet.font(10);
        for (int k = 1; k <= 6; k += 2) {
            int questions = 0;
            for (int j = k; j <= k + 1; ++j)
                questions =
                    qMax(questions, sheet.textHeight(questionFont, column,
                                                     typed(contents.questions[size_t(j - 1)])));
            sheet.need(pictureHeight + mm(2) + questions);
            for (int j = k; j <= k + 1; ++j) {
                const int x = (j - k) * (column + gap);
                sheet.text(numberFont, x, sheet.y(), numberWidth, QString::number(j));
                sheet.picture(
                    decodeJpegData(quiz.picture(j)),
                    QRect(x + numberWidth, sheet.y(), column - numberWidth, pictureHeight));
                sheet.text(questionFont, x, sheet.y() + pictureHeight + mm(2), column,
                           typed(contents.questions[size_t(j - 1)]));
            }
            sheet.y() += pictureHeight + mm(2) + questions + mm(5);
        }
        heading(sheet, QStringLiteral("Впишите в клетку номер картинки, к которой подходит ответ"),
                12);
        answerRows(sheet, quiz, false);

        sheet.newPage();
        heading(sheet, QStringLiteral("Ключ: ") + typed(contents.title), 14);
        answerRows(sheet, quiz, true);
    }
    return pdf;
}
