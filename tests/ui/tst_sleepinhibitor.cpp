// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sleepinhibitor.h"

#include <QtTest>

// The power management of KDE and Xfce, as far as the inhibitor uses it.
class FakePowerManagement : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PowerManagement.Inhibit")

public:
    QStringList calls;

public slots:
    uint Inhibit(const QString& program, const QString& reason)
    {
        calls << program + ": " + reason;
        return 7301;
    }
    void UnInhibit(uint cookie) { calls << QString::number(cookie); }
};

class TestSleepInhibitor : public QObject
{
    Q_OBJECT

private slots:
    // On a D-Bus session of the test's own, without GNOME's session manager; logind is never
    // asked. Sleep is held once a power management answers, and its cookie lets sleep go.
    void heldThroughPowerManagement()
    {
        SleepInhibitor inhibitor(QDBusConnection::sessionBus(), QDBusConnection("none"));
        QVERIFY(!inhibitor.inhibit());
        FakePowerManagement fake;
        QThread thread; // the inhibitor blocks the main thread while it waits for the answer
        fake.moveToThread(&thread);
        thread.start();
        auto bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake");
        QVERIFY(bus.registerService("org.freedesktop.PowerManagement"));
        QVERIFY(bus.registerObject("/org/freedesktop/PowerManagement/Inhibit", &fake,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(inhibitor.inhibit());
        inhibitor.release();
        QVERIFY(!inhibitor.isHeld());
        thread.quit();
        QVERIFY(thread.wait(60000));
        QCOMPARE(fake.calls, QStringList({"QUIRVEL: Идёт викторина в классе", "7301"}));
    }
};

QTEST_GUILESS_MAIN(TestSleepInhibitor)
#include "tst_sleepinhibitor.moc"
