#include "movements/documentnumbers.h"

#include "app/clock.h"
#include "app/context.h"

QString timestampDigits(const QDateTime& time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return QString::number(date.year()) + QString::number(date.month()) +
           QString::number(date.day()) + QString::number(clock.hour()) +
           QString::number(clock.minute()) + QString::number(clock.second());
}

DocumentNumbers::DocumentNumbers(Clock& clock, QObject* parent) : QObject(parent), mClock(clock) {}

QString DocumentNumbers::make(const QString& prefix)
{
    QDateTime now = mClock.now();
    QString digits = timestampDigits(now);
    const auto last = mLastDigits.constFind(prefix);
    if (last != mLastDigits.constEnd() && last.value() == digits) {
        // Still the second of the last number of this kind: wait for the next one, so that an
        // update or a later return by number never touches two documents.
        mClock.wait(1000 - now.time().msec());
        now = mClock.now();
        digits = timestampDigits(now);
    }
    mLastDigits.insert(prefix, digits);
    return prefix + digits;
}

DocumentNumbers& DocumentNumbers::of(AppContext& context)
{
    auto* maker = context.findChild<DocumentNumbers*>(QString(), Qt::FindDirectChildrenOnly);
    if (!maker)
        maker = new DocumentNumbers(context.clock(), &context);
    return *maker;
}
