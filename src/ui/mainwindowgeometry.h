// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>

// The main window's fixed layout, in pixels.
namespace MainWindowGeometry
{

// Outer size of the window; the client area is that minus a standard frame and caption.
constexpr int OuterWidth = 837;
constexpr int OuterHeight = 691;
constexpr int FrameBorder = 4;
constexpr int CaptionHeight = 19;

// Where the widgets and parts sit in the client area. A label sized to its text keeps only the
// top-left corner of its rectangle; a part's children are placed within it.
namespace At
{
constexpr QRect ProgramName(24, 16, 186, 37);
constexpr QRect Status(240, 16, 232, 32);
constexpr QRect Progress(240, 48, 233, 16);
constexpr QRect Generate(488, 16, 201, 49);
constexpr QRect New(712, 24, 43, 33);
constexpr QRect Info(768, 24, 41, 33);
constexpr QRect HeaderRule(24, 72, 785, 1);
constexpr QRect BrowserRule(232, 72, 1, 577);
constexpr QPoint PictureBrowser(24, 88);
constexpr QRect Instructions(24, 616, 97, 25);
constexpr QRect Exit(144, 616, 75, 25);
constexpr QRect TitleEdit(248, 88, 393, 24);
constexpr QRect TitleCaption(648, 88, 154, 16);
constexpr QPoint SlotStrip(248, 120);
constexpr QPoint SlotPanel(248, 408);
} // namespace At

} // namespace MainWindowGeometry
