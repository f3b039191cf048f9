// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/plainpasteedit.h"

#include <QMimeData>

void PlainPasteEdit::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !source)
        return;
    // One read: an owner that has gone since yields an empty text, and nothing is inserted.
    const QString text = source->text();
    if (text.isEmpty())
        return;
    insertPlainText(text);
    ensureCursorVisible();
}
