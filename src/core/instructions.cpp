// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/instructions.h"

#include "core/buildinfo.h"
#include "core/texts.h"

#include <QFileInfo>

void openInstructions(const QString& suppliedFolder, IShell& shell, IDialogs& dialogs)
{
    // suppliedFolder ends with a separator already; the doubled one is harmless and kept.
    const QString path = suppliedFolder + QStringLiteral("/instr.chm");
    // Desktop launchers happily "open" a file that is not there; the user must hear about it.
    const QFileInfo file(path);
    const auto unavailable = [&dialogs] { dialogs.message(CoreText::NoInstructions + siteHost()); };
    if (file.isFile() && file.isReadable())
        shell.openDocument(path, unavailable);
    else
        unavailable();
}
