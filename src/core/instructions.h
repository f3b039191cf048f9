// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/services.h"

#include <QString>

// The "Инструкция" button: asks the desktop to open instr.chm from the supplied folder and tells
// the user where else to look when that is not possible.
void openInstructions(const QString& suppliedFolder, IShell& shell, IDialogs& dialogs);
