// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTranslator>

// Russian for the few texts of Qt's own widgets that a user of this program meets: the text fields'
// context menus and the folder dialog. The message boxes' "OK", "Cancel", "Yes" and "No" stay as
// Qt has them, so Qt's full Russian translation is deliberately not loaded.
class StandardTextsTranslator : public QTranslator
{
    Q_OBJECT
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText,
                      const char* disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};
