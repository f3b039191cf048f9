// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// This process's memory as the kernel reports it (Linux /proc), for the peak-memory checks.

#include <fstream>
#include <string>

// A "<field>: <n> kB" line of /proc/self/status (VmRSS, VmHWM ...), or -1.
inline long long statusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(key.size()));
    return -1;
}

// Resets the high-water mark (VmHWM) to the current size; false where the kernel does not allow it.
inline bool resetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return bool(clear);
}
