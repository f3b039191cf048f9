// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIODevice>

#include <cerrno>

// A write-only device that takes `capacity` bytes, the way a disk fills up: the write that
// reaches the limit is cut short, every write after that fails with ENOSPC.
class FailDevice : public QIODevice
{
public:
    explicit FailDevice(qint64 capacity) : m_capacity(capacity) { open(WriteOnly | Unbuffered); }

    QByteArray written;
    int writesAfterFailure = 0; // calls made after one had already returned -1

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override
    {
        errno = ENOSPC;
        if (m_failed) {
            ++writesAfterFailure;
            return -1;
        }
        const qint64 taken = qMin(len, m_capacity - written.size());
        written.append(data, taken);
        if (taken == 0) {
            m_failed = true;
            return -1;
        }
        return taken;
    }

private:
    qint64 m_capacity;
    bool m_failed = false;
};
