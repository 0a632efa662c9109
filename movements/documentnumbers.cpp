// SPDX-License-Identifier: GPL-3.0-or-later
#include "movements/documentnumbers.h"

#include "core/clock.h"
#include "core/context.h"
#include "storage/database.h"

#include <QRegularExpression>

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
    // earlier moment that reads the same (9:01:11 and 9:11:01 both give ...9111). Take the next
    // later second until the digits are new, so that an update or a later return by number
    // never touches two documents. The set is finite, so this ends; it never sleeps.
    Made& made = mMade[prefix];
    QDateTime moment = mClock.now();
    QString digits = timestampDigits(moment);
    if (made.digits.contains(digits)) {
        // Numbers made faster than one a second run ahead of the clock: go on after the latest
        // one instead of walking again over every second already taken.
        if (made.latest.isValid() && made.latest > moment)
            moment = made.latest;
        do {
            moment = moment.addSecs(1);
            digits = timestampDigits(moment);
        } while (made.digits.contains(digits));
    }
    made.digits.insert(digits);
    if (!made.latest.isValid() || moment > made.latest)
        made.latest = moment;
    return prefix + digits;
}

DocumentNumbers& DocumentNumbers::of(AppContext& context)
{
    auto* maker = context.findChild<DocumentNumbers*>(QString(), Qt::FindDirectChildrenOnly);
    if (!maker)
        maker = new DocumentNumbers(context.clock(), &context);
    return *maker;
}

DocumentLookup lookUpDocument(Database& db, const QString& insertSql, const QString& number)
{
    static const QRegularExpression target(
        QStringLiteral(R"(^\s*insert\s+into\s+([^\s(]+)\s*\(\s*([^\s,)]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = target.match(insertSql);
    if (!match.hasMatch())
        return DocumentLookup::Unknown;
    const int handle =
        db.OpenTable(QStringLiteral("select count(*) as n from ") + match.captured(1) +
                         QStringLiteral(" where ") + match.captured(2) + QStringLiteral("=? "),
                     {number});
    if (handle == 0)
        return DocumentLookup::Unknown;
    const bool stored = db.readNumber(handle, QStringLiteral("n")) > 0;
    db.CloseTable(handle);
    return stored ? DocumentLookup::Stored : DocumentLookup::Missing;
}
