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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
};
