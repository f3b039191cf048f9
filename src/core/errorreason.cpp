// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/errorreason.h"

#include <cerrno>

QString errorReason(std::error_code error)
{
    // Errors from std::filesystem and from errno share their values on this platform.
    switch (error.value()) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("на диске нет места");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на запись");
    case EROFS:
        return QStringLiteral("диск только для чтения");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("файл или папка не найдены");
    case EEXIST:
        return QStringLiteral("такое имя уже есть");
    case EIO:
        return QStringLiteral("ошибка чтения или записи диска");
    default:
        return QStringLiteral("системная ошибка %1").arg(error.value());
    }
}

std::error_code lastSystemError()
{
    return std::error_code(errno ? errno : EIO, std::generic_category());
}

QString withReason(const QString& text, const QString& what, std::error_code error)
{
    return text + QLatin1Char('\n') + what + QStringLiteral(": ") + errorReason(error);
}

QString cannotRead(const QString& name, std::error_code error)
{
    return QStringLiteral("Не удаётся прочитать файл «%1»: %2").arg(name, errorReason(error));
}

QString cannotWrite(const QString& name, std::error_code error)
{
    return QStringLiteral("Не удаётся записать файл «%1»: %2").arg(name, errorReason(error));
}
