// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quirvelerror.h"

#include "core/services.h"
#include "core/texts.h"

#include <QFileInfo>

#include <cstdio>

QuirvelError::QuirvelError(const QString& text)
    : std::runtime_error(text.toStdString()), m_text(text)
{
}

QString standardErrorText(const QString& text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + QLatin1Char('.');
    return text;
}

QString applicationTitleFrom(const QString& executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

void showStandardError(IDialogs& dialogs, const QString& text)
{
    dialogs.error(standardErrorText(text));
}

QString internalError(const std::exception& error)
{
    std::fprintf(stderr, "quirvel: %s\n", error.what());
    return CoreText::InternalError;
}

void showInternalError(IDialogs& dialogs, const std::exception& error)
{
    showStandardError(dialogs, internalError(error));
}
