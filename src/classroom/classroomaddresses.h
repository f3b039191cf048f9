// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

// The IPv4 addresses pupils can reach this computer at, each with the network it is on. Left out:
// interfaces that are down, loopback, link-local, and container, virtual-machine and tunnel
// interfaces, which phones cannot reach. IPv6 is left out too, since browsers take no zone in a
// typed link-local address. The default route's address comes first, then Wi-Fi, then wired.
class ClassroomAddresses
{
public:
    struct Address {
        enum class Kind { Wired, WiFi };
        QHostAddress address;
        QString interfaceName;
        Kind kind = Kind::Wired;

        // "Wi-Fi (wlp2s0)"; empty for an address given without its interface.
        QString network() const;
        // "Wi-Fi (wlp2s0): 192.168.1.10", or the bare address without an interface; shown, when
        // given, stands for the address (its URL, say).
        QString label(const QString& shown = {}) const;
    };
    struct Interface {
        QString name;
        bool up = false;
        QList<QHostAddress> addresses;
    };

    // root holds sys/class/net and proc/net/route: "/" on a real machine.
    ClassroomAddresses(QList<Interface> interfaces, QString root);
    QList<Address> reachable() const;

    // This computer's.
    static QList<Address> live();

private:
    QList<Interface> m_interfaces;
    QString m_root;
};
