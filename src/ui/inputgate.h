// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QWidget;

// The one gate of a window's user input. While a job runs, the gate is shut: the window takes no
// user input (clicks, keys, drops, its close box) but still repaints, and what arrives meanwhile
// is swallowed, so none of it acts later. Assistive technology presses buttons, picks list items
// and edits text straight into the widgets, and shortcuts reach their action before any widget
// sees the key, all around the event filter and modality: every entry point they reach asks
// isOpen() first.
class InputGate : public QObject
{
    Q_OBJECT
public:
    // Shuts window's gate for as long as it lives.
    explicit InputGate(QWidget* window);
    ~InputGate() override;

    // Runs job with window's gate shut; what arrived meanwhile is swallowed before it opens again.
    template <class Job> static void shutWhile(QWidget* window, Job&& job);
    // Whether input to window may act now: no job runs there, and no other modal window (a
    // question box) waits for an answer.
    static bool isOpen(const QWidget* window);
    // method as a slot that does nothing unless window's gate is open.
    template <class Object, class... Args>
    static auto ifOpen(const QWidget* window, Object* object, void (Object::*method)(Args...))
    {
        return [window, object, method](Args... args) {
            if (isOpen(window))
                (object->*method)(args...);
        };
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void processPendingEvents();

    QWidget* m_window;
};

template <class Job> void InputGate::shutWhile(QWidget* window, Job&& job)
{
    InputGate shut(window);
    processPendingEvents();
    job();
    processPendingEvents();
}
