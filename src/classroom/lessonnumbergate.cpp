// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/lessonnumbergate.h"

#include <algorithm>

void LessonNumberGate::refill(Bucket& bucket, qint64 now) const
{
    bucket.left = std::min<double>(Burst, bucket.left + double(now - bucket.at) / RefillMs);
    bucket.at = now;
}

LessonNumberGate::Verdict LessonNumberGate::check(const QString& address, const QString& typed,
                                                  qint64 now)
{
    if (m_wrong >= LessonCap)
        return Verdict::Closed;
    if (m_buckets.size() >= MaxAddresses && !m_buckets.contains(address))
        for (auto it = m_buckets.begin(); it != m_buckets.end();) {
            refill(*it, now);
            it = it->left >= Burst ? m_buckets.erase(it) : std::next(it);
        }
    if (m_buckets.size() >= MaxAddresses && !m_buckets.contains(address))
        return Verdict::TooMany;
    auto found = m_buckets.find(address);
    if (found == m_buckets.end())
        found = m_buckets.insert(address, Bucket{double(Burst), now});
    Bucket& bucket = *found;
    refill(bucket, now);
    // A spent bucket is refused before the number is looked at, right or not: otherwise the
    // answer to the last try would still tell.
    if (bucket.left < 1)
        return Verdict::TooMany;
    if (typed == m_number)
        return Verdict::Right;
    bucket.left -= 1;
    ++m_wrong;
    return Verdict::Wrong;
}
