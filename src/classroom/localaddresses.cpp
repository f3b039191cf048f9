// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/localaddresses.h"

#include <QNetworkInterface>
#include <QUdpSocket>

namespace
{

// The address the system would send from to the outside world. Connecting a UDP socket sends
// nothing; it only picks the route.
QHostAddress defaultRouteAddress()
{
    QUdpSocket probe;
    probe.connectToHost(QHostAddress(QStringLiteral("192.0.2.1")), 9);
    probe.waitForConnected(200);
    return probe.state() == QAbstractSocket::ConnectedState ? probe.localAddress() : QHostAddress();
}

} // namespace

QList<QHostAddress> classroomAddresses()
{
    QList<QHostAddress> addresses;
    const QHostAddress preferred = defaultRouteAddress();
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const QString name = interface.name();
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            flags.testFlag(QNetworkInterface::IsLoopBack) ||
            name.startsWith(QStringLiteral("docker")) || name.startsWith(QStringLiteral("virbr")) ||
            name.startsWith(QStringLiteral("veth")))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.protocol() != QAbstractSocket::IPv4Protocol || address.isLoopback())
                continue;
            if (address.isEqual(preferred))
                addresses.prepend(address);
            else
                addresses.append(address);
        }
    }
    return addresses;
}
