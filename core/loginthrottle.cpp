// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/loginthrottle.h"

#include <algorithm>

bool LoginThrottle::isRefused(const QString& user, const QDateTime& now) const
{
    return secondsRefused(user, now) > 0;
}

qint64 LoginThrottle::secondsRefused(const QString& user, const QDateTime& now) const
{
    const auto found = mRecords.constFind(key(user));
    if (found == mRecords.cend() || !found->refusedUntil.isValid() || now >= found->refusedUntil)
        return 0;
    return std::max<qint64>(1, now.secsTo(found->refusedUntil));
}

void LoginThrottle::noteFailure(const QString& user, const QDateTime& now)
{
    Record& record = mRecords[key(user)];
    // Quiet for the counted minutes since the last failure and the last refusal: a fresh start.
    const QDateTime lastEvent = std::max(record.lastFailure, record.refusedUntil);
    if (lastEvent.isValid() && lastEvent.secsTo(now) >= kCountedSeconds)
        record = Record();
    record.failures.removeIf(
        [&now](const QDateTime& failure) { return failure.secsTo(now) >= kCountedSeconds; });
    record.failures.append(now);
    record.lastFailure = now;
    if (record.refusals == 0 && record.failures.size() < kFailuresBeforeRefusal)
        return;
    // 30 s doubled for every earlier refusal, at most 15 minutes.
    qint64 seconds = kFirstRefusalSeconds;
    for (int i = 0; i < record.refusals && seconds < kLongestRefusalSeconds; ++i)
        seconds *= 2;
    record.refusedUntil = now.addSecs(std::min(seconds, kLongestRefusalSeconds));
    ++record.refusals;
}

void LoginThrottle::noteSuccess(const QString& user)
{
    mRecords.remove(key(user));
}
