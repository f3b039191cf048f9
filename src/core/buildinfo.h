// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Constants chosen when the program is built (see the CMake cache variables of the same names).
QString authorCredit();
QString siteUrl();
QString siteHost();
// The project version, "1.1".
QString programVersion();
