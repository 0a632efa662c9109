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

class Database;

// What the operator is told when the link to the server broke after a document's transaction was
// sent for its commit and the server could not be asked afterwards whether it stored it.
inline const QString kCommitUnconfirmed =
    QStringLiteral("与数据库服务器的连接已中断，无法确认操作是否成功，请刷新数据后核对");

// Whether the document that insertSql ("insert into TABLE(NUMBER COLUMN,...") writes with the
// number is stored: the way to settle a commit whose answer the broken link swallowed. The look
// goes over a new link (bounded by the connection time-out); Unknown when the server cannot be
// asked.
enum class DocumentLookup { Stored, Missing, Unknown };
DocumentLookup lookUpDocument(Database& db, const QString& insertSql, const QString& number);
