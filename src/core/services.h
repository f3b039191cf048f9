// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/idialogs.h"
#include "core/ipauser.h"
#include "core/ishell.h"

// Everything the program asks of the outside world, passed to whoever needs it.
struct Services {
    IDialogs& dialogs;
    IShell& shell;
    IPauser& pauser;
};
