// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qtpauser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

void QtPauser::pause(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    for (qint64 left = milliseconds; left > 0; left = milliseconds - timer.elapsed()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, int(left));
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(left, 10)));
    }
}
