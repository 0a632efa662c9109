// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

// Slows down guessing at the login: after 5 failed logins for one user name within 10 minutes,
// further attempts for that name are refused for 30 seconds; every failure after that refusal
// ends doubles the wait (60 s, 120 s, ...) up to 15 minutes. A successful login, or 10 quiet
// minutes, start the name afresh. Kept in memory only: a restart of the program forgets it.
// Times come from the caller (the context's clock); nothing here waits.
class LoginThrottle
{
public:
    static constexpr int kFailuresBeforeRefusal = 5;
    static constexpr qint64 kCountedSeconds = 10 * 60;
    static constexpr qint64 kFirstRefusalSeconds = 30;
    static constexpr qint64 kLongestRefusalSeconds = 15 * 60;

    // Whether attempts for the name are refused at this time.
    bool isRefused(const QString& user, const QDateTime& now) const;
    // Seconds until attempts are accepted again (0 when they are).
    qint64 secondsRefused(const QString& user, const QDateTime& now) const;

    void noteFailure(const QString& user, const QDateTime& now);
    void noteSuccess(const QString& user);

private:
    struct Record {
        QList<QDateTime> failures; // within the counted minutes
        QDateTime lastFailure;
        QDateTime refusedUntil;
        int refusals = 0;
    };
    // Names are compared as the account table compares them: whatever their letter case.
    static QString key(const QString& user) { return user.toCaseFolded(); }

    QHash<QString, Record> mRecords;
};
