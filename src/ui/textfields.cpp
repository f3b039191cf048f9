// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/textfields.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextOption>

namespace
{
const QString CrLf = QStringLiteral("\r\n");
}

void setTextFromProgram(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void setTextFromProgram(QPlainTextEdit* edit, const QString& crlfText)
{
    if (storedText(edit) == crlfText)
        return;
    QString shown = crlfText;
    shown.replace(CrLf, QLatin1String("\n"));
    edit->setPlainText(shown);
}

QString storedText(const QPlainTextEdit* edit)
{
    // The raw text keeps non-breaking spaces, which the plain-text form would turn into blanks.
    QString text = edit->document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), CrLf);
    text.replace(QChar(QChar::LineSeparator), CrLf);
    return text;
}

void centreText(QPlainTextEdit* edit)
{
    QTextOption option = edit->document()->defaultTextOption();
    option.setAlignment(Qt::AlignHCenter);
    edit->document()->setDefaultTextOption(option);
}
