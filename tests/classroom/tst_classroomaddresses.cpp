// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomaddresses.h"
#include "testfiles.h"

#include <QtTest>

class TestClassroomAddresses : public QObject
{
    Q_OBJECT

private slots:
    // Teachers' computers as sysfs shows them. Entries are made under sys/class/net, "path=text"
    // as a file; interfaces are "name address…", "-name" when down.
    void reachable_data()
    {
        QTest::addColumn<QString>("sysfs");
        QTest::addColumn<QString>("defaultRoute");
        QTest::addColumn<QString>("interfaces");
        QTest::addColumn<QStringList>("labels");
        const QString cards = "enp3s0/device wlp2s0/device wlp2s0/wireless";
        const QString both = "enp3s0 10.0.0.5, wlp2s0 192.168.1.10";
        const QString wifi = "Wi-Fi (wlp2s0): 192.168.1.10";
        const QString wired = "Проводная сеть (enp3s0): 10.0.0.5";
        QTest::newRow("no default route") << cards << "" << both << QStringList{wifi, wired};
        QTest::newRow("default route first")
            << cards << "enp3s0" << both << QStringList{wired, wifi};
        QTest::newRow("docker, virtualbox, link-local")
            << "lo wlp2s0/device wlp2s0/uevent=DEVTYPE=wlan docker0/bridge br-5f2a/bridge "
               "br-5f2a/brif/veth1c veth1c vboxnet0"
            << ""
            << "lo 127.0.0.1, docker0 172.17.0.1, br-5f2a 172.18.0.1, veth1c 172.18.0.2, "
               "vboxnet0 192.168.56.1, wlp2s0 169.254.23.7 192.168.1.10 2001:db8::10"
            << QStringList{wifi};
        QTest::newRow("bridge with a physical port")
            << "br0/bridge br0/brif/enp3s0 enp3s0/device"
            << "br0"
            << "enp3s0, br0 10.0.0.5" << QStringList{"Проводная сеть (br0): 10.0.0.5"};
        QTest::newRow("without sysfs, by name, up")
            << ""
            << ""
            << "docker0 172.17.0.1, tun0 10.8.0.2, -eth1 10.0.0.9, eth0 10.0.0.5"
            << QStringList{"Проводная сеть (eth0): 10.0.0.5"};
    }
    void reachable()
    {
        QFETCH(QString, sysfs);
        QFETCH(QString, defaultRoute);
        QFETCH(QString, interfaces);
        QTemporaryDir root;
        for (const QString& entry : sysfs.split(' ', Qt::SkipEmptyParts)) {
            const QString path = root.filePath("sys/class/net/" + entry.section('=', 0, 0));
            QVERIFY(entry.contains('=') ? writeFile(path, entry.section('=', 1).toUtf8())
                                        : QDir().mkpath(path));
        }
        // Other routes come first: the network's own, half the world (a VPN's); then the default.
        QVERIFY(writeFile(root.filePath("proc/net/route"),
                          "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\n"
                          "wlp2s0\t0001A8C0\t00000000\t1\t0\t0\t600\t00FFFFFF\n"
                          "enp3s0\t00000000\t0100000A\t3\t0\t0\t0\t00000080\n" +
                              defaultRoute.toUtf8() +
                              "\t00000000\t0100000A\t3\t0\t0\t100\t00000000\n"));
        QList<ClassroomAddresses::Interface> list;
        for (const QString& line : interfaces.split(", ")) {
            QStringList words = line.split(' ');
            const QString name = words.takeFirst();
            list.append({name.mid(name.startsWith('-') ? 1 : 0), !name.startsWith('-'), {}});
            for (const QString& address : words)
                list.last().addresses << QHostAddress(address);
        }
        QStringList labels;
        for (const auto& address : ClassroomAddresses(list, root.path()).reachable())
            labels << address.label();
        QTEST(labels, "labels");
    }
};

QTEST_GUILESS_MAIN(TestClassroomAddresses)
#include "tst_classroomaddresses.moc"
