#pragma once

#include <QDateTime>

// The local clock that document numbers and date texts read. Tests use a FixedClock.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Waits the given milliseconds (a fixed clock moves its time forward instead).
    virtual void wait(int milliseconds) = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override;
    void wait(int milliseconds) override;
};

class FixedClock : public Clock
{
public:
    explicit FixedClock(const QDateTime& time) : mTime(time) {}
    QDateTime now() const override { return mTime; }
    void wait(int milliseconds) override { mTime = mTime.addMSecs(milliseconds); }
    void set(const QDateTime& time) { mTime = time; }

private:
    QDateTime mTime;
};
