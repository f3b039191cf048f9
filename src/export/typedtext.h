// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QTextCursor;

// Inserts a text the teacher typed as the quiz page shows it, at the cursor and in its format:
// b, i, u, br and font (color, size) format it; every other tag is printed as typed; entities
// are decoded; runs of spaces and typed line breaks are one space. Nothing is ever loaded: an
// <img src=…> stays text, so no file of this computer can end up in the result.
void insertTypedText(QTextCursor& cursor, const QString& text);
