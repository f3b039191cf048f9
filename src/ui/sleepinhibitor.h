// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QString>

// Keeps the computer from sleeping, through the desktop's inhibit interface on D-Bus: the session
// manager of GNOME (and of MATE and Cinnamon), else the power management of KDE and Xfce, else
// logind. Each is given a short while to answer, so that a busy bus never stalls the window.
class SleepInhibitor
{
public:
    explicit SleepInhibitor(QDBusConnection session = QDBusConnection::sessionBus(),
                            QDBusConnection system = QDBusConnection::systemBus());
    ~SleepInhibitor();
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // Whether sleep is held now; one held already stays as it is.
    bool inhibit(const QString& reason = QStringLiteral("Идёт викторина в классе"));
    void release();
    bool isHeld() const { return m_way != Way::None; }

private:
    enum class Way { None, SessionManager, PowerManagement, Logind };

    QDBusConnection m_session;
    QDBusConnection m_system;
    Way m_way = Way::None;
    uint m_cookie = 0;
    // logind holds sleep off while this descriptor is open.
    QDBusUnixFileDescriptor m_lock;
};
