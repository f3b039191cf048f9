// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtTest>

// QTest::keyClicks takes Latin-1 only; these are key presses carrying any character.
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}
