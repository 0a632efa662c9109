#include "core/clock.h"

#include <QThread>

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

void SystemClock::wait(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}
