#include "core/errorreason.h"

#include <cerrno>

QString errorReasonText(std::error_code error)
{
    if (error.category() == std::generic_category() || error.category() == std::system_category()) {
        switch (error.value()) {
        case ENOSPC:
            return QStringLiteral("на диске нет места");
        case EACCES:
            return QStringLiteral("нет прав на запись");
        case EROFS:
            return QStringLiteral("диск только для чтения");
        case ENAMETOOLONG:
            return QStringLiteral("слишком длинное имя");
        case ENOENT:
            return QStringLiteral("файл или папка не найдены");
        case EEXIST:
            return QStringLiteral("такое имя уже есть");
        case EIO:
            return QStringLiteral("ошибка чтения или записи диска");
        default:
            break;
        }
    }
    return QStringLiteral("системная ошибка %1").arg(error.value());
}
