// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/inputgate.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QShortcut>
#include <QWidget>

namespace
{

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

QList<const QWidget*> shutWindows;

} // namespace

InputGate::InputGate(QWidget* window) : m_window(window)
{
    shutWindows.append(window);
    QCoreApplication::instance()->installEventFilter(this);
}

InputGate::~InputGate()
{
    QCoreApplication::instance()->removeEventFilter(this);
    shutWindows.removeOne(m_window);
}

bool InputGate::isOpen(const QWidget* window)
{
    const QWidget* modal = QApplication::activeModalWidget();
    return !shutWindows.contains(window) && (!modal || modal == window->window());
}

void InputGate::processPendingEvents()
{
    QCoreApplication::processEvents();
}

bool InputGate::eventFilter(QObject* watched, QEvent* event)
{
    // Shortcuts are matched before any widget sees the key, and reach their QShortcut directly.
    if (event->type() == QEvent::Shortcut) {
        const auto* owner =
            qobject_cast<QShortcut*>(watched) ? qobject_cast<QWidget*>(watched->parent()) : nullptr;
        if (owner && owner->window() == m_window)
            return true;
    }
    if (watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == m_window) {
            if (isUserInput(event->type()))
                return true;
            // The close box is input too; closing mid-run would pull the window from under it.
            if (widget == m_window && event->type() == QEvent::Close) {
                event->ignore();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
