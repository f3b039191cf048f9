// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fixed pauses of the progress display; tests pass one that does not wait.
class IPauser
{
public:
    virtual ~IPauser() = default;
    virtual void pause(int milliseconds) = 0;
};
