#pragma once

#include <QString>
#include <system_error>

// The reason for a failed file operation as the user reads it, in Russian: "на диске нет места",
// "нет прав на запись" ... and "системная ошибка N" for the rest.
QString errorReasonText(std::error_code error);
