// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QAction;
class QMenu;
class QPoint;
class QUndoStack;
class QWidget;

// A slot's context menu: a picture of any kind from a file, the clipboard's picture, and undo and
// redo of what happened to the slots' pictures. Its shortcuts (Ctrl+V and Shift+Insert, Ctrl+Z,
// Ctrl+Shift+Z and Ctrl+Y) work on the whole window, except in a text field, which keeps its own;
// nothing acts unless the window's input gate is open.
class SlotMenu : public QObject
{
    Q_OBJECT
public:
    SlotMenu(QWidget* window, QUndoStack* history);

    QMenu* menu() const { return m_menu; }
    // Shows the menu, its paste entry greyed when the clipboard offers no picture.
    void popup(const QPoint& globalPosition);

signals:
    void pictureFileRequested();
    void pasteRequested();

private:
    QAction* addAction(const char* objectName, const QString& text);

    QWidget* m_window;
    QMenu* m_menu;
    QAction* m_pasteAction = nullptr;
};
