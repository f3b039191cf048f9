// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;

// Texts set by the program: only a different text is set, and then the widget's change handling
// runs as after typing. The multi-line form takes an answer as stored, with CR LF line breaks,
// while the widget holds bare LF.
void setTextFromProgram(QLineEdit* edit, const QString& text);
void setTextFromProgram(QPlainTextEdit* edit, const QString& crlfText);

// A multi-line field's whole text as stored: line breaks as CR LF, nothing else altered.
QString storedText(const QPlainTextEdit* edit);

// Centres every paragraph of a multi-line field.
void centreText(QPlainTextEdit* edit);
