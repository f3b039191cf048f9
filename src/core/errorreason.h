// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <system_error>

// Why a file operation failed, in the user's words: "на диске нет места" and the like.
QString errorReason(std::error_code error);

// errno as an error code, taken right after the call that failed. EIO when that call left errno
// unset, so that a failure is never mistaken for success.
std::error_code lastSystemError();

// "Не удаётся прочитать файл «name»: reason" and its writing twin.
QString cannotRead(const QString& name, std::error_code error);
QString cannotWrite(const QString& name, std::error_code error);

// "first line" + a line break + "what: reason", the form of every file error box.
QString withReason(const QString& text, const QString& what, std::error_code error);
