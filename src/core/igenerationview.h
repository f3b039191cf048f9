// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the generation command needs of the main window. The window implements it on its own
// widgets; tests implement it on plain fields.
class IGenerationView
{
public:
    virtual ~IGenerationView() = default;

    // The quiz title field. Setting a text that differs from the one shown acts like typing it.
    virtual QString titleText() const = 0;
    virtual void setTitleText(const QString& text) = 0;
    // The status caption; it must be repainted at once, since the window is blocked meanwhile.
    virtual void showStatus(const QString& text) = 0;
    // The progress bar, range 0 to 100.
    virtual int progressPosition() const = 0;
    virtual void setProgressPosition(int position) = 0;
    // Shows the info window modally and returns however it was closed.
    virtual void showInfoWindow() = 0;
};
