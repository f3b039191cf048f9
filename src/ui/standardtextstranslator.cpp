// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/standardtextstranslator.h"

#include <QHash>

namespace
{

// The text fields' menus (QLineEdit and QWidgetTextControl share their texts) and the folder
// dialog's buttons, tooltips, menus and columns.
const QHash<QByteArray, QString>& russianTexts()
{
    static const QHash<QByteArray, QString> texts{
        {"&Undo", QStringLiteral("&Отменить")},
        {"&Redo", QStringLiteral("&Повторить")},
        {"Cu&t", QStringLiteral("&Вырезать")},
        {"&Copy", QStringLiteral("&Копировать")},
        {"Copy &Link Location", QStringLiteral("Копировать &адрес ссылки")},
        {"&Paste", QStringLiteral("Вст&авить")},
        {"Delete", QStringLiteral("Удалить")},
        {"Select All", QStringLiteral("Выделить всё")},
        {"Insert Unicode control character", QStringLiteral("Вставить управляющий символ Юникода")},
        {"Back", QStringLiteral("Назад")},
        {"Forward", QStringLiteral("Вперёд")},
        {"Parent Directory", QStringLiteral("Вверх")},
        {"Go back", QStringLiteral("Назад")},
        {"Go forward", QStringLiteral("Вперёд")},
        {"Go to the parent directory", QStringLiteral("Вверх")},
        {"Create New Folder", QStringLiteral("Создать папку")},
        {"Create a New Folder", QStringLiteral("Создать папку")},
        {"List View", QStringLiteral("Список")},
        {"Change to list view mode", QStringLiteral("Список")},
        {"Detail View", QStringLiteral("Подробно")},
        {"Change to detail view mode", QStringLiteral("Подробно")},
        {"Sidebar", QStringLiteral("Места")},
        {"List of places and bookmarks", QStringLiteral("Места и закладки")},
        {"Files", QStringLiteral("Файлы")},
        {"&Rename", QStringLiteral("&Переименовать")},
        {"&Delete", QStringLiteral("&Удалить")},
        {"Show &hidden files", QStringLiteral("Показывать &скрытые файлы")},
        {"&New Folder", QStringLiteral("&Новая папка")},
        {"New Folder", QStringLiteral("Новая папка")},
        {"Directory:", QStringLiteral("Папка:")},
        {"Directories", QStringLiteral("Папки")},
        {"&Choose", QStringLiteral("&Выбрать")},
        {"Recent Places", QStringLiteral("Недавние места")},
        {"My Computer", QStringLiteral("Компьютер")},
        {"Computer", QStringLiteral("Компьютер")},
        {"Name", QStringLiteral("Имя")},
        {"Size", QStringLiteral("Размер")},
        {"Type", QStringLiteral("Тип")},
        {"Kind", QStringLiteral("Тип")},
        {"Date Modified", QStringLiteral("Изменён")},
        {"Folder", QStringLiteral("Папка")},
        {"File Folder", QStringLiteral("Папка")},
        {"Are you sure you want to delete '%1'?", QStringLiteral("Удалить «%1»?")},
        {"Could not delete directory.", QStringLiteral("Не удалось удалить папку.")},
    };
    return texts;
}

bool translatedContext(const char* context)
{
    static const QByteArrayList contexts{"QLineEdit", "QWidgetTextControl", "QFileDialog",
                                         "QFileSystemModel", "QUnicodeControlCharacterMenu"};
    return contexts.contains(QByteArray(context));
}

} // namespace

QString StandardTextsTranslator::translate(const char* context, const char* sourceText, const char*,
                                           int) const
{
    if (!context || !sourceText || !translatedContext(context))
        return {};
    return russianTexts().value(QByteArray(sourceText));
}
