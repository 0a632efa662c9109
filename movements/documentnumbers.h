// SPDX-License-Identifier: GPL-3.0-or-later
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
// moment that reads the same), the number takes the digits of the next later second that gives
// new ones. Nothing waits for the clock.
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
    // Per prefix: the digits handed out, and the latest moment they were made for.
    struct Made {
        QSet<QString> digits;
        QDateTime latest;
    };
    QHash<QString, Made> mMade;
};

// How many numbers one action tries when the file already holds the numbers it makes (written by
// an earlier run, or by another moment with the same digits) before it reports a failure.
constexpr int kMaxDocumentNumberTries = 20;
