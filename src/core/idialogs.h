// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// What the program asks of the user. The real program shows Qt dialogs; tests answer in advance.
class IDialogs
{
public:
    // The longest text the input box takes.
    static constexpr int InputMaxLength = 255;

    virtual ~IDialogs() = default;
    // Plain message box: application title as caption, no icon, one OK button.
    virtual void message(const QString& text) = 0;
    // "Confirm" box with a question icon, OK (default) and Cancel; true only for OK.
    virtual bool confirm(const QString& text) = 0;
    // Yes/No box without icon; true only for Yes. Yes is the default button unless told otherwise.
    virtual bool yesNo(const QString& caption, const QString& text, bool defaultYes = true) = 0;
    // Input box, at most InputMaxLength characters: the text on OK, nothing on Cancel or closing.
    virtual std::optional<QString> input(const QString& caption, const QString& prompt,
                                         const QString& preset) = 0;
    // Standard error box: caption = application title, stop icon, OK. The text is final.
    virtual void error(const QString& text) = 0;
    // Folder picker starting in start; nothing when cancelled.
    virtual std::optional<QString> chooseFolder(const QString& caption, const QString& start) = 0;
    // Save-file picker proposing proposedPath, showing files that match filter ("Name (*.ext)").
    // It never asks about an existing file itself: the caller does, in Russian. Nothing when
    // cancelled.
    virtual std::optional<QString> saveFile(const QString& caption, const QString& proposedPath,
                                            const QString& filter) = 0;
    // Open-file picker starting in start, showing files that match filter; nothing when
    // cancelled.
    virtual std::optional<QString> openFile(const QString& caption, const QString& start,
                                            const QString& filter) = 0;
};
