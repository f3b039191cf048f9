// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>

// A multi-line field that takes whatever is pasted or dropped into it as plain text only.
//
// Qt 6.4's own insertion reads the first format the data offers without checking that there is
// one. On X11 the clipboard hands out its data object even when no program owns the clipboard,
// or when its owner quit between the paste and the question what it holds; that object offers no
// format, and the paste crashed. Ctrl+V, Shift+Insert, the menu's paste, the middle click and
// drops all come here.
class PlainPasteEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void insertFromMimeData(const QMimeData* source) override;
};
