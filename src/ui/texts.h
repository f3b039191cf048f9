// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the main window and its menus say to the user, each text written once: the code and the
// tests take it from here. The texts users know from the program are checked letter by letter,
// blanks included: the caption and the quiz submenu in tst_mainwindow, the new-quiz question in
// tst_slottexts. The captions of the fixed layout stay beside their widgets.
namespace UiText
{

inline const QString ClassRunningQuestion =
    QStringLiteral("Идёт викторина в классе. Остановить её и выйти?");
// One text a line, whole, so that its blanks show as the user meets them.
// clang-format off
inline const QString WindowCaption = QStringLiteral("  Создание теста-викторины  QUIRVEL 1.1");
inline const QString NewQuestion = QStringLiteral(" Вы хотите создавать новую викторину?  ");
inline const QString OpenCaption = QStringLiteral("Открыть викторину");
inline const QString OpenQuestion = QStringLiteral("Открыть викторину? То, что сейчас в окне, будет заменено.");
inline const QString NoPastedPicture = QStringLiteral("В буфере обмена нет картинки. Скопируйте картинку или файл с ней и вставьте снова.");
inline const QString Skipped = QStringLiteral("Папки и адреса из сети не берутся (картинку из браузера сначала сохраните на диск). Не взяты:");
inline const QString ExportsTip = QStringLiteral("Правый щелчок: открыть, сохранить одним файлом, SCORM, печать");
inline const QString ExtensionRule = QStringLiteral("Берутся только картинки с расширением .jpg или .JPG.");

// The quiz menu, and its place in the text fields' edit menus.
inline const QString QuizSubmenu = QStringLiteral("Викторина");
inline const QString NoFolderTip = QStringLiteral("Сначала сгенерируйте или откройте викторину");
inline const QString NoFolderSuffix = QStringLiteral(" (сначала сгенерируйте)");
// clang-format on
inline const QString ExitQuestion =
    QStringLiteral("Изменения не сгенерированы. Выйти без сохранения?");

} // namespace UiText
