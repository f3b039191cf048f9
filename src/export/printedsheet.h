// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class ExportedQuiz;

// The quiz on paper for a class without computers, as an A4 PDF: the title, the six numbered
// pictures with their questions, the answers in the page's order each with an empty box for a
// picture number, and the answer key on a page of its own. Texts print as typed. Needs a
// QGuiApplication (fonts).
QByteArray printedSheet(const ExportedQuiz& quiz);
