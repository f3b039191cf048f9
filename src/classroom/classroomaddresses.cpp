// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomaddresses.h"

#include <QDir>
#include <QFile>
#include <QNetworkInterface>

#include <algorithm>
#include <limits>
#include <optional>

namespace
{

using Kind = ClassroomAddresses::Address::Kind;

// Docker, libvirt, VirtualBox, VMware, veth pairs, VPNs: only asked when sysfs has no word on the
// interface.
bool hasVirtualName(const QString& name)
{
    static const QStringList prefixes{"docker", "br-", "virbr", "vboxnet", "vmnet",
                                      "veth",   "tun", "tap",   "wg"};
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const QString& prefix) { return name.startsWith(prefix); });
}

bool isWireless(const QDir& net, const QString& name)
{
    if (net.exists(name + QStringLiteral("/wireless")))
        return true;
    QFile uevent(net.filePath(name + QStringLiteral("/uevent")));
    return uevent.open(QIODevice::ReadOnly) &&
           uevent.readAll().split('\n').contains("DEVTYPE=wlan");
}

// Qt calls Wi-Fi cards, bridges and veth pairs all Ethernet; sysfs tells them apart. Nothing for
// a virtual interface: without a device behind it, it leads no further than this computer.
std::optional<Kind> kindOf(const QDir& net, const QString& name)
{
    if (!net.exists(name))
        return hasVirtualName(name) ? std::nullopt : std::optional(Kind::Wired);
    if (net.exists(name + QStringLiteral("/bridge"))) {
        // A bridge with a real card among its ports carries that card's network; Docker's carry
        // veth pairs only.
        const QDir ports(net.filePath(name + QStringLiteral("/brif")));
        for (const QString& port :
             ports.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            if (net.exists(port + QStringLiteral("/device")))
                return isWireless(net, port) ? Kind::WiFi : Kind::Wired;
        }
        return std::nullopt;
    }
    if (!net.exists(name + QStringLiteral("/device")))
        return std::nullopt;
    return isWireless(net, name) ? Kind::WiFi : Kind::Wired;
}

// The interface of the default route with the lowest metric. Read from the table rather than
// probed with a socket, which finds nothing on a classroom network without internet.
QString defaultRouteInterface(const QString& root)
{
    QFile table(QDir(root).filePath(QStringLiteral("proc/net/route")));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    QString found;
    qint64 lowest = std::numeric_limits<qint64>::max();
    // Iface Destination Gateway Flags RefCnt Use Metric Mask …, after a heading line
    for (const QByteArray& line : table.readAll().split('\n').mid(1)) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 8 || fields[1] != "00000000" || fields[7] != "00000000")
            continue;
        bool number = false;
        const qint64 metric = fields[6].toLongLong(&number);
        if (number && metric < lowest) {
            lowest = metric;
            found = QString::fromUtf8(fields[0]);
        }
    }
    return found;
}

} // namespace

QString ClassroomAddresses::Address::network() const
{
    if (interfaceName.isEmpty())
        return {};
    return QStringLiteral("%1 (%2)").arg(kind == Kind::WiFi ? QStringLiteral("Wi-Fi")
                                                            : QStringLiteral("Проводная сеть"),
                                         interfaceName);
}

QString ClassroomAddresses::Address::label(const QString& shown) const
{
    const QString what = shown.isEmpty() ? address.toString() : shown;
    return interfaceName.isEmpty() ? what : network() + QStringLiteral(": ") + what;
}

ClassroomAddresses::ClassroomAddresses(QList<Interface> interfaces, QString root)
    : m_interfaces(std::move(interfaces)), m_root(std::move(root))
{
}

QList<ClassroomAddresses::Address> ClassroomAddresses::reachable() const
{
    const QDir net(QDir(m_root).filePath(QStringLiteral("sys/class/net")));
    QList<Address> found;
    for (const Interface& interface : m_interfaces) {
        const std::optional<Kind> kind = interface.up ? kindOf(net, interface.name) : std::nullopt;
        if (!kind)
            continue;
        for (const QHostAddress& address : interface.addresses) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback() &&
                !address.isLinkLocal())
                found.append({address, interface.name, *kind});
        }
    }
    const QString gateway = defaultRouteInterface(m_root);
    const auto rank = [&](const Address& a) {
        return a.interfaceName == gateway ? 0 : a.kind == Kind::WiFi ? 1 : 2;
    };
    std::stable_sort(found.begin(), found.end(),
                     [&](const Address& a, const Address& b) { return rank(a) < rank(b); });
    return found;
}

QList<ClassroomAddresses::Address> ClassroomAddresses::live()
{
    QList<Interface> interfaces;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        Interface found{interface.name(), interface.flags().testFlag(QNetworkInterface::IsUp), {}};
        for (const QNetworkAddressEntry& entry : interface.addressEntries())
            found.addresses << entry.ip();
        interfaces << found;
    }
    return ClassroomAddresses(interfaces, QStringLiteral("/")).reachable();
}
