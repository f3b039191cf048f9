// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QList>

// The IPv4 addresses pupils can reach this computer at: every local one but loopback, without
// container and virtual bridges (docker*, virbr*, veth*). IPv6 is left out, since browsers take
// no zone in a typed link-local address. The address of the default route comes first.
QList<QHostAddress> classroomAddresses();
