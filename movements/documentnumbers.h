#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class AppContext;
class Clock;

// The timestamp digits of a document number: year, month, day, hour, minute and second without
// leading zeros or separators (2018-03-05 09:07:02 gives 201835972).
QString timestampDigits(const QDateTime& time);

// Makes document numbers: a prefix ("rk", "xs", "ck", "jy", "th", "gh", "wt") followed by the
// timestamp digits of one reading of the clock. A number is never handed out twice for a prefix:
// when the clock gives digits already made for that prefix (the same second, or an earlier
// moment that reads the same), it waits for the next second.
class DocumentNumbers : public QObject
{
    Q_OBJECT
public:
    explicit DocumentNumbers(Clock& clock, QObject* parent = nullptr);
    QString make(const QString& prefix);

    // The one maker of the application, kept by the context.
    static DocumentNumbers& of(AppContext& context);

private:
    Clock& mClock;
    static constexpr int kMaxWaits = 10;
    QHash<QString, QSet<QString>> mMadeDigits;
};
