# SPDX-License-Identifier: GPL-3.0-or-later
# The build settings, in one place for the program's project and the fuzz project. They reach the
# code only through config-quirvel.h, which this file writes into the build folder; include it
# before project(), which takes its version from here.

set(QUIRVEL_VERSION 1.1)

# Baked into every generated page (credit line and link) and into the help message.
set(QUIRVEL_AUTHOR_CREDIT "команда QUIRVEL" CACHE STRING "Author credit written after the program name on every quiz page")
set(QUIRVEL_SITE_URL "https://quirvel.example.org/" CACHE STRING "Author's web site, absolute address")
set(QUIRVEL_SITE_HOST "quirvel.example.org" CACHE STRING "Host name shown as the link text of the web site")

# Desktop entry, metainfo, icon and the running program share one reverse-DNS id made from the
# site's host name: quirvel.example.org gives org.example.quirvel, example.net gives net.example.quirvel.
string(REPLACE "." ";" host_parts "${QUIRVEL_SITE_HOST}")
list(REVERSE host_parts)
list(GET host_parts -1 host_last)
if(NOT host_last STREQUAL "quirvel")
    list(APPEND host_parts quirvel)
endif()
list(JOIN host_parts "." QUIRVEL_APP_ID)
string(TOLOWER "${QUIRVEL_APP_ID}" QUIRVEL_APP_ID)
# AppStream ids allow no hyphens.
string(REPLACE "-" "_" QUIRVEL_APP_ID "${QUIRVEL_APP_ID}")

# The decoration images in resources/decor that every quiz folder gets a copy of.
set(QUIRVEL_DECORATIONS 11.gif 22.gif 33.gif 44.gif 55.gif 66.gif line1.gif fong.gif)
list(TRANSFORM QUIRVEL_DECORATIONS PREPEND "QStringLiteral(\"" OUTPUT_VARIABLE decoration_literals)
list(TRANSFORM decoration_literals APPEND "\")")
list(JOIN decoration_literals ", " QUIRVEL_DECORATION_LITERALS)

# As C string literals: a quote or backslash in a setting must not break the header.
foreach(name QUIRVEL_AUTHOR_CREDIT QUIRVEL_SITE_URL QUIRVEL_SITE_HOST)
    string(REPLACE "\\" "\\\\" ${name}_C "${${name}}")
    string(REPLACE "\"" "\\\"" ${name}_C "${${name}_C}")
endforeach()

set(QUIRVEL_CONFIG_DIR ${CMAKE_BINARY_DIR}/config)
configure_file(${CMAKE_CURRENT_LIST_DIR}/../src/config-quirvel.h.cmake
    ${QUIRVEL_CONFIG_DIR}/config-quirvel.h @ONLY)
