// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/idialogs.h"

// The real message, question and input boxes of the running program.
class QtDialogs : public IDialogs
{
public:
    void message(const QString& text) override;
    bool confirm(const QString& text) override;
    bool yesNo(const QString& caption, const QString& text, bool defaultYes = true) override;
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& preset) override;
    void error(const QString& text) override;
    std::optional<QString> chooseFolder(const QString& caption, const QString& start) override;
    std::optional<QString> saveFile(const QString& caption, const QString& proposedPath,
                                    const QString& filter) override;
    std::optional<QString> openFile(const QString& caption, const QString& start,
                                    const QString& filter) override;
};

// The caption of the program's boxes, taken from the executable's name.
QString applicationTitle();
