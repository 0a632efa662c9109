#include "movements/documentnumbers.h"

#include "core/clock.h"
#include "core/context.h"

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
    // Digits already handed out for this kind: the second of the last number, and also an
    // earlier moment that reads the same (9:01:11 and 9:11:01 both give ...9111). Wait for the
    // next second until the digits are new, so that an update or a later return by number never
    // touches two documents. A few tries cover every such coincidence.
    QSet<QString>& made = mMadeDigits[prefix];
    QDateTime now = mClock.now();
    QString digits = timestampDigits(now);
    for (int tries = 0; made.contains(digits) && tries < kMaxWaits; ++tries) {
        mClock.wait(1000 - now.time().msec());
        now = mClock.now();
        digits = timestampDigits(now);
    }
    made.insert(digits);
    return prefix + digits;
}

DocumentNumbers& DocumentNumbers::of(AppContext& context)
{
    auto* maker = context.findChild<DocumentNumbers*>(QString(), Qt::FindDirectChildrenOnly);
    if (!maker)
        maker = new DocumentNumbers(context.clock(), &context);
    return *maker;
}
