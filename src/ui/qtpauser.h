// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ipauser.h"

// Waits while the window keeps repainting but takes no input.
class QtPauser : public IPauser
{
public:
    void pause(int milliseconds) override;
};
