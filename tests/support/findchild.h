// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Windows keep their widgets to themselves; tests reach them by object name.

#include <QObject>
#include <QtTest>

// The child of parent called name, of type T. A missing one fails the test and ends the run, as
// every check after it would have nothing to look at.
template <class T> T* child(const QObject& parent, const QString& name)
{
    T* found = parent.findChild<T*>(name);
    if (!QTest::qVerify(
            found != nullptr, "child",
            qPrintable(QStringLiteral("no widget \"%1\" in %2").arg(name, parent.objectName())),
            __FILE__, __LINE__))
        qFatal("cannot go on without widget \"%s\"", qPrintable(name));
    return found;
}

// The object name of an array member: its name with the slot number from 1 ("thumbnail3").
inline QString numbered(const char* name, int k)
{
    return QLatin1String(name) + QString::number(k);
}
