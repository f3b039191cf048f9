// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windowaccess.h"

#include "core/quizsetup.h"
#include "ui/slotstrip.h"
#include "ui/texts.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>

#include <memory>

WindowAccess* WindowAccess::install(QWidget* window, const QuizSetup& setup, QMenu* quizMenu,
                                    SlotStrip* strip, const QList<QWidget*>& focusStops)
{
    return new WindowAccess(window, setup, quizMenu, strip, focusStops);
}

WindowAccess::WindowAccess(QWidget* window, const QuizSetup& setup, QMenu* quizMenu,
                           SlotStrip* strip, const QList<QWidget*>& focusStops)
    : QObject(window), m_window(window), m_setup(setup), m_quizMenu(quizMenu), m_strip(strip)
{
    static_assert(SlotCount == SlotStrip::SlotCount);
    for (int k = 1; k <= SlotCount; ++k) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | (Qt::Key_0 + k)), window);
        connect(shortcut, &QShortcut::activated, m_strip, [this, k] { m_strip->choose(k); });
    }
    // X11 has no context-menu meaning for Shift+F10 of its own.
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), window);
    connect(menuKey, &QShortcut::activated, this, &WindowAccess::openContextMenuAtFocus);

    // The window stores the chosen file after painting it, so descriptions follow a turn later.
    connect(m_strip, &SlotStrip::picturesChanged, this, &WindowAccess::describePictures,
            Qt::QueuedConnection);

    m_quizMenu->setTitle(UiText::QuizSubmenu);
    for (QWidget* stop : focusStops) {
        if (qobject_cast<QLineEdit*>(stop))
            stop->installEventFilter(this);
        if (auto* edit = qobject_cast<QPlainTextEdit*>(stop)) {
            edit->installEventFilter(this);
            edit->viewport()->installEventFilter(this);
        }
    }
}

void WindowAccess::describePictures()
{
    for (int k = 1; k <= SlotCount; ++k) {
        const QuizSlot& slot = m_setup.slot(k);
        m_strip->describePicture(k,
                                 slot.chosen ? QFileInfo(slot.picturePath).fileName() : QString());
    }
}

void WindowAccess::openContextMenuAtFocus()
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() != m_window)
        focus = m_window;
    const QPoint at = focus->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
    QApplication::sendEvent(focus, &event);
}

// The style marks focus on none of the multi-line fields, and the read-only answer copies have no
// caret either: while one has focus, its frame is a plain line of the same width in the text
// colour.
void WindowAccess::showFocus(QPlainTextEdit* edit, bool focused)
{
    const int width = edit->frameWidth();
    edit->setFrameStyle(focused ? QFrame::Box | QFrame::Plain
                                : QFrame::StyledPanel | QFrame::Sunken);
    edit->setLineWidth(width);
}

bool WindowAccess::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        if (auto* plain = qobject_cast<QPlainTextEdit*>(watched))
            showFocus(plain, event->type() == QEvent::FocusIn);
        return false;
    }
    if (event->type() != QEvent::ContextMenu)
        return QObject::eventFilter(watched, event);
    auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    QMenu* menu = nullptr;
    if (auto* line = qobject_cast<QLineEdit*>(watched)) {
        menu = line->createStandardContextMenu();
    } else {
        auto* plain = qobject_cast<QPlainTextEdit*>(watched);
        if (!plain && watched->parent())
            plain = qobject_cast<QPlainTextEdit*>(watched->parent());
        if (!plain)
            return false;
        const QPoint at = watched == plain ? plain->viewport()->mapFrom(plain, menuEvent->pos())
                                           : menuEvent->pos();
        menu = plain->createStandardContextMenu(at);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("editMenu"));
    menu->addSeparator();
    menu->addMenu(m_quizMenu);
    menu->popup(menuEvent->globalPos());
    return true;
}
