// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <system_error>

// Why a file operation failed, in the user's words: "на диске нет места" and the like.
QString errorReason(std::error_code error);

// "first line" + a line break + "what: reason", the form of every file error box.
QString withReason(const QString& text, const QString& what, std::error_code error);
