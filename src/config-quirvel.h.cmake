// SPDX-License-Identifier: GPL-3.0-or-later
// Written by CMake from src/config-quirvel.h.cmake (settings in cmake/QuirvelSettings.cmake).
#pragma once

#define QUIRVEL_VERSION "@QUIRVEL_VERSION@"
#define QUIRVEL_AUTHOR_CREDIT "@QUIRVEL_AUTHOR_CREDIT_C@"
#define QUIRVEL_SITE_URL "@QUIRVEL_SITE_URL_C@"
#define QUIRVEL_SITE_HOST "@QUIRVEL_SITE_HOST_C@"
#define QUIRVEL_APP_ID "@QUIRVEL_APP_ID@"
// The decoration images, as QString literals for a list initialiser.
#define QUIRVEL_DECORATIONS @QUIRVEL_DECORATION_LITERALS@
