// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QWidget;

// While it lives, the window takes no user input (clicks, keys, drops, its close box) but still
// repaints; what arrives meanwhile is swallowed, so none of it acts later.
class InputHold : public QObject
{
    Q_OBJECT
public:
    explicit InputHold(QWidget* window);
    ~InputHold() override;

    // Whether a hold on window is alive.
    static bool holds(const QWidget* window);
    // Runs job with window holding input; what arrived meanwhile is swallowed before the hold
    // ends, so none of it acts later.
    template <class Job> static void run(QWidget* window, Job&& job);
    // Whether window must not act now: it holds input, or another modal window (a question
    // box) waits for an answer.
    static bool refuses(const QWidget* window);
    // method as a slot that does nothing while window refuses. Assistive technology presses
    // buttons, picks list items and edits text around the event filter and modality, straight
    // into the widgets, so what they set off is held back here.
    template <class Object, class... Args>
    static auto unlessHeld(const QWidget* window, Object* object, void (Object::*method)(Args...))
    {
        return [window, object, method](Args... args) {
            if (!refuses(window))
                (object->*method)(args...);
        };
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void processPendingEvents();

    QWidget* m_window;
};

template <class Job> void InputHold::run(QWidget* window, Job&& job)
{
    InputHold hold(window);
    processPendingEvents();
    job();
    processPendingEvents();
}
