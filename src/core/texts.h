// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What core says to the user, each text written once: the code and the tests take it from here.
// The texts users know from the program are checked letter by letter, blanks included, in
// tst_generationcommand.
namespace CoreText
{

// The generation command.
inline const QString FolderWarning = QStringLiteral(
    "Будьте внимательны при названии папки для викторины. В названии не должно быть запрещенных "
    "символов (Точек, звездочек, кавычек, знаков прямой и обр.дробей и некоторых других. Могут "
    "возникнуть проблемы при ее создании или при доступе к ней.");
// One text a line, whole, so that its blanks show as the user meets them.
// clang-format off
inline const QString NoTitle = QStringLiteral("А почему нет названия у викторины?");
inline const QString NoPictures = QStringLiteral("А почему не все картинки выбраны ?");
inline const QString FolderCaption = QStringLiteral("Внимание!");
inline const QString FolderPrompt = QStringLiteral("Укажите название папки для размещения викторины.   )");
inline const QString FolderFailed = QStringLiteral("Ошибка при создании папки для викторины. ");
inline const QString Generating = QStringLiteral("Выполняется генерация");
inline const QString Done = QStringLiteral("Генерация выполнена");
inline const QString Resting = QStringLiteral("Выбирай картинки, делай подписи, жми генерацию...");
inline const QString ViewQuestion = QStringLiteral("Просматривать будете?");
inline const QString CannotShow = QStringLiteral("Не могу продемонстрировать страничку! Проверьте путь к викторине: ");
inline const QString Failed = QStringLiteral("Генерация не выполнена");
inline const QString Locked = QStringLiteral("Эту викторину сейчас записывает другое окно QUIRVEL.");
inline const QString Changed = QStringLiteral("Викторину в этой папке изменило другое окно. Заменить?");

// The caption of the program's warnings and yes/no questions.
inline const QString WarningCaption = QStringLiteral(" Внимание! ");

// The first lines of the boxes of a quiz folder's placement; the second names the file and why.
inline const QString CopyFailed = QStringLiteral("Ошибка при копировании");
inline const QString DecorationFailed = QStringLiteral("Ошибка при копировании дополнений");
inline const QString DeleteFailed = QStringLiteral("Ошибка при удалении файла");
inline const QString RecoveryFailed = QStringLiteral("Не удалось восстановить викторину после прерванной генерации.");

// The drafts of programs that have gone.
inline const QString RestoreOne = QStringLiteral("Восстановить несгенерированную викторину?");
inline const QString DeleteAll = QStringLiteral("Удалить несгенерированные викторины (всего: %1)?");

// The instructions, followed by the web site's host.
inline const QString NoInstructions = QStringLiteral("Файл инструкции instr.chm - недоступен! Обращайьесь на сайт: ");

// An exception none of our code worded.
inline const QString InternalError = QStringLiteral("Внутренняя ошибка программы");
// clang-format on
inline const QString RestoreNewest = QStringLiteral(
    "Найдены несгенерированные викторины (всего: %1). Восстановить последнюю — «%2»?");

} // namespace CoreText
