// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QMenu;
class QPlainTextEdit;
class QWidget;
class SlotStrip;
struct QuizSetup;

// What the quiz window offers assistive technology and the keyboard beyond its widgets' own:
// slot descriptions that follow the chosen pictures, Alt+1 ... Alt+6 for the slots, Shift+F10
// for the context menu at the focused widget, and the quiz menu as a submenu of the text fields'
// edit menus, where the Menu key opens those instead. Adds no focus stops.
class WindowAccess : public QObject
{
    Q_OBJECT
public:
    static constexpr int SlotCount = 6;

    // Lives as long as window. The text fields among its focus stops get the edit menu.
    static WindowAccess* install(QWidget* window, const QuizSetup& setup, QMenu* quizMenu,
                                 SlotStrip* strip, const QList<QWidget*>& focusStops);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowAccess(QWidget* window, const QuizSetup& setup, QMenu* quizMenu, SlotStrip* strip,
                 const QList<QWidget*>& focusStops);
    void describePictures();
    void openContextMenuAtFocus();
    static void showFocus(QPlainTextEdit* edit, bool focused);

    QWidget* m_window;
    const QuizSetup& m_setup;
    QMenu* m_quizMenu;
    SlotStrip* m_strip;
};
