// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/answerorder.h"

#include "core/quirvelerror.h"

int AnswerOrder::operator[](int k) const
{
    if (k < 1 || k > int(entries.size()))
        throw QuirvelError(QStringLiteral("Номер ответа вне диапазона 1..6: %1").arg(k));
    return entries[k - 1];
}
