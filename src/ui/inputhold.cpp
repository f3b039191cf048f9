// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/inputhold.h"

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

QList<const QWidget*> heldWindows;

} // namespace

InputHold::InputHold(QWidget* window) : m_window(window)
{
    heldWindows.append(window);
    QCoreApplication::instance()->installEventFilter(this);
}

InputHold::~InputHold()
{
    QCoreApplication::instance()->removeEventFilter(this);
    heldWindows.removeOne(m_window);
}

bool InputHold::holds(const QWidget* window)
{
    return heldWindows.contains(window);
}

bool InputHold::refuses(const QWidget* window)
{
    const QWidget* modal = QApplication::activeModalWidget();
    return holds(window) || (modal && modal != window->window());
}

void InputHold::processPendingEvents()
{
    QCoreApplication::processEvents();
}

bool InputHold::eventFilter(QObject* watched, QEvent* event)
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
