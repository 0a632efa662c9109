// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>

// The local clock that document numbers and date texts read. Tests use a FixedClock.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override;
};

class FixedClock : public Clock
{
public:
    explicit FixedClock(const QDateTime& time) : mTime(time) {}
    QDateTime now() const override { return mTime; }
    void set(const QDateTime& time) { mTime = time; }

private:
    QDateTime mTime;
};
