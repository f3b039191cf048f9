// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/slotmenu.h"

#include "ui/inputgate.h"
#include "ui/offeredpictures.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QUndoStack>
#include <QWidget>

SlotMenu::SlotMenu(QWidget* window, QUndoStack* history)
    : QObject(window), m_window(window), m_menu(new QMenu(window))
{
    m_menu->setObjectName(QStringLiteral("slotMenu"));
    // Shortcuts reach their action around the input gate's event filter, so each entry asks.
    connect(addAction("pictureFileAction", QStringLiteral("Картинка из файла…")),
            &QAction::triggered, this,
            InputGate::ifOpen(m_window, this, &SlotMenu::pictureFileRequested));
    m_pasteAction = addAction("pastePictureAction", QStringLiteral("Вставить картинку"));
    m_pasteAction->setShortcuts(QKeySequence::Paste);
    connect(m_pasteAction, &QAction::triggered, this,
            InputGate::ifOpen(m_window, this, &SlotMenu::pasteRequested));
    m_menu->addSeparator();
    QAction* undo = addAction("undoAction", QStringLiteral("Отменить"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setEnabled(history->canUndo());
    connect(history, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(undo, &QAction::triggered, this,
            InputGate::ifOpen(m_window, history, &QUndoStack::undo));
    QAction* redo = addAction("redoAction", QStringLiteral("Вернуть"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    redo->setEnabled(history->canRedo());
    connect(history, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(redo, &QAction::triggered, this,
            InputGate::ifOpen(m_window, history, &QUndoStack::redo));
    // Greyed only while the menu shows, so that the shortcut still says why it did nothing.
    connect(m_menu, &QMenu::aboutToHide, m_pasteAction,
            [this] { m_pasteAction->setEnabled(true); });
}

QAction* SlotMenu::addAction(const char* objectName, const QString& text)
{
    QAction* action = m_menu->addAction(text);
    action->setObjectName(QLatin1String(objectName));
    // On the window too, so that the shortcuts work while the menu is closed.
    m_window->addAction(action);
    return action;
}

void SlotMenu::popup(const QPoint& globalPosition)
{
    if (!InputGate::isOpen(m_window))
        return;
    m_pasteAction->setEnabled(OfferedPictures::promised(QGuiApplication::clipboard()->mimeData()));
    m_menu->popup(globalPosition);
}
